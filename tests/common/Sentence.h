// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test sentences as a receiver writes them: "$" + body + "*hh" + CR LF,
// with the checksum a strict reader checks.

#include <QByteArray>

#include <string>
#include <string_view>

// The checksum of a sentence's body (between "$" and "*").
inline unsigned SentenceChecksum(std::string_view body)
{
    unsigned sum = 0;
    for (const char c : body)
        sum ^= static_cast<unsigned char>(c);
    return sum;
}

inline std::string Nmea(std::string_view body)
{
    static const char* const kHex = "0123456789ABCDEF";
    const unsigned sum = SentenceChecksum(body);
    std::string sentence;
    sentence.reserve(body.size() + 6);
    sentence.push_back('$');
    sentence.append(body);
    sentence.push_back('*');
    sentence.push_back(kHex[sum >> 4]);
    sentence.push_back(kHex[sum & 15]);
    sentence.append("\r\n");
    return sentence;
}

inline std::string Nmea(const char* body)
{
    return Nmea(std::string_view(body));
}

inline QByteArray WithChecksum(const QByteArray& body)
{
    return QByteArray::fromStdString(Nmea(std::string_view(body.constData(), size_t(body.size()))));
}
