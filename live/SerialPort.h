// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The serial receiver reader. A thread of its own waits on the device and
// moves every byte that arrives into m_QueueRead, then emits DataQueued
// once per burst from that thread; a receiver connected queued takes the
// bytes on its own thread. The device is open for writing too: Write sends
// a command to the receiver from the caller's thread, beside the reader.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include <QObject>
#include <QString>

#include "SerialRing.h"

namespace orvane {

class SerialPort : public QObject {
    Q_OBJECT
public:
    SerialPort() = default;
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // The device path of a configured port name: "/dev/NAME", or NAME itself
    // when it is an absolute path.
    static std::string DevicePath(const std::string& portName);

    // Opens the device for reading and writing, exclusively, at the speed,
    // 8N1, and starts the reader thread. On failure returns false and sets
    // reason.
    bool Open(const std::string& portName, int bitsPerSecond, std::string& reason);

    // Stops the reader thread, discards what the driver holds and releases
    // the device. Returns whether the release succeeded. Bytes still in the
    // queue stay for the next open.
    bool Close();

    // Sends bytes to the receiver: all of them, waiting up to a second for
    // room in the driver. On failure returns false and sets reason.
    bool Write(std::string_view bytes, std::string& reason);

    // The port is open (the reader is meant to run).
    bool IsOpen() const { return m_Fd >= 0; }

    // The reader thread has ended by itself (the device went away).
    bool ReaderEnded() const { return m_ReaderEnded.load(std::memory_order_acquire); }

    // Window thread: appends every queued byte to out.
    size_t TakeQueued(std::string& out) { return m_QueueRead.TakeAll(out); }

    // Window thread: the user dismissed the "queue full" message, so the
    // reader may go on.
    void AcknowledgeQueueFull();

    // The queue, for inspection by tests and the window.
    SerialRing& Queue() { return m_QueueRead; }

    // Emitted from the reader thread: receivers connect them queued.
signals:
    // Bytes wait in the queue.
    void DataQueued();
    // A chunk did not fit and was dropped; the reader waits for
    // AcknowledgeQueueFull.
    void QueueFull();
    // The device went away (unplugged); the reader has ended.
    void Lost(const QString& reason);

private:
    void ReaderLoop();
    bool DrainDevice(char* buffer, size_t size);
    void WaitForQueueFullDismissal();

    int m_Fd = -1;
    int m_WakeFd = -1;  // an eventfd that Close signals to end a wait
    std::atomic<bool> m_Running{false};
    std::atomic<bool> m_ReaderEnded{false};
    std::thread m_Reader;
    SerialRing m_QueueRead;

    std::mutex m_BoxMutex;
    std::condition_variable m_BoxDismissed;
    bool m_BoxShown = false;
};

}  // namespace orvane
