// SPDX-License-Identifier: GPL-3.0-or-later
#include "SentenceFrame.h"

#include "decoder/SentenceChecksum.h"

namespace orvane::loggen {

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
    // The body is copied: appending may move the text it lies in.
    AppendChecksum(out, std::string(out, start + 1));
    out += "\r\n";
}

}  // namespace orvane::loggen
