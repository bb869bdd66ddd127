#include <QtTest>

#include <thread>

#include "live/SerialRing.h"

using namespace orvane;

class TestSerialRing : public QObject {
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
};

QTEST_GUILESS_MAIN(TestSerialRing)
#include "tst_serialring.moc"
