// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A GNSS receiver for the tests, on a real device: the master side of a
// pseudo-terminal, or a TCP server on 127.0.0.1 that serves one client (as
// ser2net does). A thread of its own sends one epoch (GGA, GSA, RMC) every
// period and reads what the program sends.
//
// Before the first command it has a fix. Each restart command (a line
// holding the restart text) starts the next step of the script:
//   ms >= 0  invalid fixes (GGA quality 0, RMC V, GSA 1) from the restart,
//            then the first valid epoch exactly ms after it, valid ones after;
//   kNever   invalid fixes only, until the next restart;
//   kSilent  nothing at all until the next restart;
//   kRefuse  "$PMTK001,103,1" (unsupported) at once, and the old fix goes on.
// A restart past the end of the script repeats its last step. Any other
// $PMTKnnn command is acknowledged as done: "$PMTK001,nnn,3".

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "PseudoTerminal.h"
#include "Sentence.h"

class FakeReceiver {
public:
    static constexpr int kNever = -1;
    static constexpr int kSilent = -2;
    static constexpr int kRefuse = -3;
    enum class Device { PseudoTerminal, Tcp };

    FakeReceiver(Device device, std::vector<int> script, int periodMs = 100, std::string restartText = "PMTK103")
        : m_Script(std::move(script)), m_Period(periodMs), m_Restart(std::move(restartText))
    {
        if (device == Device::Tcp) {
            m_Listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t size = sizeof address;
            if (m_Listener < 0 || ::bind(m_Listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
                ::listen(m_Listener, 1) != 0 ||
                ::getsockname(m_Listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
                return;
            m_Port = ntohs(address.sin_port);
        } else if (!m_Terminal.Ok()) {
            return;
        } else {
            // A program the test starts must not hold the receiver's side
            // open: unplugging closes it for good.
            ::fcntl(m_Terminal.MasterFd(), F_SETFD, FD_CLOEXEC);
            // Raw from the start: a terminal echoes what the receiver sends
            // until the program sets the line up, and the receiver would
            // read its own sentences back.
            termios settings{};
            if (::tcgetattr(m_Terminal.MasterFd(), &settings) == 0) {
                ::cfmakeraw(&settings);
                ::tcsetattr(m_Terminal.MasterFd(), TCSANOW, &settings);
            }
        }
        m_Running = true;
        m_Thread = std::thread([this] { Run(); });
    }
    ~FakeReceiver() { Unplug(); }
    FakeReceiver(const FakeReceiver&) = delete;
    FakeReceiver& operator=(const FakeReceiver&) = delete;

    bool Ok() const { return m_Running; }
    // The device the program opens, or the TCP port it connects to.
    std::string DevicePath() const { return m_Terminal.SlavePath(); }
    unsigned short Port() const { return m_Port; }
    // The restarts taken so far.
    int Restarts() const { return m_Restarts.load(); }
    // Every line the program sent, in order.
    std::vector<std::string> Received() const
    {
        std::lock_guard lock(m_Mutex);
        return m_Lines;
    }
    // The receiver goes away: the thread ends and the device closes, as an
    // unplugged receiver's or a dropped connection's.
    void Unplug()
    {
        m_Running = false;
        if (m_Thread.joinable())
            m_Thread.join();
        m_Terminal.CloseMaster();
        for (int* fd : {&m_Connection, &m_Listener}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
    }

private:
    using Clock = std::chrono::steady_clock;

    int Fd() const { return m_Listener >= 0 ? m_Connection : m_Terminal.MasterFd(); }

    void Run()
    {
        if (m_Listener >= 0) {
            while (m_Running && m_Connection < 0) {
                pollfd wait = {m_Listener, POLLIN, 0};
                if (::poll(&wait, 1, 20) > 0)
                    m_Connection = ::accept4(m_Listener, nullptr, nullptr, SOCK_CLOEXEC);
            }
        }
        // Output that nobody reads is lost, as a receiver's is.
        ::fcntl(Fd(), F_SETFL, ::fcntl(Fd(), F_GETFL) | O_NONBLOCK);
        m_NextEpoch = Clock::now();
        std::string pending;
        while (m_Running) {
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(m_NextEpoch - Clock::now());
            pollfd ready = {Fd(), POLLIN, 0};
            const int got = ::poll(&ready, 1, int(std::max<int64_t>(0, std::min<int64_t>(wait.count(), 20))));
            if (got > 0 && !(ready.revents & POLLIN)) {
                // A pseudo-terminal whose other side is not open yet hangs up
                // at once: pace the loop instead of spinning.
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            } else if (got > 0) {
                char buffer[512];
                const ssize_t n = ::read(Fd(), buffer, sizeof buffer);
                if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                    return;
                pending.append(buffer, size_t(std::max<ssize_t>(n, 0)));
                for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1))
                    TakeLine(pending.substr(0, end + 1));
            }
            if (Clock::now() >= m_NextEpoch)
                SendEpoch();
        }
    }

    void TakeLine(const std::string& line)
    {
        {
            std::lock_guard lock(m_Mutex);
            m_Lines.push_back(line);
        }
        if (line.find(m_Restart) == std::string::npos) {
            if (line.starts_with("$PMTK") && line.size() >= 8)
                Write(Nmea("PMTK001," + line.substr(5, 3) + ",3"));
            return;
        }
        const int step = m_Script.empty() ? 0 : m_Script[std::min(size_t(m_Restarts.load()), m_Script.size() - 1)];
        ++m_Restarts;
        if (step == kRefuse) {
            Write(Nmea("PMTK001,103,1"));
            return;
        }
        m_Fixed = false;
        m_Silent = step == kSilent;
        m_ValidAt = step >= 0 ? Clock::now() + std::chrono::milliseconds(step) : Clock::time_point::max();
        m_NextEpoch = std::min(Clock::now() + std::chrono::milliseconds(m_Period), m_ValidAt);
    }

    void SendEpoch()
    {
        const Clock::time_point now = Clock::now();
        if (!m_Fixed && now >= m_ValidAt)
            m_Fixed = true;
        if (!m_Silent)
            Write(Epoch(m_Fixed));
        ++m_Epoch;
        m_NextEpoch = now + std::chrono::milliseconds(m_Period);
        if (!m_Fixed && m_ValidAt < m_NextEpoch)
            m_NextEpoch = m_ValidAt;
    }

    std::string Epoch(bool fixed) const
    {
        const int centiseconds = int(m_Epoch * m_Period / 10 % 8640000);
        char time[16];
        std::snprintf(time, sizeof time, "%02d%02d%02d.%02d", centiseconds / 360000, centiseconds / 6000 % 60,
            centiseconds / 100 % 60, centiseconds % 100);
        const std::string t = time;
        if (!fixed)
            return Nmea("GPGGA," + t + ",,,,,0,00,99.99,,,,,,") + Nmea("GPGSA,A,1,,,,,,,,,,,,,99.99,99.99,99.99") +
                   Nmea("GPRMC," + t + ",V,,,,,,,071226,,,N");
        return Nmea("GPGGA," + t + ",3733.32791,N,12658.29325,E,1,09,0.90,45.2,M,18.5,M,,") +
               Nmea("GPGSA,A,3,01,03,06,07,08,09,20,23,28,,,,1.60,0.90,1.30") +
               Nmea("GPRMC," + t + ",A,3733.32791,N,12658.29325,E,0.01,0.0,071226,,,A");
    }

    void Write(const std::string& bytes)
    {
        for (size_t at = 0; at < bytes.size();) {
            const ssize_t n = m_Listener >= 0 ? ::send(Fd(), bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL)
                                              : ::write(Fd(), bytes.data() + at, bytes.size() - at);
            if (n <= 0)
                return;
            at += size_t(n);
        }
    }

    std::vector<int> m_Script;
    int m_Period;
    std::string m_Restart;
    PseudoTerminal m_Terminal;
    int m_Listener = -1;
    int m_Connection = -1;
    unsigned short m_Port = 0;
    std::atomic<bool> m_Running{false};
    std::thread m_Thread;
    mutable std::mutex m_Mutex;
    std::vector<std::string> m_Lines;
    std::atomic<int> m_Restarts{0};
    // The thread's own.
    bool m_Fixed = true;
    bool m_Silent = false;
    int64_t m_Epoch = 0;
    Clock::time_point m_ValidAt = Clock::time_point::min();
    Clock::time_point m_NextEpoch;
};
