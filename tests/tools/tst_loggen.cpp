// SPDX-License-Identifier: GPL-3.0-or-later
// The NMEA log generator behind orvane-loggen, checked for what its users
// rely on: the same bytes for a seed, whole sentences with correct checksums
// in a fixed mix per epoch, the clock across midnight, a drive and a sky that
// move plausibly, and the command's --seconds, --seed and --bytes.

#include "Generator.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <regex>
#include <set>

using namespace orvane::loggen;

namespace {

using Fields = std::vector<std::string>;  // the address, then the fields
using Epoch = std::vector<Fields>;

// The epochs of a seed; ends gets the text's size after each.
std::string Generate(uint64_t seed, int epochs, std::vector<qsizetype>* ends = nullptr)
{
    Generator generator(seed);
    std::string text;
    while (generator.EpochCount() < uint64_t(epochs)) {
        generator.AppendEpoch(text);
        if (ends)
            ends->push_back(qsizetype(text.size()));
    }
    return text;
}

Fields Split(const std::string& text, char separator)
{
    Fields parts;
    size_t begin = 0;
    for (size_t end; (end = text.find(separator, begin)) != std::string::npos; begin = end + 1)
        parts.push_back(text.substr(begin, end - begin));
    parts.push_back(text.substr(begin));
    return parts;
}

// The 300 epochs of the default seed, opened by $GPRMC, each sentence split
// at its commas between "$" and "*".
const std::vector<Epoch>& Epochs()
{
    static const std::vector<Epoch> epochs = [] {
        std::vector<Epoch> split;
        for (const std::string& line : Split(Generate(kDefaultSeed, 300), '\n')) {
            if (line.size() < 5)
                continue;
            Fields fields = Split(line.substr(1, line.size() - 5), ',');
            if (fields[0] == "GPRMC" || split.empty())
                split.emplace_back();
            split.back().push_back(std::move(fields));
        }
        return split;
    }();
    return epochs;
}

const Fields& Find(const Epoch& epoch, const std::string& address)
{
    static const Fields none(21);
    const auto found = std::find_if(epoch.begin(), epoch.end(), [&](const Fields& f) { return f[0] == address; });
    return found == epoch.end() ? none : *found;
}

double Degrees(const std::string& ddmm, size_t degreeDigits)
{
    return std::stod(ddmm.substr(0, degreeDigits)) + std::stod(ddmm.substr(degreeDigits)) / 60.0;
}

// From b to a in degrees, in [-180, 180).
double Turn(double a, double b)
{
    return std::fmod(a - b + 540.0, 360.0) - 180.0;
}

}  // namespace

class TestLoggen : public QObject {
    Q_OBJECT

private slots:
    void sentencesAreWholeWithTheirChecksum()
    {
        // The checksums of two sentences of the standard's examples.
        QCOMPARE(int(NmeaChecksum("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")), 0x47);
        std::string framed = "keep";
        AppendSentence(framed, "GPZDA,201530.00,04,07,2002,00,00");
        QCOMPARE(framed, std::string("keep$GPZDA,201530.00,04,07,2002,00,00*60\r\n"));

        // Every line: "$", the address, the fields of its type, "*", the XOR
        // of the body in upper-case hex, CR LF.
        const std::string position = R"(\d{4}\.\d{5},N,\d{5}\.\d{5},E)";
        const std::map<std::string, std::regex> layouts = {
            {"RMC", std::regex(R"(\d{6}\.00,A,)" + position +
                               R"(,\d+\.\d{3},(\d|[1-9]\d|[12]\d\d|3[0-5]\d)\.\d\d,\d{6},,,A)")},
            {"VTG", std::regex(R"(\d{3}\.\d\d,T,,M,\d{3}\.\d\d,N,\d{3}\.\d\d,K,A)")},
            {"GGA", std::regex(R"(\d{6}\.00,)" + position + R"(,1,(0[4-9]|[1-9]\d),\d+\.\d\d,\d+\.\d,M,\d+\.\d,M,,)")},
            {"GSA", std::regex(R"(A,3(,(\d{2,3})?){12}(,\d+\.\d\d){3})")},
            {"GSV", std::regex(R"([1-9],[1-9],\d\d(,\d{2,3},([0-8]\d|90),([0-2]\d\d|3[0-5]\d),(\d\d)?){1,4})")},
            {"GLL", std::regex(position + R"(,\d{6}\.00,A,A)")},
            {"ZDA", std::regex(R"(\d{6}\.00,\d\d,\d\d,\d{4},00,00)")},
        };
        const std::regex frame(R"(\$(\w\w(\w{3})),(.*)\*([0-9A-F]{2})\r)");
        const std::string text = Generate(kDefaultSeed, 300);
        QVERIFY(text.ends_with("\r\n"));
        for (const std::string& line : Split(text.substr(0, text.size() - 1), '\n')) {
            std::smatch part;
            QVERIFY2(std::regex_match(line, part, frame), line.c_str());
            QVERIFY2(layouts.contains(part[2]) && std::regex_match(part[3].str(), layouts.at(part[2])), line.c_str());
            int sum = 0;
            for (const char c : part[1].str() + ',' + part[3].str())
                sum ^= c;
            QCOMPARE(std::stoi(part[4].str(), nullptr, 16), sum);
        }
    }

    void sameSeedGivesSameBytes()
    {
        const std::string text = Generate(42, 120);
        QCOMPARE(Generate(42, 120), text);
        QVERIFY(Generate(43, 120) != text);
        // Appending leaves what the buffer holds alone.
        Generator generator(42);
        std::string appended = "prefix";
        while (generator.EpochCount() < 120)
            generator.AppendEpoch(appended);
        QCOMPARE(appended, "prefix" + text);
    }

    void everyEpochHasTheSentenceMix()
    {
        QCOMPARE(Epochs().size(), size_t(300));
        for (const Epoch& epoch : Epochs()) {
            // The order of the sentences, a GSV set counted once. A set's
            // sentences are numbered, four satellites to each but the last,
            // as many in all as each says are in view.
            std::string order;
            std::set<std::string> tracked;  // talker and prn of the satellites with a signal
            size_t inSet = 0, inView = 0;
            for (size_t i = 0; i < epoch.size(); ++i) {
                const Fields& f = epoch[i];
                const bool gsv = f[0].ends_with("GSV"), opens = i == 0 || epoch[i - 1][0] != f[0];
                if (!gsv || opens)
                    order += f[0] + ' ';
                if (!gsv)
                    continue;
                inSet = opens ? 1 : inSet + 1;
                inView = opens ? 0 : inView;
                const Fields& opener = epoch[i + 1 - inSet];
                QVERIFY(f[1] == opener[1] && f[2] == std::to_string(inSet) && f[3] == opener[3]);
                for (size_t g = 4; g + 3 < f.size(); g += 4, ++inView)
                    if (!f[g + 3].empty())
                        tracked.insert(f[0].substr(0, 2) + f[g]);
                if (i + 1 < epoch.size() && epoch[i + 1][0] == f[0]) {
                    QCOMPARE(f.size(), size_t(4 + 16));
                } else {
                    QCOMPARE(f[1], std::to_string(inSet));
                    QCOMPARE(inView, size_t(std::stoi(f[3])));
                    const size_t most = f[0] == "GPGSV" ? 4 : 3;
                    QVERIFY2(inSet + 1 >= most && inSet <= most, f[0].c_str());
                }
            }
            QCOMPARE(order,
                std::string("GPRMC GPVTG GPGGA GPGSA GLGSA GAGSA GPGSV GLGSV GAGSV GPGLL GPZDA GNRMC GNGGA "));

            // GSA: the satellites used, packed at the front and each tracked
            // by its talker, and one set of DOPs for the one solution; GGA
            // counts the satellites used and repeats the HDOP.
            const Fields& gpgsa = Find(epoch, "GPGSA");
            int used = 0;
            for (const std::string address : {"GPGSA", "GLGSA", "GAGSA"}) {
                const Fields& f = Find(epoch, address);
                for (size_t i = 3; i < 15; ++i) {
                    QVERIFY(!f[i].empty() || i == 14 || f[i + 1].empty());
                    QVERIFY2(f[i].empty() || tracked.contains(address.substr(0, 2) + f[i]), f[i].c_str());
                    used += !f[i].empty();
                }
                QVERIFY(Fields(f.begin() + 15, f.end()) == Fields(gpgsa.begin() + 15, gpgsa.end()));
            }
            QCOMPARE(std::stoi(Find(epoch, "GPGGA")[7]), used);
            QCOMPARE(Find(epoch, "GPGGA")[8], gpgsa[16]);
            const double pdop = std::stod(gpgsa[15]), hdop = std::stod(gpgsa[16]), vdop = std::stod(gpgsa[17]);
            QVERIFY(hdop > 0.3 && hdop < 5.0);
            QVERIFY(std::fabs(pdop * pdop - hdop * hdop - vdop * vdop) < 0.05 * pdop * pdop + 0.02);
        }
    }

    // The first epoch is 2026-03-14 23:58:00 UTC, then one a second.
    void clockCrossesMidnight()
    {
        for (int k = 0; k < int(Epochs().size()); ++k) {
            const int second = 23 * 3600 + 58 * 60 + k;
            const bool nextDay = second >= 86400;
            const std::string time =
                QString::asprintf("%02d%02d%02d.00", second / 3600 % 24, second / 60 % 60, second % 60).toStdString();
            const Epoch& epoch = Epochs()[size_t(k)];
            const Fields &rmc = Find(epoch, "GPRMC"), &zda = Find(epoch, "GPZDA");
            QCOMPARE(Fields({rmc[1], Find(epoch, "GPGGA")[1], Find(epoch, "GPGLL")[5], rmc[9]}),
                Fields({time, time, time, nextDay ? "150326" : "140326"}));
            QCOMPARE(Fields(zda.begin() + 1, zda.begin() + 5), Fields({time, nextDay ? "15" : "14", "03", "2026"}));
        }
    }

    // From Seoul Station the car covers, between two epochs, the distance
    // its speeds give, along its course; it speeds up, stops and turns. All
    // sentences give the same fix; the combined one repeats the GPS one.
    void driveMovesAsItsSentencesSay()
    {
        const Fields& first = Find(Epochs().front(), "GPRMC");
        QVERIFY(std::fabs(Degrees(first[3], 2) - 37.5554652) < 2e-5);
        QVERIFY(std::fabs(Degrees(first[5], 3) - 126.9715542) < 2e-5);
        constexpr double kRad = std::numbers::pi / 180.0, kEarth = 6371000.0;
        double lastLat = 0, lastLon = 0, lastKnots = 0, lastCourse = 0, fastest = 0, minCourse = 360, maxCourse = 0;
        bool moved = false, stoppedAfter = false;
        for (const Epoch& e : Epochs()) {
            const Fields &rmc = Find(e, "GPRMC"), &gga = Find(e, "GPGGA"), &gll = Find(e, "GPGLL"),
                         &vtg = Find(e, "GPVTG");
            QVERIFY(Fields(Find(e, "GNRMC").begin() + 1, Find(e, "GNRMC").end()) == Fields(rmc.begin() + 1, rmc.end()));
            QVERIFY(Fields(Find(e, "GNGGA").begin() + 1, Find(e, "GNGGA").end()) == Fields(gga.begin() + 1, gga.end()));
            QVERIFY(gga[2] == rmc[3] && gga[4] == rmc[5] && gll[1] == rmc[3] && gll[3] == rmc[5]);
            const double lat = Degrees(rmc[3], 2), lon = Degrees(rmc[5], 3);
            const double knots = std::stod(rmc[7]), course = std::stod(rmc[8]), kmh = knots * 1.852;
            QVERIFY(std::fabs(std::stod(vtg[1]) - course) < 0.006 && std::fabs(std::stod(vtg[5]) - knots) < 0.006);
            QVERIFY(std::fabs(std::stod(vtg[7]) - kmh) < 0.011 && kmh <= 80.0);
            fastest = std::max(fastest, kmh);
            moved = moved || kmh > 20.0;
            stoppedAfter = stoppedAfter || (moved && kmh < 0.5);
            minCourse = kmh > 5.0 ? std::min(minCourse, course) : minCourse;
            maxCourse = kmh > 5.0 ? std::max(maxCourse, course) : maxCourse;
            if (&e != &Epochs().front()) {
                const double north = (lat - lastLat) * kRad * kEarth;
                const double east = (lon - lastLon) * kRad * kEarth * std::cos(lat * kRad);
                const double distance = std::hypot(north, east), expected = (knots + lastKnots) / 2.0 * 1852.0 / 3600.0;
                QVERIFY2(std::fabs(distance - expected) < 1.0 + 0.1 * expected,
                    qPrintable(QString("%1: %2 m at %3 m/s").arg(rmc[1].c_str()).arg(distance).arg(expected)));
                const double bearing = std::atan2(east, north) / kRad;
                QVERIFY2(distance <= 3.0 ||
                             std::fabs(Turn(bearing, lastCourse + Turn(course, lastCourse) / 2.0)) < 12.0,
                    qPrintable(QString("%1: bearing %2, course %3").arg(rmc[1].c_str()).arg(bearing).arg(course)));
            }
            lastLat = lat;
            lastLon = lon;
            lastKnots = knots;
            lastCourse = course;
        }
        QVERIFY(fastest > 60.0 && stoppedAfter && maxCourse - minCourse > 60.0);
    }

    // Satellites climb, sink and turn slowly; signals vary, and a few
    // tracked satellites have none. GLONASS numbers are 65-88, Galileo's 1-36.
    void satellitesMoveSlowlyAndSignalsVary()
    {
        std::map<std::string, std::pair<int, int>> first, last;  // talker and prn: elevation, azimuth
        std::map<std::string, std::set<int>> snrs;
        int groups = 0, withoutSignal = 0;
        for (const Epoch& epoch : Epochs()) {
            for (const Fields& f : epoch) {
                for (size_t g = 4; f[0].ends_with("GSV") && g + 3 < f.size(); g += 4, ++groups) {
                    const std::string key = f[0].substr(0, 2) + f[g];
                    const std::pair<int, int> now{std::stoi(f[g + 1]), std::stoi(f[g + 2])};
                    if (const auto before = last.find(key); before != last.end()) {
                        QVERIFY2(std::abs(now.first - before->second.first) <= 1, key.c_str());
                        QVERIFY2(now.first >= 80 || std::fabs(Turn(now.second, before->second.second)) <= 2.0,
                            key.c_str());
                    }
                    first.try_emplace(key, now);
                    last[key] = now;
                    withoutSignal += f[g + 3].empty();
                    if (!f[g + 3].empty())
                        snrs[key].insert(std::stoi(f[g + 3]));
                }
            }
        }
        QVERIFY(groups > 300 * 25);
        QVERIFY(withoutSignal > 0 && withoutSignal < groups / 3);
        int varying = 0, drifting = 0;
        for (const auto& [key, values] : snrs)
            varying += values.size() >= 3;
        for (const auto& [key, start] : first) {
            drifting += last[key].first != start.first;
            QVERIFY2(std::abs(last[key].first - start.first) <= 5, key.c_str());
            const int prn = std::stoi(key.substr(2));
            QVERIFY2(key.starts_with("GL") ? prn >= 65 && prn <= 88 : !key.starts_with("GA") || (prn >= 1 && prn <= 36),
                key.c_str());
        }
        QVERIFY(varying >= 10 && drifting >= 5);
    }

    // Over eight hours the car drives far, but stays in the city.
    void longDriveStaysInTheCity()
    {
        Generator generator(7);
        double farthest = 0;
        for (std::string epoch; generator.EpochCount() < 8 * 3600; epoch.clear()) {
            generator.AppendEpoch(epoch);
            const Fields rmc = Split(epoch.substr(0, epoch.find('*')), ',');
            farthest = std::max(farthest,
                std::hypot((Degrees(rmc[3], 2) - 37.5554652) * 111000.0, (Degrees(rmc[5], 3) - 126.9715542) * 88000.0));
        }
        QVERIFY(farthest > 1000.0 && farthest < 25000.0);
    }

    // The command writes what the generator gives; --bytes N stops after
    // the fewest whole epochs that make at least N bytes.
    void commandWritesTheGeneratorsEpochs_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("expected");
        std::vector<qsizetype> ends;
        const QByteArray text = QByteArray::fromStdString(Generate(kDefaultSeed, 3000, &ends));
        // Past the command's write buffer of 1 MiB.
        const size_t big = size_t(std::upper_bound(ends.begin(), ends.end(), 3 << 19) - ends.begin());
        QTest::newRow("300 epochs of the default seed") << QStringList() << text.left(ends[299]);
        QTest::newRow("--seconds, --seed=")
            << QStringList{"--seconds", "3", "--seed=5"} << QByteArray::fromStdString(Generate(5, 3));
        QTest::newRow("--bytes 1") << QStringList{"--bytes", "1"} << text.left(ends[0]);
        QTest::newRow("--bytes at an epoch's end")
            << QStringList{"--bytes", QString::number(ends[9])} << text.left(ends[9]);
        QTest::newRow("--bytes one past it")
            << QStringList{"--bytes", QString::number(ends[9] + 1)} << text.left(ends[10]);
        QTest::newRow("--bytes past the buffer")
            << QStringList{"--bytes", QString::number(ends[big] - 1)} << text.left(ends[big]);
    }
    void commandWritesTheGeneratorsEpochs()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, expected);
        QProcess command;
        command.start(ORVANE_LOGGEN, arguments);
        QByteArray out;
        while (out.size() <= expected.size() && command.waitForReadyRead(20000))
            out += command.readAllStandardOutput();
        // A command that writes on past the expected bytes, or hangs, is stopped.
        if (out.size() > expected.size() ||
            (command.state() != QProcess::NotRunning && !command.waitForFinished(20000)))
            command.kill();
        command.waitForFinished();
        out += command.readAllStandardOutput();
        QCOMPARE(command.exitStatus(), QProcess::NormalExit);
        QCOMPARE(command.exitCode(), 0);
        QCOMPARE(out.size(), expected.size());
        QVERIFY(out == expected);
    }
};

QTEST_GUILESS_MAIN(TestLoggen)
#include "tst_loggen.moc"
