// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <bit>
#include <cmath>
#include <set>
#include <string>

#include "../common/Sentence.h"
#include "decoder/Epochs.h"

using namespace orvane;

namespace {

std::string Log(std::initializer_list<const char*> bodies)
{
    std::string text;
    for (const char* body : bodies)
        text += Nmea(body);
    return text;
}

// Every field of every epoch and satellite, one line each, so that two
// readings compare as text.
QString Dump(const EpochLog& log)
{
    QString out;
    for (const Epoch& e : log.epochs) {
        out += QString::asprintf(
            "%d %04d-%02d-%02d f%d %.9f %.9f %g %g q%d t%d m%c %s p%g h%g v%g s%g/%g/%g %g %g a%g "
            "st%d",
            e.timeMs, e.date.year, e.date.month, e.date.day, e.flags, e.latitude, e.longitude, e.heightMsl,
            e.geoidSeparation, e.quality, e.fixType, e.rmcMode ? e.rmcMode : '-',
            std::string(e.gnsModes.data(), strnlen(e.gnsModes.data(), e.gnsModes.size())).c_str(), e.pdop, e.hdop,
            e.vdop, e.sigmaLatitude, e.sigmaLongitude, e.sigmaHeight, e.speed, e.course, e.correctionAge, e.stationId);
        for (int c = 0; c < kConstellationCount; ++c)
            out += QString::asprintf(" %d/%d", e.used[size_t(c)], e.inView[size_t(c)]);
        const EpochCn0 cn0 = log.Cn0Of(e);
        size_t signal = 0;
        for (const EpochSatellite& s : log.SatellitesOf(e)) {
            out += QString::asprintf(" [%d:%d u%d e%d a%d", int(s.System()), s.Prn(), s.Used(), s.Elevation(),
                s.Azimuth());
            for (int bit = 0; bit < 16; ++bit)
                if (s.signalBits >> bit & 1)
                    out += QString::asprintf(" %c=%d", bit ? EpochSignalId(bit) : '-', cn0[signal++]);
            out += "]";
        }
        out += "\n";
    }
    out += QString::asprintf("sentences %llu bad %llu unparsed %llu untimed %llu\n", (unsigned long long)log.sentences,
        (unsigned long long)log.badChecksum, (unsigned long long)log.notParsed, (unsigned long long)log.withoutTime);
    return out;
}

// A receiver's log with a gap, fix changes and satellites: the text the
// feeding tests cut.
std::string MixedLog()
{
    return Log({
        "GPGSV,1,1,01,05,40,100,41",  // before any time: joins the first epoch
        "GPGGA,120000.00,4807.03800,N,01131.00000,E,1,08,0.9,545.4,M,46.9,M,,",
        "GPGSA,A,3,05,,,,,,,,,,,,1.5,0.9,1.2",
        "GPRMC,120000.00,A,4807.03800,N,01131.00000,E,10.0,084.4,230394,,,A",
        "GPGGA,120001.00,4807.03810,N,01131.00010,E,4,08,0.9,545.5,M,46.9,M,1.2,0042",
        "GPGSA,A,3,05,07,,,,,,,,,,,1.4,0.8,1.1",
        "GPGGA,120005.00,4807.03820,N,01131.00020,E,5,08,0.9,545.6,M,46.9,M,2.0,0042",
        "GPGGA,120006.00,,,,,0,00,,,M,,M,,",
        "GPGSA,A,1,,,,,,,,,,,,,,,",
        "GPGGA,120007.00,4807.03830,N,01131.00030,E,2,08,0.9,545.7,M,46.9,M,,",
        "GPGSA,A,2,05,07,,,,,,,,,,,2.5,1.9,",
    });
}

}  // namespace

class TestEpochs : public QObject {
    Q_OBJECT
private slots:
    // One epoch of a multi-band receiver: every field from the sentence
    // that carries it.
    void multiBandEpoch()
    {
        const EpochLog log = ReadEpochs(Log({
            "GNRMC,235959.50,A,3733.32791,N,12658.29325,W,1.944,172.00,140326,,,R,V",
            "GNVTG,172.00,T,,M,1.944,N,3.600,K,R",
            "GNGGA,235959.50,3733.32791,N,12658.29325,W,4,34,0.58,31.5,M,23.6,M,1.5,0123",
            "GNGNS,235959.50,3733.32791,N,12658.29325,W,RRFN,34,0.58,31.5,23.6,1.5,0123,V",
            "GNGSA,A,3,01,07,,,,,,,,,,,1.02,0.58,0.84,1",
            "GNGSA,A,3,07,,,,,,,,,,,,1.02,0.58,0.84,3",
            "GPGSV,1,1,02,01,59,268,43,07,18,165,,1",
            "GPGSV,1,1,01,07,18,165,31,6",
            "GAGSV,1,1,02,07,67,209,48,30,21,247,37,7",
            "GBGSV,1,1,01,01,44,159,42,B",
            "GNGST,235959.50,1.03,0.48,0.41,93.8,0.41,0.48,0.92",
            "GNZDA,235959.50,14,03,2026,00,00",
        }));
        QCOMPARE(log.epochs.size(), size_t(1));
        QCOMPARE(log.sentences, uint64_t(12));
        const Epoch& e = log.epochs[0];
        QCOMPARE(e.timeMs, ((23 * 60 + 59) * 60 + 59) * 1000 + 500);
        QCOMPARE(e.date, (EpochDate{2026, 3, 14}));
        QVERIFY(e.Has(Epoch::kPosition) && e.Has(Epoch::kHeight) && e.Has(Epoch::kSeparation));
        QCOMPARE(e.latitude, 37 + 33.32791 / 60);
        QCOMPARE(e.longitude, -(126 + 58.29325 / 60));
        QCOMPARE(e.heightMsl, 31.5f);
        QCOMPARE(e.geoidSeparation, 23.6f);
        QCOMPARE(e.quality, int8_t(4));
        QCOMPARE(e.fixType, int8_t(3));
        QCOMPARE(e.rmcMode, 'R');
        QCOMPARE(QByteArray(e.gnsModes.data()), QByteArray("RRFN"));
        QCOMPARE(e.pdop, 1.02f);
        QCOMPARE(e.hdop, 0.58f);
        QCOMPARE(e.vdop, 0.84f);
        QCOMPARE(e.sigmaLatitude, 0.41f);
        QCOMPARE(e.sigmaLongitude, 0.48f);
        QCOMPARE(e.sigmaHeight, 0.92f);
        QVERIFY(std::fabs(e.speed - 1.0f) < 1e-4f);  // 3.6 km/h
        QCOMPARE(e.course, 172.0f);
        QCOMPARE(e.correctionAge, 1.5f);
        QCOMPARE(e.stationId, uint16_t(123));
        // GPS 1 and 7 used; Galileo 7 used, 30 not; BeiDou 1 in view only.
        QCOMPARE(e.used[size_t(Constellation::Gps)], uint8_t(2));
        QCOMPARE(e.used[size_t(Constellation::Galileo)], uint8_t(1));
        QCOMPARE(e.inView[size_t(Constellation::Gps)], uint8_t(2));
        QCOMPARE(e.inView[size_t(Constellation::Galileo)], uint8_t(2));
        QCOMPARE(e.inView[size_t(Constellation::BeiDou)], uint8_t(1));
        QCOMPARE(e.satelliteCount, uint16_t(5));
        const QString dump = Dump(log);
        QCOMPARE(dump.mid(dump.indexOf('[')),
            QString("[0:1 u1 e59 a268 1=43] [0:7 u1 e18 a165 1=0 6=31] [2:7 u1 e67 a209 7=48] [2:30 u0 e21 a247 7=37] "
                    "[3:1 u0 e44 a159 B=42]\nsentences 12 bad 0 unparsed 0 untimed 0\n"));
        // The epoch, five satellites, one byte of their used flags and six C/N0.
        QVERIFY(log.RecordBytes() == sizeof(Epoch) + 5 * sizeof(EpochSatellite) + 1 + 6);
    }

    // Which sentence's position counts: a fix only, GGA before GNS before
    // RMC before GLL, whatever their order.
    void positionSource_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("position");
        QTest::addColumn<double>("latitude");
        const std::string gll = Nmea("GPGLL,1000.00000,N,02000.00000,E,101010.00,A,A");
        const std::string rmc = Nmea("GPRMC,101010.00,A,1100.00000,N,02000.00000,E,,,010126,,,A");
        const std::string gga = Nmea("GPGGA,101010.00,1200.00000,S,02000.00000,E,1,05,1.0,10.0,M,,M,,");
        const std::string gns = Nmea("GNGNS,101010.00,1300.00000,N,02000.00000,E,AN,05,1.0,10.0,,,,");
        QTest::newRow("GLL alone") << QString::fromStdString(gll) << true << 10.0;
        QTest::newRow("RMC over GLL") << QString::fromStdString(gll + rmc) << true << 11.0;
        QTest::newRow("GGA over RMC, either order") << QString::fromStdString(gga + rmc) << true << -12.0;
        QTest::newRow("GNS between") << QString::fromStdString(rmc + gns + gll) << true << 13.0;
        QTest::newRow("GGA without fix gives none")
            << QString::fromStdString(Nmea("GPGGA,101010.00,1200.00000,N,02000.00000,E,0,05,1.0,10.0,M,,M,,")) << false
            << 0.0;
        QTest::newRow("RMC status V gives none")
            << QString::fromStdString(Nmea("GPRMC,101010.00,V,1100.00000,N,02000.00000,E,,,010126,,,N")) << false
            << 0.0;
        QTest::newRow("RMC mode N gives none")
            << QString::fromStdString(Nmea("GPRMC,101010.00,A,1100.00000,N,02000.00000,E,,,010126,,,N")) << false
            << 0.0;
        QTest::newRow("GNS all N gives none")
            << QString::fromStdString(Nmea("GNGNS,101010.00,1300.00000,N,02000.00000,E,NN,05,1.0,10.0,,,,")) << false
            << 0.0;
        QTest::newRow("no hemisphere gives none")
            << QString::fromStdString(Nmea("GPGLL,1000.00000,,02000.00000,E,101010.00,A,A")) << false << 0.0;
    }
    void positionSource()
    {
        QFETCH(QString, text);
        QFETCH(bool, position);
        QFETCH(double, latitude);
        const EpochLog log = ReadEpochs(text.toStdString());
        QCOMPARE(log.epochs.size(), size_t(1));
        QCOMPARE(log.epochs[0].Has(Epoch::kPosition), position);
        if (position)
            QCOMPARE(log.epochs[0].latitude, latitude);
    }

    // A coordinate's form is checked on its digits, and its degrees worked
    // out only where stored: both as the division of the number gives them
    // (whole degrees by trunc(value / 100), the minutes over 60), to the
    // last bit, at the limits and past the digits a double holds.
    void coordinateForms_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("hemisphere");
        QTest::addColumn<bool>("good");
        QTest::newRow("plain") << "4807.03800"
                               << "N" << true;
        QTest::newRow("south, a minus too") << "-4807.038"
                                            << "S" << true;
        QTest::newRow("minutes only") << "0.5"
                                      << "N" << true;
        QTest::newRow("90 degrees") << "9000.00000"
                                    << "S" << true;
        QTest::newRow("past 90 degrees") << "9000.00001"
                                         << "N" << false;
        QTest::newRow("just below 60 minutes") << "8959.99999"
                                               << "N" << true;
        QTest::newRow("60 minutes") << "8960.00000"
                                    << "N" << false;
        QTest::newRow("degrees past the limit") << "12345678.5"
                                                << "N" << false;
        QTest::newRow("twelve decimals past 90") << "9000.000000000001"
                                                 << "N" << false;
        QTest::newRow("twelve decimals below 60 minutes") << "4759.999999999999"
                                                          << "N" << true;
        QTest::newRow("eighteen digits") << "4807.03800000000001"
                                         << "N" << true;
        QTest::newRow("nineteen digits") << "4807.038000000000001"
                                         << "N" << false;
        QTest::newRow("another letter") << "4807.038"
                                        << "E" << false;
    }
    void coordinateForms()
    {
        QFETCH(QString, number);
        QFETCH(QString, hemisphere);
        QFETCH(bool, good);
        const std::string text = number.toStdString();
        const EpochLog log =
            ReadEpochs(Nmea("GPGLL," + text + "," + hemisphere.toStdString() + ",01131.00000,E,101010.00,A,A"));
        QCOMPARE(log.notParsed, uint64_t(good ? 0 : 1));
        QCOMPARE(log.epochs.size(), size_t(good ? 1 : 0));
        if (!good)
            return;
        // The degrees as the division gives them.
        uint64_t mantissa = 0;
        int fraction = -1;
        for (const char c : text) {
            if (c == '.')
                fraction = 0;
            else if (c != '-') {
                mantissa = mantissa * 10 + uint64_t(c - '0');
                fraction += fraction >= 0;
            }
        }
        const double value = double(mantissa) / std::pow(10.0, std::max(fraction, 0));
        const double whole = std::trunc(value / 100.0);
        const double degrees = whole + (value - whole * 100.0) / 60.0;
        QCOMPARE(std::bit_cast<uint64_t>(log.epochs[0].latitude),
            std::bit_cast<uint64_t>(hemisphere == "S" ? -degrees : degrees));
    }

    // A sentence whose position cannot win over the one kept is still
    // checked: a malformed coordinate counts as not parsed; a good one
    // changes nothing; one of the same rank takes over.
    void positionRanks_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("latitude");
        QTest::addColumn<int>("unparsed");
        const std::string gga = Nmea("GPGGA,101010.00,1200.00000,N,02000.00000,E,1,05,1.0,10.0,M,,M,,");
        const std::string rmc = Nmea("GPRMC,101010.00,A,1100.00000,N,02000.00000,E,,,010126,,,A");
        QTest::newRow("RMC and GLL after GGA keep its position")
            << QString::fromStdString(gga + rmc + Nmea("GPGLL,1000.00000,N,02000.00000,E,101010.00,A,A")) << 12.0 << 0;
        QTest::newRow("RMC with 60 minutes after GGA")
            << QString::fromStdString(gga + Nmea("GPRMC,101010.00,A,1160.00000,N,02000.00000,E,,,010126,,,A")) << 12.0
            << 1;
        QTest::newRow("GLL past 180 degrees after RMC")
            << QString::fromStdString(rmc + Nmea("GPGLL,1000.00000,N,18000.50000,E,101010.00,A,A")) << 11.0 << 1;
        QTest::newRow("a second GGA takes over")
            << QString::fromStdString(gga + Nmea("GNGGA,101010.00,1400.00000,N,02000.00000,E,1,05,1.0,10.0,M,,M,,"))
            << 14.0 << 0;
    }
    void positionRanks()
    {
        QFETCH(QString, text);
        QFETCH(double, latitude);
        QFETCH(int, unparsed);
        const EpochLog log = ReadEpochs(text.toStdString());
        QCOMPARE(log.epochs.size(), size_t(1));
        QCOMPARE(log.epochs[0].latitude, latitude);
        QCOMPARE(log.notParsed, uint64_t(unparsed));
    }

    // A time or coordinate that is the text of the last one read gives
    // what it gave then; one that differs anywhere up to its comma (a digit
    // more, the other hemisphere) is read anew, and a malformed one is
    // counted each time it comes.
    void repeatedFields_data()
    {
        QTest::addColumn<QStringList>("bodies");
        QTest::addColumn<QString>("epochs");  // per epoch: time in ms, latitude, longitude; ";" apart
        QTest::addColumn<int>("unparsed");
        const QString rmc = "GPRMC,101010.00,A,4807.03800,N,01131.00000,E,,,010126,,,A";
        const QString gga = "GPGGA,101010.00,4807.03800,N,01131.00000,E,1,05,1.0,10.0,M,,M,,";
        const QString position = "48.117300000 11.516666667";
        QTest::newRow("RMC then GGA") << QStringList{rmc, gga} << "36610000 " + position << 0;
        QTest::newRow("a digit more") << QStringList{gga,
                                             "GNGGA,101010.00,4807.038001,N,01131.000001,E,1,05,1.0,10.0,M,,M,,"}
                                      << "36610000 48.117300017 11.516666683" << 0;
        QTest::newRow("the other hemispheres")
            << QStringList{gga, "GNGGA,101010.00,4807.03800,S,01131.00000,W,1,05,1.0,10.0,M,,M,,"}
            << "36610000 -48.117300000 -11.516666667" << 0;
        QTest::newRow("a time a decimal longer")
            << QStringList{gga, "GPGGA,101010.001,4807.03800,N,01131.00000,E,1,05,1.0,10.0,M,,M,,"}
            << "36610000 " + position + ";36610001 " + position << 0;
        const QString sixtyMinutes = "GPGGA,101010.00,4860.00000,N,01131.00000,E,1,05,1.0,10.0,M,,M,,";
        QTest::newRow("60 minutes, twice")
            << QStringList{sixtyMinutes, sixtyMinutes, gga} << "36610000 " + position << 2;
    }
    void repeatedFields()
    {
        QFETCH(QStringList, bodies);
        QFETCH(QString, epochs);
        QFETCH(int, unparsed);
        std::string text;
        for (const QString& body : bodies)
            text += Nmea(body.toStdString());
        const EpochLog log = ReadEpochs(text);
        QStringList read;
        for (const Epoch& e : log.epochs)
            read << QString::asprintf("%d %.9f %.9f", e.timeMs, e.latitude, e.longitude);
        QCOMPARE(read.join(";"), epochs);
        QCOMPARE(log.notParsed, uint64_t(unparsed));
    }

    // A GSA that comes again byte for byte gives what it gave the first
    // time, to each epoch it comes in, and is counted each time; one that
    // differs only in its talker is not taken for it.
    void repeatedGsa_data()
    {
        QTest::addColumn<QStringList>("epochs");  // each epoch's sentences after its GGA, ";" apart
        QTest::addColumn<QString>("counts");      // per epoch: used GPS, Galileo, BeiDou; fix type
        QTest::addColumn<int>("unparsed");
        const QString gsa = "GPGSA,A,3,05,07,,,,,,,,,,,1.5,0.9,1.2";
        QTest::newRow("in two epochs") << QStringList{gsa, gsa} << "2003 2003" << 0;
        QTest::newRow("twice in one epoch") << QStringList{gsa + ";" + gsa} << "2003" << 0;
        QTest::newRow("malformed, twice")
            << QStringList{"GPGSA,A,3,05,x7,,,,,,,,,,,1.5,0.9,1.2", "GPGSA,A,3,05,x7,,,,,,,,,,,1.5,0.9,1.2"}
            << "0000 0000" << 2;
        QTest::newRow("another talker, the same fields")
            << QStringList{"GAGSA,A,2,05,07,,,,,,,,,,,1.5,0.9,1.2", "GBGSA,A,2,05,07,,,,,,,,,,,1.5,0.9,1.2"}
            << "0202 0022" << 0;
    }
    void repeatedGsa()
    {
        QFETCH(QStringList, epochs);
        QFETCH(QString, counts);
        QFETCH(int, unparsed);
        std::string text;
        uint64_t sentences = 0;
        for (int k = 0; k < epochs.size(); ++k) {
            text +=
                Nmea(QString("GPGGA,10101%1.00,1200.00000,N,02000.00000,E,1,05,1.0,10.0,M,,M,,").arg(k).toStdString());
            for (const QString& sentence : epochs[k].split(';')) {
                text += Nmea(sentence.toStdString());
                ++sentences;
            }
            ++sentences;
        }
        // Read whole (the quick way, which compares sixteen bytes at a
        // time) and a byte at a time.
        EpochLog pieces;
        EpochReader reader(pieces);
        for (const char c : text)
            reader.Feed(std::string_view(&c, 1));
        reader.Finish();
        for (const EpochLog& log : {ReadEpochs(text + std::string(100, ' ')), pieces}) {
            QStringList read;
            for (const Epoch& e : log.epochs)
                read << QString::asprintf("%d%d%d%d", e.used[size_t(Constellation::Gps)],
                    e.used[size_t(Constellation::Galileo)], e.used[size_t(Constellation::BeiDou)], e.fixType);
            QCOMPARE(read.join(' '), counts);
            QCOMPARE(log.notParsed, uint64_t(unparsed));
            QCOMPARE(log.sentences, sentences - uint64_t(unparsed));
        }
    }

    // A GSA read before, sent again with any other checksum, is a bad
    // checksum: never taken for the one it repeats.
    void repeatedGsaOtherChecksums()
    {
        const std::string body = "GPGSA,A,3,05,07,,,,,,,,,,,1.5,0.9,1.2";
        const std::string good = Nmea(body);
        std::string text = Nmea("GPGGA,101010.00,1200.00000,N,02000.00000,E,1,05,1.0,10.0,M,,M,,") + good +
                           Nmea("GPGGA,101011.00,1200.00000,N,02000.00000,E,1,05,1.0,10.0,M,,M,,");
        static const char* const kHex = "0123456789ABCDEF";
        for (int sum = 0; sum < 256; ++sum) {
            if (good.substr(good.size() - 4, 2) == std::string{kHex[sum >> 4], kHex[sum & 15]})
                continue;
            text += '$';
            text += body;
            text += {'*', kHex[sum >> 4], kHex[sum & 15], '\r', '\n'};
        }
        const EpochLog log = ReadEpochs(text);
        QCOMPARE(log.badChecksum, uint64_t(255));
        QCOMPARE(log.epochs.size(), size_t(2));
        QCOMPARE(int(log.epochs[0].used[size_t(Constellation::Gps)]), 2);
        QCOMPARE(int(log.epochs[1].used[size_t(Constellation::Gps)]), 0);
        QVERIFY(!log.epochs[1].Has(Epoch::kSatellitesUsed));
    }

    // Epochs close at another time; untimed sentences follow the epoch
    // they come after, or join the first; fix types change epoch by epoch.
    void epochBoundaries()
    {
        const EpochLog log = ReadEpochs(MixedLog());
        QCOMPARE(log.epochs.size(), size_t(5));
        const int expectedTimes[] = {43200000, 43201000, 43205000, 43206000, 43207000};
        const int expectedQuality[] = {1, 4, 5, 0, 2};
        const int expectedFixType[] = {3, 3, 0, 1, 2};
        for (size_t k = 0; k < 5; ++k) {
            QCOMPARE(log.epochs[k].timeMs, expectedTimes[k]);
            QCOMPARE(int(log.epochs[k].quality), expectedQuality[k]);
            QCOMPARE(int(log.epochs[k].fixType), expectedFixType[k]);
            QCOMPARE(log.epochs[k].Has(Epoch::kPosition), expectedQuality[k] > 0);
        }
        // The GSV sent before the first time belongs to the first epoch.
        QCOMPARE(log.epochs[0].satelliteCount, uint16_t(1));
        QCOMPARE(log.epochs[0].used[0], uint8_t(1));
        QCOMPARE(log.epochs[1].used[0], uint8_t(2));
        QCOMPARE(log.epochs[1].correctionAge, 1.2f);
        QCOMPARE(log.epochs[1].stationId, uint16_t(42));
        QVERIFY(std::isnan(log.epochs[4].vdop));
        // RMC's date; the epochs after it carry it on.
        for (const Epoch& e : log.epochs)
            QCOMPARE(e.date, (EpochDate{1994, 3, 23}));
    }

    // The text cut at every place into two pieces reads as the whole text
    // in one piece, whatever the cut splits (a sentence, its checksum, a
    // CR LF).
    void cutAtEveryPlace()
    {
        const std::string text = MixedLog();
        const QString whole = Dump(ReadEpochs(text));
        for (size_t cut = 0; cut <= text.size(); ++cut) {
            EpochLog log;
            EpochReader reader(log);
            reader.Feed(std::string_view(text).substr(0, cut));
            reader.Feed(std::string_view(text).substr(cut));
            reader.Finish();
            if (Dump(log) != whole)
                QFAIL(qPrintable(QString("cut at %1:\n%2").arg(cut).arg(Dump(log))));
        }
    }

    // A text of many megabytes read at once (the reader reserves its records
    // ahead, judged from the first part) reads as the same text in pieces.
    void largeText()
    {
        const std::string log = MixedLog();
        std::string text;
        while (text.size() < (size_t(9) << 20))
            text += log;
        const EpochLog whole = ReadEpochs(text);
        QVERIFY(whole.epochs.size() > 50000);
        EpochLog pieces;
        EpochReader reader(pieces);
        for (size_t at = 0; at < text.size(); at += 65536)
            reader.Feed(std::string_view(text).substr(at, 65536));
        reader.Finish();
        QCOMPARE(Dump(pieces), Dump(whole));
    }

    // Lines ended by CR alone, by LF alone, and a last line without an end.
    void lineEnds_data()
    {
        QTest::addColumn<QString>("separator");
        QTest::newRow("CR") << "\r";
        QTest::newRow("LF") << "\n";
        QTest::newRow("CR LF") << "\r\n";
    }
    void lineEnds()
    {
        QFETCH(QString, separator);
        std::string text = MixedLog();
        std::string changed;
        for (size_t at = 0; at < text.size(); ++at) {
            if (text.compare(at, 2, "\r\n") == 0) {
                changed += separator.toStdString();
                ++at;
            } else {
                changed += text[at];
            }
        }
        changed.resize(changed.size() - size_t(separator.size()));  // the last line without its end
        QCOMPARE(Dump(ReadEpochs(changed)), Dump(ReadEpochs(text)));
    }

    // Lines a broken receiver or a noisy link writes: what a line is and
    // which sentences it holds does not depend on where the text is cut.
    void oddLines_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("sentences");
        QTest::addColumn<int>("bad");
        const std::string gga = Nmea("GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
        const std::string gsv = Nmea("GPGSV,1,1,01,05,40,100,41");
        const std::string gsvLine = gsv.substr(0, gsv.size() - 2);
        const auto bytes = [](const std::string& text) { return QByteArray(text.data(), qsizetype(text.size())); };
        QTest::newRow("more after the checksum, CR inside it") << bytes(gsvLine + "*9\r\r\n" + gga) << 2 << 0;
        QTest::newRow("a star in the body") << bytes("$GPGGA,12*00,4807.038,N*11\r\n" + gga) << 1 << 1;
        QTest::newRow("a sentence runs into the next") << bytes("$GPGGA,1200" + gga + gsv) << 2 << 1;
        QTest::newRow("a CR inside a sentence") << bytes(gga.substr(0, 20) + "\r" + gga.substr(20) + gsv) << 1 << 1;
        QTest::newRow("BEL and NUL between sentences")
            << bytes(gsvLine + std::string("\a\0\0", 3) + gga + std::string("\0", 1) + gsv) << 3 << 0;
        QTest::newRow("no line ends") << bytes(gsvLine + gsvLine + gsvLine) << 3 << 0;
    }
    void oddLines()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, sentences);
        QFETCH(int, bad);
        const std::string_view view(text.constData(), size_t(text.size()));
        const EpochLog whole = ReadEpochs(view);
        QCOMPARE(whole.sentences, uint64_t(sentences));
        QCOMPARE(whole.badChecksum, uint64_t(bad));
        const QString expected = Dump(whole);
        for (size_t step = 1; step <= 3; ++step) {
            for (size_t cut = 0; cut <= view.size(); ++cut) {
                EpochLog log;
                EpochReader reader(log);
                reader.Feed(view.substr(0, cut));
                for (size_t at = cut; at < view.size(); at += step)
                    reader.Feed(view.substr(at, step));
                reader.Finish();
                if (Dump(log) != expected)
                    QFAIL(qPrintable(QString("step %1, cut at %2:\n%3").arg(step).arg(cut).arg(Dump(log))));
            }
        }
    }

    // GSV and GSA sentences of every form: read within a long text (the
    // reader's quick way, which looks ahead of the sentence) and fed a
    // byte at a time (field by field) they give the same epoch.
    void satelliteSentenceForms_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("unparsed");
        QTest::newRow("GSV plain") << "GPGSV,3,1,11,01,59,268,43,07,18,165,35,10,35,187,42,11,10,074,,1" << 0;
        QTest::newRow("GSV without signal ID") << "GPGSV,3,1,11,01,59,268,43,07,18,165,35,10,35,187,42,11,10,074," << 0;
        QTest::newRow("GSV one satellite") << "GLGSV,2,2,05,78,72,199,46,3" << 0;
        QTest::newRow("GSV signal ID a letter") << "GBGSV,2,1,08,01,44,159,43,02,25,240,33,B" << 0;
        QTest::newRow("GSV three-digit PRNs") << "GPGSV,1,1,03,120,35,187,43,193,10,074,31,401,,,25" << 0;
        QTest::newRow("GSV short fields") << "GPGSV,1,1,03,5,7,65,9,12,,,,3,0,0,0" << 0;
        QTest::newRow("GSV azimuth 360, elevation 91") << "GAGSV,1,1,02,02,52,360,45,04,91,306,43,7" << 0;
        QTest::newRow("GSV negative elevation") << "GPGSV,1,1,01,07,-3,165,35" << 0;
        QTest::newRow("GSV no PRN") << "GPGSV,1,1,02,,18,165,35,10,35,187,42" << 0;
        QTest::newRow("GSV PRN 0 and 600") << "GPGSV,1,1,02,00,18,165,35,600,35,187,42" << 0;
        QTest::newRow("GSV four-digit C/N0") << "GPGSV,1,1,01,07,18,165,1035" << 0;
        QTest::newRow("GSV partial satellite") << "GPGSV,1,1,02,07,18,165,35,10,35" << 0;
        QTest::newRow("GSV counts only") << "GPGSV,1,1,00" << 0;
        QTest::newRow("GSV letter in a number") << "GPGSV,1,1,02,07,18,1x5,35,10,35,187,42" << 1;
        QTest::newRow("GSV two-digit signal ID") << "GPGSV,1,1,01,07,18,165,35,12" << 1;
        QTest::newRow("GSV five satellites")
            << "GPGSV,1,1,05,01,59,268,43,07,18,165,35,10,35,187,42,11,10,074,30,15,15,253,28" << 0;
        QTest::newRow("GSA plain") << "GNGSA,A,3,01,07,10,15,16,21,27,32,,,,,1.02,0.58,0.84,1" << 0;
        QTest::newRow("GSA without system ID") << "GPGSA,A,3,01,07,10,15,16,21,27,32,,,,,1.02,0.58,0.84" << 0;
        QTest::newRow("GSA gaps and three-digit PRNs") << "GNGSA,A,2,,07,,193,,,,,,,,401,2.5,1.9,,4" << 0;
        QTest::newRow("GSA ends among the PRNs") << "GPGSA,A,3,01,07" << 0;
        QTest::newRow("GSA four-digit PRN") << "GNGSA,A,3,0107,10,,,,,,,,,,,1.0,1.0,1.0,1" << 0;
        QTest::newRow("GSA letter in a PRN") << "GNGSA,A,3,01,0x,,,,,,,,,,,1.0,1.0,1.0,1" << 1;
        QTest::newRow("GSA bad DOP") << "GNGSA,A,3,01,07,,,,,,,,,,,1.0,x,1.0,1" << 1;
        QTest::newRow("GSA unknown system ID") << "GNGSA,A,3,01,07,70,,,,,,,,,,1.0,1.0,1.0,9" << 0;
    }
    void satelliteSentenceForms()
    {
        QFETCH(QString, body);
        QFETCH(int, unparsed);
        const std::string text = Nmea("GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") +
                                 Nmea("GNGSA,A,3,05,12,,,,,,,,,,,1.5,0.9,1.2,1") + Nmea(body.toStdString()) +
                                 std::string(200, ' ') + "\r\n";
        const EpochLog whole = ReadEpochs(text);
        QCOMPARE(whole.notParsed, uint64_t(unparsed));
        QCOMPARE(whole.sentences, uint64_t(3 - unparsed));
        EpochLog pieces;
        EpochReader reader(pieces);
        for (const char c : text)
            reader.Feed(std::string_view(&c, 1));
        reader.Finish();
        QCOMPARE(Dump(pieces), Dump(whole));
    }

    // A wrong or missing checksum, or a field not of its form, drops the
    // sentence and changes nothing.
    void brokenSentences_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("bad");
        QTest::addColumn<int>("unparsed");
        QTest::newRow("wrong checksum") << "$GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*00\r\n"
                                        << 1 << 0;
        QTest::newRow("no checksum") << "$GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,\r\n"
                                     << 1 << 0;
        QTest::newRow("letter in a number")
            << QString::fromStdString(Nmea("GPGGA,120000.00,4807.038,N,01131.0x0,E,1,08,0.9,545.4,M,46.9,M,,")) << 0
            << 1;
        QTest::newRow("time out of range")
            << QString::fromStdString(Nmea("GPGGA,250000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")) << 0
            << 1;
        QTest::newRow("minutes past 60") << QString::fromStdString(Nmea(
                                                "GPGGA,120000.00,4861.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"))
                                         << 0 << 1;
        QTest::newRow("GSV with a long signal field")
            << QString::fromStdString(Nmea("GPGSV,1,1,01,05,40,100,41,12")) << 0 << 1;
    }
    void brokenSentences()
    {
        QFETCH(QString, line);
        QFETCH(int, bad);
        QFETCH(int, unparsed);
        const std::string good = Nmea("GPGGA,110000.00,4807.03800,N,01131.00000,E,1,08,0.9,545.4,M,46.9,M,,");
        const EpochLog log = ReadEpochs(good + line.toStdString());
        QCOMPARE(log.badChecksum, uint64_t(bad));
        QCOMPARE(log.notParsed, uint64_t(unparsed));
        QCOMPARE(Dump(log).section('\n', 0, 0), Dump(ReadEpochs(good)).section('\n', 0, 0));
    }

    // Across midnight the date goes on a day where no sentence gives it;
    // sentences that never get a time are dropped and counted.
    void midnightAndUntimed()
    {
        const EpochLog log = ReadEpochs(Log({
            "GPRMC,235959.00,A,4807.03800,N,01131.00000,E,,,281226,,,A",
            "GPGGA,000000.00,4807.03800,N,01131.00000,E,1,08,0.9,545.4,M,46.9,M,,",
        }));
        QCOMPARE(log.epochs.size(), size_t(2));
        QCOMPARE(log.epochs[0].date, (EpochDate{2026, 12, 28}));
        QCOMPARE(log.epochs[1].date, (EpochDate{2026, 12, 29}));
        QCOMPARE(DateFromDays(DaysFromDate({2028, 2, 28}) + 1), (EpochDate{2028, 2, 29}));
        QCOMPARE(DaysFromDate({1970, 1, 1}), int64_t(0));

        const EpochLog untimed =
            ReadEpochs(Log({"GPGSA,A,3,05,,,,,,,,,,,,1.5,0.9,1.2", "GPVTG,1.0,T,,M,1.0,N,1.9,K,A"}));
        QVERIFY(untimed.epochs.empty());
        QCOMPARE(untimed.withoutTime, uint64_t(2));
    }

    // Satellites, used flags and C/N0 shared with the last epoch that had
    // any only where they are the same bytes, each on its own. An epoch is
    // written as its GSA and GSV bodies separated by ";"; the patterns say,
    // from the second epoch on, whether its satellites, its used flags and
    // its C/N0 are that epoch's run.
    void sharing_data()
    {
        QTest::addColumn<QStringList>("epochs");
        QTest::addColumn<QString>("satellitesShared");
        QTest::addColumn<QString>("usedShared");
        QTest::addColumn<QString>("cn0Shared");
        const QString gsa = "GPGSA,A,3,05,07,,,,,,,,,,,1.5,0.9,1.2;";
        const QString a = gsa + "GPGSV,1,1,02,05,40,100,41,07,18,165,35;GAGSV,1,1,01,07,67,209,48,7";
        QTest::newRow("alike epochs share") << QStringList{a, a, a} << "yy"
                                            << "yy"
                                            << "yy";
        QTest::newRow("an elevation changed")
            << QStringList{a, gsa + "GPGSV,1,1,02,05,41,100,41,07,18,165,35;GAGSV,1,1,01,07,67,209,48,7"} << "n"
            << "y"
            << "y";
        QTest::newRow("the last satellite's azimuth changed")
            << QStringList{a, gsa + "GPGSV,1,1,02,05,40,100,41,07,18,165,35;GAGSV,1,1,01,07,67,210,48,7"} << "n"
            << "y"
            << "y";
        QTest::newRow("a used flag changed")
            << QStringList{a,
                   "GPGSA,A,3,05,,,,,,,,,,,,1.5,0.9,1.2;GPGSV,1,1,02,05,40,100,41,07,18,165,35;"
                   "GAGSV,1,1,01,07,67,209,48,7"}
            << "y"
            << "n"
            << "y";
        QTest::newRow("used flags changed back")
            << QStringList{a,
                   "GPGSA,A,3,07,,,,,,,,,,,,1.5,0.9,1.2;GPGSV,1,1,02,05,40,100,41,07,18,165,35;"
                   "GAGSV,1,1,01,07,67,209,48,7",
                   a}
            << "yy"
            << "nn"
            << "yy";
        QTest::newRow("one C/N0 changed")
            << QStringList{a, gsa + "GPGSV,1,1,02,05,40,100,41,07,18,165,36;GAGSV,1,1,01,07,67,209,48,7"} << "y"
            << "y"
            << "n";
        QTest::newRow("a signal added") << QStringList{a, a + ";GPGSV,1,1,01,05,40,100,41,6"} << "n"
                                        << "y"
                                        << "n";
        QTest::newRow("other satellites, the same C/N0")
            << QStringList{a, gsa + "GPGSV,1,1,02,05,40,100,41,07,18,165,35;GAGSV,1,1,01,08,67,209,48,7"} << "n"
            << "y"
            << "y";
        QTest::newRow("a change after shared epochs")
            << QStringList{a, a, gsa + "GPGSV,1,1,02,05,40,100,42,07,19,165,35;GAGSV,1,1,01,07,67,209,48,7", a} << "ynn"
            << "yyy"
            << "ynn";
        QTest::newRow("epochs without satellites between alike ones")
            << QStringList{a, "GPGSA,A,3,05,07,,,,,,,,,,,1.5,0.9,1.2", "", a, a} << "nnyy"
            << "nnyy"
            << "nnyy";
        QTest::newRow("epochs without satellites between others")
            << QStringList{a, "", gsa + "GPGSV,1,1,02,05,40,100,41,07,18,165,35;GAGSV,1,1,01,07,66,209,48,7"} << "nn"
            << "ny"
            << "ny";
    }
    void sharing()
    {
        QFETCH(QStringList, epochs);
        QFETCH(QString, satellitesShared);
        QFETCH(QString, usedShared);
        QFETCH(QString, cn0Shared);
        std::string text;
        std::vector<std::string> alone;
        for (qsizetype k = 0; k < epochs.size(); ++k) {
            std::string epoch = Nmea(QString("GPGGA,1200%1.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")
                                         .arg(k, 2, 10, QChar('0'))
                                         .toStdString());
            for (const QString& body : epochs[k].split(';', Qt::SkipEmptyParts))
                epoch += Nmea(body.toStdString());
            text += epoch;
            alone.push_back(epoch);
        }
        const EpochLog log = ReadEpochs(text);
        QCOMPARE(log.epochs.size(), size_t(epochs.size()));
        const QStringList lines = Dump(log).split('\n');
        size_t ownSatellites = 0, ownUsed = 0, ownCn0 = 0, ownDifferences = 0;
        std::set<uint32_t> cn0Runs;     // those read so far
        const Epoch* before = nullptr;  // the last epoch with satellites
        for (size_t k = 0; k < log.epochs.size(); ++k) {
            const Epoch& e = log.epochs[k];
            // Each epoch reads as it does alone, where nothing can be shared.
            QCOMPARE(lines[qsizetype(k)], Dump(ReadEpochs(alone[k])).section('\n', 0, 0));
            // Shared: both epochs hold records, from the same place.
            const bool shares = before && e.satelliteCount != 0;
            const bool satellites = shares && e.firstSatellite == before->firstSatellite;
            const bool used = shares && e.firstUsed == before->firstUsed;
            const bool cn0 = shares && e.firstCn0 == before->firstCn0;
            if (k > 0) {
                QCOMPARE(satellites, satellitesShared[qsizetype(k - 1)] == 'y');
                QCOMPARE(used, usedShared[qsizetype(k - 1)] == 'y');
                QCOMPARE(cn0, cn0Shared[qsizetype(k - 1)] == 'y');
            }
            if (e.satelliteCount != 0)
                before = &e;
            if (!satellites)
                ownSatellites += e.satelliteCount;
            if (!used)
                ownUsed += (size_t(e.satelliteCount) + 7) / 8;
            if (e.satelliteCount != 0 && cn0Runs.insert(e.firstCn0).second) {
                size_t signalCount = 0;
                for (const EpochSatellite& satellite : log.SatellitesOf(e))
                    signalCount += size_t(satellite.SignalCount());
                if (e.firstCn0 & kCn0Differences)
                    ownDifferences += 4 + (signalCount + 1) / 2;
                else
                    ownCn0 += signalCount;
            }
        }
        // Each run is stored once, and nothing else.
        QCOMPARE(log.satellites.size(), ownSatellites);
        QCOMPARE(log.used.size(), ownUsed);
        QCOMPARE(log.cn0.size(), ownCn0);
        QCOMPARE(log.cn0Differences.size(), ownDifferences);

        // Fed in pieces of every size, the same records, shared alike.
        for (size_t step = 1; step <= text.size(); ++step) {
            EpochLog pieces;
            EpochReader reader(pieces);
            for (size_t at = 0; at < text.size(); at += step)
                reader.Feed(std::string_view(text).substr(at, step));
            reader.Finish();
            QCOMPARE(Dump(pieces), Dump(log));
            QCOMPARE(pieces.satellites.size(), log.satellites.size());
            QCOMPARE(pieces.used, log.used);
            QCOMPARE(pieces.cn0, log.cn0);
            QCOMPARE(pieces.cn0Differences, log.cn0Differences);
            for (size_t k = 0; k < log.epochs.size(); ++k) {
                QCOMPARE(pieces.epochs[k].firstSatellite, log.epochs[k].firstSatellite);
                QCOMPARE(pieces.epochs[k].firstUsed, log.epochs[k].firstUsed);
                QCOMPARE(pieces.epochs[k].firstCn0, log.epochs[k].firstCn0);
            }
        }
    }

    // C/N0 that changed by -8 to +7 dB-Hz from the last run stored in full
    // are stored as differences from it; others start a new full run. Each
    // epoch has the GPS satellites 5 (two signals) and 7, and gives their
    // C/N0 as "a,b,c" ("" for none). The patterns say, from the second
    // epoch on, whether its C/N0 are stored as differences, and which
    // epoch's run it points at ("-": its own).
    void cn0Differences_data()
    {
        QTest::addColumn<QStringList>("cn0");
        QTest::addColumn<QString>("asDifferences");
        QTest::addColumn<QString>("runOf");
        QTest::newRow("a dB more and less") << QStringList{"40,30,20", "41,29,20", "40,31,21"} << "yy"
                                            << "--";
        QTest::newRow("the ends of the range") << QStringList{"40,30,20", "47,22,20"} << "y"
                                               << "-";
        QTest::newRow("past them") << QStringList{"40,30,20", "48,30,20", "40,30,20"} << "ny"
                                   << "--";
        QTest::newRow("below them") << QStringList{"40,30,20", "40,21,20", "41,22,21"} << "ny"
                                    << "--";
        QTest::newRow("from the full run, not the last epoch")
            << QStringList{"40,30,20", "45,30,20", "50,30,20", "49,30,20"} << "yny"
            << "---";
        QTest::newRow("a signal lost, then weak") << QStringList{"40,30,20", "40,,20", "40,3,20", "40,30,20"} << "nyn"
                                                  << "---";
        QTest::newRow("zero and 255 around") << QStringList{"1,250,20", "0,255,20", "7,249,20"} << "yy"
                                             << "--";
        QTest::newRow("back to the full run, and again the same differences")
            << QStringList{"40,30,20", "41,30,20", "40,30,20", "41,30,20", "41,30,20"} << "ynyy"
            << "-011";
    }

    void cn0Differences()
    {
        QFETCH(QStringList, cn0);
        QFETCH(QString, asDifferences);
        QFETCH(QString, runOf);
        std::string text;
        std::vector<std::string> alone;
        for (qsizetype k = 0; k < cn0.size(); ++k) {
            const QStringList v = cn0[k].split(',');
            std::string epoch = Nmea(QString("GPGGA,1200%1.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")
                                         .arg(k, 2, 10, QChar('0'))
                                         .toStdString());
            epoch += Nmea(QString("GPGSV,1,1,02,05,40,100,%1,07,18,165,%2,1").arg(v[0], v[2]).toStdString());
            epoch += Nmea(QString("GPGSV,1,1,01,05,40,100,%1,6").arg(v[1]).toStdString());
            text += epoch;
            alone.push_back(epoch);
        }
        const EpochLog log = ReadEpochs(text);
        QCOMPARE(log.epochs.size(), size_t(cn0.size()));
        const QStringList lines = Dump(log).split('\n');
        std::set<uint32_t> runs{log.epochs[0].firstCn0};
        for (size_t k = 0; k < log.epochs.size(); ++k) {
            // Each epoch reads its own C/N0, whatever way they are stored.
            QCOMPARE(lines[qsizetype(k)], Dump(ReadEpochs(alone[k])).section('\n', 0, 0));
            if (k == 0)
                continue;
            const uint32_t run = log.epochs[k].firstCn0;
            QCOMPARE((run & kCn0Differences) != 0, asDifferences[qsizetype(k - 1)] == 'y');
            const QChar of = runOf[qsizetype(k - 1)];
            if (of == '-')
                QVERIFY(runs.insert(run).second);
            else
                QCOMPARE(run, log.epochs[size_t(of.digitValue())].firstCn0);
        }
    }

    // The empty cases.
    void emptyText()
    {
        QVERIFY(ReadEpochs("").epochs.empty());
        QVERIFY(ReadEpochs("no sentences here\n$\n$GP\n*\n").epochs.empty());
    }
};

QTEST_APPLESS_MAIN(TestEpochs)
#include "tst_epochs.moc"
