// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The option reading the command-line tools share.

#include <charconv>
#include <cmath>
#include <string_view>

namespace orvane {

// "--name VALUE" or "--name=VALUE": true when arg is the option name, with
// its value in value; a separate value advances i past it, and a name at
// the end of the line sets missing instead.
inline bool TakeValue(std::string_view arg, std::string_view name, int argc, char** argv, int& i,
    std::string_view& value, bool& missing)
{
    missing = false;
    if (arg == name) {
        if (i + 1 >= argc) {
            missing = true;
            return true;
        }
        value = argv[++i];
        return true;
    }
    if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

// The whole text as a finite decimal number.
inline bool ParseFiniteNumber(std::string_view text, double& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

}  // namespace orvane
