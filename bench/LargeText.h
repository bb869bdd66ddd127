// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The benchmarks' large log: 64 MiB of the generator's epochs, made once,
// and a dispatcher state that replays it as the viewer does.

#include <cstddef>
#include <string>

#include "Generator.h"
#include "replay/DispatchState.h"

inline constexpr size_t kLargeTextBytes = size_t(64) << 20;

inline const std::string& LargeText()
{
    static const std::string text = [] {
        std::string out;
        out.reserve(kLargeTextBytes + 4096);
        orvane::loggen::Generator generator;
        while (out.size() < kLargeTextBytes)
            generator.AppendEpoch(out);
        return out;
    }();
    return text;
}

// The state of a viewer that has loaded text and pressed Run, GP chosen.
inline void LoadForReplay(orvane::DispatchState& dispatch, const std::string& text)
{
    dispatch.NmeaText = text;
    dispatch.NmeaTextLength = int32_t(text.size());
    dispatch.m_Loaded = true;
    dispatch.m_Running = true;
    dispatch.m_TalkerRow = 0;
}
