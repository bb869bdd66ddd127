// Fixed-point number writing against printf's "%.*f" over many values of
// each kind the decoder writes and of every kind beyond: the fast integer
// path and the general one must agree with printf to the last digit.

#include <QtTest>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "decoder/TextFormat.h"

using namespace orvane;

class TestFixedFast : public QObject {
    Q_OBJECT

private slots:
    void matchesPrintf_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("binary fractions, 2^-100 to 2^40") << 0;
        QTest::newRow("centi-values, signed") << 1;
        QTest::newRow("decimals of every scale") << 2;
        QTest::newRow("any bit pattern") << 3;
        QTest::newRow("halfway cases") << 4;
    }

    void matchesPrintf()
    {
        QFETCH(int, kind);
        std::mt19937_64 random(uint64_t(kind) + 1);
        for (int i = 0; i < 200000; ++i) {
            const int precision = int(random() % 10);
            double value = 0;
            switch (kind) {
            case 0:
                value = std::ldexp(double(random() >> 11), int(random() % 140) - 100);
                break;
            case 1:
                value = double(int64_t(random() % 2000000) - 1000000) / 100.0;
                break;
            case 2:
                value = (double(int64_t(random() % 200001)) - 100000) / std::pow(10.0, double(random() % 12));
                break;
            case 3: {
                const uint64_t bits = random();
                std::memcpy(&value, &bits, sizeof value);
                break;
            }
            default:
                value = (double(random() % 100000) + 0.5) / std::pow(10.0, double(precision));
                break;
            }
            std::string written;
            AppendFixed(written, value, precision);
            char expected[400];
            std::snprintf(expected, sizeof expected, "%.*f", precision, value);
            if (written != expected)
                QFAIL(qPrintable(QString("%1 with %2 decimals: %3, printf %4")
                                     .arg(value, 0, 'g', 17)
                                     .arg(precision)
                                     .arg(QString::fromStdString(written), expected)));
        }
    }

    void signedZerosAndLimits()
    {
        for (const double value : {0.0, -0.0, -0.004, 0.005, 0.015, 2.5, -2.5, 9.2e18, 1e19, 1e-13, -1e-13}) {
            for (int precision = 0; precision <= 9; ++precision) {
                std::string written;
                AppendFixed(written, value, precision);
                char expected[400];
                std::snprintf(expected, sizeof expected, "%.*f", precision, value);
                QCOMPARE(QString::fromStdString(written), QString(expected));
            }
        }
    }
};

QTEST_MAIN(TestFixedFast)
#include "tst_fixedfast.moc"
