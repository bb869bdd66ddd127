#pragma once
// The benchmarks' large log: 64 MiB of the generator's epochs, made once.

#include <cstddef>
#include <string>

#include "Generator.h"

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
