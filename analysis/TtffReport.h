// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Time-to-first-fix results: each run of a start type (a restart command),
// the figures of a series (runs, mean, standard deviation (N-1), median and
// 95th percentile by nearest rank, maximum, timeouts), and the report as
// text, CSV of the runs and JSON. Standard library only.

#include <cstddef>
#include <string>
#include <vector>

namespace orvane {

enum class RunOutcome {
    Fix,      // a valid fix arrived: seconds is the time to first fix
    Timeout,  // none within the timeout
    Lost,     // the receiver went away during the run
    Refused,  // the receiver refused the command
    NotSent,  // the command could not be sent
    Stopped,  // the user stopped the test
};
// "fix", "timeout", "lost", "refused", "not sent", "stopped".
const char* OutcomeKey(RunOutcome outcome);

struct TtffRun {
    int index = 0;  // from 1
    RunOutcome outcome = RunOutcome::Timeout;
    double seconds = 0;   // Fix: the time to first fix; else from the send to the run's end
    std::string sentUtc;  // when the command went, as the host's clock gave it (ISO 8601)
    bool position = false;
    double latitude = 0, longitude = 0;  // of the first fix
    std::string note;                    // why a run ended without a fix
};

struct TtffSeries {
    std::string start;    // the start type: the preset's name, or the command
    std::string command;  // as typed
    int plannedRuns = 0;
    double timeoutSeconds = 0;
    std::vector<TtffRun> runs;
    std::string ended;  // empty when every planned run was made; else why the series ended early
};

struct TtffSummary {
    size_t runs = 0;      // made (stopped runs left out)
    size_t fixes = 0;     // with a valid fix
    size_t timeouts = 0;  // none within the timeout
    size_t failed = 0;    // lost, refused or not sent
    // Of the fixes' times, seconds.
    double mean = 0, sigma = 0, median = 0, p95 = 0, max = 0;
};
TtffSummary Summarize(const TtffSeries& series);

// The report: per series a line of figures, then each run's time.
std::string ReportText(const std::vector<TtffSeries>& series, const std::string& criterion);
// One row per run: start,run,outcome,ttff_s,sent_utc,latitude,longitude,note.
std::string RunsCsv(const std::vector<TtffSeries>& series);
std::string ReportJson(const std::vector<TtffSeries>& series, const std::string& criterion);

}  // namespace orvane
