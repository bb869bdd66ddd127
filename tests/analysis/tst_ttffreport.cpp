// SPDX-License-Identifier: GPL-3.0-or-later
// The valid-fix criterion on epochs read from sentences, and the TTFF
// figures, CSV and JSON of a series.

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "../common/Sentence.h"
#include "analysis/FixCriterion.h"
#include "analysis/TtffReport.h"

using namespace orvane;

namespace {

TtffSeries Series()
{
    TtffSeries series;
    series.start = "cold, full";
    series.command = "$PMTK104";
    series.plannedRuns = 6;
    series.timeoutSeconds = 120;
    const struct {
        RunOutcome outcome;
        double seconds;
    } runs[] = {{RunOutcome::Fix, 30}, {RunOutcome::Timeout, 120}, {RunOutcome::Fix, 10}, {RunOutcome::Fix, 40},
        {RunOutcome::Fix, 20}, {RunOutcome::Lost, 3.5}};
    for (const auto& r : runs) {
        TtffRun& run = series.runs.emplace_back();
        run.index = int(series.runs.size());
        run.outcome = r.outcome;
        run.seconds = r.seconds;
        run.sentUtc = "2026-12-08T00:00:00.000Z";
    }
    series.runs.back().note = "the device was disconnected";
    series.ended = "the receiver was lost (the device was disconnected)";
    return series;
}

}  // namespace

class TestTtffReport : public QObject {
    Q_OBJECT
private slots:
    void criterion_data()
    {
        QTest::addColumn<QByteArray>("sentences");
        QTest::addColumn<bool>("threeD");
        QTest::addColumn<double>("maxHdop");       // 0: none
        QTest::addColumn<double>("withinMetres");  // 0: no reference
        QTest::addColumn<bool>("meets");
        const std::string gga0 = Nmea("GPGGA,120000.00,,,,,0,00,99.99,,,,,,");
        const std::string rmcV = Nmea("GPRMC,120000.00,V,,,,,,,071226,,,N");
        const std::string gga1 = Nmea("GPGGA,120000.00,3733.32791,N,12658.29325,E,1,09,0.90,45.2,M,18.5,M,,");
        const std::string rmcA = Nmea("GPRMC,120000.00,A,3733.32791,N,12658.29325,E,0.01,0.0,071226,,,A");
        const std::string gsa2 = Nmea("GPGSA,A,2,01,03,06,,,,,,,,,,2.50,1.90,1.50");
        const std::string gsa3 = Nmea("GPGSA,A,3,01,03,06,07,,,,,,,,,1.60,1.20,1.30");
        const auto row = [](const char* name, const std::string& text, bool threeD, double hdop, double within,
                             bool meets) {
            QTest::newRow(name) << QByteArray::fromStdString(text) << threeD << hdop << within << meets;
        };
        row("no fix", gga0 + rmcV, false, 0, 0, false);
        row("GGA quality 1", gga1 + rmcV, false, 0, 0, true);
        row("RMC status A alone", gga0 + rmcA, false, 0, 0, true);
        row("3D asked, GSA 2D", gga1 + gsa2, true, 0, 0, false);
        row("3D asked, GSA 3D", gga1 + gsa3, true, 0, 0, true);
        row("3D asked, no GSA", gga1, true, 0, 0, false);
        row("RTK fixed counts as 3D",
            Nmea("GPGGA,120000.00,3733.32791,N,12658.29325,E,4,09,0.90,45.2,M,18.5,M,1.0,0001"), true, 0, 0, true);
        row("HDOP over the limit", gsa3 + gga1, false, 1.0, 0, false);  // the GSA's 1.20 comes first
        row("HDOP at the limit", gga1, false, 0.9, 0, true);
        row("within the distance", gga1, false, 0, 12, true);
        row("beyond the distance", gga1, false, 0, 8, false);
    }
    void criterion()
    {
        QFETCH(QByteArray, sentences);
        QFETCH(bool, threeD);
        QFETCH(double, maxHdop);
        QFETCH(double, withinMetres);
        QFETCH(bool, meets);
        const EpochLog log = ReadEpochs(sentences.toStdString());
        QCOMPARE(int(log.epochs.size()), 1);
        FixCriterion criterion;
        criterion.threeD = threeD;
        if (maxHdop > 0)
            criterion.maxHdop = maxHdop;
        if (withinMetres > 0) {
            // 10 m north of the fix: 10 m / 111 km per degree of latitude.
            criterion.reference = GeodeticPoint{37 + 33.32791 / 60 + 10 / 110996.0, 126 + 58.29325 / 60, {}};
            criterion.withinMetres = withinMetres;
        }
        QCOMPARE(Meets(log.epochs[0], criterion), meets);
    }

    void describe()
    {
        FixCriterion criterion{true, 2.5, GeodeticPoint{37.5, 127, {}}, 10};
        QCOMPARE(QString::fromStdString(Describe(criterion)),
            "GGA quality >= 1 or RMC status A, 3D, HDOP <= 2.5, within 10 m of 37.5, 127");
    }

    // Four fixes of 10, 20, 30 and 40 s, one timeout and one loss: mean 25,
    // sigma (N-1) 12.910, median the lower middle 20, p95 and max 40.
    void figures()
    {
        const TtffSummary s = Summarize(Series());
        QCOMPARE(s.runs, size_t(6));
        QCOMPARE(s.fixes, size_t(4));
        QCOMPARE(s.timeouts, size_t(1));
        QCOMPARE(s.failed, size_t(1));
        QCOMPARE(s.mean, 25.0);
        QVERIFY(std::abs(s.sigma - std::sqrt(500.0 / 3)) < 1e-9);
        QCOMPARE(s.median, 20.0);
        QCOMPARE(s.p95, 40.0);
        QCOMPARE(s.max, 40.0);
        const std::string text = ReportText({Series()}, "GGA quality >= 1 or RMC status A");
        QVERIFY(text.find("cold, full ($PMTK104), timeout 120 s: runs 6 of 6, fixes 4, timeouts 1, failed 1\n"
                          "  mean 25.000  sigma 12.910  median 20.000  p95 40.000  max 40.000\n") != std::string::npos);
        QVERIFY(text.find("  run 2: timeout after 120.000 s\n") != std::string::npos);
        QVERIFY(text.find("  ended early: the receiver was lost (the device was disconnected)\n") != std::string::npos);
    }

    void csvAndJson()
    {
        const QStringList rows = QString::fromStdString(RunsCsv({Series()})).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 7);
        QCOMPARE(rows[0], "start,run,outcome,ttff_s,sent_utc,latitude,longitude,note");
        QCOMPARE(rows[1], "\"cold, full\",1,fix,30.000,2026-12-08T00:00:00.000Z,,,");
        QCOMPARE(rows[2], "\"cold, full\",2,timeout,,2026-12-08T00:00:00.000Z,,,");
        QCOMPARE(rows[6], "\"cold, full\",6,lost,,2026-12-08T00:00:00.000Z,,,the device was disconnected");

        QJsonParseError error;
        const QJsonDocument json =
            QJsonDocument::fromJson(QByteArray::fromStdString(ReportJson({Series()}, "c")), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonObject series = json.object()["series"].toArray()[0].toObject();
        QCOMPARE(series["start"].toString(), "cold, full");
        QCOMPARE(series["fixes"].toInt(), 4);
        QCOMPARE(series["timeouts"].toInt(), 1);
        QCOMPARE(series["median_s"].toDouble(), 20.0);
        QCOMPARE(series["sigma_s"].toDouble(), 12.91);
        QCOMPARE(series["times"].toArray().size(), 6);
        QCOMPARE(series["times"].toArray()[5].toObject()["outcome"].toString(), "lost");
        QCOMPARE(series["ended"].toString(), "the receiver was lost (the device was disconnected)");
    }
};

QTEST_GUILESS_MAIN(TestTtffReport)
#include "tst_ttffreport.moc"
