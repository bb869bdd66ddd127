// SPDX-License-Identifier: GPL-3.0-or-later
// Decoder and dispatcher benchmarks. The large text is a 64 MiB log from the
// deterministic simulator, so every run measures the same bytes.
//
//   build/bench/orvane-bench                    # everything
//   build/bench/orvane-bench --benchmark_filter=Rmc

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "LargeText.h"
#include "decoder/FindSentence.h"
#include "decoder/GsvPass.h"
#include "decoder/Parsers.h"
#include "decoder/Tables.h"
#include "replay/Dispatcher.h"
#include "replay/DisplayLines.h"

namespace {

using namespace orvane;

// The baseline: a plain substring scan for every "$GPRMC".
void BM_StringViewFindBaseline(benchmark::State& state)
{
    const std::string_view text = LargeText();
    for (auto _ : state) {
        size_t count = 0;
        for (size_t p = text.find("$GPRMC"); p != std::string_view::npos; p = text.find("$GPRMC", p + 1))
            ++count;
        benchmark::DoNotOptimize(count);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_StringViewFindBaseline)->Unit(benchmark::kMillisecond);

// Locating and parsing every GP RMC of the large text.
void BM_LocateAndParseRmc(benchmark::State& state)
{
    const std::string_view text = LargeText();
    for (auto _ : state) {
        size_t parsed = 0;
        std::string_view sentence;
        RmcRecord record;
        for (int32_t p = 0; (p = FindSentence(text, p, 0, kRmcRow, sentence)) > 0;)
            parsed += ParseRmc(sentence, record) == 0;
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_LocateAndParseRmc)->Unit(benchmark::kMillisecond);

// The large text as a receiver of NMEA 4.10 or later writes it: each GSV set
// twice, first with signal ID 1 after its last satellite, then with signal
// ID 7, each sentence with its checksum.
const std::string& TwoSignalText()
{
    static const std::string text = [] {
        const std::string& plain = LargeText();
        std::string out;
        out.reserve(plain.size() * 3 / 2);
        std::vector<std::string_view> set;  // the sentences of the GSV set being read, without "*" and line end
        const auto flush = [&out, &set] {
            for (const char signal : {'1', '7'}) {
                for (const std::string_view sentence : set) {
                    const size_t begin = out.size();
                    out.append(sentence).append(",").push_back(signal);
                    unsigned sum = 0;
                    for (const char c : std::string_view(out).substr(begin + 1))
                        sum ^= static_cast<unsigned char>(c);
                    char tail[8];
                    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
                    out.append(tail);
                }
            }
            set.clear();
        };
        for (size_t begin = 0; begin < plain.size();) {
            size_t end = plain.find('\n', begin);
            end = end == std::string::npos ? plain.size() : end + 1;
            const std::string_view line = std::string_view(plain).substr(begin, end - begin);
            const size_t star = line.find('*');
            const bool gsv = line.size() > 6 && line.substr(3, 3) == "GSV" && star != std::string_view::npos;
            if (!set.empty() && (!gsv || line.substr(0, 6) != set.front().substr(0, 6)))
                flush();
            if (gsv)
                set.push_back(line.substr(0, star));
            else
                out.append(line);
            begin = end;
        }
        flush();
        return out;
    }();
    return text;
}

// One live tick over the whole text: every GP sentence of the type is shown.
void DispatchWholeText(benchmark::State& state, const std::string& text, int messageRow, bool signalsShown)
{
    BenchDispatch dispatch(text, true);
    dispatch.options.m_SignalsShown = signalsShown;
    DiscardingHooks hooks(messageRow);
    for (auto _ : state) {
        dispatch.cursor.m_ParsePosition = 0;
        while (dispatch.Call(hooks)) { }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_DispatchRmc(benchmark::State& state)
{
    DispatchWholeText(state, LargeText(), kRmcRow, false);
}
BENCHMARK(BM_DispatchRmc)->Unit(benchmark::kMillisecond);

void BM_DispatchGsaWithGsvPass(benchmark::State& state)
{
    DispatchWholeText(state, LargeText(), kGsaRow, true);
}
BENCHMARK(BM_DispatchGsaWithGsvPass)->Unit(benchmark::kMillisecond);

// The same over the text whose GSV sets each come twice, for two signals.
void BM_DispatchGsaWithGsvPassTwoSignals(benchmark::State& state)
{
    DispatchWholeText(state, TwoSignalText(), kGsaRow, true);
}
BENCHMARK(BM_DispatchGsaWithGsvPassTwoSignals)->Unit(benchmark::kMillisecond);

// A simulator log of at least the given size in which every 1000th sentence
// is a broken GP GSA. In a live tick each such error ends a dispatcher call
// and the next call goes on after it, so the tick makes one call per 1000
// sentences, each with its own GSV pass.
std::string TextWithGsaErrors(size_t bytes)
{
    constexpr std::string_view kBrokenGsa = "$GPGSA,A,3,04,05*00\r\n";
    std::string out;
    out.reserve(bytes + 4096);
    std::string epoch;
    loggen::Generator generator;
    size_t sentences = 0;
    while (out.size() < bytes) {
        epoch.clear();
        generator.AppendEpoch(epoch);
        for (size_t begin = 0; begin < epoch.size();) {
            const size_t end = epoch.find('\n', begin) + 1;
            out.append(epoch, begin, end - begin);
            begin = end;
            if (++sentences % 1000 == 999) {
                out.append(kBrokenGsa);
                ++sentences;
            }
        }
    }
    return out;
}

// One live tick of GP GSA with the signals shown over a text of Arg MiB with
// one error per 1000 sentences. The cost per MB should not grow with the
// size: time_per_MB (CPU time per 10^6 bytes) at 16 and at 64 MiB should be
// about equal.
void BM_DispatchGsaWithErrors(benchmark::State& state)
{
    const std::string text = TextWithGsaErrors(size_t(state.range(0)) << 20);
    BenchDispatch dispatch(text, true);
    dispatch.options.m_SignalsShown = true;
    DiscardingHooks hooks(kGsaRow);
    int64_t calls = 0;
    for (auto _ : state) {
        dispatch.cursor.m_ParsePosition = 0;
        for (calls = 1; dispatch.Call(hooks); ++calls) { }
    }
    const double megabytes = double(text.size()) / 1e6;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["calls"] = double(calls);
    state.counters["time_per_MB"] =
        benchmark::Counter(megabytes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DispatchGsaWithErrors)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

// One replay tick with the signals shown, at the start and at the end of
// the large text. Each starts just after a GP RMC, so the tick shows the
// next one and merges the one epoch of GSV sentences between them; the pass
// stops at the sentence just shown, so where the tick lies does not matter.
void ReplayTickAt(benchmark::State& state, const std::string& text, double share)
{
    BenchDispatch dispatch(text, false);
    dispatch.options.m_SignalsShown = true;
    DiscardingHooks hooks(kRmcRow);
    std::string_view sentence;
    const int32_t start = FindSentence(text, int32_t(share * double(text.size())), 0, kRmcRow, sentence);
    for (auto _ : state) {
        dispatch.cursor.m_ParsePosition = start;
        benchmark::DoNotOptimize(dispatch.Call(hooks));
    }
}

void BM_ReplayTickAtStart(benchmark::State& state)
{
    ReplayTickAt(state, LargeText(), 0.0);
}
BENCHMARK(BM_ReplayTickAtStart)->Unit(benchmark::kMicrosecond);

void BM_ReplayTickAtEnd(benchmark::State& state)
{
    ReplayTickAt(state, LargeText(), 0.99);
}
BENCHMARK(BM_ReplayTickAtEnd)->Unit(benchmark::kMicrosecond);

// The same at the start of the text whose GSV sets each come twice.
void BM_ReplayTickTwoSignals(benchmark::State& state)
{
    ReplayTickAt(state, TwoSignalText(), 0.0);
}
BENCHMARK(BM_ReplayTickTwoSignals)->Unit(benchmark::kMicrosecond);

// Single sentences.
constexpr std::string_view kGga = "$GPGGA,092725.00,4717.11399,N,00833.91590,E,1,08,1.01,499.6,M,48.0,M,,*5B";
constexpr std::string_view kGll = "$GPGLL,4717.11364,N,00833.91565,E,092321.00,A,A*60";
constexpr std::string_view kGsa = "$GPGSA,A,3,23,29,07,08,09,18,26,28,,,,,1.94,1.18,1.54*0D";
constexpr std::string_view kGsv = "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74";
constexpr std::string_view kRmc = "$GPRMC,083559.00,A,4717.11437,N,00833.91522,E,0.004,77.52,091202,,,A*57";
constexpr std::string_view kVtg = "$GPVTG,77.52,T,,M,0.004,N,0.008,K,A*06";
constexpr std::string_view kZda = "$GPZDA,082710.00,16,09,2002,00,00*64";

void BM_FindSentence(benchmark::State& state)
{
    const std::string text = std::string(kGsv) + "\r\n" + std::string(kGga) + "\r\n" + std::string(kRmc) + "\r\n";
    std::string_view out;
    for (auto _ : state)
        benchmark::DoNotOptimize(FindSentence(text, 0, 0, kRmcRow, out));
}
BENCHMARK(BM_FindSentence);

template <class Record>
void ParseOne(benchmark::State& state, int32_t (*parse)(std::string_view, Record&), std::string_view sentence)
{
    sentence = sentence.substr(0, sentence.find('*') + 1);
    Record record;
    for (auto _ : state) {
        benchmark::DoNotOptimize(parse(sentence, record));
        benchmark::ClobberMemory();
    }
}

BENCHMARK_CAPTURE(ParseOne, Gga, ParseGga, kGga);
BENCHMARK_CAPTURE(ParseOne, Gll, ParseGll, kGll);
BENCHMARK_CAPTURE(ParseOne, Gsa, ParseGsa, kGsa);
BENCHMARK_CAPTURE(ParseOne, Gsv, ParseGsv, kGsv);
BENCHMARK_CAPTURE(ParseOne, Rmc, ParseRmc, kRmc);
BENCHMARK_CAPTURE(ParseOne, Vtg, ParseVtg, kVtg);
BENCHMARK_CAPTURE(ParseOne, Zda, ParseZda, kZda);

// The line of one parsed sentence.
template <class Record>
void FormatOne(benchmark::State& state, int32_t (*parse)(std::string_view, Record&), std::string_view sentence)
{
    Record record;
    parse(sentence.substr(0, sentence.find('*') + 1), record);
    std::string line;
    for (auto _ : state) {
        DisplayLine(record, line);
        benchmark::DoNotOptimize(line.data());
    }
}

BENCHMARK_CAPTURE(FormatOne, Gga, ParseGga, kGga);
BENCHMARK_CAPTURE(FormatOne, Rmc, ParseRmc, kRmc);
BENCHMARK_CAPTURE(FormatOne, Vtg, ParseVtg, kVtg);

}  // namespace

BENCHMARK_MAIN();
