// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A pseudo-terminal stands in for a receiver on a serial port: the test
// writes to the master side, the program reads the slave side as it would a
// real device.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <string_view>

class PseudoTerminal {
public:
    PseudoTerminal()
    {
        m_Master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_Master >= 0 && ::grantpt(m_Master) == 0 && ::unlockpt(m_Master) == 0)
            m_SlavePath = ::ptsname(m_Master);
    }
    ~PseudoTerminal() { CloseMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool Ok() const { return m_Master >= 0 && !m_SlavePath.empty(); }
    // The master side, for a receiver of the test that reads and writes it.
    int MasterFd() const { return m_Master; }
    const std::string& SlavePath() const { return m_SlavePath; }
    bool Send(std::string_view bytes) { return ::write(m_Master, bytes.data(), bytes.size()) == ssize_t(bytes.size()); }
    // Reads and returns what the program wrote to the device so far.
    std::string Drain()
    {
        std::string written;
        char buffer[4096];
        const int flags = ::fcntl(m_Master, F_GETFL);
        ::fcntl(m_Master, F_SETFL, flags | O_NONBLOCK);
        for (ssize_t n; (n = ::read(m_Master, buffer, sizeof buffer)) > 0;)
            written.append(buffer, size_t(n));
        ::fcntl(m_Master, F_SETFL, flags);
        return written;
    }
    // The receiver goes away, as an unplugged one does.
    void CloseMaster()
    {
        if (m_Master >= 0)
            ::close(m_Master);
        m_Master = -1;
    }

private:
    int m_Master = -1;
    std::string m_SlavePath;
};
