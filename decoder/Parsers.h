// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sentence parsers. Each takes one sentence as FindSentence gives it
// ("$" through "*") and fills its record. Codes: -1 when the sentence has
// fewer than 10 characters (the record is not touched), n when comma n is
// missing (the fields before it are stored), 0 when every field was walked.
// ParseGsv returns the number of satellites or a negative code instead.
// No parser judges validity or verifies the checksum.

#include <cstdint>
#include <string_view>

#include "Records.h"

namespace orvane {

int32_t ParseGga(std::string_view sentence, GgaRecord& record);
int32_t ParseGll(std::string_view sentence, GllRecord& record);
int32_t ParseGsa(std::string_view sentence, GsaRecord& record);
int32_t ParseGsv(std::string_view sentence, GsvList& list);
int32_t ParseRmc(std::string_view sentence, RmcRecord& record);
int32_t ParseVtg(std::string_view sentence, VtgRecord& record);
int32_t ParseZda(std::string_view sentence, ZdaRecord& record);

}  // namespace orvane
