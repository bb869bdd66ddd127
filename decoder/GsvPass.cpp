#include "GsvPass.h"

#include <algorithm>

#include "FindSentence.h"
#include "Parsers.h"
#include "Tables.h"
#include "TextFormat.h"

namespace orvane {

namespace {

void Merge(const GsvList& list, int32_t count, SatelliteTable::Row& row,
           std::array<int32_t, kGsvMaxSatellites>& seen)
{
    for (int32_t e = 0; e < count; ++e) {
        const GsvSatellite& satellite = list.entries[size_t(e)];
        for (int i = 0; i < kGsvMaxSatellites; ++i) {
            if (row[i].prn == satellite.prn || row[i].prn == 0) {
                row[i] = satellite;
                seen[i] = 1;
                break;
            }
        }
        // A row whose 30 slots hold other satellites drops this one.
    }
}

}  // namespace

void AccumulateGsv(std::string_view text, int32_t start, std::optional<int32_t> bound, SatelliteTable& table,
                   const LineSink& appendLine)
{
    for (auto& row : table.seen)
        row.fill(0);

    // A sentence counts only when the position after its "*" lies below the
    // bound, so its "*" lies below bound - 1: the search never needs to look
    // at text from there on. Without the cut a long text would be scanned to
    // its end on every call, once per talker row.
    std::string_view searched = text;
    bool cut = false;
    if (bound && int64_t(*bound) - 1 < int64_t(text.size())) {
        searched = text.substr(0, size_t(std::max<int32_t>(*bound - 1, 0)));
        cut = true;
    }

    for (int talker = 0; talker < kTalkerCount; ++talker) {
        int32_t position = start;
        for (;;) {
            std::string_view sentence;
            const int32_t next = FindSentence(searched, position, talker, kGsvRow, sentence);
            if (next < 1)
                break;
            if (cut && sentence.empty())
                break;  // its "*" lies at or past the bound, or nowhere
            if (bound && next >= *bound)
                break;
            GsvList list;
            const int32_t count = ParseGsv(sentence, list);
            if (count < 0) {
                appendLine(ErrorLine("GSV", count));
                break;
            }
            Merge(list, count, table.entries[size_t(talker)], table.seen[size_t(talker)]);
            position = next;
        }
    }

    for (int talker = 0; talker < kSatelliteRows; ++talker) {
        auto& row = table.entries[size_t(talker)];
        for (int i = 0; i < kGsvMaxSatellites && row[i].prn != 0; ++i) {
            if (table.seen[size_t(talker)][i] != 1)
                row[i] = GsvSatellite{row[i].prn, 0, 0, 0};
        }
    }
}

void ClearSatelliteTable(SatelliteTable& table)
{
    table = {};
}

}  // namespace orvane
