// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a receiver fares with RTK corrections while they come: it reads the
// receiver's live text into epochs and notes when corrections arrive, both
// on the caller's clock (milliseconds, running forward), and keeps
//
//   - the fix-type timeline: stretches of epochs of one fix kind;
//   - the fixed and float shares of the epochs so far;
//   - the correction age of the latest GGA;
//   - the time from the first correction to the first RTK fixed epoch;
//   - after each gap in the corrections (none for longer than the gap
//     time), the time from their return to the next RTK fixed epoch.
//
// An epoch's time is when the text that closed it was handed in: the
// reader closes an epoch when the next one's first sentence comes, so the
// figures are as fine as the caller's ticks and lag by one epoch period.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "ReceiverStats.h"
#include "decoder/Epochs.h"

namespace orvane {

struct FixStretch {
    int64_t fromMs = 0, toMs = 0;  // the first and last epoch's time
    FixClass fix = FixClass::None;
    size_t epochs = 0;
};

class RtkProgress {
public:
    static constexpr int64_t kDefaultGapMs = 5000;
    // The timeline keeps the latest stretches, at most this many.
    static constexpr size_t kMaxStretches = 10000;

    explicit RtkProgress(int64_t gapMs = kDefaultGapMs);
    ~RtkProgress();

    // The receiver's text of one tick, handed in at nowMs.
    void FeedText(std::string_view text, int64_t nowMs);
    // Corrections reached the receiver at nowMs.
    void NoteCorrections(int64_t nowMs);
    // Forgets everything.
    void Reset();

    const std::vector<FixStretch>& Timeline() const { return m_Timeline; }
    size_t Epochs() const { return m_Epochs; }
    double FixedShare() const { return m_Epochs ? double(m_Fixed) / double(m_Epochs) : 0; }
    double FloatShare() const { return m_Epochs ? double(m_Float) / double(m_Epochs) : 0; }
    // Seconds, from the latest GGA that gave one.
    std::optional<double> CorrectionAge() const { return m_CorrectionAge; }
    std::optional<double> FirstFixedSeconds() const { return m_FirstFixedSeconds; }
    // One per gap whose next fixed epoch came, in order.
    const std::vector<double>& RefixSeconds() const { return m_RefixSeconds; }
    size_t CorrectionGaps() const { return m_Gaps; }

private:
    void TakeEpochs(int64_t nowMs);
    void NoteEpoch(const Epoch& epoch, int64_t nowMs);

    int64_t m_GapMs;
    EpochLog m_Log;
    std::unique_ptr<EpochReader> m_Reader;
    std::vector<FixStretch> m_Timeline;
    size_t m_Epochs = 0, m_Fixed = 0, m_Float = 0;
    std::optional<double> m_CorrectionAge;
    std::optional<int64_t> m_FirstCorrectionMs, m_LastCorrectionMs;
    std::optional<double> m_FirstFixedSeconds;
    // The return of the corrections after a gap, until a fixed epoch comes.
    std::optional<int64_t> m_WaitingRefixFromMs;
    std::vector<double> m_RefixSeconds;
    size_t m_Gaps = 0;
};

}  // namespace orvane
