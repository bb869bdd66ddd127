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
void GgaLine(const GgaRecord& record, std::string& line);
void GllLine(const GllRecord& record, std::string& line);
void GsaLine(const GsaRecord& record, std::string& line);
void RmcLine(const RmcRecord& record, std::string& line);
void VtgLine(const VtgRecord& record, std::string& line);
void ZdaLine(const ZdaRecord& record, std::string& line);

// "[ZDA] Invalid Data (position/length)".
std::string ZdaInvalidLine(int32_t position, int32_t length);

}  // namespace orvane
