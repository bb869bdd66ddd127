// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "decoder/FindSentence.h"
#include "decoder/Tables.h"

using namespace orvane;

class TestFindSentence : public QObject {
    Q_OBJECT
private slots:
    // The result and the sentence found, which starts out as "previous":
    // rejected arguments leave it alone, a search that finds nothing empties it.
    void results_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("talker");
        QTest::addColumn<int>("message");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("sentence");
        const QByteArray rmc = "$GPRMC,1*00";
        // A GGA that lost its "*" runs on across the line end to the next "*".
        QTest::newRow("across line end") << QByteArray("$GPGGA,1\r\n$GPRMC,1*12") << 0 << 0 << kGgaRow << 19
                                         << QByteArray("$GPGGA,1\r\n$GPRMC,1*");
        QTest::newRow("second of two") << rmc + "\r\n$GPRMC,2*00" << 11 << 0 << kRmcRow << 22
                                       << QByteArray("$GPRMC,2*");
        QTest::newRow("no star: text length") << QByteArray("xx$GPRMC,1,2") << 0 << 0 << kRmcRow << 12 << QByteArray();
        QTest::newRow("not present") << QByteArray("$GPGGA,1*00") << 0 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("seven-letter address")
            << QByteArray("$GNGGAH,1*00") << 0 << 7 << kGgaRow << 10 << QByteArray("$GNGGAH,1*");
        QTest::newRow("not at line start")
            << QByteArray("junk$GPZDA,1*") << 0 << 0 << kZdaRow << 13 << QByteArray("$GPZDA,1*");
        QTest::newRow("case-sensitive") << QByteArray("$gprmc,1*00") << 0 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("pattern cut by end") << QByteArray("abc$GPRM") << 0 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("start past the $") << rmc << 1 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("negative start") << rmc << -1 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("star at the very end")
            << QByteArray("$GPRMC*") << 0 << 0 << kRmcRow << 7 << QByteArray("$GPRMC*");
        // QZSS: "$QZ" and, as NMEA 4.11 writes it, "$GQ", whichever comes first.
        QTest::newRow("GQ for QZSS") << QByteArray("$GQGSV,1,1,00,1*") << 0 << 6 << kGsvRow << 16
                                     << QByteArray("$GQGSV,1,1,00,1*");
        QTest::newRow("GQ before QZ") << QByteArray("$GQRMC,1*00\r\n$QZRMC,2*00") << 0 << 6 << kRmcRow << 9
                                      << QByteArray("$GQRMC,1*");
        QTest::newRow("QZ before GQ") << QByteArray("$QZRMC,1*00\r\n$GQRMC,2*00") << 0 << 6 << kRmcRow << 9
                                      << QByteArray("$QZRMC,1*");
        QTest::newRow("GQ after a start past QZ")
            << QByteArray("$QZRMC,1*00\r\n$GQRMC,2*00") << 1 << 6 << kRmcRow << 22 << QByteArray("$GQRMC,2*");
        QTest::newRow("GQ of another type")
            << QByteArray("$GQGGA,1*00\r\n$QZRMC,2*00") << 0 << 6 << kRmcRow << 22 << QByteArray("$QZRMC,2*");
        QTest::newRow("GQ without star") << QByteArray("xx$GQRMC,1,2") << 0 << 6 << kRmcRow << 12 << QByteArray();
        QTest::newRow("GQ cut by end") << QByteArray("abc$GQRM") << 0 << 6 << kRmcRow << -1 << QByteArray();
        QTest::newRow("GQ not for GPS") << QByteArray("$GQRMC,1*00") << 0 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("start at length") << rmc << 11 << 0 << kRmcRow << -1 << QByteArray("previous");
        QTest::newRow("talker 8") << rmc << 0 << 8 << kRmcRow << -1 << QByteArray("previous");
        QTest::newRow("talker -1") << rmc << 0 << -1 << kRmcRow << -1 << QByteArray("previous");
        QTest::newRow("message 18") << rmc << 0 << 0 << 18 << -1 << QByteArray("previous");
        QTest::newRow("message -1") << rmc << 0 << 0 << -1 << -1 << QByteArray("previous");
    }
    void results()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, start);
        QFETCH(int, talker);
        QFETCH(int, message);
        QFETCH(int, result);
        QFETCH(QByteArray, sentence);
        std::string_view out = "previous";
        QCOMPARE(FindSentence(std::string_view(text.constData(), size_t(text.size())), start, talker, message, out),
            result);
        QCOMPARE(QByteArray(out.data(), qsizetype(out.size())), sentence);
    }

    // Texts made of sentence beginnings, near misses and stars, searched
    // from every start, give what a plain search from each "$" gives (for
    // QZSS, the earlier of the searches for "$QZ" and "$GQ"). Each
    // text lies in a buffer of its exact size, so that the sanitizer build
    // sees any read past its end.
    void agreesWithAPlainSearch()
    {
        std::mt19937 random(7);
        const char* const pieces[] = {"$", "$GP", "$GPRMC", "$GNRMC", "$GPGGA", "$GNGGA", "$GPRMA", "$GPGMC", "$GPRAC",
            "$GPGSA", "$GQRMC", "$XPRMC", "GP", "RMC", "*", ",", "\r\n", "C", "A", "$QZRMC", "$QZGGA", "$GQGGA", "$GQ",
            "$QZ", "GQ",
            // Long stretches without a candidate, which the search skips in blocks.
            "4807.038,N,01131.000,E,", "123519.00,A,", "0123456789abcdefghijklmnopqrstuvwxyz"};
        for (int round = 0; round < 3000; ++round) {
            std::string text;
            const size_t length = random() % 2 ? random() % 90 : random() % 400;
            while (text.size() < length)
                text += pieces[random() % std::size(pieces)];
            const auto buffer = std::make_unique<char[]>(text.size());
            std::memcpy(buffer.get(), text.data(), text.size());
            const std::string_view exact(buffer.get(), text.size());
            const int talkers[] = {0, 6, 7};  // GP, QZ, GN
            const int talker = talkers[random() % std::size(talkers)];
            const int message = random() % 2 ? kRmcRow : kGgaRow;
            const std::string type(MessageTable[size_t(message)].id);
            const std::vector<std::string> patterns =
                talker == 6 ? std::vector<std::string>{"$QZ" + type, "$GQ" + type}
                            : std::vector<std::string>{talker == 0 ? "$GP" + type : "$GN" + type};
            for (int start = 0; start < int(text.size()); ++start) {
                size_t at = std::string::npos;
                for (const std::string& pattern : patterns)
                    at = std::min(at, text.find(pattern, size_t(start)));
                const size_t star = at == std::string::npos ? at : text.find('*', at + 6);
                const int expected = at == std::string::npos     ? -1
                                     : star == std::string::npos ? int(text.size())
                                                                 : int(star) + 1;
                std::string_view out;
                QCOMPARE(FindSentence(exact, start, talker, message, out), expected);
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestFindSentence)
#include "tst_findsentence.moc"
