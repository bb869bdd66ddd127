#pragma once
// The GSV pass: merges the satellites-in-view sentences of all eight talkers
// in a stretch of text into the satellite table.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "Records.h"

namespace orvane {

using LineSink = std::function<void(std::string_view line)>;

// Scans text from start, once per talker row, for GSV sentences and merges
// them into table. With a bound, a sentence whose end lies at or past the
// bound ends the scan of its row. A satellite keeps its slot for good; a
// slot not reported in this pass keeps its prn with zero values. A sentence
// that does not parse is reported through appendLine and ends its row.
void AccumulateGsv(std::string_view text, int32_t start, std::optional<int32_t> bound, SatelliteTable& table,
                   const LineSink& appendLine);

// Sets every slot and seen flag of the table to zero.
void ClearSatelliteTable(SatelliteTable& table);

}  // namespace orvane
