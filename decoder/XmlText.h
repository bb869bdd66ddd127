// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text for the XML files written for other tools (GPX, KML).

#include <string>
#include <string_view>

namespace orvane {

// The text as XML 1.0 can hold it: control characters and bytes that are
// not UTF-8 become '?'.
std::string CleanText(std::string_view text);

// Appends text as character data: '&', '<', '>' and '"' as entities.
void AppendXmlText(std::string& out, std::string_view text);

}  // namespace orvane
