// SPDX-License-Identifier: GPL-3.0-or-later
#include "RtkProgress.h"

#include <cmath>

namespace orvane {

namespace {

// The reader's records are dropped once so many epochs were taken from
// them, so that a session of days keeps a bounded log.
constexpr size_t kMaxKeptEpochs = 4096;

}  // namespace

RtkProgress::RtkProgress(int64_t gapMs) : m_GapMs(gapMs), m_Reader(std::make_unique<EpochReader>(m_Log)) { }

RtkProgress::~RtkProgress() = default;

void RtkProgress::Reset()
{
    m_Reader.reset();
    m_Log = {};
    m_Reader = std::make_unique<EpochReader>(m_Log);
    m_Timeline.clear();
    m_Epochs = m_Fixed = m_Float = 0;
    m_CorrectionAge.reset();
    m_FirstCorrectionMs.reset();
    m_LastCorrectionMs.reset();
    m_FirstFixedSeconds.reset();
    m_WaitingRefixFromMs.reset();
    m_RefixSeconds.clear();
    m_Gaps = 0;
}

void RtkProgress::FeedText(std::string_view text, int64_t nowMs)
{
    m_Reader->Feed(text);
    TakeEpochs(nowMs);
    if (m_Log.epochs.size() >= kMaxKeptEpochs) {
        // A fresh reader: the epoch still open is closed now and counted
        // once; its later sentences of the same time make one more epoch.
        m_Reader->Finish();
        TakeEpochs(nowMs);
        m_Reader.reset();
        m_Log = {};
        m_Reader = std::make_unique<EpochReader>(m_Log);
    }
}

void RtkProgress::TakeEpochs(int64_t nowMs)
{
    for (const Epoch& epoch : m_Log.epochs)
        NoteEpoch(epoch, nowMs);
    m_Log.epochs.clear();
}

void RtkProgress::NoteCorrections(int64_t nowMs)
{
    if (!m_FirstCorrectionMs)
        m_FirstCorrectionMs = nowMs;
    if (m_LastCorrectionMs && nowMs - *m_LastCorrectionMs > m_GapMs) {
        ++m_Gaps;
        m_WaitingRefixFromMs = nowMs;
    }
    m_LastCorrectionMs = nowMs;
}

void RtkProgress::NoteEpoch(const Epoch& epoch, int64_t nowMs)
{
    if (epoch.quality < 0)
        return;  // no GGA: the fix kind is not known
    const FixClass fix = ClassOf(epoch);
    ++m_Epochs;
    if (fix == FixClass::RtkFixed)
        ++m_Fixed;
    else if (fix == FixClass::RtkFloat)
        ++m_Float;
    if (!std::isnan(epoch.correctionAge))
        m_CorrectionAge = double(epoch.correctionAge);
    else
        m_CorrectionAge.reset();

    if (!m_Timeline.empty() && m_Timeline.back().fix == fix) {
        m_Timeline.back().toMs = nowMs;
        ++m_Timeline.back().epochs;
    } else {
        if (m_Timeline.size() >= kMaxStretches)
            m_Timeline.erase(m_Timeline.begin());
        m_Timeline.push_back(FixStretch{nowMs, nowMs, fix, 1});
    }

    if (fix != FixClass::RtkFixed)
        return;
    if (m_FirstCorrectionMs && !m_FirstFixedSeconds)
        m_FirstFixedSeconds = double(nowMs - *m_FirstCorrectionMs) / 1000.0;
    if (m_WaitingRefixFromMs) {
        m_RefixSeconds.push_back(double(nowMs - *m_WaitingRefixFromMs) / 1000.0);
        m_WaitingRefixFromMs.reset();
    }
}

}  // namespace orvane
