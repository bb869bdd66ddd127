// SPDX-License-Identifier: GPL-3.0-or-later
#include "XmlText.h"

#include <cstdint>

namespace orvane {

namespace {

// The length of the UTF-8 sequence at text[i], or 0 when it is not one.
size_t Utf8Length(std::string_view text, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    uint32_t code = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return overlong || surrogate || code > 0x10FFFF || code == 0xFFFE || code == 0xFFFF ? 0 : length;
}

}  // namespace

std::string CleanText(std::string_view name)
{
    std::string out;
    for (size_t i = 0; i < name.size();) {
        const size_t length = Utf8Length(name, i);
        if (length == 0 || static_cast<unsigned char>(name[i]) < 0x20 || name[i] == 0x7F) {
            out.push_back('?');
            i += length == 0 ? 1 : length;
        } else {
            out.append(name.substr(i, length));
            i += length;
        }
    }
    return out;
}

void AppendXmlText(std::string& out, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '&':
            out.append("&amp;");
            break;
        case '<':
            out.append("&lt;");
            break;
        case '>':
            out.append("&gt;");
            break;
        case '"':
            out.append("&quot;");
            break;
        default:
            out.push_back(c);
        }
    }
}

}  // namespace orvane
