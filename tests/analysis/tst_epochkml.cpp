// SPDX-License-Identifier: GPL-3.0-or-later
// The KML track of an epoch log: a well-formed document whose placemarks
// follow the runs of one fix kind, join end to start, and hold the epochs'
// own positions; names escaped; and gpsbabel reads it back as a track.
// Logs are written here from a list of GGA qualities, and every expected
// value comes from those lists and the epochs the reader makes of them.

#include <QtTest>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cmath>
#include <string>

#include "../common/Sentence.h"
#include "analysis/EpochKml.h"
#include "analysis/ReceiverStats.h"
#include "decoder/Epochs.h"

using namespace orvane;

Q_DECLARE_METATYPE(orvane::FixFilter)

namespace {

// Coordinates as "ddmm.mmmmmmm", "dddmm.mmmmmmm".
std::string Angle(double degrees, int width)
{
    const int whole = int(degrees);
    char text[32];
    std::snprintf(text, sizeof text, "%0*d%010.7f", width, whole, (degrees - whole) * 60);
    return text;
}

// One GGA per character of qualities ('0'-'8'; '-' an epoch without a
// position), one second apart, moving north-east; heights where withHeight.
std::string Log(const QString& qualities, bool withHeight)
{
    std::string text;
    for (int k = 0; k < qualities.size(); ++k) {
        char time[32];
        std::snprintf(time, sizeof time, "1200%02d.00", k % 60);
        const char q = char(qualities[k].toLatin1());
        if (q == '-') {
            text += Nmea(std::string("GPGGA,") + time + ",,,,,0,00,,,M,,M,,");
            continue;
        }
        char height[16];
        std::snprintf(height, sizeof height, "%.1f", 500 + 1.7 * k);
        text +=
            Nmea(std::string("GPGGA,") + time + "," + Angle(48.1 + 0.000137 * k, 2) + ",N," +
                 Angle(11.5 + 0.000211 * k, 3) + ",E," + q + ",08,0.9," + (withHeight ? height : "") + ",M,46.9,M,,");
    }
    return text;
}

// The style a GGA quality gives.
QString StyleOf(char quality)
{
    switch (quality) {
    case '1':
        return "gps";
    case '2':
    case '3':
        return "dgps";
    case '4':
        return "rtk_fixed";
    case '5':
        return "rtk_float";
    case '6':
        return "dead_reckoning";
    default:
        return "other";
    }
}

bool Counted(char quality, FixFilter filter)
{
    switch (filter) {
    case FixFilter::All:
        return quality != '-' && quality != '0';
    case FixFilter::ThreeD:
        return quality >= '1' && quality <= '5';
    case FixFilter::RtkFixed:
        return quality == '4';
    }
    return false;
}

struct Point {
    double lon = 0, lat = 0;
    std::optional<double> height;
};

struct Placemark {
    QString name, styleUrl, altitudeMode;
    QList<Point> points;
};

struct Document {
    QString error;  // empty when well-formed
    QString name;
    QMap<QString, QString> colours;  // style id to line colour
    QList<Placemark> placemarks;
};

Document Parse(const std::string& kml)
{
    Document document;
    QXmlStreamReader xml(QByteArray::fromStdString(kml));
    QString styleId;
    QStringList path;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QString element = xml.name().toString();
            const QString parent = path.isEmpty() ? QString() : path.last();
            path << element;
            if (element == "kml" && xml.namespaceUri() != QLatin1String("http://www.opengis.net/kml/2.2"))
                document.error = "not in the KML 2.2 namespace";
            if (element == "Style")
                styleId = xml.attributes().value("id").toString();
            else if (element == "Placemark")
                document.placemarks.append(Placemark{});
            else if (element == "color" && parent == "LineStyle")
                document.colours[styleId] = xml.readElementText();
            else if (element == "name" && parent == "Document")
                document.name = xml.readElementText();
            else if (element == "name" && parent == "Placemark")
                document.placemarks.last().name = xml.readElementText();
            else if (element == "styleUrl")
                document.placemarks.last().styleUrl = xml.readElementText();
            else if (element == "altitudeMode")
                document.placemarks.last().altitudeMode = xml.readElementText();
            else if (element == "coordinates") {
                for (const QString& tuple :
                    xml.readElementText().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts)) {
                    const QStringList parts = tuple.split(',');
                    Point point{parts[0].toDouble(), parts.value(1).toDouble(), {}};
                    if (parts.size() == 3)
                        point.height = parts[2].toDouble();
                    document.placemarks.last().points.append(point);
                }
            }
            if (xml.isEndElement())  // readElementText stopped at the end
                path.removeLast();
        } else if (xml.isEndElement()) {
            path.removeLast();
        }
    }
    if (xml.hasError())
        document.error = xml.errorString();
    return document;
}

// Decimals after the point of every coordinate: degrees and metres.
bool Decimals(const std::string& kml, int degrees, int metres)
{
    const size_t open = kml.find("<coordinates>");
    if (open == std::string::npos)
        return true;
    const size_t close = kml.find("</coordinates>", open);
    const QStringList tuples = QString::fromStdString(kml.substr(open + 13, close - open - 13))
                                   .split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    for (const QString& tuple : tuples) {
        const QStringList parts = tuple.split(',');
        for (int k = 0; k < parts.size(); ++k)
            if (parts[k].size() - parts[k].indexOf('.') - 1 != (k < 2 ? degrees : metres))
                return false;
    }
    return true;
}

}  // namespace

class TestEpochKml : public QObject {
    Q_OBJECT
private slots:
    void styles()
    {
        const Document document = Parse(EpochsKml(ReadEpochs(Log("1", true)), 0, 1, FixFilter::All, "x"));
        QVERIFY2(document.error.isEmpty(), qPrintable(document.error));
        QCOMPARE(Sorted(document.colours.keys()),
            Sorted({"none", "gps", "dgps", "rtk_float", "rtk_fixed", "dead_reckoning", "other"}));
        QStringList colours = document.colours.values();
        colours.removeDuplicates();
        QCOMPARE(colours.size(), document.colours.size());
    }

    void runs_data()
    {
        QTest::addColumn<QString>("qualities");
        QTest::addColumn<bool>("withHeight");
        QTest::addColumn<FixFilter>("filter");
        QTest::newRow("one kind") << "1111111" << true << FixFilter::All;
        QTest::newRow("RTK coming in") << "1115554444" << true << FixFilter::All;
        QTest::newRow("every kind") << "1234567812" << true << FixFilter::All;
        QTest::newRow("lost and back") << "44--4455-0-44" << true << FixFilter::All;
        QTest::newRow("single epochs") << "14141" << true << FixFilter::All;
        QTest::newRow("no heights") << "1115554444" << false << FixFilter::All;
        QTest::newRow("3D filter") << "1161554448" << true << FixFilter::ThreeD;
        QTest::newRow("RTK filter") << "4455445" << true << FixFilter::RtkFixed;
        QTest::newRow("nothing counted") << "1111" << true << FixFilter::RtkFixed;
        QTest::newRow("no positions") << "--0-" << true << FixFilter::All;
    }
    void runs()
    {
        QFETCH(QString, qualities);
        QFETCH(bool, withHeight);
        QFETCH(FixFilter, filter);
        const EpochLog log = ReadEpochs(Log(qualities, withHeight));
        QCOMPARE(log.epochs.size(), size_t(qualities.size()));
        const std::string kml = EpochsKml(log, 0, log.epochs.size(), filter, "track");
        const Document document = Parse(kml);
        QVERIFY2(document.error.isEmpty(), qPrintable(document.error));
        QVERIFY(Decimals(kml, 9, 3));

        // The runs the qualities make, over the counted epochs.
        QList<const Epoch*> counted;
        QStringList runs;
        QString last;
        for (int k = 0; k < qualities.size(); ++k) {
            const char q = char(qualities[k].toLatin1());
            if (!Counted(q, filter))
                continue;
            counted.append(&log.epochs[size_t(k)]);
            if (StyleOf(q) != last)
                runs << StyleOf(q);
            last = StyleOf(q);
        }
        QCOMPARE(document.placemarks.size(), runs.size());
        QList<Point> points;
        for (int r = 0; r < runs.size(); ++r) {
            const Placemark& placemark = document.placemarks[r];
            QCOMPARE(placemark.styleUrl, "#" + runs[r]);
            QVERIFY(document.colours.contains(runs[r]));
            QVERIFY(!placemark.name.isEmpty());
            QCOMPARE(placemark.altitudeMode, withHeight ? QString("absolute") : QString("clampToGround"));
            QVERIFY(!placemark.points.isEmpty());
            if (r > 0) {
                // The run goes on from where the one before ended.
                const Point& end = points.last();
                const Point& start = placemark.points.first();
                QCOMPARE(start.lon, end.lon);
                QCOMPARE(start.lat, end.lat);
                QCOMPARE(start.height, end.height);
                QVERIFY(placemark.points.size() >= 2);
            }
            points.append(r > 0 ? placemark.points.mid(1) : placemark.points);
        }
        QCOMPARE(points.size(), counted.size());
        for (int k = 0; k < points.size(); ++k) {
            const Epoch& epoch = *counted[k];
            QVERIFY(std::fabs(points[k].lon - epoch.longitude) <= 0.6e-9);
            QVERIFY(std::fabs(points[k].lat - epoch.latitude) <= 0.6e-9);
            QCOMPARE(points[k].height.has_value(), withHeight);
            if (withHeight)
                QVERIFY(std::fabs(*points[k].height - epoch.heightMsl) <= 0.6e-3);
        }
    }

    // Only the range's epochs: an empty range is a document without placemarks.
    void range()
    {
        const EpochLog log = ReadEpochs(Log("1111455551", true));
        const Document part = Parse(EpochsKml(log, 3, 7, FixFilter::All, "part"));
        QVERIFY2(part.error.isEmpty(), qPrintable(part.error));
        QCOMPARE(part.placemarks.size(), 3);  // 1, 4, 55
        QCOMPARE(part.placemarks.first().points.first().lat, std::round(log.epochs[3].latitude * 1e9) / 1e9);
        QCOMPARE(part.placemarks.last().points.size(), 1 + 2);
        const Document none = Parse(EpochsKml(log, 5, 5, FixFilter::All, "none"));
        QVERIFY2(none.error.isEmpty(), qPrintable(none.error));
        QVERIFY(none.placemarks.isEmpty());
        QCOMPARE(none.name, QString("none"));
    }

    void escaping_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("read");
        QTest::newRow("markup") << QByteArray("a<b>&c\"d'e.nmea") << QString("a<b>&c\"d'e.nmea");
        QTest::newRow("entity") << QByteArray("&amp;]]>") << QString("&amp;]]>");
        QTest::newRow("control") << QByteArray("a\x01\tb") << QString("a??b");
        QTest::newRow("not UTF-8") << QByteArray("x\xff\xc3y") << QString("x??y");
        QTest::newRow("UTF-8") << QByteArray("f\xc3\xa4hrt.nmea") << QString::fromUtf8("f\xc3\xa4hrt.nmea");
    }
    void escaping()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, read);
        const EpochLog log = ReadEpochs(Log("11", true));
        const Document document = Parse(EpochsKml(log, 0, 2, FixFilter::All, name.toStdString()));
        QVERIFY2(document.error.isEmpty(), qPrintable(document.error));
        QCOMPARE(document.name, read);
    }

    // gpsbabel reads the document as tracks holding every point; where
    // runs join, their shared point is in both.
    void gpsbabel_data()
    {
        QTest::addColumn<QString>("qualities");
        QTest::newRow("one run") << "11111111";
        QTest::newRow("runs") << "1115554444--441";
    }
    void gpsbabel()
    {
        QFETCH(QString, qualities);
        if (QStandardPaths::findExecutable("gpsbabel").isEmpty())
            QSKIP("gpsbabel is not installed");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const EpochLog log = ReadEpochs(Log(qualities, true));
        const std::string kml = EpochsKml(log, 0, log.epochs.size(), FixFilter::All, "drive");
        QFile file(dir.filePath("track.kml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(kml.data(), qint64(kml.size())), qint64(kml.size()));
        file.close();
        QProcess process;
        process.start("gpsbabel", {"-i", "kml", "-f", file.fileName(), "-o", "gpx", "-F", dir.filePath("out.gpx")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QFile gpx(dir.filePath("out.gpx"));
        QVERIFY(gpx.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&gpx);
        int trackPoints = 0, tracks = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("trkpt"))
                ++trackPoints;
            if (xml.isStartElement() && xml.name() == QLatin1String("trk"))
                ++tracks;
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        int positions = 0, runs = 0;
        QString last;
        for (const QChar c : qualities) {
            if (!Counted(char(c.toLatin1()), FixFilter::All))
                continue;
            ++positions;
            if (StyleOf(char(c.toLatin1())) != last)
                ++runs;
            last = StyleOf(char(c.toLatin1()));
        }
        QCOMPARE(tracks, runs);
        QCOMPARE(trackPoints, positions + runs - 1);
    }

private:
    static QStringList Sorted(QStringList list)
    {
        list.sort();
        return list;
    }
};

QTEST_GUILESS_MAIN(TestEpochKml)
#include "tst_epochkml.moc"
