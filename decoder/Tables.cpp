// SPDX-License-Identifier: GPL-3.0-or-later
#include "Tables.h"

namespace orvane {

std::string TalkerLabel(int talkerRow)
{
    if (talkerRow < 0 || talkerRow >= kTalkerCount)
        return {};
    const TalkerEntry& entry = TalkerTable[talkerRow];
    std::string label;
    label.reserve(entry.name.size() + entry.id.size() + 3);
    label.append(entry.name).append(" (").append(entry.id).append(")");
    return label;
}

int TalkerRowFromLabel(std::string_view label)
{
    for (int row = 0; row < kTalkerCount; ++row) {
        if (label.find(TalkerTable[row].id) != std::string_view::npos)
            return row;
    }
    return kNoTalker;
}

namespace {

// Ids are two or three letters: compared letter by letter, without a call
// per row, since the fix summary looks up every sentence it reads.
template <auto Member, size_t Count, class Entry>
int RowFromId(const std::array<Entry, Count>& table, std::string_view id)
{
    for (size_t row = 0; row < Count; ++row) {
        const std::string_view rowId = table[row].*Member;
        if (rowId.size() != id.size())
            continue;
        size_t k = 0;
        while (k < id.size() && rowId[k] == id[k])
            ++k;
        if (k == id.size())
            return int(row);
    }
    return -1;
}

}  // namespace

int TalkerRowFromId(std::string_view id)
{
    // The aliases are looked at only for an id no row has, so the talkers
    // of the table cost what they cost without them.
    const int row = RowFromId<&TalkerEntry::id>(TalkerTable, id);
    return row >= 0 || id.empty() ? row : RowFromId<&TalkerEntry::alias>(TalkerTable, id);
}

int MessageRowFromId(std::string_view id)
{
    return RowFromId<&MessageEntry::id>(MessageTable, id);
}

}  // namespace orvane
