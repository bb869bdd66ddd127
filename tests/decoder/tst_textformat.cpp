#include <QtTest>

#include <bit>
#include <cstdio>
#include <limits>
#include <random>

#include "decoder/TextFormat.h"

using namespace orvane;

// Every number must read as the C library's printf writes it.
class TestTextFormat : public QObject {
    Q_OBJECT
private slots:
    void fixedMatchesPrintf()
    {
        constexpr double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
        std::vector<double> values = {0.125, 0.375, 2.5, -0.0, 1e300, -1e300, 5e-324, 0.005, 0.015, 99.995, 1e22, 1e-7,
            48.1173, 126.9715542, inf, -inf, nan, -nan};
        std::mt19937_64 random(99);
        for (int i = 0; i < 20000; ++i) {
            values.push_back(double(random() % 100000000) / double(1 << (random() % 20)));
            const uint64_t bits = random();
            values.push_back(std::bit_cast<double>(bits));
        }
        char expected[400];
        for (const double value : values) {
            for (const auto& [precision, width, format] :
                {std::tuple{2, 3, "%3.2f"}, std::tuple{6, 0, "%.6f"}, std::tuple{2, 0, "%.2f"}}) {
                std::snprintf(expected, sizeof expected, format, value);
                std::string got;
                AppendFixed(got, value, precision, width);
                QCOMPARE(got, std::string(expected));
            }
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
