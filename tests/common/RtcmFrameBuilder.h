// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// RTCM 3 frames made by the tests: a message number, a payload of a given
// length filled from a seed, and the CRC-24Q worked out here bit by bit,
// apart from the program's own table.

#include <QByteArray>

#include <cstdint>

inline uint32_t BitwiseCrc24q(const QByteArray& bytes)
{
    uint32_t crc = 0;
    for (const char c : bytes) {
        crc ^= uint32_t(uint8_t(c)) << 16;
        for (int bit = 0; bit < 8; ++bit) {
            crc <<= 1;
            if (crc & 0x1000000)
                crc ^= 0x1864CFB;
        }
    }
    return crc & 0xFFFFFF;
}

// A frame of message `type` with a payload of `length` bytes (at least 2
// for the number to fit; 0 or 1 makes a frame without one).
inline QByteArray RtcmFrame(uint16_t type, int length, uint8_t seed = 1)
{
    QByteArray frame;
    frame.append(char(0xD3));
    frame.append(char((length >> 8) & 0x03));
    frame.append(char(length & 0xFF));
    for (int k = 0; k < length; ++k)
        frame.append(char(uint8_t(seed + 37 * k)));
    if (length >= 1)
        frame[3] = char(type >> 4);
    if (length >= 2)
        frame[4] = char(((type & 0x0F) << 4) | (uint8_t(frame[4]) & 0x0F));
    const uint32_t crc = BitwiseCrc24q(frame);
    frame.append(char(crc >> 16));
    frame.append(char(crc >> 8));
    frame.append(char(crc));
    return frame;
}
