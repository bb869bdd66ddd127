// SPDX-License-Identifier: GPL-3.0-or-later
// The orvane-decode command as scripts use it, run as a real process:
// arguments, input, output and exit status; and its --gpx and --geojson
// files, checked by real consumers: gpsbabel reads every point back,
// xmllint accepts the GPX and finds its structure, and the GeoJSON parses
// with the same points.

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

#include "../common/PseudoTerminal.h"
#include "../common/Sentence.h"

namespace {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Result Run(const QString& program, const QStringList& arguments, const QByteArray& input = {})
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
        process.readAllStandardError()};
}

Result Run(const QStringList& arguments, const QByteArray& input = {})
{
    return Run(ORVANE_DECODE, arguments, input);
}

QByteArray Rmc(const char* time, const char* date, const char* position)
{
    return WithChecksum(QByteArray("GPRMC,") + time + ",A," + position + ",0.01,90.0," + date + ",,,A");
}

QByteArray Gga(const char* time, const char* position, const char* altitude)
{
    return WithChecksum(QByteArray("GNGGA,") + time + "," + position + ",1,12,0.8," + altitude + ",M,20.0,M,,");
}

// The number an XPath expression gives for the file.
int XPathCount(const QString& file, const QString& expression)
{
    const Result run = Run("xmllint", {"--xpath", expression, file});
    bool ok = false;
    const int value = run.out.trimmed().toInt(&ok);
    return ok ? value : -1;
}

// Output lines without their line ends (gpsbabel ends some with CR LF).
QStringList Lines(const QByteArray& out)
{
    return QString::fromUtf8(out).remove('\r').split('\n', Qt::SkipEmptyParts);
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QString Local(const char* name)
{
    return QString("*[local-name()='%1']").arg(name);
}

}  // namespace

class TestDecode : public QObject {
    Q_OBJECT

    QString WriteLog(const QByteArray& bytes)
    {
        QFile file(m_Dir.filePath(QString("log%1.nmea").arg(++m_Files)));
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(bytes);
        return file.fileName();
    }

    QTemporaryDir m_Dir;
    int m_Files = 0;

private slots:
    void initTestCase()
    {
        QVERIFY(m_Dir.isValid());
        QVERIFY2(!QStandardPaths::findExecutable("gpsbabel").isEmpty(), "gpsbabel (scripts/install-deps.sh)");
        QVERIFY2(!QStandardPaths::findExecutable("xmllint").isEmpty(), "xmllint (scripts/install-deps.sh)");
    }

    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("unknown talker") << QStringList{"--talker", "XX"} << 2;
        QTest::newRow("lower-case talker") << QStringList{"--talker", "gp"} << 2;
        QTest::newRow("unknown message") << QStringList{"--message=ABC"} << 2;
        QTest::newRow("missing value") << QStringList{"--message"} << 2;
        QTest::newRow("unknown option") << QStringList{"--fast"} << 2;
        QTest::newRow("two files") << QStringList{"a", "b"} << 2;
        QTest::newRow("missing file") << QStringList{"/nonexistent/log.nmea"} << 1;
        QTest::newRow("directory") << QStringList{"/"} << 1;
    }
    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        const Result result = Run(arguments);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY(result.out.isEmpty());
        QCOMPARE(result.err.count('\n'), 1);
    }

    void help()
    {
        const Result result = Run({"--help"});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.out.startsWith("Usage: orvane-decode [--talker ID] [--message TYPE] [--satellites] [FILE]"));
    }

    // Standard input, "-" and a file give the same lines; zero bytes are
    // left out, not the text after them.
    void inputs()
    {
        const QByteArray log = "$GPRMC,1,A,,,,,,,010203,*00\r\n$GNRMC,2,A,,,,,,,,*00\r\n";
        const QByteArray line = "[2003.02.01 00:00:01] (?)0.000000, (?)0.000000, Speed:0.00Km/h, Heading:0.00\n";
        const QByteArray withZeros = log + QByteArray(3, '\0') + log;
        const QString path = WriteLog(withZeros);
        for (const Result& result : {Run({path}), Run({}, withZeros), Run({"-"}, withZeros)}) {
            QCOMPARE(result.exitCode, 0);
            QCOMPARE(result.out, line + line);
        }
    }

    // Small logs of odd and damaged input with their expected lines; the
    // expected output was worked out independently of this program.
    void goldenCases_data()
    {
        QTest::addColumn<QString>("name");
        const QDir cases(ORVANE_DECODE_CASES);
        const QStringList logs = cases.entryList({"*.nmea"}, QDir::Files, QDir::Name);
        QVERIFY(logs.size() > 40);
        for (const QString& log : logs)
            QTest::newRow(qPrintable(log)) << cases.filePath(log.chopped(5));
    }
    // A case is NAME.nmea and NAME.expected. NAME.nmea holds one or more
    // runs, each opened by "# orvane-decode ARGS" and "#" lines saying why;
    // the header is taken off, so each run's log is decoded byte for byte
    // as written below it. ARGS ending in "< PATH" decode that file of the
    // source tree instead. One run's output is NAME.expected; of several,
    // each run's header lines and output in turn. ORVANE_REGENERATE=1
    // rewrites the expected files, for a reviewed change.
    void goldenCases()
    {
        QFETCH(QString, name);
        QFile logFile(name + ".nmea");
        QVERIFY(logFile.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = logFile.readAll().split('\n');
        QVERIFY2(lines.first().startsWith("# orvane-decode"), "no \"# orvane-decode ...\" line opens the case");
        QList<QByteArray> headers, logs;
        for (qsizetype k = 0; k < lines.size(); ++k) {
            const QByteArray line = lines[k] + (k + 1 < lines.size() ? "\n" : "");
            if (line.startsWith("# orvane-decode")) {
                headers.append(line);
                logs.append(QByteArray());
            } else if (line.startsWith('#') && logs.last().isEmpty()) {
                headers.last() += line;
            } else {
                logs.last() += line;
            }
        }
        QVERIFY2(headers.last().endsWith('\n'), "a header line without its line end");
        QTemporaryDir dir;
        const QString input = dir.filePath(QFileInfo(name).fileName() + ".nmea");
        QByteArray out;
        for (qsizetype run = 0; run < headers.size(); ++run) {
            QStringList arguments =
                QString::fromUtf8(headers[run].left(headers[run].indexOf('\n')).mid(15)).split(' ', Qt::SkipEmptyParts);
            if (arguments.size() >= 2 && arguments[arguments.size() - 2] == "<") {
                QVERIFY2(logs[run].isEmpty(), "a run that names its input has no log of its own");
                arguments.last() = QString(ORVANE_SOURCE_DIR "/") + arguments.last();
                arguments.removeAt(arguments.size() - 2);
            } else {
                QVERIFY(WriteBytes(input, logs[run]));
                arguments << input;
            }
            const Result result = Run(arguments);
            QCOMPARE(result.exitCode, 0);
            out += (headers.size() > 1 ? headers[run] : QByteArray()) + result.out;
        }
        QFile expectedFile(name + ".expected");
        if (qEnvironmentVariableIntValue("ORVANE_REGENERATE") == 1) {
            QVERIFY(expectedFile.open(QIODevice::WriteOnly) && expectedFile.write(out) == out.size());
            return;
        }
        QVERIFY(expectedFile.open(QIODevice::ReadOnly));
        QCOMPARE(out, expectedFile.readAll());
    }

    void readBack_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("csv");     // gpsbabel -o csv, one line per point
        QTest::addColumn<QStringList>("unicsv");  // gpsbabel -t -o unicsv, without its header
        QTest::addColumn<int>("segments");
        const char* here = "3733.00000,N,12658.00000,E";
        const char* there = "3734.50000,S,12659.50000,W";
        QTest::newRow("empty log") << QByteArray() << "empty.nmea" << QStringList() << QStringList() << 0;
        QTest::newRow("junk only") << QByteArray("\0\xff", 2) + "$GPRMC,,V,,,,,,,,,,N*53\r\nhello\n"
                                   << "junk.nmea" << QStringList() << QStringList() << 0;
        QTest::newRow("zero and infinite positions left out, across midnight, a gap")
            << Rmc("235959.00", "311226", here) + Gga("235959.00", here, "-3.5") +
                   Rmc("000000.00", "010127", "0000.00000,N,00000.00000,E") +
                   Rmc("000001.00", "010127", (QByteArray(320, '9') + ",N,12658.00000,E").constData()) +
                   Gga("000002.25", there, "1200.0") + Rmc("000013.00", "010127", here)
            << "drive <1> & \"co\".nmea"
            << QStringList{"37.55000, 126.96667, ", "-37.57500, -126.99167, ", "37.55000, 126.96667, "}
            << QStringList{"1,37.550000,126.966667,-3.5,2026/12/31,23:59:59",
                   "2,-37.575000,-126.991667,1200.0,2027/01/01,00:00:02.250",
                   "3,37.550000,126.966667,,2027/01/01,00:00:13"}
            << 2;
    }
    void readBack()
    {
        QFETCH(QByteArray, log);
        QFETCH(QString, name);
        QFETCH(QStringList, csv);
        QFETCH(QStringList, unicsv);
        QFETCH(int, segments);
        const QString input = m_Dir.filePath(name);
        QFile file(input);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(log) == log.size());
        file.close();
        const QString gpx = m_Dir.filePath("track.gpx");
        const QString geojson = m_Dir.filePath("track.geojson");
        const Result decode = Run({"--gpx", gpx, "--geojson=" + geojson, input});
        QCOMPARE(decode.exitCode, 0);
        QCOMPARE(decode.out, QByteArray());

        // xmllint: well-formed, a GPX 1.1 root, points in segments in a track
        // named after the log, each with lat and lon and ele before time.
        const Result lint = Run("xmllint", {"--noout", gpx});
        QVERIFY2(lint.exitCode == 0, lint.err.constData());
        QCOMPARE(XPathCount(gpx,
                     "count(/*[local-name()='gpx' and namespace-uri()='http://www.topografix.com/GPX/1/1'"
                     " and @version='1.1' and @creator])"),
            1);
        const QString points = "//" + Local("gpx") + "/" + Local("trk") + "/" + Local("trkseg") + "/" + Local("trkpt");
        QCOMPARE(XPathCount(gpx, "count(" + points + "[@lat and @lon])"), csv.size());
        QCOMPARE(XPathCount(gpx, "count(//" + Local("trkseg") + ")"), segments);
        QCOMPARE(XPathCount(gpx, "count(//" + Local("trkseg") + "[not(" + Local("trkpt") + ")])"), 0);
        QCOMPARE(
            XPathCount(gpx, "count(" + points + "[" + Local("time") + "/following-sibling::" + Local("ele") + "])"), 0);
        if (!csv.isEmpty()) {
            const Result trackName =
                Run("xmllint", {"--xpath", "string(//" + Local("trk") + "/" + Local("name") + ")", gpx});
            QCOMPARE(QString::fromUtf8(trackName.out).trimmed(), QFileInfo(name).completeBaseName());
        }

        // gpsbabel reads every point back, in order, with its height and time.
        const Result babel = Run("gpsbabel", {"-i", "gpx", "-f", gpx, "-o", "csv", "-F", "-"});
        QVERIFY2(babel.exitCode == 0, babel.err.constData());
        QCOMPARE(Lines(babel.out), csv);
        const Result timed = Run("gpsbabel", {"-t", "-i", "gpx", "-f", gpx, "-o", "unicsv", "-F", "-"});
        QVERIFY2(timed.exitCode == 0, timed.err.constData());
        QCOMPARE(Lines(timed.out).mid(1), unicsv);

        // The GeoJSON holds the same points, one feature per segment.
        QFile json(geojson);
        QVERIFY(json.open(QIODevice::ReadOnly));
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(json.readAll(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(document.object().value("type").toString(), QString("FeatureCollection"));
        const QJsonArray features = document.object().value("features").toArray();
        QCOMPARE(features.size(), segments);
        QStringList fromJson;
        for (const QJsonValue& feature : features) {
            const QJsonObject geometry = feature.toObject().value("geometry").toObject();
            QJsonArray coordinates = geometry.value("coordinates").toArray();
            if (geometry.value("type").toString() == "Point")
                coordinates = QJsonArray{coordinates};
            QCOMPARE(feature.toObject().value("properties").toObject().value("times").toArray().size(),
                coordinates.size());
            for (const QJsonValue& position : coordinates) {
                const QJsonArray lonLat = position.toArray();
                fromJson.append(
                    QString("%1, %2, ").arg(lonLat[1].toDouble(), 0, 'f', 5).arg(lonLat[0].toDouble(), 0, 'f', 5));
            }
        }
        QCOMPARE(fromJson, csv);
    }

    // The output name forgotten ("--gpx drive.nmea") with a terminal as
    // standard input: the usage and status 2 at once, not a silent wait
    // that ends by replacing the log with an empty track.
    void forgottenFileOnATerminal()
    {
        const QString log = m_Dir.filePath("forgotten.nmea");
        const QByteArray text = Rmc("100000", "140326", "3733.32791,N,12658.29325,E");
        QVERIFY(WriteBytes(log, text));
        PseudoTerminal terminal;
        QVERIFY(terminal.Ok());
        QProcess process;
        process.setStandardInputFile(QString::fromStdString(terminal.SlavePath()));
        process.start(ORVANE_DECODE, {"--gpx", log});
        QVERIFY(process.waitForStarted());
        const bool finished = process.waitForFinished(10000);
        if (!finished)
            process.kill();
        QVERIFY2(finished, "orvane-decode waits for typed input");
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(process.readAllStandardError().startsWith("Usage: orvane-decode"));
        QCOMPARE(ReadBytes(log), text);
    }

    // An export never replaces the log it reads, by whatever name.
    void exportOverTheLogItReads_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("outputName");
        QTest::newRow("gpx, same path") << "--gpx"
                                        << "same.nmea";
        QTest::newRow("geojson, another path to it") << "--geojson"
                                                     << "./same.nmea";
        QTest::newRow("gpx, a hard link to it") << "--gpx"
                                                << "link.nmea";
    }
    void exportOverTheLogItReads()
    {
        QFETCH(QString, option);
        QFETCH(QString, outputName);
        QTemporaryDir dir;
        const QByteArray text = Rmc("100000", "140326", "3733.32791,N,12658.29325,E");
        QVERIFY(WriteBytes(dir.filePath("same.nmea"), text));
        QVERIFY(::link(QFile::encodeName(dir.filePath("same.nmea")).constData(),
                    QFile::encodeName(dir.filePath("link.nmea")).constData()) == 0);
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(ORVANE_DECODE, {option, outputName, "same.nmea"});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY2(process.readAllStandardError().contains("is the log being read"), "no reason given");
        QCOMPARE(ReadBytes(dir.filePath("same.nmea")), text);
    }

    void unwritableOutput()
    {
        const QString gpx = m_Dir.filePath("missing-folder/track.gpx");
        const Result run = Run({"--gpx", gpx, ORVANE_SAMPLE});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("cannot write"), run.err.constData());
        QCOMPARE(Run({"--gpx", "-", "--geojson", "-", ORVANE_SAMPLE}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestDecode)
#include "tst_decode.moc"
