// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The decoder's texts (one character per byte) as text for a widget.

#include <QString>

#include <string_view>

namespace orvane {

inline QString Latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

}  // namespace orvane
