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

int TalkerRowFromId(std::string_view id)
{
    for (int row = 0; row < kTalkerCount; ++row) {
        if (TalkerTable[row].id == id)
            return row;
    }
    return -1;
}

int MessageRowFromId(std::string_view id)
{
    for (int row = 0; row < kMessageCount; ++row) {
        if (MessageTable[row].id == id)
            return row;
    }
    return -1;
}

}  // namespace orvane
