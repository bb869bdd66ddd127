// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-stats as scripts call it: its exit status, its JSON keys and its
// CSV, on logs that orvane-loggen writes with a known error.

#include <QtTest>

#include "../common/Sentence.h"

namespace {

struct Run {
    int status = -1;
    QByteArray out, err;
};

Run Start(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        qFatal("%s did not finish", qPrintable(program));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

Run Stats(const QStringList& arguments)
{
    return Start(ORVANE_STATS, arguments);
}

QString Write(const QTemporaryDir& dir, const QString& name, const std::string& text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) != qint64(text.size()))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QStringList Keys(const QJsonObject& object)
{
    QStringList keys = object.keys();
    keys.sort();
    return keys;
}

QStringList Sorted(QStringList list)
{
    list.sort();
    return list;
}

}  // namespace

class TestStats : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_Dir.isValid());
        m_Static = m_Dir.filePath("static.nmea");
        QCOMPARE(Start(ORVANE_LOGGEN, {"--static", "--bias", "1.5,-0.5,2", "--noise", "0.2,0.2,0.4", "--nmea", "4.11",
                                          "--seconds", "600", "-o", m_Static})
                     .status,
            0);
        m_Reference = m_Dir.filePath("reference.nmea");
        m_Device = m_Dir.filePath("device.nmea");
        QCOMPARE(Start(ORVANE_LOGGEN, {"--seconds", "300", "-o", m_Reference}).status, 0);
        QCOMPARE(Start(ORVANE_LOGGEN, {"--seconds", "300", "--offset", "0,3,0", "-o", m_Device}).status, 0);
        m_NoFix = Write(m_Dir, "nofix.nmea", Nmea("GPGGA,120000.00,,,,,0,00,,,M,,M,,"));
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("done") << QStringList{"@static"} << 0;
        QTest::newRow("help") << QStringList{"--help"} << 0;
        QTest::newRow("version") << QStringList{"--version"} << 0;
        QTest::newRow("missing file") << QStringList{"@dir/none.nmea"} << 1;
        QTest::newRow("folder") << QStringList{"@dir"} << 1;
        QTest::newRow("missing reference log") << QStringList{"--reference-log", "@dir/none.nmea", "@static"} << 1;
        QTest::newRow("no file") << QStringList{"--json"} << 2;
        QTest::newRow("unknown option") << QStringList{"--frobnicate", "@static"} << 2;
        QTest::newRow("bad reference") << QStringList{"--reference", "91,0", "@static"} << 2;
        QTest::newRow("reference without longitude") << QStringList{"--reference", "37.5", "@static"} << 2;
        QTest::newRow("both references") << QStringList{"--reference", "1,2", "--reference-log", "@static", "@static"}
                                         << 2;
        QTest::newRow("bad fix filter") << QStringList{"--fix", "2d", "@static"} << 2;
        QTest::newRow("bad time") << QStringList{"--from", "25:00:00", "@static"} << 2;
        QTest::newRow("two files") << QStringList{"@static", "@static"} << 2;
        QTest::newRow("KML without a file") << QStringList{"@static", "--kml"} << 2;
        QTest::newRow("CSV and KML both to standard output") << QStringList{"--csv", "-", "--kml", "-", "@static"} << 2;
        QTest::newRow("KML not written") << QStringList{"--kml", "@dir/none/track.kml", "@static"} << 1;
        QTest::newRow("no fix") << QStringList{"@nofix"} << 3;
        QTest::newRow("no RTK fix") << QStringList{"--fix", "rtk", "@static"} << 3;
        QTest::newRow("range without epochs") << QStringList{"--from", "12:00:00", "--to", "12:00:01", "@static"} << 3;
    }
    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        for (QString& argument : arguments) {
            argument.replace("@static", m_Static).replace("@nofix", m_NoFix).replace("@dir", m_Dir.path());
        }
        const Run run = Stats(arguments);
        QCOMPARE(run.status, status);
        if (status == 2)
            QVERIFY(run.err.contains("orvane-stats: "));
    }

    // The keys the manual page lists, and figures from the simulator's
    // bias and noise.
    void jsonKeys()
    {
        const Run run = Stats({"--json", "--reference", "37.5554652,126.9715542,30", m_Static});
        QCOMPARE(run.status, 0);
        QJsonParseError error;
        const QJsonObject root = QJsonDocument::fromJson(run.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(Keys(root), Sorted({"file", "epochs", "first", "last", "fix_filter", "reference", "accuracy",
                                 "availability", "cn0", "cn0_by_elevation", "honesty", "pair"}));
        const QJsonObject accuracy = root["accuracy"].toObject();
        QCOMPARE(Keys(accuracy), Sorted({"n", "cep50_m", "r95_m", "p99_m", "max_m", "drms_m", "2drms_m", "up50_m",
                                     "up95_m", "bias_m", "sigma_m"}));
        QCOMPARE(Keys(root["availability"].toObject()),
            Sorted({"period_s", "expected", "with_fix", "availability", "gaps", "time_by_fix_s", "rtk_fixed_share",
                "rtk_float_share", "time_to_first_fix_s", "time_to_first_rtk_fixed_s", "correction_age_s"}));
        QCOMPARE(Keys(root["cn0"].toArray().first().toObject()),
            Sorted({"constellation", "signal", "name", "used", "in_view"}));
        QCOMPARE(root["epochs"].toInt(), 600);
        QCOMPARE(root["first"].toString(), QString("2026-03-14T23:58:00.000Z"));
        QCOMPARE(accuracy["n"].toInt(), 600);
        const QJsonObject bias = accuracy["bias_m"].toObject();
        QVERIFY(qAbs(bias["east"].toDouble() - 1.5) < 0.05);
        QVERIFY(qAbs(bias["north"].toDouble() + 0.5) < 0.05);
        QVERIFY(qAbs(bias["up"].toDouble() - 2.0) < 0.1);
        QVERIFY(qAbs(accuracy["sigma_m"].toObject()["east"].toDouble() - 0.2) < 0.03);
        QVERIFY(root["pair"].isNull());
        QCOMPARE(root["honesty"].toObject()["n"].toInt(), 600);
    }

    // Against a reference log: the pair's keys and the known offset.
    void referenceLog()
    {
        const Run run = Stats({"--json", "--reference-log", m_Reference, m_Device});
        QCOMPARE(run.status, 0);
        const QJsonObject pair = QJsonDocument::fromJson(run.out).object()["pair"].toObject();
        QCOMPARE(Keys(pair), Sorted({"device_epochs", "reference_epochs", "matched", "tolerance_ms", "horizontal_m",
                                 "vertical_m", "along_track_m", "cross_track_m"}));
        QCOMPARE(pair["matched"].toInt(), 300);
        QCOMPARE(Keys(pair["horizontal_m"].toObject()), Sorted({"n", "mean", "sigma", "p50", "p95", "p99", "max"}));
        QVERIFY(qAbs(pair["horizontal_m"].toObject()["mean"].toDouble() - 3.0) < 0.02);
    }

    // Figures of no values are unknown, not 0, and a figure that rounds to
    // zero has no sign: an SBAS satellite in view but never used, and the
    // bias about the mean of four fixes, tiny and below zero before it is
    // printed.
    void figuresOfNone_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("present");
        QTest::addColumn<QString>("absent");
        QTest::newRow("report") << QStringList{} << "SBAS (no signal ID)          0     -   -   -   -"
                                << "-0.000";
        QTest::newRow("JSON") << QStringList{"--json"}
                              << R"("used": {"n": 0, "mean": null, "median": null, "p10": null, "p90": null})"
                              << "-0.0";
    }
    void figuresOfNone()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, present);
        QFETCH(QString, absent);
        static const char* const kFixes[] = {"4807.281,N,01131.606,E,1,08,0.9,552.3",
            "4807.171,N,01131.378,E,1,08,0.9,553.1", "4807.523,N,01131.640,E,1,08,0.9,552.8",
            "4807.105,N,01131.620,E,1,08,0.9,545.5"};
        std::string text;
        for (int k = 0; k < 4; ++k) {
            text += Nmea("GPGGA,12000" + std::to_string(k) + ".00," + kFixes[k] + ",M,46.9,M,,");
            text += Nmea("GPGSA,A,3,05,,,,,,,,,,,,1.5,0.9,1.2");
            text += Nmea("GPGSV,1,1,02,05,40,100,41,33,30,200,35");
        }
        const Run run = Stats(arguments << Write(m_Dir, "sbas.nmea", text));
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(present.toUtf8()), run.out.constData());
        QVERIFY2(!run.out.contains(absent.toUtf8()), run.out.constData());
    }

    // One CSV row per epoch of the range, every row as long as the header.
    void csvRows()
    {
        const QString csv = m_Dir.filePath("epochs.csv");
        QCOMPARE(Stats({"--from", "23:59:00", "--to", "00:00:59", "--csv", csv, m_Static}).status, 0);
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 1 + 120);
        QVERIFY(lines[0].startsWith("time,latitude,longitude,height_msl_m,fix,"));
        QVERIFY(lines[1].startsWith("2026-03-14T23:59:00.000Z,"));
        QVERIFY(lines.last().startsWith("2026-03-15T00:00:59.000Z,"));
        for (const QByteArray& line : lines)
            QCOMPARE(line.count(','), lines[0].count(','));
    }

    // --kml: the track of the range's fixes, one point per epoch of the
    // simulator's single-kind log, to a file or, with '-', instead of the report.
    void kmlTrack()
    {
        const QString kml = m_Dir.filePath("track.kml");
        const Run toFile = Stats({"--from", "23:59:00", "--to", "00:00:59", "--kml", kml, m_Static});
        QCOMPARE(toFile.status, 0);
        QVERIFY(toFile.out.contains("Accuracy"));
        QFile file(kml);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        const Run toOutput = Stats({"--from", "23:59:00", "--to", "00:00:59", "--kml", "-", m_Static});
        QCOMPARE(toOutput.status, 0);
        QCOMPARE(toOutput.out, written);
        QXmlStreamReader xml(written);
        int placemarks = 0, points = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("Placemark"))
                ++placemarks;
            if (xml.isStartElement() && xml.name() == QLatin1String("coordinates"))
                points += int(xml.readElementText().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts).size());
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(placemarks, 1);
        QCOMPARE(points, 120);  // the range's two minutes of the 1 Hz log, as csvRows counts them
    }

    // orvane-loggen refuses what its scenarios cannot mean.
    void loggenScenarioArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("bias without --static") << QStringList{"--bias", "1,2,3"};
        QTest::newRow("two numbers") << QStringList{"--static", "--noise", "1,2"};
        QTest::newRow("negative noise") << QStringList{"--static", "--noise", "1,-2,1"};
        QTest::newRow("static device") << QStringList{"--static", "--delay", "1"};
        QTest::newRow("bad delay") << QStringList{"--delay", "soon"};
    }
    void loggenScenarioArguments()
    {
        QFETCH(QStringList, arguments);
        QCOMPARE(Start(ORVANE_LOGGEN, arguments << "--seconds"
                                                << "1")
                     .status,
            2);
    }

private:
    QTemporaryDir m_Dir;
    QString m_Static, m_Reference, m_Device, m_NoFix;
};

QTEST_GUILESS_MAIN(TestStats)
#include "tst_stats.moc"
