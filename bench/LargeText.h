// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The benchmarks' large log: 64 MiB of the generator's epochs, made once;
// a dispatcher state that replays it as the viewer does, and hooks that
// build the lines but keep none.

#include <cstddef>
#include <string>

#include "Generator.h"
#include "decoder/Tables.h"
#include "replay/DispatchHooks.h"
#include "replay/DispatchState.h"

inline constexpr size_t kLargeTextBytes = size_t(64) << 20;

// 64 MiB of epochs of the generator writing the NMEA version given.
inline std::string GeneratedText(orvane::loggen::NmeaVersion version)
{
    std::string out;
    out.reserve(kLargeTextBytes + 4096);
    orvane::loggen::Generator generator(orvane::loggen::kDefaultSeed, version);
    while (out.size() < kLargeTextBytes)
        generator.AppendEpoch(out);
    return out;
}

inline const std::string& LargeText()
{
    static const std::string text = GeneratedText(orvane::loggen::NmeaVersion::V4_0);
    return text;
}

// The same size of a multi-band NMEA 4.11 receiver's epochs.
inline const std::string& LargeText411()
{
    static const std::string text = GeneratedText(orvane::loggen::NmeaVersion::V4_11);
    return text;
}

// Lines are built as in the viewer but go nowhere.
class DiscardingHooks : public orvane::DispatchHooks {
public:
    explicit DiscardingHooks(int messageRow = orvane::kRmcRow) : m_MessageRow(messageRow) { }
    void AppendLine(std::string_view line) override { m_Bytes += line.size(); }
    int SelectedMessageRow() const override { return m_MessageRow; }
    size_t m_Bytes = 0;

private:
    int m_MessageRow;
};

// The state of a viewer that has loaded text and pressed Run, GP chosen.
inline void LoadForReplay(orvane::DispatchState& dispatch, const std::string& text)
{
    dispatch.NmeaText = text;
    dispatch.NmeaTextLength = int32_t(text.size());
    dispatch.m_Loaded = true;
    dispatch.m_Running = true;
    dispatch.m_TalkerRow = 0;
}
