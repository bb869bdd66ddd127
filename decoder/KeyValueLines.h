// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes "key=value" lines, "-" for a value that is not known: the text of
// orvane-decode --summary.

#include <optional>
#include <string>
#include <string_view>

#include "TextFormat.h"

namespace orvane {

class KeyValueLines {
public:
    explicit KeyValueLines(std::string& out) : m_Out(out) { }

    // "key=" and the text the writer appends, or "-" when it is not known.
    template <class Writer>
    void Add(std::string_view key, bool known, Writer write)
    {
        m_Out.append(key);
        m_Out.push_back('=');
        if (known)
            write(m_Out);
        else
            m_Out.push_back('-');
        m_Out.push_back('\n');
    }
    void AddFixed(std::string_view key, bool known, double value, int precision)
    {
        Add(key, known, [&](std::string& out) { AppendFixed(out, value, precision); });
    }
    void AddInt(std::string_view key, bool known, long long value)
    {
        Add(key, known, [&](std::string& out) { AppendInt(out, value); });
    }
    // A field of a report, known when the report came and gave it.
    void AddFixed(std::string_view key, bool reported, const std::optional<double>& value, int precision)
    {
        AddFixed(key, reported && value.has_value(), value.value_or(0), precision);
    }
    void AddInt(std::string_view key, bool reported, const std::optional<int32_t>& value)
    {
        AddInt(key, reported && value.has_value(), value.value_or(0));
    }
    void AddLetter(std::string_view key, bool reported, const std::optional<char>& letter)
    {
        Add(key, reported && letter.has_value(), [&](std::string& out) { out.push_back(*letter); });
    }

private:
    std::string& m_Out;
};

}  // namespace orvane
