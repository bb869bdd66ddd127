// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// orvane-ttff's command line.

#include <string>
#include <vector>

#include "analysis/FixCriterion.h"

namespace orvane {

struct TtffStart {
    std::string name;     // the start type
    std::string command;  // as typed
};

struct TtffOptions {
    std::string port;  // a serial device, or
    std::string tcpHost;
    unsigned short tcpPort = 0;
    int baud = 9600;
    std::vector<TtffStart> starts;  // in the order given
    int runs = 10;
    double timeout = 120, settle = 10, holdoff = 0.1;  // seconds
    FixCriterion criterion;
    bool json = false;
    std::string csv;
    bool help = false, version = false;
};

extern const char* const kTtffUsage;

// False with error for arguments that are not right.
bool ParseTtffOptions(int argc, char** argv, TtffOptions& options, std::string& error);

}  // namespace orvane
