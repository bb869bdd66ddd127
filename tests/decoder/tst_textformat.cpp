// SPDX-License-Identifier: GPL-3.0-or-later
// Numbers written as the C library's printf writes them: "%*.*f" over many
// values of each kind the decoder writes and of every kind beyond (the fast
// integer path and the general one must agree to the last digit), and "%0*lld".

#include <QtTest>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "decoder/TextFormat.h"

using namespace orvane;

class TestTextFormat : public QObject {
    Q_OBJECT
private slots:
    void fixedMatchesPrintf_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("edges, infinities and NaN") << 0;
        QTest::newRow("binary fractions, 2^-100 to 2^40") << 1;
        QTest::newRow("centi-values, signed") << 2;
        QTest::newRow("decimals of every scale") << 3;
        QTest::newRow("any bit pattern") << 4;
        QTest::newRow("halfway cases") << 5;
    }
    void fixedMatchesPrintf()
    {
        QFETCH(int, kind);
        constexpr double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
        const double edges[] = {0.0, -0.0, -0.004, 0.005, 0.015, 0.125, 0.375, 2.5, -2.5, 99.995, 9.2e18, 1e19, 1e22,
            1e300, -1e300, 5e-324, 1e-13, -1e-13, 1e-7, 48.1173, 126.9715542, inf, -inf, nan, -nan};
        std::mt19937_64 random(uint64_t(kind) + 1);
        const int count = kind == 0 ? int(std::size(edges)) * 10 : 200000;
        for (int i = 0; i < count; ++i) {
            int precision = int(random() % 10);
            const int width = int(random() % 8);
            double value = 0;
            switch (kind) {
            case 0:
                value = edges[i / 10];
                precision = i % 10;
                break;
            case 1:
                value = std::ldexp(double(random() >> 11), int(random() % 140) - 100);
                break;
            case 2:
                value = double(int64_t(random() % 2000000) - 1000000) / 100.0;
                break;
            case 3:
                value = (double(int64_t(random() % 200001)) - 100000) / std::pow(10.0, double(random() % 12));
                break;
            case 4:
                value = std::bit_cast<double>(uint64_t(random()));
                break;
            default:
                value = (double(random() % 100000) + 0.5) / std::pow(10.0, double(precision));
                break;
            }
            std::string written;
            AppendFixed(written, value, precision, width);
            char expected[400];
            std::snprintf(expected, sizeof expected, "%*.*f", width, precision, value);
            if (written != expected)
                QFAIL(qPrintable(QString("%1 with %2 decimals in %3: %4, printf %5")
                                     .arg(value, 0, 'g', 17)
                                     .arg(precision)
                                     .arg(width)
                                     .arg(QString::fromStdString(written), expected)));
        }
    }

    void integersMatchPrintf()
    {
        char expected[64];
        for (const long long value : {42LL, 7LL, 65535LL, -5LL, (long long)std::numeric_limits<int32_t>::min()}) {
            for (const int width : {0, 2, 4}) {
                std::snprintf(expected, sizeof expected, "%0*lld", width, value);
                std::string got;
                AppendInt(got, value, width);
                QCOMPARE(got, std::string(expected));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestTextFormat)
#include "tst_textformat.moc"
