// SPDX-License-Identifier: GPL-3.0-or-later
// What the charts draw: the sampled series against every epoch read one
// by one. The logs are built record by record, large enough for every
// level of block summaries, with gaps in time and epochs without values.

#include <QtTest>

#include <cmath>
#include <limits>

#include "analysis/ChartSeries.h"

using namespace orvane;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// count epochs 100 ms apart from 12:00, with a gap of gapEpochs missing
// after epoch gapAt. HDOP wanders, with a spike at spikeAt and no value
// on every 1000th epoch; satellite 7's C/N0 follows the epoch, its record
// shared by runs of 50 epochs as the reader shares unchanged lists.
EpochLog MakeLog(size_t count, size_t gapAt = SIZE_MAX, size_t gapEpochs = 0, size_t spikeAt = SIZE_MAX)
{
    EpochLog log;
    log.used.push_back(0);  // neither satellite used, in every epoch
    int32_t ms = 12 * 3600 * 1000;
    for (size_t k = 0; k < count; ++k) {
        Epoch epoch;
        epoch.timeMs = ms;
        ms += 100 * int32_t(k == gapAt ? gapEpochs + 1 : 1);
        epoch.hdop = k % 1000 == 999 ? float(kNaN) : float(1.0 + 0.5 * std::sin(double(k) / 300.0));
        if (k == spikeAt)
            epoch.hdop = 42.5f;
        epoch.flags = Epoch::kSatellitesInView;
        if (k % 50 == 0) {
            log.satellites.push_back({uint16_t(3), 0, 1});                              // GPS 3, no ID
            log.satellites.push_back({uint16_t(7), 0, uint16_t((1 << 1) | (1 << 7))});  // GPS 7, L1 and L5
        }
        epoch.firstSatellite = uint32_t(log.satellites.size() - 2);
        epoch.satelliteCount = 2;
        epoch.firstCn0 = uint32_t(log.cn0.size());
        log.cn0.push_back(30);
        log.cn0.push_back(uint8_t(20 + k % 30));
        log.cn0.push_back(uint8_t(k % 7 == 0 ? 0 : 40));
        log.epochs.push_back(epoch);
    }
    return log;
}

TimeLine TimesOf(const EpochLog& log)
{
    TimeLine line;
    for (const Epoch& epoch : log.epochs)
        line.ms.push_back(epoch.timeMs);
    return line;
}

double Seconds(const EpochLog& log, size_t k)
{
    return double(log.epochs[k].timeMs) / 1000.0;
}

}  // namespace

class TestChartSeries : public QObject {
    Q_OBJECT

private slots:
    void keepsEveryExtreme_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("from");  // epochs
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("columns");
        QTest::newRow("few epochs: read one by one") << 500 << 0 << 499 << 800;
        QTest::newRow("blocks of 32") << 20000 << 0 << 19999 << 300;
        QTest::newRow("blocks of 1024") << 200000 << 0 << 199999 << 100;
        QTest::newRow("blocks of 32768") << 400000 << 0 << 399999 << 5;
        QTest::newRow("range inside blocks") << 200000 << 12345 << 123456 << 50;
        QTest::newRow("range in one block") << 200000 << 40000 << 40020 << 50;
    }

    void keepsEveryExtreme()
    {
        QFETCH(int, count);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, columns);
        const size_t spike = size_t(from + (to - from) / 3);
        const EpochLog log = MakeLog(size_t(count), SIZE_MAX, 0, spike);
        const TimeLine times = TimesOf(log);
        SeriesSampler sampler({SeriesKind::Hdop});
        SeriesPoints points;
        sampler.Sample(log, times, 0, {}, Seconds(log, size_t(from)), Seconds(log, size_t(to)), columns, 0.15, points);

        // Each point is an epoch's own value, at its time.
        QVERIFY(!points.x.empty());
        double low = INFINITY, high = -INFINITY;
        for (size_t p = 0; p < points.x.size(); ++p) {
            if (std::isnan(points.y[p]))
                continue;
            const size_t k = size_t(std::lround((points.x[p] - 12 * 3600) * 10));
            QVERIFY(k < log.epochs.size());
            QCOMPARE(float(points.y[p]), log.epochs[k].hdop);
            if (p > 0)
                QVERIFY(points.x[p] >= points.x[p - 1]);
            low = std::min(low, points.y[p]);
            high = std::max(high, points.y[p]);
        }
        // The lowest and highest value of the range are drawn, the spike too.
        double lowest = INFINITY, highest = -INFINITY;
        for (int k = from; k <= to; ++k)
            if (!std::isnan(log.epochs[size_t(k)].hdop)) {
                lowest = std::min(lowest, double(log.epochs[size_t(k)].hdop));
                highest = std::max(highest, double(log.epochs[size_t(k)].hdop));
            }
        QVERIFY(low <= lowest);
        QCOMPARE(highest, 42.5);
        QCOMPARE(high, highest);
        // About two points per column, and the ends in finer blocks.
        QVERIFY2(points.x.size() <= size_t(to - from + 3) && points.x.size() <= size_t(4 * columns + 3 * 4 * 32 + 8),
            qPrintable(QString::number(points.x.size())));
    }

    void breaksAtGapsAndMissingValues_data()
    {
        QTest::addColumn<int>("columns");
        QTest::newRow("one by one") << 100000;
        QTest::newRow("in blocks") << 40;
    }

    void breaksAtGapsAndMissingValues()
    {
        QFETCH(int, columns);
        const size_t gapAt = 60000;
        const EpochLog log = MakeLog(100000, gapAt, 20);
        const TimeLine times = TimesOf(log);
        SeriesSampler sampler({SeriesKind::Hdop});
        SeriesPoints points;
        sampler.Sample(log, times, 0, {}, Seconds(log, 0), Seconds(log, log.epochs.size() - 1), columns, 0.15, points);
        // No line crosses the gap, and a break lies at it: one by one at its
        // first side, in blocks within the block (1024 epochs) that holds it.
        const double before = Seconds(log, gapAt), after = Seconds(log, gapAt + 1);
        const double slack = columns > 50000 ? 0 : 1024 * 0.1;
        bool broken = false, crossed = false;
        for (size_t p = 1; p < points.x.size(); ++p) {
            if (std::isnan(points.y[p]))
                broken = broken || (points.x[p] >= before - slack && points.x[p] <= after + slack);
            else if (!std::isnan(points.y[p - 1]) && points.x[p - 1] <= before && points.x[p] >= after)
                crossed = true;
        }
        QVERIFY(broken);
        QVERIFY(!crossed);
        // Every 1000th epoch has no HDOP: one by one, each is a break.
        if (columns > 100000 / 2) {
            const auto breaks = std::count_if(points.y.begin(), points.y.end(), [](double y) { return std::isnan(y); });
            QCOMPARE(breaks, qsizetype(100 + 1));
        }
    }

    void growingLogSamplesAsAFreshOne()
    {
        const EpochLog whole = MakeLog(150000, 70000, 5);
        EpochLog part = whole;
        part.epochs.resize(90001);
        SeriesSampler grown({SeriesKind::Hdop}), fresh({SeriesKind::Hdop});
        SeriesPoints early, late, expected;
        const double from = Seconds(whole, 0), to = Seconds(whole, whole.epochs.size() - 1);
        grown.Sample(part, TimesOf(part), 0, {}, from, to, 60, 0.15, early);
        grown.Sample(whole, TimesOf(whole), 0, {}, from, to, 60, 0.15, late);
        fresh.Sample(whole, TimesOf(whole), 0, {}, from, to, 60, 0.15, expected);
        QCOMPARE(late.x, expected.x);
        QCOMPARE(late.y.size(), expected.y.size());
        for (size_t p = 0; p < late.y.size(); ++p)
            QVERIFY(late.y[p] == expected.y[p] || (std::isnan(late.y[p]) && std::isnan(expected.y[p])));
    }

    void cn0OfSharedSatelliteLists()
    {
        const EpochLog log = MakeLog(3000);
        const TimeLine times = TimesOf(log);
        const std::vector<SeriesId> cn0Signals = Cn0Signals(log);
        QCOMPARE(cn0Signals.size(), size_t(3));
        QCOMPARE(cn0Signals[2].prn, 7);
        QCOMPARE(cn0Signals[2].signalBit, 7);
        // Satellite 7's L5: 40 dB-Hz but on every 7th epoch, where it is not tracked.
        SeriesSampler sampler(cn0Signals[2]);
        SeriesPoints points;
        sampler.Sample(log, times, 0, {}, Seconds(log, 0), Seconds(log, 2999), 100000, 0.15, points);
        size_t values = 0;
        for (size_t p = 0; p < points.x.size(); ++p) {
            if (std::isnan(points.y[p]))
                continue;
            const size_t k = size_t(std::lround((points.x[p] - 12 * 3600) * 10));
            QCOMPARE(points.y[p], SeriesValue(log, k, cn0Signals[2], {}));
            QCOMPARE(points.y[p], 40.0);
            ++values;
        }
        QCOMPARE(values, size_t(3000 - (3000 + 6) / 7));
        // Satellite 7's L1 follows the epoch through the shared lists.
        SeriesSampler first(cn0Signals[1]);
        first.Sample(log, times, 0, {}, Seconds(log, 0), Seconds(log, 2999), 100000, 0.15, points);
        QCOMPARE(points.y.size(), size_t(3000));
        for (size_t k = 0; k < 3000; ++k)
            QCOMPARE(points.y[k], double(20 + k % 30));
    }
};

QTEST_GUILESS_MAIN(TestChartSeries)
#include "tst_chartseries.moc"
