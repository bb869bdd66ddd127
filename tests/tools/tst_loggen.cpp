// Tests of the NMEA log generator behind orvane-loggen. The generated text is
// read back with an independent little parser and checked for framing,
// checksums, epoch layout, clock, and physical plausibility of the drive.

#include "Generator.h"

#include <QtTest>

#include <cmath>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

using orvane::loggen::Generator;

namespace {

struct Sentence {
    std::string address;              // e.g. "GPRMC"
    std::vector<std::string> fields;  // fields after the address
};

using Epoch = std::vector<Sentence>;

std::string generate(std::uint64_t seed, int epochs)
{
    Generator gen(seed);
    std::string out;
    for (int i = 0; i < epochs; ++i)
        gen.AppendEpoch(out);
    return out;
}

std::string defaultSample(int epochs = 300)
{
    return generate(orvane::loggen::kDefaultSeed, epochs);
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(text.substr(pos));  // unterminated tail, caught by the callers
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

std::vector<std::string> splitFields(const std::string& s)
{
    std::vector<std::string> out;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t comma = s.find(',', pos);
        out.push_back(s.substr(pos, comma - pos));
        if (comma == std::string::npos)
            return out;
        pos = comma + 1;
    }
}

Sentence parseLine(const std::string& line)
{
    const std::size_t star = line.rfind('*');
    std::vector<std::string> parts = splitFields(line.substr(1, star - 1));
    Sentence s;
    s.address = parts.front();
    s.fields.assign(parts.begin() + 1, parts.end());
    return s;
}

// Groups the sentences of a text into epochs, each opened by $GPRMC.
std::vector<Epoch> parseEpochs(const std::string& text)
{
    std::vector<Epoch> epochs;
    for (const std::string& line : splitLines(text)) {
        Sentence s = parseLine(line);
        if (s.address == "GPRMC")
            epochs.emplace_back();
        if (epochs.empty())
            return {};
        epochs.back().push_back(std::move(s));
    }
    return epochs;
}

const Sentence* find(const Epoch& e, const char* address)
{
    for (const Sentence& s : e)
        if (s.address == address)
            return &s;
    return nullptr;
}

bool matches(const std::string& s, const char* pattern)
{
    return std::regex_match(s, std::regex(pattern));
}

double toDegrees(const std::string& ddmm, int degDigits)
{
    return std::stod(ddmm.substr(0, std::size_t(degDigits))) + std::stod(ddmm.substr(std::size_t(degDigits))) / 60.0;
}

double wrapDiff(double a, double b)
{
    double d = std::fmod(a - b + 540.0, 360.0) - 180.0;
    return d;
}

std::string hhmmss(int secondOfDay)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d.00", secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    return buf;
}

}  // namespace

class TestLoggen : public QObject {
    Q_OBJECT

private slots:
    void checksumOfKnownSentences()
    {
        QCOMPARE(int(orvane::loggen::NmeaChecksum("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,")),
            0x47);
        std::string out = "keep";
        orvane::loggen::AppendSentence(out, "GPZDA,201530.00,04,07,2002,00,00");
        QCOMPARE(out, std::string("keep$GPZDA,201530.00,04,07,2002,00,00*60\r\n"));
        out.clear();
        orvane::loggen::AppendSentence(out, "GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");
        QCOMPARE(out, std::string("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"));
    }

    void everyLineIsFramedAndChecksummed()
    {
        const std::string text = defaultSample();
        QVERIFY(text.size() > 100000);
        QVERIFY(text.ends_with("\r\n"));
        const std::vector<std::string> lines = splitLines(text);
        QVERIFY(lines.size() >= 300 * 18);
        static constexpr char kHex[] = "0123456789ABCDEF";
        for (const std::string& line : lines) {
            QVERIFY2(line.size() > 10 && line[0] == '$', line.c_str());
            QVERIFY2(line.find('\n') == std::string::npos && line.find('\r') == std::string::npos, line.c_str());
            QVERIFY2(line.find('$', 1) == std::string::npos, line.c_str());
            const std::size_t star = line.find('*');
            QVERIFY2(star != std::string::npos && star == line.size() - 3, line.c_str());
            unsigned sum = 0;
            for (std::size_t i = 1; i < star; ++i) {
                const unsigned char c = static_cast<unsigned char>(line[i]);
                QVERIFY2(c >= 0x20 && c < 0x7F, line.c_str());
                sum ^= c;
            }
            QVERIFY2(line[star + 1] == kHex[sum >> 4] && line[star + 2] == kHex[sum & 15], line.c_str());
        }
    }

    void sameSeedGivesSameBytes()
    {
        const std::string a = generate(42, 120);
        QCOMPARE(generate(42, 120), a);
        QVERIFY(generate(43, 120) != a);

        // Appending never disturbs what the buffer already holds, and epochs
        // written one by one equal epochs written in one go.
        Generator gen(42);
        std::string piecewise = "prefix";
        for (int i = 0; i < 120; ++i) {
            std::string one;
            gen.AppendEpoch(one);
            piecewise += one;
        }
        QCOMPARE(piecewise, "prefix" + a);
        QCOMPARE(gen.EpochCount(), std::uint64_t(120));
    }

    void epochLayout()
    {
        const std::vector<Epoch> epochs = parseEpochs(defaultSample());
        QCOMPARE(int(epochs.size()), 300);
        const std::vector<std::string> expected = {"GPRMC", "GPVTG", "GPGGA", "GPGSA", "GLGSA", "GAGSA", "GPGSV",
            "GLGSV", "GAGSV", "GPGLL", "GPZDA", "GNRMC", "GNGGA"};
        const std::map<std::string, std::pair<int, int>> gsvRange = {{"GPGSV", {3, 4}}, {"GLGSV", {2, 3}},
            {"GAGSV", {2, 3}}};

        for (const Epoch& e : epochs) {
            std::vector<std::string> order;
            std::map<std::string, std::vector<const Sentence*>> gsv;
            for (const Sentence& s : e) {
                if (order.empty() || order.back() != s.address || !s.address.ends_with("GSV"))
                    order.push_back(s.address);
                if (s.address.ends_with("GSV"))
                    gsv[s.address].push_back(&s);
            }
            QCOMPARE(order, expected);

            // GSV sets: numbering, satellites in view, four per sentence.
            std::map<std::string, std::map<int, bool>> tracked;  // talker -> prn -> has SNR
            for (const auto& [address, set] : gsv) {
                const int n = int(set.size());
                QVERIFY2(n >= gsvRange.at(address).first && n <= gsvRange.at(address).second, address.c_str());
                int groups = 0;
                for (int k = 0; k < n; ++k) {
                    const auto& f = set[std::size_t(k)]->fields;
                    QCOMPARE(f[0], std::to_string(n));
                    QCOMPARE(f[1], std::to_string(k + 1));
                    QCOMPARE(f[2], set[0]->fields[2]);
                    QCOMPARE((f.size() - 3) % 4, std::size_t(0));
                    const std::size_t inSentence = (f.size() - 3) / 4;
                    QVERIFY(inSentence >= 1 && inSentence <= 4);
                    if (k + 1 < n)
                        QCOMPARE(inSentence, std::size_t(4));
                    for (std::size_t g = 3; g < f.size(); g += 4) {
                        QVERIFY(matches(f[g], "[0-9]{2,3}"));
                        QVERIFY(matches(f[g + 1], "[0-9]{2}"));
                        QVERIFY(matches(f[g + 2], "[0-9]{3}") && std::stoi(f[g + 2]) < 360);
                        QVERIFY(f[g + 3].empty() || matches(f[g + 3], "[0-9]{2}"));
                        tracked[address.substr(0, 2)][std::stoi(f[g])] = !f[g + 3].empty();
                        ++groups;
                    }
                }
                QCOMPARE(groups, std::stoi(set[0]->fields[2]));
                QCOMPARE(set[0]->fields[2].size(), std::size_t(2));
            }

            // GSA: mode, fix, twelve slots, three DOPs; every satellite used
            // in the fix is one the same talker tracks with a signal.
            int usedTotal = 0;
            std::string dops;
            for (const char* address : {"GPGSA", "GLGSA", "GAGSA"}) {
                const Sentence* gsa = find(e, address);
                QVERIFY(gsa);
                const auto& f = gsa->fields;
                QCOMPARE(f.size(), std::size_t(17));
                QCOMPARE(f[0], std::string("A"));
                QCOMPARE(f[1], std::string("3"));
                bool emptySeen = false;
                for (int i = 2; i < 14; ++i) {
                    if (f[std::size_t(i)].empty()) {
                        emptySeen = true;
                        continue;
                    }
                    QVERIFY2(!emptySeen, "used satellites are packed at the front");
                    const int prn = std::stoi(f[std::size_t(i)]);
                    QVERIFY2(tracked[std::string(address).substr(0, 2)][prn], f[std::size_t(i)].c_str());
                    ++usedTotal;
                }
                for (int i = 14; i < 17; ++i)
                    QVERIFY(matches(f[std::size_t(i)], "[0-9]+\\.[0-9]{2}"));
                const std::string these = f[14] + "," + f[15] + "," + f[16];
                if (dops.empty())
                    dops = these;
                QCOMPARE(these, dops);  // one solution, one set of DOPs
            }
            const Sentence* gga = find(e, "GPGGA");
            QCOMPARE(std::stoi(gga->fields[6]), usedTotal);
            QCOMPARE(gga->fields[7], find(e, "GPGSA")->fields[15]);
            const double pdop = std::stod(find(e, "GPGSA")->fields[14]);
            const double hdop = std::stod(find(e, "GPGSA")->fields[15]);
            const double vdop = std::stod(find(e, "GPGSA")->fields[16]);
            QVERIFY(hdop > 0.3 && hdop < 5.0);
            QVERIFY(std::fabs(pdop * pdop - hdop * hdop - vdop * vdop) < 0.05 * pdop * pdop + 0.02);
        }
    }

    void fieldFormats()
    {
        const std::string text = defaultSample();
        for (const std::string& line : splitLines(text)) {
            const Sentence s = parseLine(line);
            const auto& f = s.fields;
            if (s.address == "GPRMC" || s.address == "GNRMC") {
                QCOMPARE(f.size(), std::size_t(12));
                QVERIFY(matches(f[0], "[0-9]{6}\\.00"));
                QCOMPARE(f[1], std::string("A"));
                QVERIFY(matches(f[2], "[0-9]{4}\\.[0-9]{5}") && f[3] == "N");
                QVERIFY(matches(f[4], "[0-9]{5}\\.[0-9]{5}") && f[5] == "E");
                QVERIFY(matches(f[6], "[0-9]+\\.[0-9]{3}"));
                QVERIFY(matches(f[7], "[0-9]{1,3}\\.[0-9]{2}") && std::stod(f[7]) < 360.0);
                QVERIFY(matches(f[8], "[0-9]{6}"));
                QVERIFY(f[9].empty() && f[10].empty());
                QCOMPARE(f[11], std::string("A"));
            } else if (s.address == "GPVTG") {
                QVERIFY2(std::regex_match(line, std::regex("\\$GPVTG,[0-9]{3}\\.[0-9]{2},T,,M,[0-9]{3}\\.[0-9]{2},N,"
                                                           "[0-9]{3}\\.[0-9]{2},K,A\\*[0-9A-F]{2}")),
                    line.c_str());
            } else if (s.address == "GPGGA" || s.address == "GNGGA") {
                QCOMPARE(f.size(), std::size_t(14));
                QVERIFY(matches(f[0], "[0-9]{6}\\.00"));
                QVERIFY(matches(f[1], "[0-9]{4}\\.[0-9]{5}") && f[2] == "N");
                QVERIFY(matches(f[3], "[0-9]{5}\\.[0-9]{5}") && f[4] == "E");
                QCOMPARE(f[5], std::string("1"));
                QVERIFY(matches(f[6], "[0-9]{2}") && std::stoi(f[6]) >= 4);
                QVERIFY(matches(f[7], "[0-9]+\\.[0-9]{2}"));
                QVERIFY(matches(f[8], "[0-9]+\\.[0-9]") && f[9] == "M");
                QVERIFY(matches(f[10], "[0-9]+\\.[0-9]") && f[11] == "M");
                QVERIFY(f[12].empty() && f[13].empty());
            } else if (s.address == "GPGLL") {
                QVERIFY2(std::regex_match(line, std::regex("\\$GPGLL,[0-9]{4}\\.[0-9]{5},N,[0-9]{5}\\.[0-9]{5},E,"
                                                           "[0-9]{6}\\.00,A,A\\*[0-9A-F]{2}")),
                    line.c_str());
            } else if (s.address == "GPZDA") {
                QVERIFY2(std::regex_match(line, std::regex("\\$GPZDA,[0-9]{6}\\.00,[0-9]{2},[0-9]{2},[0-9]{4},00,00"
                                                           "\\*[0-9A-F]{2}")),
                    line.c_str());
            }
        }
    }

    void clockStartsBeforeMidnightAndCrossesIt()
    {
        const std::vector<Epoch> epochs = parseEpochs(defaultSample());
        QCOMPARE(int(epochs.size()), 300);
        const int start = 23 * 3600 + 58 * 60;
        for (int k = 0; k < 300; ++k) {
            const Epoch& e = epochs[std::size_t(k)];
            const int sod = (start + k) % 86400;
            const bool nextDay = start + k >= 86400;
            const std::string time = hhmmss(sod);
            QCOMPARE(find(e, "GPRMC")->fields[0], time);
            QCOMPARE(find(e, "GPGGA")->fields[0], time);
            QCOMPARE(find(e, "GPGLL")->fields[4], time);
            QCOMPARE(find(e, "GNRMC")->fields[0], time);
            QCOMPARE(find(e, "GNGGA")->fields[0], time);
            const Sentence* zda = find(e, "GPZDA");
            QCOMPARE(zda->fields[0], time);
            QCOMPARE(zda->fields[1], std::string(nextDay ? "15" : "14"));
            QCOMPARE(zda->fields[2], std::string("03"));
            QCOMPARE(zda->fields[3], std::string("2026"));
            QCOMPARE(find(e, "GPRMC")->fields[8], std::string(nextDay ? "150326" : "140326"));
        }
        QCOMPARE(find(epochs[119], "GPRMC")->fields[0], std::string("235959.00"));
        QCOMPARE(find(epochs[120], "GPRMC")->fields[0], std::string("000000.00"));
    }

    void driveStartsAtSeoulStationAndMovesPlausibly()
    {
        const std::vector<Epoch> epochs = parseEpochs(defaultSample());
        const Sentence* first = find(epochs.front(), "GPRMC");
        QVERIFY(std::fabs(toDegrees(first->fields[2], 2) - 37.5554652) < 2e-5);
        QVERIFY(std::fabs(toDegrees(first->fields[4], 3) - 126.9715542) < 2e-5);

        constexpr double kEarth = 6371000.0;
        constexpr double kRad = 3.14159265358979323846 / 180.0;
        double maxKmh = 0.0, prevLat = 0, prevLon = 0, prevKnots = 0, prevCourse = 0;
        double minCourse = 360.0, maxCourse = 0.0;
        bool stoppedAfterMoving = false, moved = false;
        for (std::size_t k = 0; k < epochs.size(); ++k) {
            const Sentence* rmc = find(epochs[k], "GPRMC");
            const Sentence* gnrmc = find(epochs[k], "GNRMC");
            const Sentence* vtg = find(epochs[k], "GPVTG");
            QCOMPARE(gnrmc->fields, rmc->fields);
            QCOMPARE(find(epochs[k], "GNGGA")->fields, find(epochs[k], "GPGGA")->fields);
            QCOMPARE(find(epochs[k], "GPGGA")->fields[1], rmc->fields[2]);
            QCOMPARE(find(epochs[k], "GPGLL")->fields[2], rmc->fields[4]);

            const double lat = toDegrees(rmc->fields[2], 2), lon = toDegrees(rmc->fields[4], 3);
            const double knots = std::stod(rmc->fields[6]), course = std::stod(rmc->fields[7]);
            const double kmh = knots * 1.852;
            QVERIFY(kmh >= 0.0 && kmh <= 80.0);
            QVERIFY(std::fabs(std::stod(vtg->fields[0]) - course) < 0.006);
            QVERIFY(std::fabs(std::stod(vtg->fields[4]) - knots) < 0.006);
            QVERIFY(std::fabs(std::stod(vtg->fields[6]) - kmh) < 0.011);
            maxKmh = std::max(maxKmh, kmh);
            moved = moved || kmh > 20.0;
            stoppedAfterMoving = stoppedAfterMoving || (moved && kmh < 0.5);
            if (kmh > 5.0) {
                minCourse = std::min(minCourse, course);
                maxCourse = std::max(maxCourse, course);
            }

            if (k > 0) {
                const double dn = (lat - prevLat) * kRad * kEarth;
                const double de = (lon - prevLon) * kRad * kEarth * std::cos(lat * kRad);
                const double dist = std::hypot(dn, de);
                const double expected = (knots + prevKnots) / 2.0 * 1852.0 / 3600.0;
                QVERIFY2(std::fabs(dist - expected) < 1.0 + 0.1 * expected,
                    qPrintable(QStringLiteral("epoch %1: moved %2 m at %3 m/s").arg(k).arg(dist).arg(expected)));
                if (dist > 3.0) {
                    const double bearing = std::atan2(de, dn) / kRad;
                    const double mid = prevCourse + wrapDiff(course, prevCourse) / 2.0;
                    QVERIFY2(std::fabs(wrapDiff(bearing, mid)) < 12.0,
                        qPrintable(QStringLiteral("epoch %1: bearing %2, course %3").arg(k).arg(bearing).arg(mid)));
                }
            }
            prevLat = lat;
            prevLon = lon;
            prevKnots = knots;
            prevCourse = course;
        }
        // A real drive: fast stretches, a stop, and turns.
        QVERIFY(maxKmh > 60.0);
        QVERIFY(stoppedAfterMoving);
        QVERIFY(maxCourse - minCourse > 60.0);
    }

    void satellitesMoveSlowlyAndSignalsVary()
    {
        const std::vector<Epoch> epochs = parseEpochs(defaultSample());
        std::map<std::string, std::pair<int, int>> last;  // talker+prn -> elevation, azimuth
        std::map<std::string, std::set<int>> snrValues;
        std::map<std::string, int> firstElevation, lastElevation;
        int emptySnr = 0, groups = 0;
        for (const Epoch& e : epochs) {
            for (const Sentence& s : e) {
                if (!s.address.ends_with("GSV"))
                    continue;
                for (std::size_t g = 3; g + 3 < s.fields.size(); g += 4) {
                    const std::string key = s.address.substr(0, 2) + s.fields[g];
                    const int el = std::stoi(s.fields[g + 1]), az = std::stoi(s.fields[g + 2]);
                    QVERIFY(el >= 0 && el <= 90);
                    if (auto it = last.find(key); it != last.end()) {
                        QVERIFY2(std::abs(el - it->second.first) <= 1, key.c_str());
                        if (el < 80)
                            QVERIFY2(std::fabs(wrapDiff(az, it->second.second)) <= 2.0, key.c_str());
                    }
                    last[key] = {el, az};
                    firstElevation.try_emplace(key, el);
                    lastElevation[key] = el;
                    ++groups;
                    if (s.fields[g + 3].empty())
                        ++emptySnr;
                    else
                        snrValues[key].insert(std::stoi(s.fields[g + 3]));
                }
            }
        }
        QVERIFY(groups > 300 * 25);
        QVERIFY(emptySnr > 0);           // some tracked satellites without signal
        QVERIFY(emptySnr < groups / 3);  // but most have one
        int varying = 0, drifting = 0;
        for (const auto& [key, values] : snrValues)
            varying += values.size() >= 3;
        for (const auto& [key, el] : firstElevation) {
            drifting += lastElevation[key] != el;
            // Orbiting satellites climb or sink well under a degree a minute.
            QVERIFY2(std::abs(lastElevation[key] - el) <= 5, key.c_str());
        }
        QVERIFY(varying >= 10);
        QVERIFY(drifting >= 5);
        // Talkers seen: GPS (with QZSS and SBAS), GLONASS 65-88, Galileo 1-36.
        for (const auto& [key, ignored] : last) {
            const int prn = std::stoi(key.substr(2));
            if (key.starts_with("GL"))
                QVERIFY(prn >= 65 && prn <= 88);
            else if (key.starts_with("GA"))
                QVERIFY(prn >= 1 && prn <= 36);
        }
    }

    void longRunStaysWellFormedAndNearby()
    {
        // Eight hours: several drive cycles, a full satellite sky change.
        Generator gen(7);
        std::string text;
        const int epochs = 8 * 3600;
        for (int i = 0; i < epochs; ++i)
            gen.AppendEpoch(text);
        int rmc = 0;
        double maxDistance = 0.0;
        for (const std::string& line : splitLines(text)) {
            const std::size_t star = line.find('*');
            QVERIFY(line[0] == '$' && star == line.size() - 3);
            unsigned sum = 0;
            for (std::size_t i = 1; i < star; ++i)
                sum ^= static_cast<unsigned char>(line[i]);
            QCOMPARE(std::strtoul(line.substr(star + 1).c_str(), nullptr, 16), static_cast<unsigned long>(sum));
            if (line.starts_with("$GPRMC")) {
                const Sentence s = parseLine(line);
                const double dn = (toDegrees(s.fields[2], 2) - 37.5554652) * 111000.0;
                const double de = (toDegrees(s.fields[4], 3) - 126.9715542) * 88000.0;
                maxDistance = std::max(maxDistance, std::hypot(dn, de));
                QVERIFY(std::stod(s.fields[6]) * 1.852 <= 80.0);
                ++rmc;
            }
        }
        QCOMPARE(rmc, epochs);
        QVERIFY(maxDistance > 1000.0);   // it really drives somewhere
        QVERIFY(maxDistance < 25000.0);  // and stays in the city
    }
};

QTEST_APPLESS_MAIN(TestLoggen)
#include "tst_loggen.moc"
