// SPDX-License-Identifier: GPL-3.0-or-later
#include "SentenceFrame.h"

namespace orvane::loggen {

uint8_t NmeaChecksum(std::string_view body)
{
    uint8_t sum = 0;
    for (char c : body)
        sum ^= uint8_t(c);
    return sum;
}

void AppendSentence(std::string& out, std::string_view body)
{
    const size_t start = out.size();
    out += '$';
    out += body;
    FinishSentence(out, start);
}

size_t BeginSentence(std::string& out, const char* address)
{
    const size_t start = out.size();
    out += '$';
    out += address;
    return start;
}

void FinishSentence(std::string& out, size_t start)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const uint8_t sum = NmeaChecksum(std::string_view(out).substr(start + 1));
    out += '*';
    out += kHex[sum >> 4];
    out += kHex[sum & 0x0F];
    out += "\r\n";
}

}  // namespace orvane::loggen
