// SPDX-License-Identifier: GPL-3.0-or-later
// The GGA sentence written from a fix for the NTRIP caster.

#include <QtTest>

#include "decoder/GgaSentence.h"

using namespace orvane;

namespace {

// The checksum of the text between '$' and '*', worked out here.
QString WithChecksum(const QString& body)
{
    unsigned sum = 0;
    for (const QChar c : body)
        sum ^= c.unicode();
    return QString("$%1*%2").arg(body, QString("%1").arg(sum, 2, 16, QChar('0')).toUpper());
}

}  // namespace

Q_DECLARE_METATYPE(GgaFix)

class TestGgaSentence : public QObject {
    Q_OBJECT
private slots:
    void sentence_data()
    {
        QTest::addColumn<GgaFix>("fix");
        QTest::addColumn<QString>("body");
        QTest::newRow("north east") << GgaFix{.timeOfDay = 4320050,
                                           .latitude = 48.1173,
                                           .longitude = 11.516666666667,
                                           .quality = 4,
                                           .satellites = 12,
                                           .hdop = 0.8,
                                           .altitude = 545.4}
                                    << "GPGGA,120000.50,4807.03800,N,01131.00000,E,4,12,0.8,545.4,M,,M,,";
        QTest::newRow("south west, minutes rounding up")
            << GgaFix{.timeOfDay = 0,
                   .latitude = -33.99999999,
                   .longitude = -151.5,
                   .quality = 5,
                   .satellites = 7,
                   .hdop = std::nullopt,
                   .altitude = -12.25}
            << "GPGGA,000000.00,3400.00000,S,15130.00000,W,5,07,,-12.2,M,,M,,";
        QTest::newRow("unknowns") << GgaFix{.timeOfDay = std::nullopt,
                                         .latitude = 0.5,
                                         .longitude = 179.75,
                                         .quality = 1,
                                         .satellites = std::nullopt,
                                         .hdop = std::nullopt,
                                         .altitude = std::nullopt}
                                  << "GPGGA,,0030.00000,N,17945.00000,E,1,,,,M,,M,,";
        QTest::newRow("no usable position") << GgaFix{.timeOfDay = 100,
                                                   .latitude = 91,
                                                   .longitude = 0,
                                                   .quality = 1,
                                                   .satellites = 3,
                                                   .hdop = 2.0,
                                                   .altitude = std::nullopt}
                                            << "GPGGA,000001.00,,,,,1,03,2.0,,M,,M,,";
    }
    void sentence()
    {
        QFETCH(GgaFix, fix);
        QFETCH(QString, body);
        QCOMPARE(QString::fromStdString(GgaSentence(fix)), WithChecksum(body));
    }
};

QTEST_APPLESS_MAIN(TestGgaSentence)
#include "tst_ggasentence.moc"
