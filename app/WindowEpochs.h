// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The epochs the main window's charts and epoch exports read: those of the
// loaded log, read when first wanted and kept until another log is loaded
// or the log is purged, and those of the live session, read tick by tick
// from the session's text and kept until the next session starts.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "decoder/EpochStarts.h"
#include "decoder/Epochs.h"

namespace orvane {

class WindowEpochs {
public:
    WindowEpochs();

    // The loaded log's epochs and where each starts in text, read on the
    // first call after ForgetLog.
    const EpochsWithStarts& LogEpochs(std::string_view text);
    void ForgetLog();

    // A live session begins: the epochs of the last one go.
    void StartLive();
    void FeedLive(std::string_view text);
    // The session ended: its open epoch closes.
    void FinishLive();
    const EpochLog& LiveEpochs() const { return m_Live; }

private:
    std::optional<EpochsWithStarts> m_Log;
    EpochLog m_Live;
    std::optional<EpochReader> m_LiveReader;
};

}  // namespace orvane
