// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three forms of a receiver's statistics: a report to read, JSON with
// stable keys (the manual page lists them), and one CSV row per epoch.

#include <string>

#include "analysis/ReceiverStats.h"

namespace orvane {

struct ReportContext {
    std::string file;
    std::string referenceLog;  // with a reference log: its name
    const EpochLog* log = nullptr;
    const StatsOptions* options = nullptr;
};

std::string StatsText(const ReceiverStats& stats, const ReportContext& context);
std::string StatsJson(const ReceiverStats& stats, const ReportContext& context);
std::string EpochsCsv(const ReceiverStats& stats, const ReportContext& context);

// "YYYY-MM-DDThh:mm:ss.sssZ" for a dated time line, "hh:mm:ss.sss" (with
// "+Nd" after a midnight) for one without dates.
std::string TimeText(int64_t ms, bool dated);

}  // namespace orvane
