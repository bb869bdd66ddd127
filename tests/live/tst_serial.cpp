// SPDX-License-Identifier: GPL-3.0-or-later
// The serial ring, the queue between a port's reader thread and the
// window, and the serial port reading a real pseudo-terminal.

#include <QtTest>

#include <thread>

#include "../common/PseudoTerminal.h"
#include "live/SerialPort.h"
#include "live/SerialRing.h"

using namespace orvane;

namespace {

// A pseudo-terminal receiver and the port that reads it. The port's
// signals come from its reader thread; they are counted on the test's
// thread, queued, as the live session takes them.
struct Receiver {
    PseudoTerminal terminal;
    SerialPort port;
    std::string reason;
    int data = 0, full = 0, lost = 0;  // the signals counted

    Receiver()
    {
        QObject::connect(
            &port, &SerialPort::DataQueued, &port, [this] { ++data; }, Qt::QueuedConnection);
        QObject::connect(
            &port, &SerialPort::QueueFull, &port, [this] { ++full; }, Qt::QueuedConnection);
        QObject::connect(
            &port, &SerialPort::Lost, &port, [this] { ++lost; }, Qt::QueuedConnection);
    }
    bool Open(int bitsPerSecond) { return terminal.Ok() && port.Open(terminal.SlavePath(), bitsPerSecond, reason); }
};

}  // namespace

class TestSerial : public QObject {
    Q_OBJECT
private slots:
    // A chunk is stored only when it is smaller than the free room, so the
    // ring never holds more than 8191 bytes.
    void chunkFits_data()
    {
        QTest::addColumn<int>("queued");
        QTest::addColumn<int>("chunk");
        QTest::addColumn<bool>("stored");
        QTest::newRow("4095 onto 4096") << 4096 << 4095 << true;
        QTest::newRow("4096 onto 4096") << 4096 << 4096 << false;
        QTest::newRow("8191 onto empty") << 0 << 8191 << true;
        QTest::newRow("8192 onto empty") << 0 << 8192 << false;
    }
    void chunkFits()
    {
        QFETCH(int, queued);
        QFETCH(int, chunk);
        QFETCH(bool, stored);
        SerialRing ring;
        const std::string first(size_t(queued), 'a');
        QVERIFY(ring.Push(first.data(), first.size()));
        const std::string second(size_t(chunk), 'b');
        QCOMPARE(ring.Push(second.data(), second.size()), stored);
        QCOMPARE(ring.Used(), uint32_t(queued + (stored ? chunk : 0)));
        std::string out;
        ring.TakeAll(out);
        QCOMPARE(out, stored ? first + second : first);
        QCOMPARE(ring.Used(), 0u);
    }

    // One thread stores while another takes: every byte arrives once, in
    // order, the indices wrapping around the buffer many times.
    void producerAndConsumer()
    {
        SerialRing ring;
        constexpr int kBytes = 2'000'000;
        std::thread producer([&] {
            char chunk[100];
            int next = 0;
            while (next < kBytes) {
                for (int i = 0; i < 100; ++i)
                    chunk[i] = char((next + i) % 251);
                if (ring.Push(chunk, 100))
                    next += 100;
                else
                    std::this_thread::yield();
            }
        });
        std::string taken;
        while (taken.size() < size_t(kBytes))
            ring.TakeAll(taken);
        producer.join();
        for (int i = 0; i < kBytes; ++i)
            QCOMPARE(int(uint8_t(taken[size_t(i)])), i % 251);
    }
    void devicePath() { QCOMPARE(SerialPort::DevicePath("ttyUSB0"), std::string("/dev/ttyUSB0")); }

    void refusesWhatIsNoSerialDevice()
    {
        SerialPort port;
        std::string reason;
        QVERIFY(!port.Open("/nonexistent/ttyX", 9600, reason));
        QCOMPARE(reason, std::string("No such file or directory"));
        QVERIFY(!port.Open("/dev/null", 9600, reason));
        QCOMPARE(reason, std::string("not a serial device"));
        QVERIFY(!port.IsOpen());
    }

    // Bytes arrive through the queue with a signal per burst; bytes not yet
    // taken when the port closes come first after it opens again, here at a
    // speed that is none of the standard ones. Closing an idle reader
    // returns at once.
    void readsAndKeepsQueueAcrossReopen()
    {
        Receiver receiver;
        QVERIFY2(receiver.Open(115200), receiver.reason.c_str());
        auto& [terminal, port, reason, data, full, lost] = receiver;
        QVERIFY(terminal.Send("$GPRMC,1*00\r\n"));
        QTRY_VERIFY(data >= 1);
        std::string taken;
        port.TakeQueued(taken);
        QCOMPARE(taken, std::string("$GPRMC,1*00\r\n"));

        QVERIFY(terminal.Send("$GPRMC,2*00\r\n"));
        QTRY_COMPARE(port.Queue().Used(), 13u);
        QVERIFY(port.Close());
        QVERIFY(!port.IsOpen() && port.ReaderEnded() && lost == 0);
        QVERIFY(port.Open(terminal.SlavePath(), 14400, reason));
        QVERIFY(terminal.Send("$GPRMC,3*00\r\n"));
        QTRY_COMPARE(port.Queue().Used(), 26u);
        taken.clear();
        port.TakeQueued(taken);
        QCOMPARE(taken, std::string("$GPRMC,2*00\r\n$GPRMC,3*00\r\n"));
        QVERIFY(port.Close());
    }

    // A chunk that does not fit is dropped whole; the reader waits until the
    // window has shown the message and then goes on.
    void fullQueueWaitsForDismissal()
    {
        Receiver receiver;
        QVERIFY2(receiver.Open(115200), receiver.reason.c_str());
        auto& [terminal, port, reason, data, full, lost] = receiver;
        QVERIFY(terminal.Send(std::string(6000, 'a')));
        QTRY_COMPARE(port.Queue().Used(), 6000u);
        // 4000 more cannot all fit into the 2191 bytes left: a chunk is dropped.
        QVERIFY(terminal.Send(std::string(4000, 'b')));
        QTRY_COMPARE(full, 1);
        QVERIFY(port.Queue().Used() <= 8191u);
        // As the window does, the queue is emptied, then the box dismissed.
        std::string taken;
        port.TakeQueued(taken);
        QCOMPARE(taken.substr(0, 6000), std::string(6000, 'a'));
        const int before = data;
        port.AcknowledgeQueueFull();
        QTRY_VERIFY(data > before);
        QVERIFY(terminal.Send("END\n"));
        QTRY_VERIFY((port.TakeQueued(taken), taken.size() >= 4 && taken.substr(taken.size() - 4) == "END\n"));
        QVERIFY(port.Close());
    }

    // A receiver that goes away ends the reader by itself, with a signal,
    // instead of leaving it spinning on a dead device.
    void vanishingDeviceEndsReader()
    {
        Receiver receiver;
        QVERIFY2(receiver.Open(9600), receiver.reason.c_str());
        auto& [terminal, port, reason, data, full, lost] = receiver;
        QVERIFY(terminal.Send("$GPGGA,1*00\r\n"));
        QTRY_VERIFY(data >= 1);
        terminal.CloseMaster();
        QTRY_COMPARE(lost, 1);
        QVERIFY(port.ReaderEnded());
        QVERIFY(port.IsOpen());
        QVERIFY(port.Close());
        QCOMPARE(lost, 1);
    }
};

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
