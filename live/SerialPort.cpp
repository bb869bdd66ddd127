// SPDX-License-Identifier: GPL-3.0-or-later
#include "SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "SerialLine.h"

namespace orvane {

namespace {
constexpr size_t kChunkSize = 4096;
constexpr int kWriteWaitMs = 1000;
}  // namespace

SerialPort::~SerialPort()
{
    if (IsOpen())
        Close();
}

std::string SerialPort::DevicePath(const std::string& portName)
{
    if (!portName.empty() && portName.front() == '/')
        return portName;
    return "/dev/" + portName;
}

bool SerialPort::Open(const std::string& portName, int bitsPerSecond, std::string& reason)
{
    if (IsOpen())
        Close();
    m_Running.store(false);
    m_ReaderEnded.store(false);

    const std::string path = DevicePath(portName);
    m_Fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_Fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    auto fail = [&](const std::string& why) {
        reason = why;
        ::close(m_Fd);
        m_Fd = -1;
        if (m_WakeFd >= 0)
            ::close(m_WakeFd);
        m_WakeFd = -1;
        return false;
    };
    if (!::isatty(m_Fd))
        return fail("not a serial device");
    // Nobody else may open the device while it is ours.
    if (::ioctl(m_Fd, TIOCEXCL) != 0)
        return fail(std::strerror(errno));
    m_WakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_WakeFd < 0)
        return fail(std::strerror(errno));
    ::tcflush(m_Fd, TCIOFLUSH);
    if (!ApplySerialLineSettings(m_Fd, bitsPerSecond))
        return fail("cannot set " + std::to_string(bitsPerSecond) + " bps 8N1");

    m_Running.store(true, std::memory_order_release);
    try {
        m_Reader = std::thread(&SerialPort::ReaderLoop, this);
    } catch (const std::system_error& error) {
        m_Running.store(false);
        return fail(error.what());
    }
    RaiseDtr(m_Fd);
    return true;
}

bool SerialPort::Close()
{
    if (!IsOpen())
        return false;
    m_Running.store(false, std::memory_order_release);
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_WakeFd, &one, sizeof one);
    {
        std::lock_guard lock(m_BoxMutex);
        m_BoxShown = false;
    }
    m_BoxDismissed.notify_all();
    // The reader never touches a released device: it ends first.
    if (m_Reader.joinable())
        m_Reader.join();
    ::tcflush(m_Fd, TCIOFLUSH);
    const bool released = ::close(m_Fd) == 0;
    m_Fd = -1;
    ::close(m_WakeFd);
    m_WakeFd = -1;
    return released;
}

bool SerialPort::Write(std::string_view bytes, std::string& reason)
{
    if (!IsOpen() || ReaderEnded()) {
        reason = "the port is not open";
        return false;
    }
    // The device is non-blocking for the reader; a command waits for room
    // in the driver, a second at most, rather than being cut.
    while (!bytes.empty()) {
        const ssize_t sent = ::write(m_Fd, bytes.data(), bytes.size());
        if (sent > 0) {
            bytes.remove_prefix(size_t(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno != EAGAIN) {
            reason = std::strerror(errno);
            return false;
        }
        pollfd room = {m_Fd, POLLOUT, 0};
        const int ready = ::poll(&room, 1, kWriteWaitMs);
        if (ready == 0 || (room.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            reason = ready == 0 ? "the device took no more bytes in 1 s" : "the device went away";
            return false;
        }
    }
    return true;
}

void SerialPort::AcknowledgeQueueFull()
{
    {
        std::lock_guard lock(m_BoxMutex);
        m_BoxShown = false;
    }
    m_BoxDismissed.notify_all();
}

void SerialPort::WaitForQueueFullDismissal()
{
    std::unique_lock lock(m_BoxMutex);
    m_BoxShown = true;
    emit QueueFull();
    m_BoxDismissed.wait(lock, [this] { return !m_BoxShown || !m_Running.load(std::memory_order_acquire); });
}

// Reads everything the driver holds, chunk by chunk, into the queue.
// Returns whether any byte arrived.
bool SerialPort::DrainDevice(char* buffer, size_t size)
{
    bool any = false;
    while (m_Running.load(std::memory_order_acquire)) {
        int waiting = 0;
        if (::ioctl(m_Fd, FIONREAD, &waiting) != 0 || waiting <= 0)
            break;
        const ssize_t got = ::read(m_Fd, buffer, size);
        if (got <= 0)
            break;
        any = true;
        // A chunk that does not fit is dropped whole, and the user is told.
        if (!m_QueueRead.Push(buffer, size_t(got)))
            WaitForQueueFullDismissal();
    }
    return any;
}

void SerialPort::ReaderLoop()
{
    ::pthread_setname_np(::pthread_self(), "orvane-serial");
    char buffer[kChunkSize];
    QString lostReason;
    while (m_Running.load(std::memory_order_acquire)) {
        pollfd waits[2] = {{m_Fd, POLLIN, 0}, {m_WakeFd, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            lostReason = QString::fromLocal8Bit(std::strerror(errno));
            break;
        }
        if (!m_Running.load(std::memory_order_acquire))
            break;
        if ((waits[0].revents & POLLIN) && DrainDevice(buffer, sizeof buffer))
            emit DataQueued();
        // A device that went away (a receiver unplugged) reports hang-up or
        // an error for ever: stop instead of spinning on it.
        if (waits[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            lostReason = (waits[0].revents & POLLHUP) ? QStringLiteral("the device was disconnected")
                                                      : QStringLiteral("the device reported an error");
            break;
        }
    }
    m_ReaderEnded.store(true, std::memory_order_release);
    if (!lostReason.isEmpty() && m_Running.load(std::memory_order_acquire))
        emit Lost(lostReason);
}

}  // namespace orvane
