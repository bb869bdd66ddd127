// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A pseudo-terminal standing in for a receiver that takes bytes: what is
// written to its device side (raw, as a serial port is opened) is read
// back whole from the other side.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>

#include "PseudoTerminal.h"

class ReceiverPty {
public:
    ReceiverPty()
    {
        if (!m_Terminal.Ok())
            return;
        m_Device = ::open(m_Terminal.SlavePath().c_str(), O_RDWR | O_NOCTTY);
        termios mode{};
        if (m_Device >= 0 && ::tcgetattr(m_Device, &mode) == 0) {
            ::cfmakeraw(&mode);
            ::tcsetattr(m_Device, TCSANOW, &mode);
        }
    }
    ~ReceiverPty()
    {
        if (m_Device >= 0)
            ::close(m_Device);
    }
    ReceiverPty(const ReceiverPty&) = delete;
    ReceiverPty& operator=(const ReceiverPty&) = delete;

    bool Ok() const { return m_Device >= 0; }
    // Writes to the device as the program writes to a receiver.
    bool Write(const QByteArray& bytes)
    {
        for (qsizetype at = 0; at < bytes.size();) {
            const ssize_t n = ::write(m_Device, bytes.constData() + at, size_t(bytes.size() - at));
            if (n <= 0)
                return false;
            at += n;
        }
        return true;
    }
    // Everything that reached the receiver's side so far.
    QByteArray Received()
    {
        const std::string drained = m_Terminal.Drain();
        m_Received.append(drained.data(), qsizetype(drained.size()));
        return m_Received;
    }

private:
    PseudoTerminal m_Terminal;
    int m_Device = -1;
    QByteArray m_Received;
};
