// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-decode: decodes a log as one live tick of the viewer would and
// prints every line the text view would receive, oldest first.

#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "DecodeOptions.h"
#include "LineWriter.h"
#include "TrackFiles.h"
#include "decoder/SummaryText.h"
#include "decoder/Tables.h"
#include "decoder/TextFormat.h"
#include "replay/Dispatcher.h"
#include "replay/LogText.h"

namespace {

using namespace orvane;

class PrintingHooks : public DispatchHooks {
public:
    PrintingHooks(LineWriter& out, int messageRow) : m_Out(out), m_MessageRow(messageRow) { }
    void AppendLine(std::string_view line) override { m_Out.WriteLine(line); }
    int SelectedMessageRow() const override { return m_MessageRow; }

private:
    LineWriter& m_Out;
    int m_MessageRow;
};

void PrintSatelliteTable(const SatelliteTable& table, LineWriter& out)
{
    std::string line;
    for (int row = 0; row < kTalkerCount; ++row) {
        const auto& used = table.entries[size_t(row)];
        for (int k = 0; k < kGsvMaxSatellites && used[size_t(k)].prn != 0; ++k) {
            const GsvSatellite& satellite = used[size_t(k)];
            line.assign("SAT,");
            line.append(TalkerTable[size_t(row)].id);
            for (const long long value : {(long long)k, (long long)satellite.prn, (long long)satellite.elevation,
                     (long long)satellite.azimuth, (long long)satellite.snr}) {
                line.push_back(',');
                AppendInt(line, value);
            }
            out.WriteLine(line);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::printf("orvane-decode %s\n", ORVANE_VERSION);
        return 0;
    }
    DecodeOptions options;
    std::string message;
    switch (ParseDecodeOptions(argc, argv, options, message)) {
    case OptionsResult::Help:
        std::fputs(kDecodeUsage, stdout);
        return 0;
    case OptionsResult::Error:
        std::fprintf(stderr, "orvane-decode: %s (see --help)\n", message.c_str());
        return 2;
    case OptionsResult::Run:
        break;
    }

    // Without FILE on a terminal, the user most likely forgot a name (the
    // output file's name taken as the log's): say how to call it instead of
    // waiting for typed input.
    if (options.path.empty() && ::isatty(STDIN_FILENO)) {
        std::fputs(kDecodeUsage, stderr);
        return 2;
    }
    if (!TrackFilesSpareInput(options, message)) {
        std::fprintf(stderr, "orvane-decode: %s\n", message.c_str());
        return 2;
    }

    std::string reason;
    const bool fromStdin = options.path.empty() || options.path == "-";
    // A file is mapped where it can be; standard input is read into a copy.
    std::string copy;
    LoadedLog log;
    const bool read =
        fromStdin ? ReadLogStream(STDIN_FILENO, copy, reason) : ReadLogFile(options.path, false, log, reason);
    if (!read) {
        std::fprintf(stderr, "orvane-decode: cannot read %s: %s\n",
            fromStdin ? "standard input" : ("'" + options.path + "'").c_str(), reason.c_str());
        return 1;
    }

    const std::string_view text = fromStdin ? std::string_view(copy) : log.View();
    if (!options.gpxPath.empty() || !options.geoJsonPath.empty())
        return WriteTrackFiles(options, text);
    if (options.summary || options.sky) {
        // The summary follows the whole text, as the viewer's ticks would.
        FixSummary summary;
        summary.Consume(text, 0, text.size());
        const std::string text =
            (options.summary ? SummaryText(summary) : std::string()) + (options.sky ? SkyText(summary) : std::string());
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "orvane-decode: cannot write the output\n");
            return 1;
        }
        return 0;
    }

    // One live tick over the whole text, without the summary.
    LineWriter out(stdout);
    PrintingHooks hooks(out, options.messageRow);
    DecodeCursor cursor;
    cursor.m_TalkerRow = options.talkerRow;
    const DispatchOptions tick{.m_Online = true, .m_SignalsShown = options.satellites};
    if (!text.empty()) {
        while (DispatchSentences(text, cursor, tick, hooks)) { }
    }
    if (options.satellites)
        PrintSatelliteTable(cursor.m_SatelliteTable, out);

    if (!out.Finish()) {
        std::fprintf(stderr, "orvane-decode: cannot write the output\n");
        return 1;
    }
    return 0;
}
