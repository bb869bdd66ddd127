// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <algorithm>
#include <bit>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>

#include "decoder/FieldConvert.h"

using namespace orvane;

class TestFieldConvert : public QObject {
    Q_OBJECT
private slots:
    // A decimal reads bit for bit as the C library's correctly rounded
    // strtod reads it, sign of zero included, but without its "inf", "nan"
    // and hexadecimal forms; an integer as strtol, clamped to 32 bits.
    void fieldsReadLikeTheCLibrary()
    {
        std::setlocale(LC_NUMERIC, "C");
        std::vector<std::string> decimals = {"4807.038", " \t-1.5e2x", "+2.5", ".5", "7.", "1e", "1e+", "1.e5", "-",
            "abc", ".", "-0.0", "12,34", "1e400", "-1e400", "17976931348623159" + std::string(292, '0'), "1e-400",
            "5e-324", "12345678901234567890.5", "0.0000000000000000000001", "0.00000000000000000000001",
            "1.2345678901234567890123", "1.2.3", "..5", "5..", "9007199254740993", "900719925474099.3"};
        std::mt19937_64 random(12345);
        for (int i = 0; i < 200000; ++i) {
            std::string text;
            for (int d = int(random() % 12); d > 0; --d)
                text.push_back(char('0' + random() % 10));
            if (random() % 4 != 0)
                text.push_back('.');
            for (int d = int(random() % 14); d > 0; --d)
                text.push_back(char('0' + random() % 10));
            if (random() % 8 == 0)
                text.append(1, 'e').append(std::to_string(int(random() % 40) - 20));
            decimals.push_back(text);
        }
        for (const std::string& field : decimals) {
            const double expected = std::strtod(field.c_str(), nullptr), got = ParseDecimal(field);
            if (std::bit_cast<uint64_t>(got) != std::bit_cast<uint64_t>(expected))
                QFAIL(qPrintable(
                    QString("%1: %2 != %3").arg(field.c_str()).arg(got, 0, 'g', 17).arg(expected, 0, 'g', 17)));
        }
        for (const char* field : {"inf", "-nan", "0x10"})
            QCOMPARE(std::bit_cast<uint64_t>(ParseDecimal(field)), uint64_t(0));

        for (const char* field : {"09.5", "  +7", "-12x", "-", "A", "2147483647", "2147483648",
                 "99999999999999999999999", "-2147483648", "-2147483649", "1e5"}) {
            const long expected = std::clamp<long>(std::strtol(field, nullptr, 10), std::numeric_limits<int32_t>::min(),
                std::numeric_limits<int32_t>::max());
            QCOMPARE(ParseInteger(field), int32_t(expected));
        }
    }

    void degrees_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("degrees");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("ddmm") << 4807.038 << 48.1173;
        QTest::newRow("negative") << -4807.038 << -48.1173;
        QTest::newRow("zero") << 0.0 << 0.0;
        // Huge values convert without any cast to an integer.
        QTest::newRow("huge") << 1e300 << 1e298;
        QTest::newRow("largest") << std::numeric_limits<double>::max() << std::numeric_limits<double>::max() / 100.0;
        QTest::newRow("infinite") << inf << inf;
        QTest::newRow("negative infinite") << -inf << -inf;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << std::numeric_limits<double>::quiet_NaN();
    }
    void degrees()
    {
        QFETCH(double, value);
        QFETCH(double, degrees);
        const double got = ToDegrees(value);
        // QCOMPARE takes infinities and NaN as equal only to their own kind.
        QCOMPARE(got, degrees);
        if (!std::isnan(degrees))
            QCOMPARE(std::signbit(got), std::signbit(degrees));
    }

    void time_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("time");  // hour:minute:second.hundredths
        QTest::newRow("whole") << 123519.0 << "12:35:19.0";
        QTest::newRow("cut not rounded") << 161229.487 << "16:12:29.48";
        QTest::newRow("hundredths") << 225444.25 << "22:54:44.25";
        QTest::newRow("negative wraps in 16 bits") << -1.5 << "0:0:65535.65486";
        // Saturated to 2147483647 before any cast, then kept in 16 bits.
        QTest::newRow("huge") << 1e300 << "65535:36:47.47";
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "65535:36:47.47";
    }
    void time()
    {
        QFETCH(double, value);
        QFETCH(QString, time);
        NmeaDateTime dateTime;
        dateTime.year = 7;
        SplitTime(value, dateTime);
        QCOMPARE(QString("%1:%2:%3.%4")
                     .arg(dateTime.hour)
                     .arg(dateTime.minute)
                     .arg(dateTime.second)
                     .arg(dateTime.hundredths),
            time);
        QCOMPARE(int(dateTime.year), 7);
    }
};

QTEST_APPLESS_MAIN(TestFieldConvert)
#include "tst_fieldconvert.moc"
