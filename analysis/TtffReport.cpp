// SPDX-License-Identifier: GPL-3.0-or-later
#include "TtffReport.h"

#include <cstdio>

#include "ReceiverStats.h"

namespace orvane {

namespace {

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Seconds(double value)
{
    return Fixed(value, 3);
}

std::string Json(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (uint8_t(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(uint8_t(c)));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + '"';
}

// A CSV field, quoted when it holds a comma, a quote or a line end.
std::string Csv(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (const char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + '"';
}

}  // namespace

const char* OutcomeKey(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Fix:
        return "fix";
    case RunOutcome::Timeout:
        return "timeout";
    case RunOutcome::Lost:
        return "lost";
    case RunOutcome::Refused:
        return "refused";
    case RunOutcome::NotSent:
        return "not sent";
    case RunOutcome::Stopped:
        return "stopped";
    }
    return "";
}

TtffSummary Summarize(const TtffSeries& series)
{
    TtffSummary summary;
    std::vector<double> times;
    for (const TtffRun& run : series.runs) {
        if (run.outcome == RunOutcome::Stopped)
            continue;
        ++summary.runs;
        if (run.outcome == RunOutcome::Fix) {
            ++summary.fixes;
            times.push_back(run.seconds);
        } else if (run.outcome == RunOutcome::Timeout) {
            ++summary.timeouts;
        } else {
            ++summary.failed;
        }
    }
    const Spread spread = SpreadOf(times);
    summary.mean = spread.mean;
    summary.sigma = spread.sigma;
    summary.median = spread.p50;
    summary.p95 = spread.p95;
    summary.max = spread.max;
    return summary;
}

std::string ReportText(const std::vector<TtffSeries>& all, const std::string& criterion)
{
    std::string text = "Time to first fix (valid fix: " + criterion + "; host monotonic clock, seconds)\n";
    for (const TtffSeries& series : all) {
        const TtffSummary s = Summarize(series);
        text += "\n" + series.start + " (" + series.command + "), timeout " + Fixed(series.timeoutSeconds, 0) +
                " s: runs " + std::to_string(s.runs) + " of " + std::to_string(series.plannedRuns) + ", fixes " +
                std::to_string(s.fixes) + ", timeouts " + std::to_string(s.timeouts);
        if (s.failed)
            text += ", failed " + std::to_string(s.failed);
        text += "\n";
        if (s.fixes)
            text += "  mean " + Seconds(s.mean) + "  sigma " + Seconds(s.sigma) + "  median " + Seconds(s.median) +
                    "  p95 " + Seconds(s.p95) + "  max " + Seconds(s.max) + "\n";
        else
            text += "  no fix in any run\n";
        for (const TtffRun& run : series.runs) {
            text += "  run " + std::to_string(run.index) + ": ";
            text += run.outcome == RunOutcome::Fix
                        ? Seconds(run.seconds) + " s"
                        : std::string(OutcomeKey(run.outcome)) + " after " + Seconds(run.seconds) + " s";
            if (!run.note.empty())
                text += " (" + run.note + ")";
            text += "\n";
        }
        if (!series.ended.empty())
            text += "  ended early: " + series.ended + "\n";
    }
    return text;
}

std::string RunsCsv(const std::vector<TtffSeries>& all)
{
    std::string csv = "start,run,outcome,ttff_s,sent_utc,latitude,longitude,note\n";
    for (const TtffSeries& series : all) {
        for (const TtffRun& run : series.runs) {
            csv += Csv(series.start) + ',' + std::to_string(run.index) + ',' + OutcomeKey(run.outcome) + ',';
            csv += (run.outcome == RunOutcome::Fix ? Seconds(run.seconds) : std::string()) + ',' + run.sentUtc + ',';
            csv += run.position ? Fixed(run.latitude, 8) + ',' + Fixed(run.longitude, 8) : std::string(",");
            csv += ',' + Csv(run.note) + '\n';
        }
    }
    return csv;
}

std::string ReportJson(const std::vector<TtffSeries>& all, const std::string& criterion)
{
    std::string json = "{\"criterion\":" + Json(criterion) + ",\"series\":[";
    for (size_t k = 0; k < all.size(); ++k) {
        const TtffSeries& series = all[k];
        const TtffSummary s = Summarize(series);
        json += k ? "," : "";
        json += "{\"start\":" + Json(series.start) + ",\"command\":" + Json(series.command) +
                ",\"planned_runs\":" + std::to_string(series.plannedRuns) +
                ",\"timeout_s\":" + Seconds(series.timeoutSeconds) + ",\"runs\":" + std::to_string(s.runs) +
                ",\"fixes\":" + std::to_string(s.fixes) + ",\"timeouts\":" + std::to_string(s.timeouts) +
                ",\"failed\":" + std::to_string(s.failed);
        if (s.fixes)
            json += ",\"mean_s\":" + Seconds(s.mean) + ",\"sigma_s\":" + Seconds(s.sigma) +
                    ",\"median_s\":" + Seconds(s.median) + ",\"p95_s\":" + Seconds(s.p95) +
                    ",\"max_s\":" + Seconds(s.max);
        json += ",\"ended\":" + (series.ended.empty() ? std::string("null") : Json(series.ended)) + ",\"times\":[";
        for (size_t i = 0; i < series.runs.size(); ++i) {
            const TtffRun& run = series.runs[i];
            json += i ? "," : "";
            json += "{\"run\":" + std::to_string(run.index) + ",\"outcome\":" + Json(OutcomeKey(run.outcome)) +
                    ",\"seconds\":" + Seconds(run.seconds) + ",\"sent_utc\":" + Json(run.sentUtc);
            if (run.position)
                json += ",\"latitude\":" + Fixed(run.latitude, 8) + ",\"longitude\":" + Fixed(run.longitude, 8);
            if (!run.note.empty())
                json += ",\"note\":" + Json(run.note);
            json += "}";
        }
        json += "]}";
    }
    return json + "]}\n";
}

}  // namespace orvane
