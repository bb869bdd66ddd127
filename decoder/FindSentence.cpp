#include "FindSentence.h"

#include <cstring>

#include "Tables.h"

namespace orvane {

int32_t FindSentence(std::string_view text, int32_t start, int32_t talkerRow, int32_t messageRow, std::string_view& out)
{
    if (text.size() > size_t(kMaxTextLength))
        text = text.substr(0, size_t(kMaxTextLength));
    const auto length = int32_t(text.size());
    if (talkerRow < 0 || talkerRow >= kTalkerCount || messageRow < 0 || messageRow >= kMessageCount || start >= length)
        return -1;
    out = {};
    if (start < 0)
        return -1;

    // The five letters after "$", compared as one block at every "$".
    char tail[5];
    std::memcpy(tail, TalkerTable[talkerRow].id.data(), 2);
    std::memcpy(tail + 2, MessageTable[messageRow].id.data(), 3);

    if (length - start < 6)
        return -1;
    const char* const base = text.data();
    const char* const textEnd = base + length;
    const char* const last = textEnd - 6;  // the last place a pattern can begin
    const char* p = base + start;
    while (p <= last) {
        const auto* dollar = static_cast<const char*>(std::memchr(p, '$', size_t(last - p) + 1));
        if (dollar == nullptr)
            return -1;
        if (std::memcmp(dollar + 1, tail, 5) == 0) {
            const auto* star = static_cast<const char*>(std::memchr(dollar + 6, '*', size_t(textEnd - dollar - 6)));
            if (star == nullptr)
                return length;
            out = std::string_view(dollar, size_t(star - dollar) + 1);
            return int32_t(star - base) + 1;
        }
        p = dollar + 1;
    }
    return -1;
}

}  // namespace orvane
