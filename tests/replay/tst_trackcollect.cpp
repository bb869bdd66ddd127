// SPDX-License-Identifier: GPL-3.0-or-later
// The track of a log: which sentences make points, one point per fix, the
// full times across midnight and date changes, and the segments.

#include <QtTest>

#include <cstdio>
#include <string>
#include <vector>

#include "../common/Sentence.h"
#include "replay/TrackCollect.h"
#include "replay/TrackExport.h"

using namespace orvane;

namespace {

std::string Rmc(const char* time, const char* date, const char* lat = "3733.32791,N", const char* status = "A")
{
    return Nmea(
        std::string("GPRMC,") + time + "," + status + "," + lat + ",12658.29325,E,0.01,172.00," + date + ",,,A");
}

std::string Gga(const char* time, const char* altitude = "31.5", const char* quality = "1", const char* talker = "GP")
{
    return Nmea(std::string(talker) + "GGA," + time + ",3733.32791,N,12658.29325,E," + quality + ",22,0.64," +
                altitude + ",M,23.6,M,,");
}

// The points' times as ISO text ("-" for none), in order.
QStringList Times(const std::vector<TrackPoint>& points)
{
    QStringList times;
    for (const TrackPoint& point : points)
        times.append(point.time ? QString::fromStdString(IsoTime(*point.time)) : QStringLiteral("-"));
    return times;
}

}  // namespace

class TestTrackCollect : public QObject {
    Q_OBJECT

private slots:
    void timesAndSegments_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QStringList>("times");
        QTest::addColumn<QList<int>>("segments");
        const auto log = [](std::initializer_list<std::string> parts) {
            std::string text;
            for (const std::string& part : parts)
                text += part;
            return QByteArray::fromStdString(text);
        };
        QTest::newRow("across midnight, dated by RMC")
            << log({Rmc("235959.00", "140326"), Gga("235959.00"), Rmc("000000.50", "150326"),
                   Rmc("000001.00", "150326")})
            << QStringList{"2026-03-14T23:59:59Z", "2026-03-15T00:00:00.50Z", "2026-03-15T00:00:01Z"} << QList<int>{0};
        QTest::newRow("GGA before the first date, across midnight")
            << log({Gga("235958"), Gga("235959"), Gga("000000"), Rmc("000001", "010127")})
            << QStringList{"2026-12-31T23:59:58Z", "2026-12-31T23:59:59Z", "2027-01-01T00:00:00Z",
                   "2027-01-01T00:00:01Z"}
            << QList<int>{0};
        QTest::newRow("no date at all: times of day across midnight")
            << log({Gga("235955"), Gga("235959"), Gga("000003"), Gga("000020")}) << QStringList{"-", "-", "-", "-"}
            << QList<int>{0, 3};
        QTest::newRow("the date jumps back: kept in log order, new segment")
            << log({Rmc("120000", "020326"), Rmc("120001", "010326"), Rmc("120002", "010326")})
            << QStringList{"2026-03-02T12:00:00Z", "2026-03-01T12:00:01Z", "2026-03-01T12:00:02Z"} << QList<int>{0, 1};
        QTest::newRow("a gap of exactly 10 s stays, of more splits")
            << log({Rmc("100000", "140326"), Rmc("100010", "140326"), Rmc("100020.01", "140326")})
            << QStringList{"2026-03-14T10:00:00Z", "2026-03-14T10:00:10Z", "2026-03-14T10:00:20.01Z"}
            << QList<int>{0, 2};
        QTest::newRow("ZDA dates the fix of its time")
            << log({Gga("235959"), Nmea("GPZDA,235959.00,31,12,2025,00,00"), Gga("000000")})
            << QStringList{"2025-12-31T23:59:59Z", "2026-01-01T00:00:00Z"} << QList<int>{0};
    }
    void timesAndSegments()
    {
        QFETCH(QByteArray, log);
        QFETCH(QStringList, times);
        QFETCH(QList<int>, segments);
        TrackCollector collector;
        collector.Feed(log.toStdString());
        const std::vector<TrackPoint> points = collector.Points();
        QCOMPARE(Times(points), times);
        QList<int> starts;
        for (const size_t start : SegmentStarts(points))
            starts.append(int(start));
        QCOMPARE(starts, segments);
    }

    // Only a reported, intact, usable position makes a point.
    void unusableSentencesMakeNoPoint_data()
    {
        QTest::addColumn<QByteArray>("sentence");
        QTest::newRow("zero latitude") << QByteArray::fromStdString(Rmc("1", "140326", "0000.00000,N"));
        QTest::newRow("zero longitude") << QByteArray::fromStdString(
            Nmea("GPGGA,100000,3733.3,N,00000.000,E,1,08,1.0,10.0,M,0,M,,"));
        QTest::newRow("empty position") << QByteArray::fromStdString(Nmea("GPGGA,100000,,,,,0,00,99.99,,,,,,"));
        QTest::newRow("no hemisphere") << QByteArray::fromStdString(Rmc("100000", "140326", "3733.32791,"));
        QTest::newRow("latitude over 90") << QByteArray::fromStdString(Rmc("100000", "140326", "9100.00000,N"));
        QTest::newRow("61 minutes") << QByteArray::fromStdString(Rmc("100000", "140326", "3761.00000,N"));
        QTest::newRow("overflows to infinity")
            << QByteArray::fromStdString(Rmc("100000", "140326", (std::string(400, '9') + ",N").c_str()));
        QTest::newRow("not a number") << QByteArray::fromStdString(Rmc("100000", "140326", "37x3.3,N"));
        QTest::newRow("RMC void") << QByteArray::fromStdString(Rmc("100000", "140326", "3733.32791,N", "V"));
        QTest::newRow("GGA without fix") << QByteArray::fromStdString(Gga("100000", "31.5", "0"));
        QTest::newRow("GLL void") << QByteArray::fromStdString(Nmea("GPGLL,3733.3,N,12658.2,E,100000,V,N"));
        QByteArray badSum = QByteArray::fromStdString(Rmc("100000", "140326"));
        badSum[badSum.indexOf('*') + 1] = badSum[badSum.indexOf('*') + 1] == '0' ? '1' : '0';
        QTest::newRow("wrong checksum") << badSum;
        QTest::newRow("cut off at the end") << QByteArray::fromStdString(Rmc("100000", "140326")).left(40);
    }
    void unusableSentencesMakeNoPoint()
    {
        QFETCH(QByteArray, sentence);
        TrackCollector collector;
        collector.Feed(sentence.toStdString());
        QCOMPARE(collector.Size(), size_t(0));
        // The same log with a usable fix after it has that one point.
        collector.Feed(Gga("100001"));
        QCOMPARE(collector.Size(), size_t(1));
    }

    // The sentences of one fix, of several talkers, make one point with the
    // first position, GGA's height and RMC's date; fed one line at a time
    // the track is the same.
    void oneFixOnePoint()
    {
        const std::string log =
            Rmc("235800.00", "140326") + Gga("235800.00", "-12.25") + Gga("235800.00", "50", "1", "GN") +
            Nmea("GPGLL,3733.32791,N,12658.29325,E,235800.00,A,A") + Gga("235801.00", "") +
            Nmea("GPGLL,3733.3,S,12658.3,W,235802.00,A,A") + Nmea("GNGLL,-3733.3,S,-12658.3,W,235803.00,A,A");
        TrackCollector whole, lines;
        whole.Feed(log);
        for (size_t at = 0; at < log.size();) {
            const size_t end = log.find('\n', at) + 1;
            lines.Feed(std::string_view(log).substr(at, end - at));
            at = end;
        }
        const std::vector<TrackPoint> points = whole.Points();
        QCOMPARE(points.size(), size_t(4));
        QCOMPARE(points[0].elevation.value_or(1e9), -12.25);
        QVERIFY(!points[1].elevation);
        QCOMPARE(Times(points), (QStringList{"2026-03-14T23:58:00Z", "2026-03-14T23:58:01Z", "2026-03-14T23:58:02Z",
                                    "2026-03-14T23:58:03Z"}));
        // The letter gives the sign, also beside a field's own minus sign.
        for (const size_t k : {2, 3}) {
            QVERIFY(points[k].latitude < -37.55 && points[k].latitude > -37.56);
            QVERIFY(points[k].longitude < -126.97 && points[k].longitude > -126.98);
        }
        QCOMPARE(Times(lines.Points()), Times(points));
    }
};

QTEST_APPLESS_MAIN(TestTrackCollect)
#include "tst_trackcollect.moc"
