// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The benchmarks' large log: 64 MiB of the generator's epochs, made once;
// a dispatcher over a text as the viewer runs it, and hooks that build
// the lines but keep none.

#include <cstddef>
#include <string>
#include <string_view>

#include "Generator.h"
#include "decoder/Tables.h"
#include "replay/Dispatcher.h"

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

// The dispatcher's text, cursor and options, GP chosen: of a viewer that
// has loaded the text and pressed Run, or of a live tick over it; the fix
// summary on.
struct BenchDispatch {
    BenchDispatch(std::string_view nmeaText, bool online) : text(nmeaText)
    {
        cursor.m_TalkerRow = 0;
        options.m_Online = online;
        options.m_Loaded = !online;
        options.m_FixSummary = &summary;
    }
    BenchDispatch(const BenchDispatch&) = delete;
    BenchDispatch& operator=(const BenchDispatch&) = delete;

    orvane::DispatchResult Call(orvane::DispatchHooks& hooks)
    {
        return orvane::DispatchSentences(text, cursor, options, hooks);
    }

    std::string_view text;
    orvane::DecodeCursor cursor;
    orvane::FixSummary summary;
    orvane::DispatchOptions options;
};
