#include <QtTest>

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
    void decimal_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("value");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("plain") << "4807.038" << 4807.038;
        QTest::newRow("blanks and sign") << " \t-1.5e2x" << -150.0;
        QTest::newRow("plus") << "+2.5" << 2.5;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("trailing point") << "7." << 7.0;
        QTest::newRow("exponent without digits") << "1e" << 1.0;
        QTest::newRow("exponent sign only") << "1e+" << 1.0;
        QTest::newRow("point exponent") << "1.e5" << 100000.0;
        QTest::newRow("minus only") << "-" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("point only") << "." << 0.0;
        QTest::newRow("no inf") << "inf" << 0.0;
        QTest::newRow("no nan") << "nan" << 0.0;
        QTest::newRow("no hex") << "0x10" << 0.0;
        QTest::newRow("overflow") << "1e400" << inf;
        QTest::newRow("negative overflow") << "-1e400" << -inf;
        QTest::newRow("long overflow") << "17976931348623159" + QString(292, '0') << inf;
        QTest::newRow("underflow") << "1e-400" << 0.0;
        QTest::newRow("many digits") << "12345678901234567890.5" << 12345678901234567890.5;
        QTest::newRow("smallest denormal") << "5e-324" << 5e-324;
        QTest::newRow("stops at comma") << "12,34" << 12.0;
    }
    void decimal()
    {
        QFETCH(QString, field);
        QFETCH(double, value);
        const double got = ParseDecimal(field.toStdString());
        QCOMPARE(got, value);
        QCOMPARE(std::signbit(got), std::signbit(value));
    }

    void decimalNegativeZeroKeepsSign()
    {
        QVERIFY(std::signbit(ParseDecimal("-0.0")));
        QVERIFY(!std::signbit(ParseDecimal("-")));
    }

    // Every rounding must match the C library's correctly rounded strtod.
    void decimalRoundsLikeStrtod()
    {
        std::setlocale(LC_NUMERIC, "C");
        std::mt19937_64 random(12345);
        const char digits[] = "0123456789";
        for (int i = 0; i < 200000; ++i) {
            std::string text;
            const int integerDigits = int(random() % 12);
            const int fractionDigits = int(random() % 14);
            for (int d = 0; d < integerDigits; ++d)
                text.push_back(digits[random() % 10]);
            text.push_back('.');
            for (int d = 0; d < fractionDigits; ++d)
                text.push_back(digits[random() % 10]);
            if (random() % 8 == 0)
                text.append(1, 'e').append(std::to_string(int(random() % 40) - 20));
            const double expected = std::strtod(text.c_str(), nullptr);
            const double got = ParseDecimal(text);
            if (got != expected)
                QFAIL(qPrintable(
                    QString("%1: %2 != %3").arg(text.c_str()).arg(got, 0, 'g', 17).arg(expected, 0, 'g', 17)));
        }
    }

    void integer_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "08" << 8;
        QTest::newRow("point ends it") << "09.5" << 9;
        QTest::newRow("blanks sign") << "  +7" << 7;
        QTest::newRow("negative") << "-12x" << -12;
        QTest::newRow("minus only") << "-" << 0;
        QTest::newRow("letters") << "A" << 0;
        QTest::newRow("max") << "2147483647" << 2147483647;
        QTest::newRow("clamps high") << "2147483648" << 2147483647;
        QTest::newRow("clamps very high") << "99999999999999999999999" << 2147483647;
        QTest::newRow("min") << "-2147483648" << int(-2147483648LL);
        QTest::newRow("clamps low") << "-2147483649" << int(-2147483648LL);
        QTest::newRow("no exponent") << "1e5" << 1;
    }
    void integer()
    {
        QFETCH(QString, field);
        QFETCH(int, value);
        QCOMPARE(ParseInteger(field.toStdString()), value);
    }

    void degrees_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("degrees");
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("ddmm") << 4807.038 << 48.1173;
        QTest::newRow("whole minutes") << 1131.0 << 11.5 + 1.0 / 60.0;
        QTest::newRow("dddmm") << 12311.12 << 123.18533333333333;
        QTest::newRow("negative") << -4807.038 << -48.1173;
        QTest::newRow("zero") << 0.0 << 0.0;
        // Huge values convert without any cast to an integer.
        QTest::newRow("huge") << 1e300 << 1e298;
        QTest::newRow("largest") << std::numeric_limits<double>::max() << std::numeric_limits<double>::max() / 100.0;
        QTest::newRow("infinite") << inf << inf;
        QTest::newRow("negative infinite") << -inf << -inf;
        QTest::newRow("nan") << nan << nan;
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
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("hundredths");
        QTest::newRow("whole") << 123519.0 << 12 << 35 << 19 << 0;
        QTest::newRow("cut not rounded") << 161229.487 << 16 << 12 << 29 << 48;
        QTest::newRow("hundredths") << 225444.25 << 22 << 54 << 44 << 25;
        QTest::newRow("negative wraps in 16 bits") << -1.5 << 0 << 0 << 65535 << 65486;
        // Saturated to 2147483647 before any cast, then kept in 16 bits.
        QTest::newRow("huge") << 1e300 << 65535 << 36 << 47 << 47;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 65535 << 36 << 47 << 47;
    }
    void time()
    {
        QFETCH(double, value);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(int, second);
        QFETCH(int, hundredths);
        NmeaDateTime dateTime;
        dateTime.year = 7;
        SplitTime(value, dateTime);
        QCOMPARE(int(dateTime.hour), hour);
        QCOMPARE(int(dateTime.minute), minute);
        QCOMPARE(int(dateTime.second), second);
        QCOMPARE(int(dateTime.hundredths), hundredths);
        QCOMPARE(int(dateTime.year), 7);
    }
};

QTEST_APPLESS_MAIN(TestFieldConvert)
#include "tst_fieldconvert.moc"
