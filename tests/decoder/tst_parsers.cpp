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
QString Describe(const GllRecord& r)
{
    return QString::asprintf("%.6f %s %.6f %s %s", r.latitude, qPrintable(Letter(r.latHemisphere)), r.longitude,
        qPrintable(Letter(r.lonHemisphere)), qPrintable(Time(r.dateTime)));
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
QString Describe(const VtgRecord& r)
{
    return QString::asprintf("%.1f %s %s %.1f %s %.1f %s", r.courseTrue, qPrintable(Letter(r.courseTrueRef)),
        qPrintable(Letter(r.courseMagneticRef)), r.speedKnots, qPrintable(Letter(r.speedKnotsUnit)), r.speedKmh,
        qPrintable(Letter(r.speedKmhUnit)));
}

template <class Record>
void Check(int32_t (*parse)(std::string_view, Record&))
{
    QFETCH(QByteArray, sentence);
    QFETCH(int, code);
    QFETCH(QString, record);
    Record parsed;
    QCOMPARE(parse(std::string_view(sentence.constData(), size_t(sentence.size())), parsed), code);
    QCOMPARE(Describe(parsed), record);
}

void Columns()
{
    QTest::addColumn<QByteArray>("sentence");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("record");
}

}  // namespace

class TestParsers : public QObject {
    Q_OBJECT
private slots:
    void gga_data()
    {
        Columns();
        QTest::newRow("full") << QByteArray("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*") << 0
                              << "0000-00-00 12:35:19.00 48.117300 N 11.516667 E q1 n8 h0.90 a545.4 M";
        QTest::newRow("no fix") << QByteArray("$GPGGA,,,,,,0,00,99.99,,,,,,*") << 0
                                << "0000-00-00 00:00:00.00 0.000000 0 0.000000 0 q0 n0 h99.99 a0.0 0";
        QTest::newRow("cut after N") << QByteArray("$GPGGA,123519,4807.038,N*") << 4
                                     << "0000-00-00 12:35:19.00 48.117300 0 0.000000 0 q0 n0 h0.00 a0.0 0";
        QTest::newRow("no comma") << QByteArray("$GPGGA123519*") << 1
                                  << "0000-00-00 00:00:00.00 0.000000 0 0.000000 0 q0 n0 h0.00 a0.0 0";
        QTest::newRow("altitude unit unclosed") << QByteArray("$GPGGA,1,2,N,3,E,1,5,1.0,9.5,M*") << 11
                                                << "0000-00-00 00:00:01.00 0.033333 N 0.050000 E q1 n5 h1.00 a9.5 0";
        QTest::newRow("count kept in 16 bits") << QByteArray("$GPGGA,,,,,,,65537,,,,*") << 0
                                               << "0000-00-00 00:00:00.00 0.000000 0 0.000000 0 q0 n1 h0.00 a0.0 0";
        QTest::newRow("south west stays positive")
            << QByteArray("$GPGGA,1,4807.038,S,01131.000,W,1,8,1,1,M,*") << 0
            << "0000-00-00 00:00:01.00 48.117300 S 11.516667 W q1 n8 h1.00 a1.0 M";
    }
    void gga() { Check<GgaRecord>(ParseGga); }

    void ggaShortLeavesRecord()
    {
        GgaRecord record;
        record.fixQuality = 42;
        QCOMPARE(ParseGga("$GPGGA,*", record), -1);
        QCOMPARE(record.fixQuality, 42);
        QCOMPARE(ParseGga("", record), -1);
    }

    void gll_data()
    {
        Columns();
        QTest::newRow("full") << QByteArray("$GPGLL,4916.45,N,12311.12,W,225444,A,*") << 0
                              << "49.274167 N 123.185333 W 0000-00-00 22:54:44.00";
        QTest::newRow("status V same") << QByteArray("$GPGLL,4916.45,N,12311.12,W,225444,V,*") << 0
                                       << "49.274167 N 123.185333 W 0000-00-00 22:54:44.00";
        QTest::newRow("short form") << QByteArray("$GPGLL,4916.45,N,12311.12,W*") << 5
                                    << "49.274167 N 123.185333 0 0000-00-00 00:00:00.00";
        QTest::newRow("time unclosed") << QByteArray("$GPGLL,4916.45,N,12311.12,W,225444*") << 6
                                       << "49.274167 N 123.185333 W 0000-00-00 00:00:00.00";
    }
    void gll() { Check<GllRecord>(ParseGll); }

    void gsa_data()
    {
        Columns();
        QTest::newRow("full") << QByteArray("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*") << 0
                              << "A 3 4 5 0 9 12 0 0 24 0 0 0 0 p2.5 h1.3 v2.1";
        QTest::newRow("system id") << QByteArray("$GNGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1,1*") << 0
                                   << "A 3 4 5 0 9 12 0 0 24 0 0 0 0 p2.5 h1.3 v2.1";
        QTest::newRow("cut after fifth slot")
            << QByteArray("$GPGSA,A,3,04,05,,09,12*") << 8 << "A 3 4 5 0 9 0 0 0 0 0 0 0 0 p0.0 h0.0 v0.0";
        QTest::newRow("empty vdop") << QByteArray("$GPGSA,M,2,,,,,,,,,,,,,1.0,2.0,*") << 0
                                    << "M 2 0 0 0 0 0 0 0 0 0 0 0 0 p1.0 h2.0 v0.0";
        QTest::newRow("vdop without end")
            << QByteArray("$GPGSA,A,3,,,,,,,,,,,,,1.0,2.0,3.0") << 18 << "A 3 0 0 0 0 0 0 0 0 0 0 0 0 p1.0 h2.0 v0.0";
        QTest::newRow("hdop unclosed") << QByteArray("$GPGSA,A,3,,,,,,,,,,,,,1.0,2.0*") << 17
                                       << "A 3 0 0 0 0 0 0 0 0 0 0 0 0 p1.0 h0.0 v0.0";
    }
    void gsa() { Check<GsaRecord>(ParseGsa); }

    void gsv_data()
    {
        QTest::addColumn<QByteArray>("sentence");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("entries");
        QTest::newRow("four") << QByteArray("$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*") << 4
                              << "3/3/111/0 4/15/270/0 6/1/10/0 13/6/292/0 ";
        QTest::newRow("empty last snr") << QByteArray("$GPGSV,1,1,02,03,03,111,40,04,15,270,*") << 2
                                        << "3/3/111/40 4/15/270/0 ";
        QTest::newRow("signal id tail") << QByteArray("$GPGSV,1,1,01,03,03,111,40,1*") << 1 << "3/3/111/40 ";
        QTest::newRow("none in view") << QByteArray("$GPGSV,1,1,00*") << -5 << "";
        QTest::newRow("none in view, comma") << QByteArray("$GPGSV,1,1,00,*") << 0 << "";
        QTest::newRow("all-empty group") << QByteArray("$GPGSV,1,1,01,,,,*") << 1 << "0/0/0/0 ";
        QTest::newRow("no comma") << QByteArray("$GPGSV1100*") << -2 << "";
        QTest::newRow("comma 2 missing") << QByteArray("$GPGSV,11*00") << -3 << "";
        QTest::newRow("prn unclosed no star") << QByteArray("$GPGSV,1,1,01,03") << -7 << "";
        QTest::newRow("elevation unclosed") << QByteArray("$GPGSV,1,1,01,03,45*") << -8 << "";
        QTest::newRow("azimuth unclosed") << QByteArray("$GPGSV,1,1,01,03,45,120*") << -9 << "";
        QTest::newRow("snr unended") << QByteArray("$GPGSV,1,1,01,03,45,120,33") << -10 << "";
        QByteArray many = "$GPGSV,1,1,31";
        for (int i = 1; i <= 31; ++i)
            many += "," + QByteArray::number(i) + ",10,100,40";
        QTest::newRow("31 groups") << many + "*" << -6 << "";
    }
    void gsv()
    {
        QFETCH(QByteArray, sentence);
        QFETCH(int, result);
        QFETCH(QString, entries);
        GsvList list;
        QCOMPARE(ParseGsv(std::string_view(sentence.constData(), size_t(sentence.size())), list), result);
        if (result < 0)
            return;
        QString got;
        for (int i = 0; i < result; ++i) {
            const GsvSatellite& s = list.entries[size_t(i)];
            got += QString("%1/%2/%3/%4 ").arg(s.prn).arg(s.elevation).arg(s.azimuth).arg(s.snr);
        }
        QCOMPARE(got, entries);
        for (int i = result; i < kGsvMaxSatellites; ++i)
            QCOMPARE(list.entries[size_t(i)].prn, 0);
    }

    void rmc_data()
    {
        Columns();
        QTest::newRow("full") << QByteArray("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*") << 0
                              << "2094-03-23 12:35:19.00 A 48.117300 N 11.516667 E 41.4848 84.4";
        QTest::newRow("void, no position") << QByteArray("$GPRMC,123519,V,,,,,,,230394,,*") << 0
                                           << "2094-03-23 12:35:19.00 V 0.000000 0 0.000000 0 0.0000 0.0";
        QTest::newRow("course unclosed") << QByteArray("$GPRMC,123519,A,4807.038,N,01131.000,E,1.0,084.4*") << 9
                                         << "0000-00-00 12:35:19.00 A 48.117300 N 11.516667 E 1.8520 0.0";
        QTest::newRow("empty date") << QByteArray("$GPRMC,123519,A,,,,,,,,*") << 0
                                    << "0000-00-00 12:35:19.00 A 0.000000 0 0.000000 0 0.0000 0.0";
        QTest::newRow("date unclosed") << QByteArray("$GPRMC,1,A,,,,,,,010203*") << 10
                                       << "0000-00-00 00:00:01.00 A 0.000000 0 0.000000 0 0.0000 0.0";
        QTest::newRow("negative date wraps") << QByteArray("$GPRMC,,,,,,,,,-10101,*") << 0
                                             << "1999-65535-65535 00:00:00.00 0 0.000000 0 0.000000 0 0.0000 0.0";
    }
    void rmc() { Check<RmcRecord>(ParseRmc); }

    void vtg_data()
    {
        Columns();
        QTest::newRow("old form") << QByteArray("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*") << 0
                                  << "54.7 T M 5.5 N 10.2 K";
        QTest::newRow("mode field") << QByteArray("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A*") << 0
                                    << "54.7 T M 5.5 N 10.2 K";
        QTest::newRow("empty unit stores star") << QByteArray("$GPVTG,1,T,,M,2,N,3,*") << 0 << "1.0 T M 2.0 N 3.0 *";
        QTest::newRow("knots unit unclosed")
            << QByteArray("$GPVTG,054.7,T,034.4,M,005.5,N*") << 7 << "54.7 T M 5.5 0 0.0 0";
    }
    void vtg() { Check<VtgRecord>(ParseVtg); }

    void zda_data()
    {
        QTest::addColumn<QByteArray>("sentence");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("time");
        QTest::newRow("full") << QByteArray("$GPZDA,201530.00,04,07,2002,00,00*") << 0 << "2002-07-04 20:15:30.00";
        QTest::newRow("year empty unclosed") << QByteArray("$GPZDA,201530.00,04,07,*") << 5 << "0000-07-04 20:15:30.00";
        QTest::newRow("day kept in 16 bits") << QByteArray("$GPZDA,1,65568,1,2000,*") << 0 << "2000-01-32 00:00:01.00";
    }
    void zda()
    {
        QFETCH(QByteArray, sentence);
        QFETCH(int, code);
        QFETCH(QString, time);
        ZdaRecord record;
        QCOMPARE(ParseZda(std::string_view(sentence.constData(), size_t(sentence.size())), record), code);
        QCOMPARE(Time(record), time);
    }

    // The empty sentence that a lost "*" at the end of the text gives.
    void emptySentenceIsTooShort()
    {
        RmcRecord rmc;
        VtgRecord vtg;
        ZdaRecord zda;
        GsvList gsv;
        QCOMPARE(ParseRmc({}, rmc), -1);
        QCOMPARE(ParseVtg({}, vtg), -1);
        QCOMPARE(ParseZda({}, zda), -1);
        QCOMPARE(ParseGsv({}, gsv), -1);
    }
};

QTEST_APPLESS_MAIN(TestParsers)
#include "tst_parsers.moc"
