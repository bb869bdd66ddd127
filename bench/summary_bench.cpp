// SPDX-License-Identifier: GPL-3.0-or-later
// The fix summary's cost, on the same 64 MiB simulator log as orvane-bench:
//
//   build/bench/orvane-summary-bench
//
// BM_ReplayTick: one replay tick of GP RMC in the middle of the log, with
// the signals shown or not (signals:) and the summary on or off (summary:).
// BM_LiveTickBurst: one live tick of GP RMC over the 500 000 bytes a
// 5 MB/s source brings in 100 ms, with the signals shown, summary on or off.
// BM_SummaryWholeText: the summary alone over the whole log.

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "LargeText.h"
#include "decoder/FindSentence.h"
#include "decoder/FixSummary.h"
#include "decoder/Tables.h"
#include "replay/Dispatcher.h"

namespace {

using namespace orvane;

constexpr size_t kBurstBytes = 5'000'000 / 10;

// Replay ticks one after another from the middle of the log, as the
// replay timer runs them; "view" also brings the summary up to date after
// each tick, as the Sky View does while shown.
void BM_ReplayTick(benchmark::State& state)
{
    const std::string& text = LargeText();
    BenchDispatch dispatch(text, false);
    dispatch.options.m_SignalsShown = state.range(0) != 0;
    if (state.range(1) == 0)
        dispatch.options.m_FixSummary = nullptr;
    const bool view = state.range(2) != 0;
    DiscardingHooks hooks;
    std::string_view sentence;
    const int32_t start = FindSentence(text, int32_t(text.size() / 2), 0, kRmcRow, sentence);
    dispatch.cursor.m_ParsePosition = start;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dispatch.Call(hooks));
        if (view)
            CatchUpFixSummary(dispatch.text, dispatch.cursor, dispatch.summary);
        if (dispatch.cursor.m_ParsePosition < 0) {
            state.PauseTiming();
            dispatch.cursor.m_ParsePosition = start;
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_ReplayTick)
    ->ArgNames({"signals", "summary", "view"})
    ->Args({0, 0, 0})
    ->Args({0, 1, 0})
    ->Args({0, 1, 1})
    ->Args({1, 0, 0})
    ->Args({1, 1, 0})
    ->Args({1, 1, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_LiveTickBurst(benchmark::State& state)
{
    // Whole lines, as the line assembler passes them on.
    const std::string& text = LargeText();
    const size_t begin = text.find('\n', text.size() / 2) + 1;
    const size_t end = text.find('\n', begin + kBurstBytes) + 1;
    const std::string burst = text.substr(begin, end - begin);
    BenchDispatch dispatch(burst, true);
    dispatch.options.m_SignalsShown = true;
    if (state.range(0) == 0)
        dispatch.options.m_FixSummary = nullptr;
    DiscardingHooks hooks;
    for (auto _ : state) {
        dispatch.cursor.m_ParsePosition = 0;
        while (dispatch.Call(hooks)) { }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(burst.size()));
}
BENCHMARK(BM_LiveTickBurst)->ArgName("summary")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The summary alone over 64 MiB: of today's generated log (0), and of a
// multi-band NMEA 4.11 receiver's (1), whose per-signal sets and extra
// sentences must cost about the same per byte.
void BM_SummaryWholeText(benchmark::State& state)
{
    const std::string& text = state.range(0) == 0 ? LargeText() : LargeText411();
    for (auto _ : state) {
        FixSummary summary;
        summary.Consume(text, 0, text.size());
        benchmark::DoNotOptimize(summary.SatellitesInView());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_SummaryWholeText)->ArgName("nmea411")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
