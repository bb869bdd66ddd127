// SPDX-License-Identifier: GPL-3.0-or-later
// The NMEA log generator behind orvane-loggen, checked for what its users
// rely on: the same bytes for a seed; the default output, which the bundled
// sample holds byte for byte (what it looks like, its sentences, clock,
// drive and sky, is pinned by those bytes); a long drive of another seed;
// the 4.11 output of a multi-band receiver; and the command's --seconds,
// --seed, --bytes and --nmea.

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
std::string Generate(uint64_t seed, int epochs, NmeaVersion version = NmeaVersion::V4_0,
    std::vector<qsizetype>* ends = nullptr)
{
    Generator generator(seed, version);
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

// The epochs of a text, each opened by the given address, each sentence
// split at its commas between "$" and "*".
std::vector<Epoch> SplitEpochs(const std::string& text, const std::string& opener)
{
    std::vector<Epoch> split;
    for (const std::string& line : Split(text, '\n')) {
        if (line.size() < 5)
            continue;
        Fields fields = Split(line.substr(1, line.size() - 5), ',');
        if (fields[0] == opener || split.empty())
            split.emplace_back();
        split.back().push_back(std::move(fields));
    }
    return split;
}

// The 300 epochs of the default seed, opened by $GPRMC.
const std::vector<Epoch>& Epochs()
{
    static const std::vector<Epoch> epochs = SplitEpochs(Generate(kDefaultSeed, 300), "GPRMC");
    return epochs;
}

// The same in the 4.11 output, opened by $GNRMC.
const std::vector<Epoch>& Epochs411()
{
    static const std::vector<Epoch> epochs = SplitEpochs(Generate(kDefaultSeed, 300, NmeaVersion::V4_11), "GNRMC");
    return epochs;
}

// The GSV sets of a 4.11 epoch, each the sentences from one numbered 1 up
// to the next numbered 1.
std::vector<std::vector<Fields>> GsvSets(const Epoch& epoch)
{
    std::vector<std::vector<Fields>> sets;
    for (const Fields& f : epoch) {
        if (!f[0].ends_with("GSV"))
            continue;
        if (f[2] == "1" || sets.empty())
            sets.emplace_back();
        sets.back().push_back(f);
    }
    return sets;
}

// A satellite of a GSV set: the talker and number, then elevation, azimuth
// and SNR.
using SkyEntry = std::pair<std::string, std::vector<std::string>>;

std::vector<SkyEntry> Entries(const std::vector<Fields>& set)
{
    std::vector<SkyEntry> entries;
    for (const Fields& f : set)
        for (size_t g = 4; g + 4 < f.size(); g += 4)
            entries.emplace_back(f[0].substr(0, 2) + f[g], std::vector<std::string>{f[g + 1], f[g + 2], f[g + 3]});
    return entries;
}

// The numbers in the twelve slots of a GSA sentence.
std::set<std::string> UsedNumbers(const Fields& gsa)
{
    std::set<std::string> used;
    for (size_t i = 3; i < 15; ++i)
        if (!gsa[i].empty())
            used.insert(gsa[i]);
    return used;
}

// The signal ID of a talker's first GSV set in the 4.11 output: GPS L1 C/A,
// GLONASS G1 C/A, Galileo E1 B/C, BeiDou B1I, QZSS L1 C/A.
std::string FirstSignal(const std::string& talker)
{
    return talker == "GA" ? "7" : "1";
}

// The GN GSA sentence of the constellation with this system ID.
const Fields& GsaOf(const Epoch& epoch, const std::string& systemId)
{
    static const Fields none(19);
    const auto found = std::find_if(epoch.begin(), epoch.end(),
        [&](const Fields& f) { return f[0] == "GNGSA" && f.size() == 19 && f[18] == systemId; });
    return found == epoch.end() ? none : *found;
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

}  // namespace

class TestLoggen : public QObject {
    Q_OBJECT

private slots:
    void sameSeedGivesSameBytes_data()
    {
        QTest::addColumn<NmeaVersion>("version");
        QTest::newRow("4.0") << NmeaVersion::V4_0;
        QTest::newRow("4.11") << NmeaVersion::V4_11;
    }
    void sameSeedGivesSameBytes()
    {
        QFETCH(NmeaVersion, version);
        const std::string text = Generate(42, 120, version);
        QCOMPARE(Generate(42, 120, version), text);
        QVERIFY(Generate(43, 120, version) != text);
        // Appending leaves what the buffer holds alone.
        Generator generator(42, version);
        std::string appended = "prefix";
        while (generator.EpochCount() < 120)
            generator.AppendEpoch(appended);
        QCOMPARE(appended, "prefix" + text);
    }

    // samples/drive.nmea is the command's default run, made by
    // "orvane-loggen -o samples/drive.nmea", byte for byte: whatever
    // changes the default output shows here, and the sample is made anew.
    void defaultRunIsTheBundledSample_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("as the sample is made") << QStringList{"-o"};
        QTest::newRow("the defaults named") << QStringList{"--nmea", "4.0", "--seconds", "300", "-o"};
    }
    void defaultRunIsTheBundledSample()
    {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        const QString output = dir.filePath("drive.nmea");
        QProcess command;
        command.start(ORVANE_LOGGEN, arguments << output);
        QVERIFY(command.waitForFinished(60000));
        QCOMPARE(command.exitCode(), 0);
        QFile made(output), sample(ORVANE_SAMPLE);
        QVERIFY(made.open(QIODevice::ReadOnly));
        QVERIFY2(sample.open(QIODevice::ReadOnly), ORVANE_SAMPLE);
        const QByteArray expected = sample.readAll(), bytes = made.readAll();
        QCOMPARE(bytes.size(), expected.size());
        QVERIFY(bytes == expected);
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

    // 4.11: every line is "$", the address, the fields of its type with the
    // status, system and signal IDs, "*", the XOR of the body, CR LF. GSV
    // comes from the talker of its constellation, everything else from GN.
    void sentences411AreWholeWithTheirChecksum()
    {
        const std::string position = R"(\d{4}\.\d{5},N,\d{5}\.\d{5},E)";
        const std::map<std::string, std::regex> layouts = {
            {"RMC", std::regex(R"(\d{6}\.00,A,)" + position +
                               R"(,\d+\.\d{3},(\d|[1-9]\d|[12]\d\d|3[0-5]\d)\.\d\d,\d{6},,,A,[VSCU])")},
            {"VTG", std::regex(R"(\d{3}\.\d\d,T,,M,\d{3}\.\d\d,N,\d{3}\.\d\d,K,A)")},
            {"GGA", std::regex(R"(\d{6}\.00,)" + position + R"(,1,(0[4-9]|[1-9]\d),\d+\.\d\d,\d+\.\d,M,\d+\.\d,M,,)")},
            {"GNS", std::regex(R"(\d{6}\.00,)" + position + R"(,[AN]{5},\d\d,\d+\.\d\d,\d+\.\d,\d+\.\d,,,[VSCU])")},
            {"GSA", std::regex(R"(A,3(,(\d\d)?){12}(,\d+\.\d\d){3},[1-6])")},
            {"GSV", std::regex(R"([1-9],[1-9],\d\d(,\d\d,([0-8]\d|90),([0-2]\d\d|3[0-5]\d),(\d\d)?){0,4},[1-9A-F])")},
            {"GST", std::regex(R"(\d{6}\.00(,\d+\.\d\d){3},(\d|[1-9]\d|1[0-7]\d)\.\d(,\d+\.\d\d){3})")},
            {"ZDA", std::regex(R"(\d{6}\.00,\d\d,\d\d,\d{4},00,00)")},
        };
        const std::set<std::string> gsvTalkers = {"GP", "GL", "GA", "GB", "GQ"};
        const std::regex frame(R"(\$((\w\w)(\w{3})),(.*)\*([0-9A-F]{2})\r)");
        const std::string text = Generate(kDefaultSeed, 300, NmeaVersion::V4_11);
        QVERIFY(text.ends_with("\r\n"));
        for (const std::string& line : Split(text.substr(0, text.size() - 1), '\n')) {
            std::smatch part;
            QVERIFY2(std::regex_match(line, part, frame), line.c_str());
            QVERIFY2(layouts.contains(part[3]) && std::regex_match(part[4].str(), layouts.at(part[3])), line.c_str());
            QVERIFY2(part[3] == "GSV" ? gsvTalkers.contains(part[2]) : part[2] == "GN", line.c_str());
            int sum = 0;
            for (const char c : part[1].str() + ',' + part[4].str())
                sum ^= c;
            QCOMPARE(std::stoi(part[5].str(), nullptr, 16), sum);
        }
    }

    // 4.11: GN RMC, VTG, GGA and GNS, one GSA per constellation with system
    // IDs 1-5 in order, the GSV sets per constellation and signal, first
    // the L1/G1/E1/B1I set, then GST and ZDA. A set's sentences are
    // numbered, four satellites to each but the last, as many in all as
    // each says are in view, all with the set's signal ID.
    void everyEpoch411HasTheSentenceMix()
    {
        QCOMPARE(Epochs411().size(), size_t(300));
        for (const Epoch& epoch : Epochs411()) {
            std::string order;
            for (size_t i = 0; i < epoch.size(); ++i) {
                const Fields& f = epoch[i];
                if (f[0] == "GNGSA")
                    order += f[0] + '/' + f.back() + ' ';
                else if (!f[0].ends_with("GSV"))
                    order += f[0] + ' ';
                else if (f[2] == "1")
                    order += f[0] + '/' + f.back() + ' ';
            }
            // With the default seed every constellation has satellites in
            // view on each of its signals, so every set is written.
            QCOMPARE(order,
                std::string("GNRMC GNVTG GNGGA GNGNS GNGSA/1 GNGSA/2 GNGSA/3 GNGSA/4 GNGSA/5 GPGSV/1 GPGSV/6 "
                            "GPGSV/7 GLGSV/1 GLGSV/3 GAGSV/7 GAGSV/2 GAGSV/1 GBGSV/1 GBGSV/B GBGSV/5 GQGSV/1 "
                            "GQGSV/6 GNGST GNZDA "));

            for (const std::vector<Fields>& set : GsvSets(epoch)) {
                const Fields& opener = set.front();
                const size_t inView = size_t(std::stoi(opener[3]));
                QCOMPARE(opener[1], std::to_string(set.size()));
                QCOMPARE(set.size(), std::max<size_t>(1, (inView + 3) / 4));
                QCOMPARE(Entries(set).size(), inView);
                for (size_t k = 0; k < set.size(); ++k) {
                    const Fields& f = set[k];
                    QVERIFY(f[0] == opener[0] && f[1] == opener[1] && f[3] == opener[3] && f.back() == opener.back());
                    QCOMPARE(f[2], std::to_string(k + 1));
                    if (k + 1 < set.size())
                        QCOMPARE(f.size(), size_t(4 + 16 + 1));
                }
            }
        }
    }

    // Per talker, the signal sets after the first list satellites of the
    // first set at the same place in the sky: all of them where every
    // satellite sends every signal, some where not (GPS: not all send L2C
    // and L5, SBAS L1 only; BeiDou: 1-18 send B2I, 19 on B2a). Such a
    // signal is tracked only while the first is, and is lost on its own now
    // and then (not in this run for QZSS, whose two satellites stand high
    // all through it).
    void signalSetsOfOneConstellationAgree_data()
    {
        QTest::addColumn<QString>("talker");
        QTest::addColumn<QString>("signalIds");  // the first set's signal, then the others
        QTest::addColumn<bool>("allSend");       // every satellite in every set
        QTest::addColumn<bool>("bandLost");      // a satellite tracked on the first signal only
        QTest::newRow("GPS: L1 C/A, L2 CL, L5 I") << QString("GP") << QString("167") << false << true;
        QTest::newRow("GLONASS: G1, G2") << QString("GL") << QString("13") << true << true;
        QTest::newRow("Galileo: E1, E5b, E5a") << QString("GA") << QString("721") << true << true;
        QTest::newRow("BeiDou: B1I, B2I, B2a") << QString("GB") << QString("1B5") << false << true;
        QTest::newRow("QZSS: L1 C/A, L2 CL") << QString("GQ") << QString("16") << true << false;
    }
    void signalSetsOfOneConstellationAgree()
    {
        QFETCH(QString, talker);
        QFETCH(QString, signalIds);
        QFETCH(bool, allSend);
        QFETCH(bool, bandLost);
        const std::string address = talker.toStdString() + "GSV";
        int lostOnTheBand = 0, trackedOnTheBand = 0, missing = 0;
        for (const Epoch& epoch : Epochs411()) {
            std::map<std::string, std::vector<std::string>> first;
            std::string seen;
            for (const std::vector<Fields>& set : GsvSets(epoch)) {
                if (set.front()[0] != address)
                    continue;
                const std::string signal = set.front().back();
                seen += signal;
                const std::vector<SkyEntry> entries = Entries(set);
                if (seen.size() == 1) {
                    first.insert(entries.begin(), entries.end());
                    continue;
                }
                missing += int(first.size() - entries.size());
                for (const auto& [key, values] : entries) {
                    const auto found = first.find(key);
                    QVERIFY2(found != first.end(), key.c_str());
                    QVERIFY2(values[0] == found->second[0] && values[1] == found->second[1], key.c_str());
                    QVERIFY2(values[2].empty() || !found->second[2].empty(), key.c_str());
                    const int number = std::stoi(key.substr(2));
                    QVERIFY2(signal != "B" || number <= 18, key.c_str());
                    QVERIFY2(signal != "5" || number >= 19, key.c_str());
                    QVERIFY2(talker != "GP" || number <= 32, key.c_str());
                    lostOnTheBand += values[2].empty() && !found->second[2].empty();
                    trackedOnTheBand += !values[2].empty();
                }
            }
            QCOMPARE(QString::fromStdString(seen), signalIds);
        }
        QVERIFY(trackedOnTheBand > 300);
        QCOMPARE(missing == 0, allSend);
        QVERIFY(!bandLost || lostOnTheBand > 0);
    }

    // 4.11 GSA: the satellites used of one constellation, packed at the
    // front, each tracked on the constellation's first signal; one set of
    // DOPs for the one solution. GGA and GNS count all of them, not only
    // twelve, and repeat the HDOP; GNS has "A" for a constellation with
    // satellites used and "N" for one without.
    void gsaPerConstellationMatchesTheSky()
    {
        const std::string talkers = "GPGLGAGBGQ";
        for (const Epoch& epoch : Epochs411()) {
            std::set<std::string> tracked;  // talker and number, on the first signal
            for (const std::vector<Fields>& set : GsvSets(epoch))
                if (set.front().back() == FirstSignal(set.front()[0].substr(0, 2)))
                    for (const auto& [key, values] : Entries(set))
                        if (!values[2].empty())
                            tracked.insert(key);
            const Fields& gps = GsaOf(epoch, "1");
            std::string modes;
            size_t used = 0;
            for (int id = 1; id <= 5; ++id) {
                const Fields& f = GsaOf(epoch, std::to_string(id));
                QCOMPARE(f[0], std::string("GNGSA"));
                const std::string talker = talkers.substr(size_t(id - 1) * 2, 2);
                for (size_t i = 3; i < 15; ++i) {
                    QVERIFY(!f[i].empty() || i == 14 || f[i + 1].empty());
                    QVERIFY2(f[i].empty() || tracked.contains(talker + f[i]), (talker + f[i]).c_str());
                }
                used += UsedNumbers(f).size();
                modes += UsedNumbers(f).empty() ? 'N' : 'A';
                QVERIFY(Fields(f.begin() + 15, f.begin() + 18) == Fields(gps.begin() + 15, gps.begin() + 18));
            }
            const Fields &gga = Find(epoch, "GNGGA"), &gns = Find(epoch, "GNGNS");
            QVERIFY(used > 12);
            QCOMPARE(size_t(std::stoi(gga[7])), used);
            QCOMPARE(size_t(std::stoi(gns[7])), used);
            QCOMPARE(gns[6], modes);
            QVERIFY(gga[8] == gps[16] && gns[8] == gps[16]);
            QVERIFY(Fields(gns.begin() + 1, gns.begin() + 6) == Fields(gga.begin() + 1, gga.begin() + 6));
            QVERIFY(gns[9] == gga[9] && gns[10] == gga[11]);
        }
    }

    // Numbers are shared between constellations: the same number is used
    // by two of them in the same epoch, and stands for two satellites at
    // different places in the sky.
    void numbersSharedBetweenConstellations_data()
    {
        QTest::addColumn<QString>("first");  // system ID and talker
        QTest::addColumn<QString>("second");
        QTest::newRow("GPS and BeiDou") << QString("1GP") << QString("4GB");
        QTest::newRow("Galileo and BeiDou") << QString("3GA") << QString("4GB");
        QTest::newRow("GPS and Galileo") << QString("1GP") << QString("3GA");
    }
    void numbersSharedBetweenConstellations()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        const std::string a = first.toStdString(), b = second.toStdString();
        int sharing = 0;
        for (const Epoch& epoch : Epochs411()) {
            std::map<std::string, std::vector<std::string>> sky;
            for (const std::vector<Fields>& set : GsvSets(epoch))
                for (const auto& [key, values] : Entries(set))
                    sky.try_emplace(key, values);
            std::set<std::string> both;
            const std::set<std::string> usedA = UsedNumbers(GsaOf(epoch, a.substr(0, 1)));
            for (const std::string& n : UsedNumbers(GsaOf(epoch, b.substr(0, 1))))
                if (usedA.contains(n))
                    both.insert(n);
            sharing += !both.empty();
            for (const std::string& n : both) {
                const auto &one = sky[a.substr(1) + n], &other = sky[b.substr(1) + n];
                QVERIFY2(!one.empty() && !other.empty(), n.c_str());
                QVERIFY2(one[0] != other[0] || one[1] != other[1], n.c_str());
            }
        }
        QVERIFY2(sharing >= 150, qPrintable(QString::number(sharing)));
    }

    // QZSS under its own talker, numbered 1-10: two or three satellites in
    // view, at least one used; no GPS set lists a number above 64 (SBAS).
    void qzssHasItsOwnTalker()
    {
        for (const Epoch& epoch : Epochs411()) {
            bool qzss = false;
            for (const std::vector<Fields>& set : GsvSets(epoch)) {
                const std::string& talker = set.front()[0];
                if (talker == "GQGSV") {
                    qzss = true;
                    QVERIFY(set.front()[3] == "02" || set.front()[3] == "03");
                }
                for (const auto& [key, values] : Entries(set)) {
                    const int number = std::stoi(key.substr(2));
                    if (talker == "GQGSV")
                        QVERIFY2(number >= 1 && number <= 10, key.c_str());
                    if (talker == "GPGSV")
                        QVERIFY2(number >= 1 && number <= 64, key.c_str());
                }
            }
            QVERIFY(qzss);
            QVERIFY(!UsedNumbers(GsaOf(epoch, "5")).empty());
        }
    }

    // The 4.11 output of a seed is the drive of its 4.0 output: the same
    // position, speed, course and time; the GPS, GLONASS, Galileo and QZSS
    // satellites at the same places with the same signals on the first
    // band (QZSS 193-202 written as 1-10).
    void bothOutputsDescribeTheSameDrive()
    {
        QCOMPARE(Epochs411().size(), Epochs().size());
        for (size_t k = 0; k < Epochs().size(); ++k) {
            const Epoch &old = Epochs()[k], &now = Epochs411()[k];
            Fields rmc = Find(old, "GNRMC");
            rmc.push_back("V");
            QVERIFY(
                Fields(rmc.begin() + 1, rmc.end()) == Fields(Find(now, "GNRMC").begin() + 1, Find(now, "GNRMC").end()));
            QVERIFY(Fields(Find(old, "GPVTG").begin() + 1, Find(old, "GPVTG").end()) ==
                    Fields(Find(now, "GNVTG").begin() + 1, Find(now, "GNVTG").end()));
            QVERIFY(Fields(Find(old, "GPZDA").begin() + 1, Find(old, "GPZDA").end()) ==
                    Fields(Find(now, "GNZDA").begin() + 1, Find(now, "GNZDA").end()));
            const Fields &oldGga = Find(old, "GNGGA"), &newGga = Find(now, "GNGGA");
            QVERIFY(Fields(oldGga.begin() + 1, oldGga.begin() + 7) == Fields(newGga.begin() + 1, newGga.begin() + 7));
            QVERIFY(Fields(oldGga.begin() + 9, oldGga.end()) == Fields(newGga.begin() + 9, newGga.end()));

            std::map<std::string, std::vector<std::string>> oldSky, newSky;
            for (const Fields& f : old)
                if (f[0].ends_with("GSV"))
                    for (size_t g = 4; g + 3 < f.size(); g += 4) {
                        const int number = std::stoi(f[g]);
                        const std::string key = number > 192
                                                    ? "GQ" + QString::asprintf("%02d", number - 192).toStdString()
                                                    : f[0].substr(0, 2) + f[g];
                        oldSky[key] = {f[g + 1], f[g + 2], f[g + 3]};
                    }
            for (const std::vector<Fields>& set : GsvSets(now))
                if (set.front()[0] != "GBGSV" && set.front().back() == FirstSignal(set.front()[0].substr(0, 2)))
                    for (const auto& [key, values] : Entries(set))
                        newSky[key] = values;
            QVERIFY(oldSky == newSky);
        }
    }

    // GST: the error ellipse and the errors of latitude and longitude
    // describe one horizontal error, turned as the orientation says; the
    // horizontal and vertical errors are one range error times HDOP and
    // VDOP; the residuals are below the range error.
    void gstDescribesOneError()
    {
        for (const Epoch& epoch : Epochs411()) {
            const Fields& gst = Find(epoch, "GNGST");
            const Fields& gsa = GsaOf(epoch, "1");
            QCOMPARE(gst[1], Find(epoch, "GNRMC")[1]);
            const double rms = std::stod(gst[2]), major = std::stod(gst[3]), minor = std::stod(gst[4]);
            const double angle = std::stod(gst[5]) * std::numbers::pi / 180.0;
            const double lat = std::stod(gst[6]), lon = std::stod(gst[7]), alt = std::stod(gst[8]);
            const double hdop = std::stod(gsa[16]), vdop = std::stod(gsa[17]);
            QVERIFY(minor > 0.0 && minor <= major && major < 10.0);
            QVERIFY(lat >= minor - 0.01 && lat <= major + 0.01 && lon >= minor - 0.01 && lon <= major + 0.01);
            const double north =
                major * major * std::cos(angle) * std::cos(angle) + minor * minor * std::sin(angle) * std::sin(angle);
            const double east =
                major * major * std::sin(angle) * std::sin(angle) + minor * minor * std::cos(angle) * std::cos(angle);
            QVERIFY2(std::fabs(north - lat * lat) < 0.02 + 0.03 * lat * lat, gst[1].c_str());
            QVERIFY2(std::fabs(east - lon * lon) < 0.02 + 0.03 * lon * lon, gst[1].c_str());
            const double horizontal = std::hypot(lat, lon) / hdop, vertical = alt / vdop;
            QVERIFY2(std::fabs(horizontal - vertical) < 0.02 + 0.06 * vertical, gst[1].c_str());
            QVERIFY(rms > 0.0 && rms <= vertical + 0.02);
        }
    }

    // A standing receiver at RATE Hz: its epochs 1/RATE s apart in
    // hundredths, across whole seconds.
    void rateOfAStandingReceiver_data()
    {
        QTest::addColumn<int>("rate");
        QTest::newRow("1 Hz") << 1;
        QTest::newRow("10 Hz") << 10;
        QTest::newRow("20 Hz") << 20;
    }
    void rateOfAStandingReceiver()
    {
        QFETCH(int, rate);
        QProcess command;
        command.start(ORVANE_LOGGEN, {"--static", "--noise", "1,1,1", "--rate", QString::number(rate), "--seconds",
                                         QString::number(3 * rate + 1)});
        QVERIFY(command.waitForFinished(20000));
        QCOMPARE(command.exitCode(), 0);
        const std::vector<Epoch> epochs = SplitEpochs(command.readAllStandardOutput().toStdString(), "GPRMC");
        QCOMPARE(epochs.size(), size_t(3 * rate + 1));
        for (size_t k = 0; k < epochs.size(); ++k) {
            const int hundredths = int(k) * (100 / rate);
            const std::string time = QString("2358%1.%2")
                                         .arg(hundredths / 100, 2, 10, QChar('0'))
                                         .arg(hundredths % 100, 2, 10, QChar('0'))
                                         .toStdString();
            QCOMPARE(Find(epochs[k], "GPRMC")[1], time);
            QCOMPARE(Find(epochs[k], "GPGGA")[1], time);
        }
    }

    // The command writes what the generator gives; --bytes N stops after
    // the fewest whole epochs that make at least N bytes.
    void commandWritesTheGeneratorsEpochs_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("expected");
        std::vector<qsizetype> ends;
        const QByteArray text = QByteArray::fromStdString(Generate(kDefaultSeed, 3000, NmeaVersion::V4_0, &ends));
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
        QTest::newRow("--nmea 4.0") << QStringList{"--nmea", "4.0"} << text.left(ends[299]);
        QTest::newRow("--nmea=4.11, --seconds, --seed")
            << QStringList{"--nmea=4.11", "--seconds", "4", "--seed", "5"}
            << QByteArray::fromStdString(Generate(5, 4, NmeaVersion::V4_11));
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

    // --nmea takes the two versions the generator writes, once, and --rate
    // the divisors of 100 for a standing receiver; anything else is a usage
    // error with nothing written.
    void commandRefusesOtherVersions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("4.1") << QStringList{"--nmea", "4.1"} << "--nmea takes 4.0 or 4.11, got '4.1'";
        QTest::newRow("4.10") << QStringList{"--nmea=4.10"} << "--nmea takes 4.0 or 4.11, got '4.10'";
        QTest::newRow("empty") << QStringList{"--nmea="} << "--nmea takes 4.0 or 4.11, got ''";
        QTest::newRow("no value") << QStringList{"--nmea"} << "--nmea needs a value";
        QTest::newRow("twice") << QStringList{"--nmea", "4.11", "--nmea=4.11"} << "--nmea given twice";
        const QString rates = "--rate needs epochs per second that divide 100 (1, 2, 4, 5, 10, 20, 25, 50, 100)";
        QTest::newRow("rate 3") << QStringList{"--static", "--rate", "3"} << rates;
        QTest::newRow("rate 0") << QStringList{"--static", "--rate=0"} << "--rate must be at least 1";
        QTest::newRow("rate of a drive") << QStringList{"--rate", "10"} << "--bias, --noise and --rate need --static";
    }
    void commandRefusesOtherVersions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QProcess command;
        command.start(ORVANE_LOGGEN, arguments);
        QVERIFY(command.waitForFinished(20000));
        QCOMPARE(command.exitStatus(), QProcess::NormalExit);
        QCOMPARE(command.exitCode(), 2);
        QCOMPARE(command.readAllStandardOutput(), QByteArray());
        QCOMPARE(QString::fromUtf8(command.readAllStandardError()), "orvane-loggen: " + message + " (try --help)\n");
    }
};

QTEST_GUILESS_MAIN(TestLoggen)
#include "tst_loggen.moc"
