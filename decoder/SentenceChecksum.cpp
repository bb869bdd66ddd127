// SPDX-License-Identifier: GPL-3.0-or-later
#include "SentenceChecksum.h"

namespace orvane {

uint8_t SentenceChecksum(std::string_view body)
{
    uint8_t sum = 0;
    for (const char c : body)
        sum ^= uint8_t(c);
    return sum;
}

void AppendChecksum(std::string& out, std::string_view body)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const uint8_t sum = SentenceChecksum(body);
    out += '*';
    out += kHex[sum >> 4];
    out += kHex[sum & 0x0F];
}

}  // namespace orvane
