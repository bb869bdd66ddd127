// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics on logs whose errors are known: the simulator's static
// receiver with a given bias and noise, and a device under test that
// reports the drive moved by an offset and late by a delay. Expected
// figures come from those parameters (and, for the delay, from the
// reference log's own speeds), with room for sampling error and the 2 cm
// the sentences' coordinates are rounded to.

#include <QtTest>

#include <cmath>
#include <string>

#include "../common/Sentence.h"
#include "Generator.h"
#include "analysis/ReceiverStats.h"
#include "decoder/Epochs.h"

using namespace orvane;

Q_DECLARE_METATYPE(orvane::FixFilter)

namespace {

constexpr double kStartLat = 37.5554652, kStartLon = 126.9715542, kStartHeight = 30.0;
constexpr int kEpochs = 4000;

EpochLog Generate(uint64_t seed, loggen::NmeaVersion version, const loggen::Scenario& scenario, int seconds)
{
    loggen::Generator generator(seed, version, scenario);
    std::string text;
    for (int k = 0; k < seconds; ++k)
        generator.AppendEpoch(text);
    return ReadEpochs(text);
}

bool Near(double actual, double expected, double tolerance)
{
    if (std::fabs(actual - expected) <= tolerance)
        return true;
    qWarning("%g is not within %g of %g", actual, tolerance, expected);
    return false;
}

}  // namespace

class TestReceiverStats : public QObject {
    Q_OBJECT
private slots:
    void nearestRank_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("percent");
        QTest::addColumn<double>("expected");
        QTest::newRow("median of 10 is the 5th") << 10 << 50.0 << 5.0;
        QTest::newRow("95th of 10 is the 10th") << 10 << 95.0 << 10.0;
        QTest::newRow("10th of 10 is the 1st") << 10 << 10.0 << 1.0;
        QTest::newRow("median of 9 is the 5th") << 9 << 50.0 << 5.0;
        QTest::newRow("one value") << 1 << 99.0 << 1.0;
        QTest::newRow("none") << 0 << 50.0 << 0.0;
    }
    void nearestRank()
    {
        QFETCH(int, count);
        QFETCH(double, percent);
        QFETCH(double, expected);
        std::vector<double> values;
        for (int k = 1; k <= count; ++k)
            values.push_back(k);
        QCOMPARE(NearestRank(values, percent), expected);
    }

    // A static receiver about its true point: the bias is the mean error,
    // the noise its standard deviation, and for a circular normal error
    // CEP50 = 1.1774 sigma, R95 = 2.4477 sigma, DRMS = sqrt(2) sigma.
    void staticReceiver_data()
    {
        QTest::addColumn<double>("east");
        QTest::addColumn<double>("north");
        QTest::addColumn<double>("up");
        QTest::addColumn<double>("sigma");
        QTest::addColumn<double>("sigmaUp");
        QTest::newRow("bias only") << 1.0 << 2.0 << 3.0 << 0.0 << 0.0;
        QTest::newRow("noise only") << 0.0 << 0.0 << 0.0 << 0.5 << 1.0;
        QTest::newRow("bias and noise") << -1.5 << 0.7 << -2.0 << 0.3 << 0.6;
    }
    void staticReceiver()
    {
        QFETCH(double, east);
        QFETCH(double, north);
        QFETCH(double, up);
        QFETCH(double, sigma);
        QFETCH(double, sigmaUp);
        loggen::Scenario scenario;
        scenario.standing = true;
        scenario.bias = {east, north, up};
        scenario.noise = {sigma, sigma, sigmaUp};
        const EpochLog log = Generate(7, loggen::NmeaVersion::V4_11, scenario, kEpochs);
        StatsOptions options;
        options.reference = ReferenceKind::Point;
        options.point = {kStartLat, kStartLon, kStartHeight};
        const ReceiverStats stats = ComputeStats(log, options);
        const AccuracyStats& a = stats.accuracy;
        QCOMPARE(a.n, size_t(kEpochs));
        QVERIFY(a.vertical);
        // The mean's sampling error (4 standard errors) and the rounding.
        const double rounding = 0.02;
        const double meanRoom = 4 * sigma / std::sqrt(double(kEpochs)) + rounding;
        const double upRoom = 4 * sigmaUp / std::sqrt(double(kEpochs)) + 0.05;  // heights have one decimal
        QVERIFY(Near(a.bias[0], east, meanRoom));
        QVERIFY(Near(a.bias[1], north, meanRoom));
        QVERIFY(Near(a.bias[2], up, upRoom));
        QVERIFY(Near(a.sigma[0], sigma, 0.05 * sigma + rounding));
        QVERIFY(Near(a.sigma[1], sigma, 0.05 * sigma + rounding));
        QVERIFY(Near(a.sigma[2], sigmaUp, 0.05 * sigmaUp + 0.03));
        if (east == 0 && north == 0) {
            QVERIFY(Near(a.cep50, 1.1774 * sigma, 0.04 * sigma + rounding));
            QVERIFY(Near(a.r95, 2.4477 * sigma, 0.05 * sigma + rounding));
            QVERIFY(Near(a.drms, std::sqrt(2.0) * sigma, 0.03 * sigma + rounding));
            QVERIFY(Near(a.up50, 0.6745 * sigmaUp, 0.05 * sigmaUp + 0.05));
            // GST reports the noise: |error| / (sigma sqrt 2) has the median
            // 1.1774 / sqrt(2).
            QCOMPARE(stats.honesty.n, size_t(kEpochs));
            QVERIFY(Near(stats.honesty.median, 1.1774 / std::sqrt(2.0), 0.04));
        }
        if (sigma == 0) {
            QVERIFY(Near(a.cep50, std::hypot(east, north), rounding));
            QVERIFY(Near(a.max, std::hypot(east, north), rounding));
            QVERIFY(Near(a.up50, std::fabs(up), 0.06));
        }
        QVERIFY(a.cep50 <= a.r95 && a.r95 <= a.p99 && a.p99 <= a.max);
        QCOMPARE(a.twoDrms, 2 * a.drms);

        // About the mean of the fixes the bias is gone, the spread stays.
        options.reference = ReferenceKind::MeanOfFixes;
        const ReceiverStats about = ComputeStats(log, options);
        QVERIFY(Near(about.accuracy.bias[0], 0, 1e-6));
        QVERIFY(Near(about.accuracy.bias[1], 0, 1e-6));
        QVERIFY(Near(about.accuracy.sigma[0], a.sigma[0], 1e-3));
        QVERIFY(Near(about.accuracy.reference.latitude, kStartLat, 1e-6 + std::fabs(north) / 1.1e5));
    }

    // The device under test against its reference: a known offset gives
    // that error at every epoch; a delay moves it back along the track by
    // the distance driven in that time.
    void twoReceivers_data()
    {
        QTest::addColumn<double>("east");
        QTest::addColumn<double>("north");
        QTest::addColumn<double>("up");
        QTest::addColumn<double>("delay");
        QTest::newRow("offset") << 1.0 << 2.0 << 0.5 << 0.0;
        QTest::newRow("delay") << 0.0 << 0.0 << 0.0 << 1.0;
        QTest::newRow("half a second") << 0.0 << 0.0 << 0.0 << 0.5;
    }
    void twoReceivers()
    {
        QFETCH(double, east);
        QFETCH(double, north);
        QFETCH(double, up);
        QFETCH(double, delay);
        const int seconds = 900;
        const EpochLog reference = Generate(3, loggen::NmeaVersion::V4_0, {}, seconds);
        loggen::Scenario scenario;
        scenario.device = true;
        scenario.offset = {east, north, up};
        scenario.delay = delay;
        const EpochLog device = Generate(3, loggen::NmeaVersion::V4_0, scenario, seconds);
        StatsOptions options;
        options.reference = ReferenceKind::Log;
        options.referenceLog = &reference;
        const ReceiverStats stats = ComputeStats(device, options);
        QVERIFY(stats.pair);
        const PairStats& pair = *stats.pair;
        QCOMPARE(pair.matched, size_t(seconds));
        QCOMPARE(pair.horizontal.n, size_t(seconds));
        if (delay == 0) {
            QVERIFY(Near(pair.horizontal.mean, std::hypot(east, north), 0.02));
            QVERIFY(Near(pair.horizontal.max, std::hypot(east, north), 0.03));
            QVERIFY(Near(pair.vertical.mean, up, 0.06));
            QVERIFY(Near(stats.accuracy.bias[0], east, 0.02));
            QVERIFY(Near(stats.accuracy.bias[1], north, 0.02));
            return;
        }
        // The distance driven in the delay, from the reference's own speeds
        // at the epochs the track statistics use.
        double driven = 0;
        size_t counted = 0;
        for (const Epoch& epoch : reference.epochs) {
            if (!std::isnan(epoch.course) && epoch.speed >= 0.5) {
                driven += epoch.speed * delay;
                ++counted;
            }
        }
        QCOMPARE(pair.alongTrack.n, counted);
        QVERIFY(Near(pair.alongTrack.mean, -driven / double(counted), 0.1 * driven / double(counted) + 0.02));
        QVERIFY(std::fabs(pair.crossTrack.mean) < 0.1 * driven / double(counted) + 0.05);
    }

    // The epochs of two logs match within the tolerance only.
    void matchTolerance_data()
    {
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<int>("matched");
        QTest::newRow("5 ms misses 10 ms") << 5 << 0;
        QTest::newRow("20 ms takes it") << 20 << 3;
    }
    void matchTolerance()
    {
        QFETCH(int, tolerance);
        QFETCH(int, matched);
        std::string device, reference;
        for (const char* second : {"00", "01", "02"}) {
            device +=
                Nmea(("GPGGA,1200" + std::string(second) + ".01,4807.03800,N,01131.00000,E,1,08,0.9,545.4,M,46.9,M,,")
                         .c_str());
            reference +=
                Nmea(("GPGGA,1200" + std::string(second) + ".00,4807.03800,N,01131.00000,E,1,08,0.9,545.4,M,46.9,M,,")
                         .c_str());
        }
        const EpochLog deviceLog = ReadEpochs(device), referenceLog = ReadEpochs(reference);
        StatsOptions options;
        options.reference = ReferenceKind::Log;
        options.referenceLog = &referenceLog;
        options.matchToleranceMs = tolerance;
        QCOMPARE(ComputeStats(deviceLog, options).pair->matched, size_t(matched));
    }

    // Availability on a log with a gap, fix changes and correction ages,
    // under each filter.
    void availability_data()
    {
        QTest::addColumn<FixFilter>("filter");
        QTest::addColumn<int>("withFix");
        QTest::addColumn<int>("gaps");
        QTest::newRow("all") << FixFilter::All << 7 << 1;
        QTest::newRow("3d") << FixFilter::ThreeD << 6 << 1;
        QTest::newRow("rtk") << FixFilter::RtkFixed << 3 << 1;
    }
    void availability()
    {
        QFETCH(FixFilter, filter);
        QFETCH(int, withFix);
        QFETCH(int, gaps);
        // Seconds 0-9 but 5-6; 0 no fix, 1 2D, 2 3D, 3 float, 4 7 8 fixed,
        // 9 DGPS. Correction ages 1, 2, 3 s on the RTK epochs.
        std::string text;
        const auto epoch = [&text](int second, int quality, int fixType, const char* age) {
            char body[160];
            std::snprintf(body, sizeof body,
                "GPGGA,1200%02d.00,4807.03800,N,01131.00000,E,%d,08,0.9,545.4,M,46.9,M,%s,", second, quality, age);
            text += Nmea(body);
            std::snprintf(body, sizeof body, "GPGSA,A,%d,05,,,,,,,,,,,,1.5,0.9,1.2", fixType);
            text += Nmea(body);
        };
        epoch(0, 0, 1, "");
        epoch(1, 1, 2, "");
        epoch(2, 1, 3, "");
        epoch(3, 5, 3, "1.0");
        epoch(4, 4, 3, "2.0");
        epoch(7, 4, 3, "3.0");
        epoch(8, 4, 3, "3.0");
        epoch(9, 2, 3, "");
        const EpochLog log = ReadEpochs(text);
        StatsOptions options;
        options.filter = filter;
        const AvailabilityStats stats = ComputeStats(log, options).availability;
        QCOMPARE(stats.epochs, size_t(8));
        QCOMPARE(stats.periodSeconds, 1.0);
        QCOMPARE(stats.expected, size_t(10));
        QCOMPARE(stats.withFix, size_t(withFix));
        QCOMPARE(stats.availability, withFix / 10.0);
        QCOMPARE(stats.gaps.size(), size_t(gaps));
        QCOMPARE(stats.gaps[0].seconds, 3.0);  // from 4 to 7
        QCOMPARE(stats.secondsByFix[size_t(FixClass::RtkFixed)], 3.0);
        QCOMPARE(stats.secondsByFix[size_t(FixClass::TwoD)], 1.0);
        QCOMPARE(stats.rtkFixedShare, 3 / 8.0);
        QCOMPARE(stats.rtkFloatShare, 1 / 8.0);
        QCOMPARE(stats.firstFixSeconds.value_or(-1), 1.0);
        QCOMPARE(stats.firstRtkFixedSeconds.value_or(-1), 4.0);
        if (filter == FixFilter::RtkFixed) {
            QCOMPARE(stats.correctionAge.n, size_t(3));
            QCOMPARE(stats.correctionAge.mean, 8.0 / 3);
            QCOMPARE(stats.correctionAgeMax, 3.0);
        }
        // A range that leaves out the first two epochs.
        options.fromMs = ComputeStats(log, options).timeLine.ms[2];
        QCOMPARE(ComputeStats(log, options).availability.epochs, size_t(6));
    }

    // A log whose time goes back within the day (a receiver restarted with
    // its clock wrong, two logs joined): each stretch that runs forward
    // expects its own epochs, and the time to the first fix runs on over
    // the stretches, a period for each step back.
    void timeGoingBack_data()
    {
        QTest::addColumn<QString>("seconds");  // the epochs' seconds, "-" before one without a fix
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("withFix");
        QTest::addColumn<double>("firstFix");
        QTest::addColumn<int>("gaps");
        QTest::newRow("one step back") << "-10 11 12 5 6" << 5 << 4 << 1.0 << 0;
        QTest::newRow("first fix after the step back") << "-10 -11 3 4" << 4 << 2 << 2.0 << 0;
        QTest::newRow("a gap in the second stretch") << "20 21 0 1 4" << 7 << 5 << 0.0 << 1;
        QTest::newRow("two steps back") << "30 31 10 11 0 1" << 6 << 6 << 0.0 << 0;
    }
    void timeGoingBack()
    {
        QFETCH(QString, seconds);
        QFETCH(int, expected);
        QFETCH(int, withFix);
        QFETCH(double, firstFix);
        QFETCH(int, gaps);
        std::string text;
        for (const QString& second : seconds.split(' ')) {
            const bool fix = !second.startsWith('-');
            char body[160];
            std::snprintf(body, sizeof body, "GPGGA,1200%02d.00,4807.03800,N,01131.00000,E,%d,08,0.9,545.4,M,46.9,M,,",
                std::abs(second.toInt()), fix ? 1 : 0);
            text += Nmea(body);
        }
        const AvailabilityStats stats = ComputeStats(ReadEpochs(text), StatsOptions()).availability;
        QCOMPARE(stats.periodSeconds, 1.0);
        QCOMPARE(stats.expected, size_t(expected));
        QCOMPARE(stats.withFix, size_t(withFix));
        QCOMPARE(stats.availability, double(withFix) / expected);
        QCOMPARE(stats.firstFixSeconds.value_or(-1), firstFix);
        QCOMPARE(stats.gaps.size(), size_t(gaps));
    }

    // No fix, and a single fix.
    void emptyCases()
    {
        const EpochLog none = ReadEpochs(Nmea("GPGGA,120000.00,,,,,0,00,,,M,,M,,"));
        const ReceiverStats noFix = ComputeStats(none, {});
        QCOMPARE(noFix.accuracy.n, size_t(0));
        QCOMPARE(noFix.availability.withFix, size_t(0));
        QVERIFY(!noFix.availability.firstFixSeconds);
        QVERIFY(ComputeStats(EpochLog{}, {}).errors.empty());

        const EpochLog one = ReadEpochs(Nmea("GPGGA,120000.00,4807.03800,N,01131.00000,E,1,08,0.9,545.4,M,46.9,M,,"));
        const ReceiverStats single = ComputeStats(one, {});
        QCOMPARE(single.accuracy.n, size_t(1));
        QVERIFY(Near(single.accuracy.cep50, 0, 1e-6));
        QCOMPARE(single.accuracy.sigma[0], 0.0);
        QCOMPARE(single.availability.expected, size_t(1));
        QCOMPARE(single.availability.availability, 1.0);
    }

    // C/N0 of used and in-view signals, and by elevation.
    void cn0()
    {
        const EpochLog log = ReadEpochs(Nmea("GPGGA,120000.00,4807.03800,N,01131.00000,E,1,08,0.9,545.4,M,46.9,M,,") +
                                        Nmea("GNGSA,A,3,01,,,,,,,,,,,,1.5,0.9,1.2,1") +
                                        Nmea("GPGSV,1,1,03,01,15,100,40,02,55,200,30,03,85,300,,1") +
                                        Nmea("GPGSV,1,1,01,01,15,100,44,6"));
        const ReceiverStats stats = ComputeStats(log, {});
        QCOMPARE(stats.cn0.size(), size_t(2));
        QCOMPARE(stats.cn0[0].signalId, '1');
        QCOMPARE(stats.cn0[0].used.n, size_t(1));
        QCOMPARE(stats.cn0[0].used.mean, 40.0);
        QCOMPARE(stats.cn0[0].inView.n, size_t(2));  // satellite 3's empty C/N0 is not counted
        QCOMPARE(stats.cn0[0].inView.mean, 35.0);
        QCOMPARE(stats.cn0[0].inView.median, 30.0);
        QCOMPARE(stats.cn0[1].signalId, '6');
        QCOMPARE(stats.cn0[1].used.mean, 44.0);
        QCOMPARE(stats.cn0ByElevation[1].all.n, size_t(2));  // 10-20 degrees: both signals of satellite 1
        QCOMPARE(stats.cn0ByElevation[5].all.mean, 30.0);
    }
};

QTEST_APPLESS_MAIN(TestReceiverStats)
#include "tst_receiverstats.moc"
