// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include "live/LineAssembler.h"

using namespace orvane;

class TestLineAssembler : public QObject {
    Q_OBJECT
private slots:
    // A source's bytes go on up to its last line end, CR or LF; the rest
    // waits for that source's next bytes, apart from other sources', and
    // goes on when its source closes.
    void wholeLinesPerSource()
    {
        LineAssembler lines;
        std::string out;
        lines.Feed(1, "$GPRMC,1*00\r\n$GPR", out);
        lines.Feed(2, "$GPGGA,1,", out);
        QCOMPARE(out, std::string("$GPRMC,1*00\r\n"));
        lines.Feed(1, "MC,2*00\r", out);
        lines.Feed(2, "2*00\n$GP", out);
        QCOMPARE(out, std::string("$GPRMC,1*00\r\n$GPRMC,2*00\r$GPGGA,1,2*00\n"));
        QCOMPARE(lines.Waiting(1), size_t(0));
        QCOMPARE(lines.Waiting(2), size_t(3));
        lines.Close(2, out);
        lines.Close(2, out);
        QCOMPARE(out, std::string("$GPRMC,1*00\r\n$GPRMC,2*00\r$GPGGA,1,2*00\n$GP"));
        QCOMPARE(lines.WaitingTotal(), size_t(0));
    }

    // A source that sends no line end is handed on once past 4096 bytes.
    void longRestIsHandedOn()
    {
        LineAssembler lines;
        std::string out;
        lines.Feed(7, std::string(4096, 'x'), out);
        QVERIFY(out.empty());
        QCOMPARE(lines.Waiting(7), size_t(4096));
        lines.Feed(7, "y", out);
        QCOMPARE(out, std::string(4096, 'x') + "y");
        QCOMPARE(lines.Waiting(7), size_t(0));
        lines.Feed(7, "a\n" + std::string(5000, 'z'), out);
        QCOMPARE(out.size(), size_t(4097 + 2 + 5000));
    }

    // A peer that sends whole sentences without CR LF is not held back:
    // a rest ending in a checksum goes on at once, anything else once its
    // source has been silent for one second; a pause inside a sentence
    // shorter than that (150 ms, 600 ms) keeps the rest waiting.
    void restWithoutLineEndIsHandedOn_data()
    {
        QTest::addColumn<QByteArray>("rest");
        QTest::addColumn<bool>("atOnce");
        QTest::newRow("checksum") << QByteArray("$GPRMC,1*6A") << true;
        QTest::newRow("lower-case checksum") << QByteArray("$GPRMC,1*6a") << true;
        QTest::newRow("half a checksum") << QByteArray("$GPRMC,1*6") << false;
        QTest::newRow("not hex") << QByteArray("$GPRMC,1*6G") << false;
        QTest::newRow("no checksum yet") << QByteArray("$GPRMC,1,2") << false;
    }

    void restWithoutLineEndIsHandedOn()
    {
        using namespace std::chrono_literals;
        QFETCH(QByteArray, rest);
        QFETCH(bool, atOnce);
        LineAssembler lines;
        std::string out;
        const LineAssembler::Clock::time_point start{};
        lines.Feed(3, "$GPGGA,0*00\r\n" + rest.toStdString(), out, start);
        const std::string whole = "$GPGGA,0*00\r\n" + rest.toStdString();
        QCOMPARE(out == whole, atOnce);
        for (const auto pause : {100ms, 150ms, 600ms, 999ms}) {
            lines.PassOnIdle(out, start + pause);
            QCOMPARE(out == whole, atOnce);
        }
        lines.PassOnIdle(out, start + 1s);
        QCOMPARE(out, whole);
        QCOMPARE(lines.WaitingTotal(), size_t(0));
    }

    // A pause inside a sentence: the second half, 600 ms after the first,
    // joins it, and the silence counts from the source's last bytes.
    void pauseInsideSentenceKeepsItWhole()
    {
        using namespace std::chrono_literals;
        LineAssembler lines;
        std::string out;
        const LineAssembler::Clock::time_point start{};
        lines.Feed(1, "$GPRMC,123519,A,4807.038,N,", out, start);
        lines.PassOnIdle(out, start + 300ms);
        lines.Feed(1, "01131.000,E", out, start + 600ms);
        lines.PassOnIdle(out, start + 1200ms);
        QVERIFY(out.empty());
        lines.Feed(1, ",022.4,084.4,230394,003.1,W*6A\r\n", out, start + 1300ms);
        QCOMPARE(out, std::string("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"));
    }

    // Only the silent source's rest goes on; one still sending keeps its
    // own until every rest is handed on at the end.
    void idleRestOfOneSourceOnly()
    {
        using namespace std::chrono_literals;
        LineAssembler lines;
        std::string out;
        const LineAssembler::Clock::time_point start{};
        lines.Feed(1, "$GPRMC,1", out, start);
        lines.Feed(2, "$GPGGA,2", out, start);
        lines.Feed(3, "abc", out, start);
        lines.PassOnIdle(out, start + 500ms);
        lines.Feed(2, ",3", out, start + 500ms);
        lines.Feed(3, "def", out, start + 500ms);
        lines.PassOnIdle(out, start + 1000ms);
        QCOMPARE(out, std::string("$GPRMC,1"));
        QCOMPARE(lines.Waiting(2), size_t(10));
        lines.CloseAll(out);
        QVERIFY(out == "$GPRMC,1$GPGGA,2,3abcdef" || out == "$GPRMC,1abcdef$GPGGA,2,3");
        QCOMPARE(lines.WaitingTotal(), size_t(0));
    }
};

QTEST_APPLESS_MAIN(TestLineAssembler)
#include "tst_lineassembler.moc"
