#pragma once
// The readable line of each decoded sentence, and the dispatcher's error
// lines. Lines hold one character per byte.

#include <cstdint>
#include <string>
#include <string_view>

#include "decoder/Records.h"

namespace orvane {

std::string GgaLine(const GgaRecord& record);
std::string GllLine(const GllRecord& record);
std::string GsaLine(const GsaRecord& record);
std::string RmcLine(const RmcRecord& record);
std::string VtgLine(const VtgRecord& record);
std::string ZdaLine(const ZdaRecord& record);

// "[ZDA] Invalid Data (position/length)".
std::string ZdaInvalidLine(int32_t position, int32_t length);

}  // namespace orvane
