// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include "decoder/Parsers.h"

using namespace orvane;

namespace {

QString Time(const NmeaDateTime& t)
{
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d.%02d", t.year, t.month, t.day, t.hour, t.minute, t.second,
        t.hundredths);
}

QString Letter(char16_t c)
{
    return c == 0 ? QStringLiteral("0") : QString(QChar(c));
}

// One readable text per record, so each parser's cases fit in one table.
QString Describe(const GgaRecord& r)
{
    return QString::asprintf("%s %.6f %s %.6f %s q%d n%d h%.2f a%.1f %s", qPrintable(Time(r.dateTime)), r.latitude,
        qPrintable(Letter(r.latHemisphere)), r.longitude, qPrintable(Letter(r.lonHemisphere)), r.fixQuality,
        r.satelliteCount, r.hdop, r.altitude, qPrintable(Letter(r.altitudeUnit)));
}
QString Describe(const GsaRecord& r)
{
    QString prns;
    for (int prn : r.prn)
        prns += QString::number(prn) + ' ';
    return QString::asprintf("%s %d %sp%.1f h%.1f v%.1f", qPrintable(Letter(r.selectionMode)), r.fixType,
        qPrintable(prns), r.pdop, r.hdop, r.vdop);
}
QString Describe(const RmcRecord& r)
{
    return QString::asprintf("%s %s %.6f %s %.6f %s %.4f %.1f", qPrintable(Time(r.dateTime)),
        qPrintable(Letter(r.status)), r.latitude, qPrintable(Letter(r.latHemisphere)), r.longitude,
        qPrintable(Letter(r.lonHemisphere)), r.speedKmh, r.course);
}
// The satellites, then "signal N" when the sentence names a signal.
QString Describe(const GsvList& list)
{
    QString text;
    for (const GsvSatellite& s : list.entries)
        if (!(s == GsvSatellite{}))
            text += QString("%1/%2/%3/%4 ").arg(s.prn).arg(s.elevation).arg(s.azimuth).arg(s.snr);
    if (list.signal != kNoGsvSignal)
        text += QString("signal %1").arg(list.signal);
    return text;
}
QString Describe(const VtgRecord& r)
{
    return QString::asprintf("%.1f %s %s %.1f %s %.1f %s", r.courseTrue, qPrintable(Letter(r.courseTrueRef)),
        qPrintable(Letter(r.courseMagneticRef)), r.speedKnots, qPrintable(Letter(r.speedKnotsUnit)), r.speedKmh,
        qPrintable(Letter(r.speedKmhUnit)));
}

// The parser of the sentence's type, its code and its record as text.
template <class Record>
QString Parse(int32_t (*parse)(std::string_view, Record&), std::string_view sentence)
{
    Record record;
    const int32_t code = parse(sentence, record);
    return QString::number(code) + ": " + Describe(record);
}

}  // namespace

class TestParsers : public QObject {
    Q_OBJECT
private slots:
    // Each parser's code and the fields it stores, also those no line shows;
    // a cut sentence keeps the fields before the missing comma.
    void sentences_data()
    {
        QTest::addColumn<QByteArray>("sentence");
        QTest::addColumn<QString>("parsed");
        QTest::newRow("GGA") << QByteArray("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*")
                             << "0: 0000-00-00 12:35:19.00 48.117300 N 11.516667 E q1 n8 h0.90 a545.4 M";
        QTest::newRow("GGA cut after N") << QByteArray("$GPGGA,123519,4807.038,N*")
                                         << "4: 0000-00-00 12:35:19.00 48.117300 0 0.000000 0 q0 n0 h0.00 a0.0 0";
        QTest::newRow("GSA") << QByteArray("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*")
                             << "0: A 3 4 5 0 9 12 0 0 24 0 0 0 0 p2.5 h1.3 v2.1";
        QTest::newRow("GSA vdop without end")
            << QByteArray("$GPGSA,A,3,,,,,,,,,,,,,1.0,2.0,3.0") << "18: A 3 0 0 0 0 0 0 0 0 0 0 0 0 p1.0 h2.0 v0.0";
        QTest::newRow("RMC") << QByteArray("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*")
                             << "0: 2094-03-23 12:35:19.00 A 48.117300 N 11.516667 E 41.4848 84.4";
        QTest::newRow("RMC negative date wraps")
            << QByteArray("$GPRMC,,,,,,,,,-10101,*")
            << "0: 1999-65535-65535 00:00:00.00 0 0.000000 0 0.000000 0 0.0000 0.0";
        QTest::newRow("VTG") << QByteArray("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*") << "0: 54.7 T M 5.5 N 10.2 K";
        QTest::newRow("VTG empty unit stores star") << QByteArray("$GPVTG,1,T,,M,2,N,3,*") << "0: 1.0 T M 2.0 N 3.0 *";
        // GSV: the number of satellites and each one, or a negative code.
        QTest::newRow("GSV signal id tail") << QByteArray("$GPGSV,1,1,01,03,03,111,40,1*") << "1: 3/3/111/40 signal 1";
        QTest::newRow("GSV four satellites and a signal id")
            << QByteArray("$GPGSV,3,1,10,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45,1*")
            << "4: 1/40/83/46 2/17/308/41 12/7/344/39 14/22/228/45 signal 1";
        QTest::newRow("GSV signal id after an empty snr")
            << QByteArray("$GAGSV,1,1,01,02,52,041,,7*") << "1: 2/52/41/0 signal 7";
        QTest::newRow("GSV signal id 0") << QByteArray("$GLGSV,1,1,01,65,58,102,44,0*") << "1: 65/58/102/44 signal 0";
        QTest::newRow("GSV hexadecimal signal id")
            << QByteArray("$GBGSV,1,1,01,19,60,120,44,B*") << "1: 19/60/120/44 signal 11";
        QTest::newRow("GSV signal id F") << QByteArray("$GBGSV,1,1,01,19,60,120,44,F*") << "1: 19/60/120/44 signal 15";
        QTest::newRow("GSV no satellites, a signal id") << QByteArray("$GAGSV,1,1,00,7*") << "0: signal 7";
        QTest::newRow("GSV empty last field") << QByteArray("$GPGSV,1,1,01,03,03,111,40,*") << "1: 3/3/111/40 ";
        QTest::newRow("GSV two-digit last field") << QByteArray("$GPGSV,1,1,01,03,03,111,40,10*") << "1: 3/3/111/40 ";
        QTest::newRow("GSV lower-case last field") << QByteArray("$GPGSV,1,1,01,03,03,111,40,b*") << "1: 3/3/111/40 ";
        QTest::newRow("GSV letter past F") << QByteArray("$GPGSV,1,1,01,03,03,111,40,G*") << "1: 3/3/111/40 ";
        QTest::newRow("GSV no signal id") << QByteArray("$GPGSV,1,1,01,03,03,111,40*") << "1: 3/3/111/40 ";
        // A GSV that lost its "*" runs on to the next one, whose last field
        // it reads as it reads any (the GSV pass does not take it for one).
        QTest::newRow("GSV run on across a line end")
            << QByteArray("$GPGSV,1,1,01,07,1,2\r\n$GPGSA,A,3*") << "1: 7/1/2/0 signal 3";
        QTest::newRow("GSV no comma") << QByteArray("$GPGSV1100*") << "-2: ";
        QTest::newRow("GSV prn unclosed, no star") << QByteArray("$GPGSV,1,1,01,03") << "-7: ";
        QTest::newRow("GSV elevation unclosed") << QByteArray("$GPGSV,1,1,01,03,45*") << "-8: ";
        QTest::newRow("GSV azimuth unclosed") << QByteArray("$GPGSV,1,1,01,03,45,120*") << "-9: ";
        QTest::newRow("GSV snr unended") << QByteArray("$GPGSV,1,1,01,03,45,120,33") << "-10: ";
    }
    void sentences()
    {
        QFETCH(QByteArray, sentence);
        QFETCH(QString, parsed);
        const std::string_view text(sentence.constData(), size_t(sentence.size()));
        const QByteArray type = sentence.mid(3, 3);
        QString got;
        if (type == "GGA")
            got = Parse(ParseGga, text);
        else if (type == "GSA")
            got = Parse(ParseGsa, text);
        else if (type == "RMC")
            got = Parse(ParseRmc, text);
        else if (type == "VTG")
            got = Parse(ParseVtg, text);
        else
            got = Parse(ParseGsv, text);
        QCOMPARE(got, parsed);
    }

    // Too short a sentence leaves the record as it was.
    void shortSentenceLeavesRecord()
    {
        GgaRecord record;
        record.fixQuality = 42;
        QCOMPARE(ParseGga("$GPGGA,*", record), -1);
        QCOMPARE(ParseGga("", record), -1);
        QCOMPARE(record.fixQuality, 42);
    }
};

QTEST_APPLESS_MAIN(TestParsers)
#include "tst_parsers.moc"
