// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The [ntrip] group of config.ini: the caster Orvane takes RTK corrections
// from for the receiver.
//
//   caster      = host[:port]  the caster (port 2101 when left out)
//   port        = 1..65535     the caster's port, when not given with it
//   mountpoint  = NAME         the stream; empty: the source table is read
//   user        = NAME         for Basic authentication
//   password    = TEXT         read as it stands (see the README)
//   ggainterval = 0..3600      seconds between the receiver's GGA lines
//                              sent to the caster; 0 or absent: none
//   version     = 1 | 2        the request's form (2 when left out); the
//                              caster's answer is read in either form
//
// Without the group, or without a caster in it, the client stays off and
// nothing changes. Each key present writes one "[Config] ntrip/..." line;
// the password's line never shows it.

#include <QString>

#include "Config.h"

namespace orvane {

struct NtripSettings {
    QString caster;  // empty: off
    quint16 port = 2101;
    QString mountpoint;
    QString user;
    QString password;
    int ggaIntervalSeconds = 0;
    int version = 2;
    bool Enabled() const { return !caster.isEmpty(); }
};

// Reads the group from the file at path.
NtripSettings ReadNtripConfig(const QString& path, const ConfigLineSink& appendLine);

}  // namespace orvane
