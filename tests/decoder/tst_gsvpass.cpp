// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

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
// and those ending at or past the bound are dropped afterwards.
void UnboundedSearchPass(std::string_view text, int32_t start, int32_t bound, SatelliteTable& table,
    std::vector<std::string>& lines)
{
    for (auto& row : table.seen)
        row.fill(0);
    for (int t = 0; t < kTalkerCount; ++t) {
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
            for (int e = 0; e < n; ++e) {
                for (int i = 0; i < kGsvMaxSatellites; ++i) {
                    auto& slot = table.entries[size_t(t)][size_t(i)];
                    if (slot.prn == list.entries[size_t(e)].prn || slot.prn == 0) {
                        slot = list.entries[size_t(e)];
                        table.seen[size_t(t)][size_t(i)] = 1;
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

}  // namespace

class TestGsvPass : public QObject {
    Q_OBJECT
private slots:
    // The plain pass, also where it stops searching at a bound, gives the
    // lines and every slot and seen flag of searching the whole text and
    // dropping what ends past the bound.
    void boundedEqualsFullSearch()
    {
        std::mt19937 random(7);
        const char* pieces[] = {"$GPGSV,1,1,01,", "$GLGSV,1,1,02,", "$GNGSV,1,1,01,", "$GPRMC,", "12,", "34,", "*",
            "*4A\r\n", ",", "\r\n", "$GPGSV,1,1,01,05,10,100,30*00\r\n", ",,,,"};
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
    // make it search afresh, with the same results.
    void resumingEqualsPlainPasses()
    {
        std::mt19937 random(11);
        const char* pieces[] = {"$GPGSV,1,1,02,03,10,100,40,04,20,200,41*00\r\n", "$GPGSV,1,1,01,04,21,201,42*00\r\n",
            "$GPGSV,1,1,01,,1,2,3*00\r\n", "$GPGSV,1,1,01,0,9,9,9*00\r\n", "$GLGSV,1,1,01,70,1,2,3*00\r\n",
            "$GLGSV,1,1,02,71,4,5,6,70,7,8,9*00\r\n", "$GNGSV,1,1,01,07,7,7,7*00\r\n", "$GPGSV,1,1,01,05,5*00\r\n",
            "$GLGSV,12*00\r\n", "$GPGSV,1,1,01,08,1,2", "$GPGSA,A,3*00\r\n", "$GPRMC,1*00\r\n", "*", "$", "\r\n", ",",
            "$GPGSV,1,1,01,"};
        const auto newSatellite = [&random] {
            return "$GAGSV,1,1,01," + std::to_string(1 + random() % 40) + ",1,2," + std::to_string(random() % 50) +
                   "*00\r\n";
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
