// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The readable line of each decoded sentence, and the dispatcher's error
// lines. Lines hold one character per byte.

#include <cstdint>
#include <string>
#include <string_view>

#include "decoder/Records.h"

namespace orvane {

// Each writes its line into line, in place of what it held: a caller that
// keeps the string builds line after line without allocating.
void DisplayLine(const GgaRecord& record, std::string& line);
void DisplayLine(const GllRecord& record, std::string& line);
void DisplayLine(const GsaRecord& record, std::string& line);
void DisplayLine(const RmcRecord& record, std::string& line);
void DisplayLine(const VtgRecord& record, std::string& line);
void DisplayLine(const ZdaRecord& record, std::string& line);

// "[ZDA] Invalid Data (position/length)".
std::string ZdaInvalidLine(int32_t position, int32_t length);

}  // namespace orvane
