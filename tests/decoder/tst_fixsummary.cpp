// SPDX-License-Identifier: GPL-3.0-or-later
// The fix summary as its callers reach it and orvane-decode does not: read
// in the stretches of many ticks, over streams too long for a golden case,
// and the figures the text leaves out. What it reports of a log read whole
// is in the --summary and --sky cases of tests/tools/cases.

#include <QtTest>

#include <algorithm>

#include "../common/CaseLog.h"
#include "../common/Sentence.h"
#include "decoder/FixSummary.h"
#include "decoder/SummaryText.h"

using namespace orvane;

namespace {

QString CasePath(const char* name)
{
    return QString(ORVANE_DECODE_CASES "/%1.nmea").arg(name);
}

FixSummary Summarise(std::string_view text)
{
    FixSummary summary;
    summary.Consume(text, 0, text.size());
    return summary;
}

std::string Text(const FixSummary& summary)
{
    return SummaryText(summary) + SkyText(summary);
}

}  // namespace

class TestFixSummary : public QObject {
    Q_OBJECT

private slots:
    // A log read in stretches, as ticks read it, gives the summary of the
    // log read whole: one line at a time, up to each RMC's "*" (as a replay
    // of RMC consumes it), and in two stretches parted anywhere, where
    // after the first the summary is that of the lines it began.
    void stretchesAddUpToTheWhole_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("cutStep");  // between the places two stretches part; 0: none
        QTest::newRow("the sample's first epoch") << CasePath("summary_first_epoch") << 1;
        QTest::newRow("a 4.11 epoch, two signals each") << CasePath("summary_modern_epoch") << 1;
        QTest::newRow("two generated 4.11 epochs") << CasePath("nmea411_summary_sky") << 3;
        QTest::newRow("the sample") << QString(ORVANE_SAMPLE) << 0;
    }
    void stretchesAddUpToTheWhole()
    {
        QFETCH(QString, path);
        QFETCH(int, cutStep);
        const std::string log = ReadCaseLog(path);
        QVERIFY(log.size() > 500);
        const std::string whole = Text(Summarise(log));

        FixSummary lines, ticks;
        for (size_t at = 0; at < log.size();) {
            const size_t end = log.find('\n', at) + 1;
            const std::string line = log.substr(at, end - at);
            lines.Consume(line, 0, line.size());
            at = end;
        }
        QCOMPARE(Text(lines), whole);
        size_t start = 0;
        for (size_t at = log.find("RMC,"); at != std::string::npos; at = log.find("RMC,", at + 1)) {
            ticks.Consume(log, start, log.find('*', at) + 1);
            start = log.find('*', at) + 1;
        }
        QVERIFY(start > 0);
        ticks.Consume(log, start, log.size());
        QCOMPARE(Text(ticks), whole);

        for (size_t cut = 0; cutStep > 0 && cut <= log.size(); cut += size_t(cutStep)) {
            FixSummary parted;
            parted.Consume(log, 0, cut);
            const size_t lastBegun = cut == 0 ? 0 : log.rfind('$', cut - 1);
            const size_t begunEnd = lastBegun == std::string::npos || cut == 0 ? 0 : log.find('\n', lastBegun) + 1;
            QCOMPARE(Text(parted), Text(Summarise(std::string_view(log).substr(0, begunEnd))));
            parted.Consume(log, cut, log.size());
            QCOMPARE(Text(parted), whole);
        }
    }

    // A satellite's mark follows its best signal, whichever set brought it.
    void satelliteCarriesItsBestSignal()
    {
        const FixSummary summary = Summarise(ReadCaseLog(CasePath("summary_modern_epoch")));
        const std::vector<SkySatellite> sky = summary.Satellites();
        QCOMPARE(sky.size(), size_t(15));
        for (const SkySatellite& satellite : sky) {
            int best = 0;
            for (const SkySignal& signal : satellite.perSignal)
                best = std::max(best, int(signal.snr));
            QCOMPARE(satellite.satellite.snr, best);
        }
        QCOMPARE(sky[0].satellite.snr, 45);  // GPS 13: L1 45, L2 38
    }

    // A stream whose time stops changing (a receiver that lost its fix
    // sends empty times) still moves on: each set starts over within a few
    // repeats, the lists stay those of the latest sets, and signal ID 0
    // ("all signals") names no signal.
    void stuckTimeMovesOn()
    {
        std::string text = Nmea("GPGGA,120000.00,4809.0,N,01135.0,E,1,06,0.9,5.0,M,,M,,");
        for (int k = 0; k < 1000; ++k)
            text += Nmea("GPGSV,1,1,01," + std::to_string(1 + k % 32) + ",10,020,30,0") +
                    Nmea("GPGSA,A,3," + std::to_string(1 + k % 32) + ",,,,,,,,,,,,1.5,0.9,1.2");
        const FixSummary summary = Summarise(text);
        QVERIFY(summary.SatellitesInView() <= SentenceRound::kRepeatsPerEpoch);
        QVERIFY(summary.SatellitesUsed() <= SentenceRound::kRepeatsPerEpoch);
        QCOMPARE(summary.Satellites().back().satellite.prn, 1 + 999 % 32);
        QCOMPARE(summary.Satellites().back().perSignal.front().id, '\0');
    }

    // However many sentences of one epoch a stream sends, a talker's lists
    // stay bounded.
    void listsStayBounded()
    {
        std::string text = "$GPGGA,120000.00,3000.0,N,01000.0,E,1,10,0.9,5.0,M,,M,,*00\r\n";
        int prn = 1;
        for (int k = 0; k < 100; ++k) {
            text += "$GPGSA,A,3";
            for (int slot = 0; slot < 12; ++slot)
                text.append(",").append(std::to_string(prn++));
            text += ",2.0,1.0,1.5*00\r\n";
        }
        for (int k = 1; k <= 200; ++k) {
            text.append("$GPGSV,200,").append(std::to_string(k)).append(",800");
            for (int slot = 0; slot < 4; ++slot)
                text.append(",").append(std::to_string(prn++)).append(",10,100,30");
            text += "*00\r\n";
        }
        const FixSummary summary = Summarise(text);
        // A fifth GSA of one talker in one epoch starts the next round.
        QCOMPARE(summary.Sky().Of(Constellation::Gps).used.value.size(), size_t(4 * 12));
        QCOMPARE(summary.Sky().Of(Constellation::Gps).inView.value.size(), size_t(128));
        QCOMPARE(summary.Talker(0).decoded, uint64_t(301));
    }
};

QTEST_APPLESS_MAIN(TestFixSummary)
#include "tst_fixsummary.moc"
