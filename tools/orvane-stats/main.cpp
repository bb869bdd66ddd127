// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-stats: a receiver's accuracy, availability and signal statistics
// over a log, about a reference point or against a reference receiver's log.

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "CommandLine.h"
#include "analysis/EpochKml.h"
#include "analysis/ReceiverStats.h"
#include "analysis/StatsReport.h"
#include "decoder/Epochs.h"
#include "replay/LogText.h"

namespace {

using namespace orvane;

constexpr const char* kUsage =
    "Usage: orvane-stats [--reference LAT,LON[,HEIGHT] | --reference-log REF]\n"
    "                    [--from T --to T] [--fix all|3d|rtk] [--tolerance MS]\n"
    "                    [--json] [--csv EPOCHS.csv] [--kml TRACK.kml] FILE\n"
    "Reads the NMEA log FILE ('-': standard input) as epochs and reports the\n"
    "receiver's accuracy, availability, C/N0 and, with a reference log, the\n"
    "errors against the reference receiver.\n"
    "  --reference LAT,LON[,HEIGHT]  the true point: signed degrees, metres above\n"
    "                   mean sea level (default: the mean of the fixes)\n"
    "  --reference-log REF  a reference receiver's log: epochs matched by UTC time\n"
    "  --tolerance MS   how far matched epochs may lie apart (default 5 ms)\n"
    "  --from T, --to T the range: hh:mm:ss[.sss], the first such time at or after\n"
    "                   the log's first epoch, or YYYY-MM-DDThh:mm:ss[.sss][Z]\n"
    "  --fix all|3d|rtk the fixes counted: any, 3D and better, RTK fixed only\n"
    "  --json           print the statistics as JSON (keys: orvane-stats(1))\n"
    "  --csv FILE       also write one row per epoch of the range to FILE\n"
    "  --kml FILE       also write the track of the range's fixes to FILE as KML,\n"
    "                   one line colour per fix kind ('-': standard output,\n"
    "                   instead of the report)\n"
    "  --help           show this text\n"
    "  --version        show the version\n"
    "Percentiles are by nearest rank.\n"
    "Exit status: 0 done, 1 an input cannot be read or an output not written,\n"
    "2 bad arguments, 3 no fix in the range.\n";

struct Options {
    std::string path, referenceLog, csv, kml;
    bool json = false;
    std::string from, to;
    std::optional<GeodeticPoint> point;
    FixFilter filter = FixFilter::All;
    int32_t tolerance = 5;
};

// hh:mm:ss[.sss] as milliseconds of the day, or YYYY-MM-DDThh:mm:ss[.sss]
// as milliseconds since 1970 (date set).
bool ParseTime(std::string_view text, int64_t& ms, bool& dated)
{
    dated = false;
    int64_t days = 0;
    if (text.size() > 11 && text[10] == 'T') {
        int year = 0, month = 0, day = 0;
        if (std::sscanf(std::string(text.substr(0, 10)).c_str(), "%4d-%2d-%2d", &year, &month, &day) != 3 ||
            month < 1 || month > 12 || day < 1 || day > 31 || year < 1980 || year > 9999)
            return false;
        days = DaysFromDate({uint16_t(year), uint8_t(month), uint8_t(day)});
        text.remove_prefix(11);
        if (!text.empty() && text.back() == 'Z')
            text.remove_suffix(1);
        dated = true;
    }
    if (text.size() < 8 || text[2] != ':' || text[5] != ':')
        return false;
    double seconds = 0;
    int hours = 0, minutes = 0;
    if (!std::from_chars(text.data(), text.data() + 2, hours).ptr ||
        std::from_chars(text.data(), text.data() + 2, hours).ptr != text.data() + 2 ||
        std::from_chars(text.data() + 3, text.data() + 5, minutes).ptr != text.data() + 5 ||
        !ParseFiniteNumber(text.substr(6), seconds) || hours > 23 || minutes > 59 || seconds < 0 || seconds >= 61)
        return false;
    ms = days * 86400000 + (hours * 60 + minutes) * 60000 + std::llround(seconds * 1000);
    return true;
}

int BadArguments(const std::string& message)
{
    std::fprintf(stderr, "orvane-stats: %s (see --help)\n", message.c_str());
    return 2;
}

bool ReadLog(const std::string& path, LoadedLog& mapped, std::string& copy, std::string_view& text)
{
    std::string reason;
    const bool fromStdin = path == "-";
    const bool read = fromStdin ? ReadLogStream(STDIN_FILENO, copy, reason) : ReadLogFile(path, true, mapped, reason);
    if (!read) {
        std::fprintf(stderr, "orvane-stats: cannot read %s: %s\n",
            fromStdin ? "standard input" : ("'" + path + "'").c_str(), reason.c_str());
        return false;
    }
    text = fromStdin ? std::string_view(copy) : mapped.View();
    return true;
}

// The range's end on the log's time line.
int64_t Place(int64_t ms, bool dated, const TimeLine& line)
{
    constexpr int64_t kDay = 86400000;
    if (dated && line.dated)
        return ms;
    if (dated)
        ms %= kDay;
    const int64_t first = line.ms.empty() ? 0 : line.ms.front();
    const int64_t base = (first >= 0 ? first / kDay : (first - kDay + 1) / kDay) * kDay;
    int64_t placed = base + ms;
    if (placed < first)
        placed += kDay;
    return placed;
}

bool Write(const std::string& text, std::FILE* file)
{
    return std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("orvane-stats %s\n", ORVANE_VERSION);
        return 0;
    }
    Options options;
    bool havePath = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string_view value;
        bool missing = false;
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--json") {
            options.json = true;
        } else if (TakeValue(arg, "--reference-log", argc, argv, i, value, missing)) {
            if (missing || value.empty())
                return BadArguments("--reference-log needs a log");
            options.referenceLog = value;
        } else if (TakeValue(arg, "--reference", argc, argv, i, value, missing)) {
            GeodeticPoint point;
            if (missing || !ParseGeodeticPoint(value, point))
                return BadArguments("--reference needs LAT,LON or LAT,LON,HEIGHT in degrees and metres");
            options.point = point;
        } else if (TakeValue(arg, "--from", argc, argv, i, value, missing)) {
            if (missing)
                return BadArguments("--from needs a time");
            options.from = value;
        } else if (TakeValue(arg, "--to", argc, argv, i, value, missing)) {
            if (missing)
                return BadArguments("--to needs a time");
            options.to = value;
        } else if (TakeValue(arg, "--fix", argc, argv, i, value, missing)) {
            if (value == "all" && !missing)
                options.filter = FixFilter::All;
            else if (value == "3d" && !missing)
                options.filter = FixFilter::ThreeD;
            else if (value == "rtk" && !missing)
                options.filter = FixFilter::RtkFixed;
            else
                return BadArguments("--fix takes all, 3d or rtk");
        } else if (TakeValue(arg, "--tolerance", argc, argv, i, value, missing)) {
            double ms = 0;
            if (missing || !ParseFiniteNumber(value, ms) || ms < 0 || ms > 60000)
                return BadArguments("--tolerance needs milliseconds from 0 to 60000");
            options.tolerance = int32_t(ms);
        } else if (TakeValue(arg, "--csv", argc, argv, i, value, missing)) {
            if (missing || value.empty())
                return BadArguments("--csv needs an output file");
            options.csv = value;
        } else if (TakeValue(arg, "--kml", argc, argv, i, value, missing)) {
            if (missing || value.empty())
                return BadArguments("--kml needs an output file");
            options.kml = value;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return BadArguments("unknown option '" + std::string(arg) + "'");
        } else {
            if (havePath)
                return BadArguments("only one FILE may be given");
            options.path = arg;
            havePath = true;
        }
    }
    if (!havePath)
        return BadArguments("a FILE to read is needed");
    if (options.csv == "-" && options.kml == "-")
        return BadArguments("--csv and --kml cannot both write to standard output");
    if (options.point && !options.referenceLog.empty())
        return BadArguments("--reference and --reference-log exclude each other");
    int64_t from = 0, to = 0;
    bool fromDated = false, toDated = false;
    if (!options.from.empty() && !ParseTime(options.from, from, fromDated))
        return BadArguments("--from needs hh:mm:ss[.sss] or YYYY-MM-DDThh:mm:ss[.sss]");
    if (!options.to.empty() && !ParseTime(options.to, to, toDated))
        return BadArguments("--to needs hh:mm:ss[.sss] or YYYY-MM-DDThh:mm:ss[.sss]");
    if (options.path == "-" && ::isatty(STDIN_FILENO))
        return BadArguments("standard input is a terminal");

    LoadedLog mapped, referenceMapped;
    std::string copy, referenceCopy;
    std::string_view text, referenceText;
    if (!ReadLog(options.path, mapped, copy, text))
        return 1;
    const EpochLog log = ReadEpochs(text);
    EpochLog reference;
    if (!options.referenceLog.empty()) {
        if (!ReadLog(options.referenceLog, referenceMapped, referenceCopy, referenceText))
            return 1;
        reference = ReadEpochs(referenceText);
    }

    StatsOptions stats;
    stats.filter = options.filter;
    stats.matchToleranceMs = options.tolerance;
    if (options.point) {
        stats.reference = ReferenceKind::Point;
        stats.point = *options.point;
    } else if (!options.referenceLog.empty()) {
        stats.reference = ReferenceKind::Log;
        stats.referenceLog = &reference;
    }
    const TimeLine line = MakeTimeLine(log);
    if (!options.from.empty())
        stats.fromMs = Place(from, fromDated, line);
    if (!options.to.empty()) {
        stats.toMs = Place(to, toDated, line);
        if (stats.fromMs && *stats.toMs < *stats.fromMs && !toDated)
            *stats.toMs += 86400000;
    }
    const ReceiverStats result = ComputeStats(log, stats);

    ReportContext context;
    context.file = options.path;
    context.referenceLog = options.referenceLog;
    context.log = &log;
    context.options = &stats;
    if (!options.csv.empty()) {
        std::FILE* file = options.csv == "-" ? stdout : std::fopen(options.csv.c_str(), "wb");
        if (!file || !Write(EpochsCsv(result, context), file) || (file != stdout && std::fclose(file) != 0)) {
            std::fprintf(stderr, "orvane-stats: cannot write '%s'\n", options.csv.c_str());
            return 1;
        }
    }
    if (!options.kml.empty()) {
        std::FILE* file = options.kml == "-" ? stdout : std::fopen(options.kml.c_str(), "wb");
        const std::string kml = EpochsKml(log, result.firstEpoch, result.endEpoch, stats.filter, options.path);
        if (!file || !Write(kml, file) || (file != stdout && std::fclose(file) != 0)) {
            std::fprintf(stderr, "orvane-stats: cannot write '%s'\n", options.kml.c_str());
            return 1;
        }
    }
    if (options.csv != "-" && options.kml != "-" &&
        !Write(options.json ? StatsJson(result, context) : StatsText(result, context), stdout)) {
        std::fprintf(stderr, "orvane-stats: cannot write the output\n");
        return 1;
    }
    if (result.availability.withFix == 0) {
        std::fprintf(stderr, "orvane-stats: no fix in the range\n");
        return 3;
    }
    return 0;
}
