// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <algorithm>
#include <array>
#include <optional>
#include <random>

#include "decoder/FindSentence.h"
#include "decoder/GsvPass.h"
#include "decoder/Parsers.h"
#include "decoder/Tables.h"

using namespace orvane;

namespace {

LineSink Into(std::vector<std::string>& lines)
{
    return [&lines](std::string_view line) { lines.emplace_back(line); };
}

// The pass as first written: every sentence is located in the whole text
// and those ending at or past the bound are dropped afterwards. In each row
// the signals are numbered in the order of their first sentence (one that
// spans a line end or another "$" has none); a report goes into its slot
// when the slot is free or holds no report of a lower-numbered signal from
// this pass.
void UnboundedSearchPass(std::string_view text, int32_t start, int32_t bound, SatelliteTable& table,
    std::vector<std::string>& lines)
{
    for (auto& row : table.seen)
        row.fill(0);
    for (int t = 0; t < kTalkerCount; ++t) {
        std::vector<int32_t> signalOrder;                // in the order of their first sentence
        std::array<size_t, kGsvMaxSatellites> slotBy{};  // per slot, 1 + the number of the signal that filled it
        int32_t p = start;
        for (;;) {
            std::string_view s;
            const int32_t r = FindSentence(text, p, t, kGsvRow, s);
            if (r < 1 || r >= bound)
                break;
            GsvList list;
            const int32_t n = ParseGsv(s, list);
            if (n < 0) {
                lines.push_back("[GSV] Error Code:  " + std::to_string(n));
                break;
            }
            // A sentence run on past a lost "*" has no signal of its own.
            const int32_t signal =
                s.substr(1).find_first_of("$\r\n") == std::string_view::npos ? list.signal : kNoGsvSignal;
            auto known = std::find(signalOrder.begin(), signalOrder.end(), signal);
            if (known == signalOrder.end())
                known = signalOrder.insert(known, signal);
            const size_t number = size_t(known - signalOrder.begin()) + 1;
            for (int e = 0; e < n; ++e) {
                for (int i = 0; i < kGsvMaxSatellites; ++i) {
                    auto& slot = table.entries[size_t(t)][size_t(i)];
                    if (slot.prn == list.entries[size_t(e)].prn || slot.prn == 0) {
                        if (slot.prn == 0 || slotBy[size_t(i)] == 0 || number <= slotBy[size_t(i)]) {
                            slot = list.entries[size_t(e)];
                            table.seen[size_t(t)][size_t(i)] = 1;
                            slotBy[size_t(i)] = number;
                        }
                        break;
                    }
                }
            }
            p = r;
        }
    }
    for (int t = 0; t < kSatelliteRows; ++t)
        for (int i = 0; i < kGsvMaxSatellites && table.entries[size_t(t)][size_t(i)].prn != 0; ++i)
            if (table.seen[size_t(t)][size_t(i)] != 1)
                table.entries[size_t(t)][size_t(i)] = {table.entries[size_t(t)][size_t(i)].prn, 0, 0, 0};
}

// Every slot and seen flag, for a readable difference.
QString Dump(const SatelliteTable& table)
{
    QString text;
    for (int t = 0; t < kSatelliteRows; ++t) {
        text += QString("\n%1:").arg(t);
        for (int i = 0; i < kGsvMaxSatellites; ++i) {
            const GsvSatellite& s = table.entries[size_t(t)][size_t(i)];
            text += QString(" %1/%2/%3/%4/%5")
                        .arg(s.prn)
                        .arg(s.elevation)
                        .arg(s.azimuth)
                        .arg(s.snr)
                        .arg(table.seen[size_t(t)][size_t(i)]);
        }
    }
    return text;
}

// The used slots of one row as prn/elevation/azimuth/snr.
QString Slots(const SatelliteTable& table, int talker)
{
    QStringList used;
    for (const GsvSatellite& s : table.entries[size_t(talker)]) {
        if (s.prn == 0)
            break;
        used << QString("%1/%2/%3/%4").arg(s.prn).arg(s.elevation).arg(s.azimuth).arg(s.snr);
    }
    return used.join(' ');
}

QByteArray Gsv(const char* body)
{
    return QByteArray("$") + body + "*00\r\n";
}

}  // namespace

class TestGsvPass : public QObject {
    Q_OBJECT
private slots:
    // The bars of one talker row after passes over a text in which each "|"
    // ends a pass (as its bound) and starts the next; sets of several
    // signals as receivers of NMEA 4.10 and later send them.
    void signalsRankInSetOrder_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("talker");
        QTest::addColumn<QString>("bars");
        QTest::newRow("without signal IDs the last report wins")
            << Gsv("GPGSV,1,1,02,01,40,083,46,02,17,308,41") + Gsv("GPGSV,1,1,01,01,41,084,") << 0
            << "1/41/84/0 2/17/308/41";
        QTest::newRow("the second signal's set keeps the first one's values")
            << Gsv("GPGSV,1,1,02,01,40,083,46,02,17,308,41,1") + Gsv("GPGSV,1,1,02,01,40,083,,02,17,308,30,6") << 0
            << "1/40/83/46 2/17/308/41";
        QTest::newRow("a satellite only the second signal reports takes a free slot")
            << Gsv("GPGSV,1,1,01,01,40,083,46,1") + Gsv("GPGSV,1,1,02,05,12,200,33,01,40,083,28,6") << 0
            << "1/40/83/46 5/12/200/33";
        QTest::newRow("the set that comes first leads, whatever its ID")
            << Gsv("GAGSV,1,1,01,02,52,041,45,7") + Gsv("GAGSV,1,1,01,02,52,041,40,1") << 2 << "2/52/41/45";
        QTest::newRow("a satellite without the first signal shows the second")
            << Gsv("GPGSV,1,1,01,01,40,083,46,1") + Gsv("GPGSV,1,1,02,01,40,083,30,03,20,100,35,6") +
                   Gsv("GPGSV,1,1,02,01,40,083,22,03,20,100,25,8")
            << 0 << "1/40/83/46 3/20/100/35";
        QTest::newRow("the first signal's later sets update it")
            << Gsv("GPGSV,1,1,01,01,40,083,46,1") + Gsv("GPGSV,1,1,01,01,40,083,30,6") +
                   Gsv("GPGSV,1,1,01,01,41,084,47,1") + Gsv("GPGSV,1,1,01,01,41,084,31,6")
            << 0 << "1/41/84/47";
        QTest::newRow("hexadecimal signal IDs")
            << Gsv("GBGSV,1,1,01,19,60,120,44,B") + Gsv("GBGSV,1,1,01,19,60,120,30,C") << 3 << "19/60/120/44";
        QTest::newRow("an empty last field names no signal")
            << Gsv("GPGSV,1,1,01,01,40,083,46,") + Gsv("GPGSV,1,1,01,01,40,083,30") << 0 << "1/40/83/30";
        QTest::newRow("two digits name no signal")
            << Gsv("GPGSV,1,1,01,01,40,083,46") + Gsv("GPGSV,1,1,01,01,40,083,30,10") << 0 << "1/40/83/30";
        QTest::newRow("a sentence that lost its star names no signal")
            << Gsv("GPGSV,1,1,01,01,40,083,46") + "$GPGSV,1,1,01,01,40,083,30\r\n$GPTXT,07,08,09,hello,3*00\r\n"
            << 0 << "1/40/83/30 7/8/9/0";
        QTest::newRow("nor one that runs into the next on one line")
            << Gsv("GPGSV,1,1,01,01,40,083,46") + "$GPGSV,1,1,01,01,40,083,30$GPTXT,07,08,09,hello,3*00\r\n"
            << 0 << "1/40/83/30 7/8/9/0";
        QTest::newRow("no signal ID after one is another signal")
            << Gsv("GPGSV,1,1,01,01,40,083,46,1") + Gsv("GPGSV,1,1,01,01,40,083,30") << 0 << "1/40/83/46";
        QTest::newRow("each pass ranks the signals afresh")
            << Gsv("GPGSV,1,1,01,01,40,083,46,1") + Gsv("GPGSV,1,1,01,01,40,083,30,6") + "|" +
                   Gsv("GPGSV,1,1,01,01,40,083,31,6") + Gsv("GPGSV,1,1,01,01,40,083,47,1")
            << 0 << "1/40/83/31";
        QTest::newRow("a pass of the second signal alone shows it")
            << Gsv("GPGSV,1,1,02,01,40,083,46,02,17,308,41,1") + Gsv("GPGSV,1,1,02,01,40,083,30,02,17,308,,6") + "|" +
                   Gsv("GPGSV,1,1,01,02,17,308,29,6")
            << 0 << "1/0/0/0 2/17/308/29";
        QTest::newRow("QZSS reads QZ and GQ")
            << Gsv("QZGSV,1,1,01,193,40,100,45,1") + Gsv("GQGSV,1,1,02,193,40,100,30,194,20,200,38,1") << 6
            << "193/40/100/30 194/20/200/38";
        QTest::newRow("QZSS reads GQ alone") << Gsv("GQGSV,1,1,01,195,10,300,20,1") << 6 << "195/10/300/20";
        QTest::newRow("a GQ set of another signal keeps the QZ values")
            << Gsv("QZGSV,1,1,01,193,40,100,45,1") + Gsv("GQGSV,1,1,02,193,40,100,30,194,20,200,38,4") << 6
            << "193/40/100/45 194/20/200/38";
        QTest::newRow("GPS does not read GQ") << Gsv("GQGSV,1,1,01,195,10,300,20,1") << 0 << "";
    }
    void signalsRankInSetOrder()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, talker);
        QFETCH(QString, bars);
        std::string plain;
        std::vector<int32_t> starts{0};
        for (const char c : text) {
            if (c == '|')
                starts.push_back(int32_t(plain.size()));
            else
                plain += c;
        }
        SatelliteTable table;
        std::vector<std::string> lines;
        for (size_t k = 0; k < starts.size(); ++k) {
            const auto bound = k + 1 < starts.size() ? std::optional<int32_t>(starts[k + 1]) : std::nullopt;
            AccumulateGsv(plain, starts[k], bound, table, Into(lines));
        }
        QCOMPARE(lines, std::vector<std::string>());
        QCOMPARE(Slots(table, talker), bars);
    }

    // The plain pass, also where it stops searching at a bound, gives the
    // lines and every slot and seen flag of searching the whole text and
    // dropping what ends past the bound, over sentences with and without
    // signal IDs and QZSS sentences of both talker ids.
    void boundedEqualsFullSearch()
    {
        std::mt19937 random(7);
        const char* pieces[] = {"$GPGSV,1,1,01,", "$GLGSV,1,1,02,", "$GNGSV,1,1,01,", "$GPRMC,", "12,", "34,", "*",
            "*4A\r\n", ",", "\r\n", "$GPGSV,1,1,01,05,10,100,30*00\r\n", ",,,,", "$GPGSV,1,1,01,05,11,101,31,1*00\r\n",
            "$GPGSV,1,1,02,06,12,102,,05,12,102,32,6*00\r\n", "1*", "$QZGSV,1,1,01,", "$GQGSV,1,1,01,",
            "$GQGSV,1,1,01,07,1,2,3,1*00\r\n", "$QZGSV,1,1,02,07,4,5,6,08,7,8,9,4*00\r\n"};
        for (int round = 0; round < 3000; ++round) {
            std::string text;
            const int count = int(random() % 30);
            for (int i = 0; i < count; ++i)
                text += pieces[random() % std::size(pieces)];
            const int32_t length = int32_t(text.size());
            const int32_t start = length ? int32_t(random() % uint32_t(length + 1)) : 0;
            const int32_t bound = int32_t(random() % uint32_t(length + 3)) - 1;
            SatelliteTable expected, got;
            std::vector<std::string> expectedLines, gotLines;
            for (int warmUp = 0; warmUp < 2; ++warmUp) {
                UnboundedSearchPass(text, start / 2, length + 1, expected, expectedLines);
                AccumulateGsv(text, start / 2, std::nullopt, got, Into(gotLines));
            }
            UnboundedSearchPass(text, start, bound, expected, expectedLines);
            AccumulateGsv(text, start, bound, got, Into(gotLines));
            QCOMPARE(gotLines, expectedLines);
            if (!(got == expected))
                QCOMPARE(Dump(got), Dump(expected));
        }
    }

    // Passes from rising starts over one text, as a live tick makes them:
    // the resuming pass gives the lines and every slot and seen flag of the
    // plain pass, and over starts that follow a "*" each row's text is
    // searched at most once. Odd starts and a table changed between passes
    // make it search afresh, with the same results. The sets of several
    // signals rank differently from different starts.
    void resumingEqualsPlainPasses()
    {
        std::mt19937 random(11);
        const char* pieces[] = {"$GPGSV,1,1,02,03,10,100,40,04,20,200,41*00\r\n", "$GPGSV,1,1,01,04,21,201,42*00\r\n",
            "$GPGSV,1,1,01,,1,2,3*00\r\n", "$GPGSV,1,1,01,0,9,9,9*00\r\n", "$GLGSV,1,1,01,70,1,2,3*00\r\n",
            "$GLGSV,1,1,02,71,4,5,6,70,7,8,9*00\r\n", "$GNGSV,1,1,01,07,7,7,7*00\r\n", "$GPGSV,1,1,01,05,5*00\r\n",
            "$GLGSV,12*00\r\n", "$GPGSV,1,1,01,08,1,2", "$GPGSA,A,3*00\r\n", "$GPRMC,1*00\r\n", "*", "$", "\r\n", ",",
            "$GPGSV,1,1,01,", "$GPGSV,1,1,02,03,11,101,42,04,21,201,43,1*00\r\n",
            "$GPGSV,1,1,03,04,22,202,30,03,12,102,,09,1,1,20,6*00\r\n", "$GPGSV,1,1,01,0,8,8,8,6*00\r\n",
            "$GPGSV,1,1,00,7*00\r\n", "$GLGSV,1,1,01,70,4,4,4,3*00\r\n", "$GQGSV,1,1,01,193,1,2,3,1*00\r\n",
            "$QZGSV,1,1,02,194,4,5,6,193,7,8,9,5*00\r\n"};
        // Galileo satellites, without a signal ID or with one of three.
        const auto newSatellite = [&random] {
            const char* const suffixes[] = {"", ",1", ",7", ",B"};
            return "$GAGSV,1,1,01," + std::to_string(1 + random() % 40) + ",1,2," + std::to_string(random() % 50) +
                   suffixes[random() % std::size(suffixes)] + "*00\r\n";
        };
        for (int round = 0; round < 2000; ++round) {
            std::string text;
            const int count = int(random() % 60);
            for (int i = 0; i < count; ++i)
                text += random() % 4 == 0 ? newSatellite() : std::string(pieces[random() % std::size(pieces)]);
            const auto length = int32_t(text.size());

            SatelliteTable expected;
            if (random() % 4 == 0)
                for (int i = 0; i < kGsvMaxSatellites - int(random() % 3); ++i)
                    expected.entries[size_t(random() % 3)][size_t(i)].prn = 100 + i;
            SatelliteTable got = expected;
            std::vector<std::string> expectedLines, gotLines;
            GsvProgress progress;
            bool followsStars = true;
            int32_t start = length ? int32_t(random() % uint32_t(length + 1)) - 1 : 0;
            for (int pass = 0; pass < 12 && start <= length; ++pass) {
                UnboundedSearchPass(text, start, length + 1, expected, expectedLines);
                AccumulateGsvResuming(text, start, got, Into(gotLines), progress);
                QCOMPARE(gotLines, expectedLines);
                if (!(got == expected))
                    QCOMPARE(Dump(got), Dump(expected));

                switch (random() % 16) {
                case 0:  // a table changed between passes
                    expected.entries[0][0].prn = 200 + pass;
                    got.entries[0][0].prn = 200 + pass;
                    followsStars = false;
                    break;
                case 1:  // any later position
                    start += int32_t(random() % 8);
                    followsStars = false;
                    break;
                case 2:  // the same start again
                    break;
                default:  // just after a later "*", or the end of the text
                    const size_t star = text.find('*', size_t(start) + random() % 40);
                    start = star == std::string::npos ? length + int32_t(random() % 2) : int32_t(star) + 1;
                    break;
                }
            }
            if (followsStars)
                QVERIFY(progress.searchedBytes <= int64_t(kTalkerCount) * length);
        }
    }
};

QTEST_APPLESS_MAIN(TestGsvPass)
#include "tst_gsvpass.moc"
