// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <array>
#include <cmath>
#include <fstream>
#include <sstream>

#include "../common/Sentence.h"
#include "decoder/FixSummary.h"
#include "decoder/SummaryText.h"
#include "decoder/Tables.h"

using namespace orvane;

namespace {

// The first epoch of the bundled sample, as a receiver wrote it.
const std::string kEpoch =
    "$GPRMC,235800.00,A,3733.32791,N,12658.29325,E,0.012,172.00,140326,,,A*6A\r\n"
    "$GPVTG,172.00,T,,M,000.01,N,000.02,K,A*3A\r\n"
    "$GPGGA,235800.00,3733.32791,N,12658.29325,E,1,22,0.64,31.5,M,23.6,M,,*6F\r\n"
    "$GPGSA,A,3,01,07,10,15,16,21,27,32,194,199,,,1.08,0.64,0.87*08\r\n"
    "$GLGSA,A,3,65,72,77,78,79,,,,,,,,1.08,0.64,0.87*1D\r\n"
    "$GAGSA,A,3,02,04,05,07,10,30,34,,,,,,1.08,0.64,0.87*16\r\n"
    "$GPGSV,4,1,13,01,59,268,43,07,18,165,35,10,35,187,43,11,10,074,*7E\r\n"
    "$GPGSV,4,2,13,15,15,253,28,16,45,060,45,18,08,291,,21,70,013,44*7F\r\n"
    "$GPGSV,4,3,13,27,73,006,46,32,13,320,32,47,33,229,37,194,74,078,46*46\r\n"
    "$GPGSV,4,4,13,199,46,180,43*76\r\n"
    "$GLGSV,2,1,06,65,58,102,44,66,09,127,18,72,55,341,44,77,16,208,34*60\r\n"
    "$GLGSV,2,2,06,78,72,199,47,79,49,034,43*68\r\n"
    "$GPGLL,3733.32791,N,12658.29325,E,235800.00,A,A*68\r\n"
    "$GPZDA,235800.00,14,03,2026,00,00*6A\r\n";

FixSummary Summarise(std::string_view text)
{
    FixSummary summary;
    summary.Consume(text, 0, text.size());
    return summary;
}

std::string ReadSample()
{
    std::ifstream file(ORVANE_SAMPLE, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

QString Date(const FixSummary& summary)
{
    const SummaryDate& date = summary.Date().value;
    return QString("%1-%2-%3").arg(date.year).arg(date.month).arg(date.day);
}

// The sentences decoded of each talker row.
QString Decoded(const FixSummary& summary)
{
    QStringList counts;
    for (int row = 0; row < kTalkerCount; ++row)
        counts << QString::number(summary.Talker(row).decoded);
    return counts.join(' ');
}

// The satellites in view as prn, elevation, azimuth and best SNR, in order.
std::vector<GsvSatellite> Satellites(const FixSummary& summary)
{
    std::vector<GsvSatellite> satellites;
    for (const SkySatellite& sky : summary.Satellites())
        satellites.push_back(sky.satellite);
    return satellites;
}

// One epoch of a NMEA 4.11 receiver on four constellations and QZSS, two
// signals each: GPS 13 and BeiDou 13, Galileo 12 and BeiDou 12 are
// different satellites; every GSA is combined (GN) with a system ID.
std::string ModernEpoch(const std::string& time)
{
    return Nmea("GNRMC," + time + ",A,4809.0000,N,01135.0000,E,0.010,,140326,,,A,V") +
           Nmea("GNGGA," + time + ",4809.0000,N,01135.0000,E,1,12,0.60,500.0,M,47.0,M,,") +
           Nmea("GNGSA,A,3,13,21,05,,,,,,,,,,1.00,0.60,0.80,1") + Nmea("GNGSA,A,3,70,,,,,,,,,,,,1.00,0.60,0.80,2") +
           Nmea("GNGSA,A,3,12,19,,,,,,,,,,,1.00,0.60,0.80,3") + Nmea("GNGSA,A,3,13,12,21,,,,,,,,,,1.00,0.60,0.80,4") +
           Nmea("GNGSA,A,3,02,,,,,,,,,,,,1.00,0.60,0.80,5") +
           Nmea("GPGSV,1,1,04,13,40,050,45,21,60,100,44,05,30,200,41,30,05,300,20,1") +
           Nmea("GPGSV,1,1,03,13,40,050,38,21,60,100,,05,30,200,36,6") +
           Nmea("GLGSV,1,1,02,70,50,150,40,71,10,250,,1") + Nmea("GLGSV,1,1,01,70,50,150,35,3") +
           Nmea("GAGSV,1,1,03,12,45,060,42,19,25,160,39,27,08,330,,7") +
           Nmea("GAGSV,1,1,02,12,45,060,40,19,25,160,37,2") +
           Nmea("GBGSV,1,1,04,13,70,010,46,12,35,220,43,21,55,120,44,10,15,280,30,1") +
           Nmea("GBGSV,1,1,03,13,70,010,44,12,35,220,,21,55,120,41,B") +
           Nmea("GQGSV,1,1,02,02,80,170,47,03,20,190,33,1") + Nmea("GQGSV,1,1,01,02,80,170,45,6");
}

// The end of the line that holds needle, or npos.
size_t EndOfLineWith(const std::string& text, std::string_view needle)
{
    const size_t at = text.find(needle);
    return at == std::string::npos ? at : text.find('\n', at) + 1;
}

}  // namespace

class TestFixSummary : public QObject {
    Q_OBJECT

private slots:
    void oneEpochGivesEveryField()
    {
        const FixSummary summary = Summarise(kEpoch);
        QCOMPARE(Date(summary), "2026-3-14");
        QCOMPARE(summary.Time().value, ((23 * 60 + 58) * 60) * 100);
        QVERIFY(qFuzzyCompare(summary.Position().value.latitude, 37 + 33.32791 / 60));
        QVERIFY(qFuzzyCompare(summary.Position().value.longitude, 126 + 58.29325 / 60));
        QCOMPARE(summary.Altitude().value, 31.5);
        QCOMPARE(summary.Quality().value, 1);
        QCOMPARE(summary.FixType().value, 3);
        QCOMPARE(summary.FixLabel(), std::string_view("3D"));
        QCOMPARE((std::array{summary.Pdop().value, summary.Hdop().value, summary.Vdop().value}),
            (std::array{1.08, 0.64, 0.87}));
        // VTG came after RMC: its speed in km/h and course are the latest.
        QCOMPARE(summary.SpeedKmh().value, 0.02);
        QCOMPARE(summary.Course().value, 172.0);
        QCOMPARE(summary.PositionAgeSeconds(), 0.0);
        // GPS receivers list QZSS (193-202) and SBAS (33-64) under GP.
        QCOMPARE(summary.Sky().Of(Constellation::Gps).used.value, (std::vector<int32_t>{1, 7, 10, 15, 16, 21, 27, 32}));
        QCOMPARE(summary.Sky().Of(Constellation::Qzss).used.value, (std::vector<int32_t>{194, 199}));
        QCOMPARE(summary.SatellitesUsed(), 10 + 5 + 7);
        QCOMPARE(summary.SatellitesInView(), 13 + 6);
        QCOMPARE(Decoded(summary), "10 3 1 0 0 0 0 0");
        for (int row = 0; row < kTalkerCount; ++row)
            QCOMPARE(summary.Talker(row).badChecksum + summary.Talker(row).parseErrors, uint64_t(0));

        // Galileo's GSA came, its GSV did not: no satellite in view, and
        // GPS 47 (not in the GSA) is in view but not used.
        QVERIFY(summary.Sky().Of(Constellation::Galileo).used.Known() &&
                !summary.Sky().Of(Constellation::Galileo).inView.Known());
        const std::vector<SkySatellite> sky = summary.Satellites();
        QCOMPARE(sky.size(), size_t(19));
        QCOMPARE(sky[0].satellite, (GsvSatellite{1, 59, 268, 43}));
        QVERIFY(sky[0].used);
        const auto gps47 =
            std::find_if(sky.begin(), sky.end(), [](const SkySatellite& s) { return s.satellite.prn == 47; });
        QVERIFY(
            gps47 != sky.end() && gps47->talkerRow == 0 && gps47->constellation == Constellation::Sbas && !gps47->used);
        // Constellation order: GPS, GLONASS, ..., QZSS, SBAS last.
        QCOMPARE(sky[15].satellite, (GsvSatellite{79, 49, 34, 43}));
        QCOMPARE(sky[15].constellation, Constellation::Glonass);
        QCOMPARE(sky.back().satellite.prn, 47);
    }

    void southWestAndTheFixLabel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("label");
        const QString gga = "$GPGGA,120000.00,3000.0,S,01000.0,W,%1,10,0.9,5.0,M,,M,,*00\r\n";
        const QString gsa = "$GPGSA,A,%1,01,02,03,,,,,,,,,,2.0,1.0,1.5*00\r\n";
        QTest::newRow("nothing") << QString() << "No fix";
        QTest::newRow("gsa 1") << gsa.arg(1) << "No fix";
        QTest::newRow("gsa 2") << gsa.arg(2) << "2D";
        QTest::newRow("gga 1") << gga.arg(1) << "3D";
        QTest::newRow("gga 1 gsa 2") << gga.arg(1) + gsa.arg(2) << "2D";
        QTest::newRow("gga 0 gsa 3") << gga.arg(0) + gsa.arg(3) << "No fix";
        QTest::newRow("gga 2") << gga.arg(2) + gsa.arg(3) << "DGPS";
        QTest::newRow("gga 4") << gga.arg(4) << "RTK fixed";
        QTest::newRow("gga 5") << gga.arg(5) << "RTK float";
        QTest::newRow("gga 6") << gga.arg(6) << "Estimated";
        QTest::newRow("gga 7") << gga.arg(7) << "Manual";
        QTest::newRow("gga 8") << gga.arg(8) << "Simulated";
    }

    void southWestAndTheFixLabel()
    {
        QFETCH(QString, text);
        QFETCH(QString, label);
        const FixSummary summary = Summarise(text.toStdString());
        QCOMPARE(QString::fromLatin1(summary.FixLabel().data(), qsizetype(summary.FixLabel().size())), label);
        // A position counts only with a fix, south and west negative.
        const bool fixed = summary.Quality().Known() && summary.Quality().value > 0;
        QCOMPARE(summary.Position().Known(), fixed);
        if (fixed) {
            QCOMPARE(summary.Position().value.latitude, -30.0);
            QCOMPARE(summary.Position().value.longitude, -10.0);
        }
    }

    void checksumsAreCountedNotEnforced_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bad");
        const QString gga = "$GPGGA,235800.00,3733.32791,N,12658.29325,E,1,22,0.64,31.5,M,23.6,M,,*";
        QTest::newRow("right") << gga + "6F\r\n" << 0;
        QTest::newRow("lower case digits") << gga + "6f\r\n" << 0;
        QTest::newRow("wrong") << gga + "6E\r\n" << 1;
        QTest::newRow("not hex") << gga + "G1\r\n" << 1;
        QTest::newRow("one digit at the end") << gga + "6" << 1;
        QTest::newRow("no digits") << gga + "\r\n" << 1;
        QTest::newRow("no star") << gga.chopped(1) + "\r\n" << 1;
        QTest::newRow("next sentence without line end") << gga.chopped(1) + gga + "6F" << 1;
    }

    void checksumsAreCountedNotEnforced()
    {
        QFETCH(QString, text);
        QFETCH(int, bad);
        const FixSummary summary = Summarise(text.toStdString());
        QCOMPARE(summary.Talker(0).badChecksum, uint64_t(bad));
        // The values are taken whatever the checksum says.
        QCOMPARE(summary.Altitude().value, 31.5);
        QVERIFY(summary.Talker(0).decoded >= 1);
    }

    void parseErrorsAreCounted()
    {
        // Too short for any parser, a GSV whose last group has no "*",
        // a GGA cut after its time, and an unknown talker, which is ignored.
        const FixSummary summary =
            Summarise("$GPGGA,1*00\r\n$GLGSV,1,1,01,65,58,102\r\n$GAGGA,120000.00\r\n$XXGGA,1,2,3,4,5,6,7,8,9*00\r\n");
        for (int row = 0; row < 3; ++row)
            QCOMPARE(summary.Talker(row).parseErrors, uint64_t(1));
        QCOMPARE(Decoded(summary), "0 0 0 0 0 0 0 0");
        QVERIFY(!summary.Time().Known());
    }

    // QZSS sentences count for the QZSS row under either talker id, QZ or
    // GQ (NMEA 4.11): decoded, with their satellites in view.
    void qzssUnderEitherId_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("decoded");
        QTest::addColumn<QString>("inView");
        QTest::newRow("QZ") << QByteArray("$QZGSV,1,1,02,193,40,100,45,194,20,200,38*00\r\n") << "0 0 0 0 0 0 1 0"
                            << "193 194";
        QTest::newRow("GQ") << QByteArray("$GQGSV,1,1,02,193,40,100,45,194,20,200,38,1*00\r\n") << "0 0 0 0 0 0 1 0"
                            << "193 194";
        const QByteArray gga = "GGA,120000.00,3733.3,N,12658.3,E,1,05,0.9,31.5,M,23.6,M,,*00\r\n";
        const QByteArray gsv = "$GQGSV,1,1,01,195,10,300,20,1*00\r\n";
        QTest::newRow("GQ GGA and GSV") << "$GQ" + gga + gsv << "0 0 0 0 0 0 2 0"
                                        << "195";
        QTest::newRow("QZ GGA and GQ GSV") << "$QZ" + gga + gsv << "0 0 0 0 0 0 2 0"
                                           << "195";
    }
    void qzssUnderEitherId()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, decoded);
        QFETCH(QString, inView);
        const FixSummary summary = Summarise(std::string_view(text.constData(), size_t(text.size())));
        QCOMPARE(Decoded(summary), decoded);
        QStringList prns;
        for (const SkySatellite& satellite : summary.Sky().Of(Constellation::Qzss).inView.value)
            prns << QString::number(satellite.satellite.prn);
        QCOMPARE(prns.join(' '), inView);
    }

    void gsvSetsAcrossSentencesAndTicks()
    {
        const size_t second = kEpoch.find("$GPGSV,4,2");
        const size_t third = kEpoch.find("$GPGSV,4,3");
        const size_t glonass = kEpoch.find("$GLGSV");
        const std::string head = kEpoch.substr(0, third);
        const std::string tail = kEpoch.substr(third);

        // Two ticks, each its own text: the set is complete only after the second.
        FixSummary summary;
        summary.Consume(head, 0, head.size());
        const ConstellationSky& gps = summary.Sky().Of(Constellation::Gps);
        QVERIFY(!gps.inView.Known());
        summary.Consume(tail, 0, tail.size());
        QCOMPARE(gps.inView.value.size(), size_t(10));
        QCOMPARE(gps.inView.updates, uint64_t(1));

        // A sentence lost from the set drops the whole set.
        FixSummary broken;
        broken.Consume(kEpoch.substr(0, second) + kEpoch.substr(third), 0, std::string::npos);
        QVERIFY(!broken.Sky().Of(Constellation::Gps).inView.Known());
        QVERIFY(broken.Sky().Of(Constellation::Glonass).inView.Known());

        // Stretches of one text ending anywhere in a sentence: each sentence
        // is read once, by the stretch that holds its "$".
        for (size_t cut = 0; cut <= glonass; cut += 7) {
            FixSummary stretched;
            stretched.Consume(kEpoch, 0, cut);
            stretched.Consume(kEpoch, cut, kEpoch.size());
            QCOMPARE(SummaryText(stretched), SummaryText(Summarise(kEpoch)));
        }
    }

    // An empty altitude, speed or course field keeps the value before it
    // (and ages); a value never sent stays unknown instead of reading 0.
    // GLL gives a position of its own.
    void emptyFieldsKeepValues()
    {
        const FixSummary summary = Summarise(
            "$GPGGA,120000.00,3000.0,N,01000.0,E,1,10,0.9,5.0,M,,M,,*00\r\n"
            "$GPGGA,120001.00,3000.0,N,01000.0,E,1,10,0.9,,M,,M,,*00\r\n"
            "$GPRMC,120001.00,A,3000.0,N,01000.0,E,10.0,90.0,140326,,,A*00\r\n"
            "$GPVTG,90.0,T,,M,10.0,N,,K,A*00\r\n"
            "$GPRMC,120002.00,A,3000.0,N,01000.0,E,10.0,,140326,,,A*00\r\n"
            "$GPGLL,4916.45,N,12311.12,W,120002.00,A,A*00\r\n");
        QCOMPARE(summary.Altitude().value, 5.0);
        QVERIFY(qFuzzyCompare(summary.SpeedKmh().value, 18.52));
        QCOMPARE(summary.Course().value, 90.0);
        QCOMPARE(summary.Course().updates, uint64_t(2));  // RMC and VTG, not the RMC without one
        QVERIFY(qFuzzyCompare(summary.Position().value.latitude, 49 + 16.45 / 60));
        QVERIFY(qFuzzyCompare(summary.Position().value.longitude, -(123 + 11.12 / 60)));
    }

    // A stationary receiver that never sends a course: no course at all,
    // not a course of 0; its speed is known.
    void courseNeverSentIsUnknown()
    {
        const FixSummary summary = Summarise(
            "$GNRMC,120000.00,A,4809.0,N,01135.0,E,0.011,,140326,,,D,V*00\r\n"
            "$GNVTG,,T,,M,0.011,N,0.020,K,D*00\r\n");
        QVERIFY(summary.SpeedKmh().Known());
        QVERIFY(!summary.Course().Known());
        const std::string text = SummaryText(summary);
        QVERIFY2(text.find("\ncourse_deg=-\n") != std::string::npos, text.c_str());
        QVERIFY2(text.find("\nspeed_kmh=0.020\n") != std::string::npos, text.c_str());
    }

    // Only a fix gives a position: a GLL with status V or mode N, an RMC
    // with status V and a GGA of quality 0 leave the last fix as it was.
    void positionOnlyFromAFix_data()
    {
        QTest::addColumn<QString>("after");
        QTest::newRow("gll status V mode N") << "$GPGLL,,,,,120001.00,V,N*00\r\n";
        QTest::newRow("gll status V with coordinates") << "$GPGLL,0000.0,N,00000.0,E,120001.00,V,N*00\r\n";
        QTest::newRow("gll status A mode N") << "$GPGLL,0000.0,N,00000.0,E,120001.00,A,N*00\r\n";
        QTest::newRow("rmc status V") << "$GPRMC,120001.00,V,0000.0,N,00000.0,E,,,140326,,,N*00\r\n";
        QTest::newRow("gga quality 0") << "$GPGGA,120001.00,0000.0,N,00000.0,E,0,00,,,M,,M,,*00\r\n";
    }

    void positionOnlyFromAFix()
    {
        QFETCH(QString, after);
        const FixSummary summary =
            Summarise("$GPGLL,4809.0000,N,01135.0000,E,120000.00,A,A*00\r\n" + after.toStdString());
        QCOMPARE(summary.Position().updates, uint64_t(1));
        QCOMPARE(summary.Position().value.latitude, 48.15);
        QCOMPARE(summary.Position().value.longitude, 11.0 + 35.0 / 60);
        QCOMPARE(summary.Position().value.timeOfDay, 12 * 3600 * 100);
    }

    // A coordinate field with its own minus sign beside W or S (as a
    // Unicore receiver sends in GLL) is not negated twice: the letter gives
    // the sign, the field the magnitude.
    void minusSignBesideHemisphereLetter_data()
    {
        QTest::addColumn<QString>("sentence");
        QTest::newRow("gll -0214 W") << "$GNGLL,5327.03598945,N,-00214.41467156,W,120000.00,A,D*00\r\n";
        QTest::newRow("rmc -5327 S") << "$GNRMC,120000.00,A,-5327.03598945,S,00214.41467156,W,,,140326,,,D*00\r\n";
        QTest::newRow("gga plain") << "$GNGGA,120000.00,5327.03598945,N,00214.41467156,W,1,20,0.6,50.0,M,,M,,*00\r\n";
    }

    void minusSignBesideHemisphereLetter()
    {
        QFETCH(QString, sentence);
        const FixSummary summary = Summarise(sentence.toStdString());
        QVERIFY(summary.Position().Known());
        QVERIFY(qFuzzyCompare(std::fabs(summary.Position().value.latitude), 53 + 27.03598945 / 60));
        QVERIFY(qFuzzyCompare(summary.Position().value.longitude, -(2 + 14.41467156 / 60)));
        QCOMPARE(summary.Position().value.latitude < 0, sentence.contains(",S,"));
    }

    void secondSetOfAnEpochAdds()
    {
        // Two GSA and two GSV sets of one talker in one epoch (another band
        // or more than twelve satellites) add up; the next epoch replaces.
        const std::string epoch =
            "$GPGGA,120000.00,3000.0,N,01000.0,E,1,10,0.9,5.0,M,,M,,*00\r\n"
            "$GPGSA,A,3,01,02,,,,,,,,,,,2.0,1.0,1.5*00\r\n"
            "$GPGSA,A,3,03,,,,,,,,,,,,2.0,1.0,1.5*00\r\n"
            "$GPGSV,1,1,02,01,10,020,30,02,20,040,*00\r\n"
            "$GPGSV,1,1,02,02,20,040,35,03,30,060,40*00\r\n";
        FixSummary summary = Summarise(epoch);
        const ConstellationSky& gps = summary.Sky().Of(Constellation::Gps);
        QCOMPARE(gps.used.value, (std::vector<int32_t>{1, 2, 3}));
        QCOMPARE(Satellites(summary), (std::vector<GsvSatellite>{{1, 10, 20, 30}, {2, 20, 40, 35}, {3, 30, 60, 40}}));
        const std::string next =
            "$GPGGA,120001.00,3000.0,N,01000.0,E,1,10,0.9,5.0,M,,M,,*00\r\n"
            "$GPGSA,A,3,04,,,,,,,,,,,,2.0,1.0,1.5*00\r\n"
            "$GPGSV,1,1,01,04,50,100,20*00\r\n";
        summary.Consume(next, 0, next.size());
        QCOMPARE(gps.used.value, (std::vector<int32_t>{4}));
        QCOMPARE(Satellites(summary), (std::vector<GsvSatellite>{{4, 50, 100, 20}}));
    }

    // A NMEA 4.11 receiver: used is per constellation, so GPS 13 and
    // BeiDou 13 both count, and Galileo 19 is used by Galileo's own GSA
    // alone; a second signal's set adds its signals without replacing the
    // first's; the QZSS talker GQ counts as QZSS.
    void modernReceiverByConstellation()
    {
        const FixSummary summary = Summarise(ModernEpoch("120000.00"));
        const SkyModel& sky = summary.Sky();
        QCOMPARE(sky.Of(Constellation::Gps).used.value, (std::vector<int32_t>{13, 21, 5}));
        QCOMPARE(sky.Of(Constellation::BeiDou).used.value, (std::vector<int32_t>{13, 12, 21}));
        QCOMPARE(sky.Of(Constellation::Galileo).used.value, (std::vector<int32_t>{12, 19}));
        QCOMPARE(sky.Of(Constellation::Qzss).used.value, (std::vector<int32_t>{2}));
        QCOMPARE(summary.SatellitesUsed(), 3 + 1 + 2 + 3 + 1);
        QCOMPARE(summary.SatellitesInView(), 4 + 2 + 3 + 4 + 2);
        QCOMPARE(summary.Talker(6).decoded, uint64_t(2));

        QStringList marks;
        for (const SkySatellite& satellite : summary.Satellites()) {
            QString signalText;
            for (const SkySignal& signal : satellite.perSignal)
                signalText += QString(" %1:%2").arg(QChar(signal.id)).arg(signal.snr);
            marks << QString("%1 %2%3%4")
                         .arg(QString::fromLatin1(ConstellationKey(satellite.constellation).data()))
                         .arg(satellite.satellite.prn)
                         .arg(satellite.used ? "*" : "")
                         .arg(signalText);
        }
        QCOMPARE(marks, (QStringList{"gps 13* 1:45 6:38", "gps 21* 1:44 6:0", "gps 5* 1:41 6:36", "gps 30 1:20",
                            "glonass 70* 1:40 3:35", "glonass 71 1:0", "galileo 12* 7:42 2:40", "galileo 19* 7:39 2:37",
                            "galileo 27 7:0", "beidou 13* 1:46 B:44", "beidou 12* 1:43 B:0", "beidou 21* 1:44 B:41",
                            "beidou 10 1:30", "qzss 2* 1:47 6:45", "qzss 3 1:33"}));
        // The mark's size follows the best signal.
        QCOMPARE(summary.Satellites()[0].satellite.snr, 45);
    }

    // The next epoch replaces every constellation's lists; a log without
    // times starts over when a set of a talker and signal comes again.
    void nextEpochReplacesModernSets()
    {
        FixSummary timed = Summarise(ModernEpoch("120000.00") + ModernEpoch("120001.00"));
        QCOMPARE(timed.SatellitesInView(), 15);
        QCOMPARE(timed.SatellitesUsed(), 10);
        std::string untimed;
        for (int k = 0; k < 3; ++k) {
            std::string epoch = ModernEpoch("");
            untimed += epoch;
        }
        const FixSummary summary = Summarise(untimed);
        QCOMPARE(summary.SatellitesInView(), 15);
        QCOMPARE(summary.SatellitesUsed(), 10);
        QCOMPARE(summary.Satellites()[0].perSignal.size(), size_t(2));
    }

    // A NMEA 4.0 receiver sends a combined GSA of GPS and GLONASS and a
    // GLONASS GSA of the same satellites: six used, not the two lists
    // added; a GL list of an earlier epoch is no part of the next.
    void combinedAndGlonassGsaOfOneEpoch()
    {
        const std::string epoch = Nmea("GPGGA,120000.00,4809.0,N,01135.0,E,1,06,0.9,5.0,M,,M,,") +
                                  Nmea("GNGSA,A,3,05,13,21,70,71,86,,,,,,,1.5,0.9,1.2") +
                                  Nmea("GLGSA,A,3,70,71,86,,,,,,,,,,1.5,0.9,1.2");
        const std::string next = Nmea("GPGGA,120001.00,4809.0,N,01135.0,E,1,04,0.9,5.0,M,,M,,") +
                                 Nmea("GNGSA,A,3,05,13,21,70,,,,,,,,,1.5,0.9,1.2");
        FixSummary summary = Summarise(epoch);
        QCOMPARE(summary.SatellitesUsed(), 6);
        QCOMPARE(summary.Sky().Of(Constellation::Glonass).used.value, (std::vector<int32_t>{70, 71, 86}));
        summary.Consume(next, 0, next.size());
        QCOMPARE(summary.SatellitesUsed(), 4);
    }

    // A constellation the receiver stops reporting leaves the sky at the
    // next epoch: a combined GSA without GLONASS, a GP set without its
    // SBAS and QZSS satellites.
    void constellationLeavesAtTheNextEpoch()
    {
        FixSummary summary = Summarise(Nmea("GPGGA,120000.00,4809.0,N,01135.0,E,1,06,0.9,5.0,M,,M,,") +
                                       Nmea("GNGSA,A,3,05,13,70,71,,,,,,,,,1.5,0.9,1.2") +
                                       Nmea("GPGSV,1,1,03,01,10,020,30,47,20,040,35,194,30,060,40"));
        QCOMPARE(summary.SatellitesUsed(), 4);
        QCOMPARE(summary.SatellitesInView(), 3);
        const std::string next = Nmea("GPGGA,120001.00,4809.0,N,01135.0,E,1,02,0.9,5.0,M,,M,,") +
                                 Nmea("GNGSA,A,3,05,13,,,,,,,,,,,1.5,0.9,1.2") + Nmea("GPGSV,1,1,01,01,10,020,30");
        summary.Consume(next, 0, next.size());
        QCOMPARE(summary.Sky().Of(Constellation::Glonass).used.value, std::vector<int32_t>{});
        QCOMPARE(summary.SatellitesUsed(), 2);
        QCOMPARE(summary.SatellitesInView(), 1);
    }

    // A stream whose time stops changing (a receiver that lost its fix
    // sends empty times) still moves on: each set starts over within a few
    // repeats, the lists stay those of the latest sets, and signal ID 0
    // ("all signals") names no signal.
    void stuckTimeMovesOn()
    {
        std::string text = Nmea("GPGGA,120000.00,4809.0,N,01135.0,E,1,06,0.9,5.0,M,,M,,");
        for (int k = 0; k < 1000; ++k)
            text += Nmea("GPGSV,1,1,01," + std::to_string(1 + k % 32) + ",10,020,30,0") +
                    Nmea("GPGSA,A,3," + std::to_string(1 + k % 32) + ",,,,,,,,,,,,1.5,0.9,1.2");
        const FixSummary summary = Summarise(text);
        QVERIFY(summary.SatellitesInView() <= SentenceRound::kRepeatsPerEpoch);
        QVERIFY(summary.SatellitesUsed() <= SentenceRound::kRepeatsPerEpoch);
        QCOMPARE(summary.Satellites().back().satellite.prn, 1 + 999 % 32);
        QCOMPARE(summary.Satellites().back().perSignal.front().id, '\0');
    }

    // A multi-signal epoch read by two ticks that part anywhere, and by
    // ticks of one sentence each (as a live source's ticks would take it):
    // the same satellites and signals as read whole.
    void modernEpochAcrossTicks()
    {
        const std::string text = ModernEpoch("120000.00");
        const std::string whole = SkyText(Summarise(text));
        QVERIFY(whole.find(",B\n") != std::string::npos);
        for (size_t cut = 0; cut <= text.size(); ++cut) {
            FixSummary summary;
            summary.Consume(text, 0, cut);
            summary.Consume(text, cut, text.size());
            QCOMPARE(SkyText(summary), whole);
        }
        FixSummary lineByLine;
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find('\n', at) + 1;
            const std::string line = text.substr(at, end - at);
            lineByLine.Consume(line, 0, line.size());
            at = end;
        }
        QCOMPARE(SkyText(lineByLine), whole);
    }

    // However many sentences of one epoch a stream sends, a talker's lists
    // stay bounded.
    void listsStayBounded()
    {
        std::string text = "$GPGGA,120000.00,3000.0,N,01000.0,E,1,10,0.9,5.0,M,,M,,*00\r\n";
        int prn = 1;
        for (int k = 0; k < 100; ++k) {
            text += "$GPGSA,A,3";
            for (int slot = 0; slot < 12; ++slot)
                text.append(",").append(std::to_string(prn++));
            text += ",2.0,1.0,1.5*00\r\n";
        }
        for (int k = 1; k <= 200; ++k) {
            text.append("$GPGSV,200,").append(std::to_string(k)).append(",800");
            for (int slot = 0; slot < 4; ++slot)
                text.append(",").append(std::to_string(prn++)).append(",10,100,30");
            text += "*00\r\n";
        }
        const FixSummary summary = Summarise(text);
        // A fifth GSA of one talker in one epoch starts the next round.
        QCOMPARE(summary.Sky().Of(Constellation::Gps).used.value.size(), size_t(4 * 12));
        QCOMPARE(summary.Sky().Of(Constellation::Gps).inView.value.size(), size_t(128));
        QCOMPARE(summary.Talker(0).decoded, uint64_t(301));
    }

    void sampleAtKnownTimes()
    {
        const std::string sample = ReadSample();
        QVERIFY(!sample.empty());
        // Through the last epoch before midnight, tick by tick as a replay
        // of GP RMC consumes it: up to each RMC's "*".
        const size_t beforeMidnight = EndOfLineWith(sample, "$GNGGA,235959.00");
        QVERIFY(beforeMidnight != std::string::npos);
        std::vector<size_t> cuts;
        for (size_t at = sample.find("$GPRMC"); at < beforeMidnight; at = sample.find("$GPRMC", at + 1))
            cuts.push_back(sample.find('*', at) + 1);
        cuts.push_back(beforeMidnight);
        FixSummary summary;
        size_t start = 0;
        for (const size_t end : cuts) {
            summary.Consume(sample, start, end);
            start = end;
        }
        QCOMPARE(summary.Time().value, ((23 * 60 + 59) * 60 + 59) * 100);
        QCOMPARE(Date(summary), "2026-3-14");
        QVERIFY(qFuzzyCompare(summary.Position().value.latitude, 37 + 32.53174 / 60));
        QCOMPARE(summary.Altitude().value, 30.1);
        QVERIFY(qFuzzyCompare(summary.SpeedKmh().value, 17.446 * 1.852));

        // The ZDA after midnight turns the date.
        const size_t afterZda = EndOfLineWith(sample, "$GPZDA,000000.00");
        summary.Consume(sample, start, afterZda);
        QCOMPARE(Date(summary), "2026-3-15");
        QCOMPARE(summary.Time().value, 0);

        // The end of the log, read on in one stretch, equals the log read whole.
        summary.Consume(sample, afterZda, sample.size());
        const FixSummary whole = Summarise(sample);
        QCOMPARE(SummaryText(summary), SummaryText(whole));
        QCOMPARE(whole.Time().value, (2 * 60 + 59) * 100);
        QVERIFY(qFuzzyCompare(whole.Position().value.longitude, 126 + 58.53657 / 60));
        QCOMPARE(whole.Altitude().value, 34.9);
        QCOMPARE(whole.SatellitesUsed(), 11 + 5 + 8);
        QCOMPARE(whole.SatellitesInView(), 13 + 7 + 9);
        QCOMPARE(Decoded(whole),
            QString("%1 %2 %3 0 0 0 0 600").arg(300 * 6 + 1200).arg(whole.Talker(1).decoded).arg(300 + 659));
    }
};

QTEST_APPLESS_MAIN(TestFixSummary)
#include "tst_fixsummary.moc"
