#include "Generator.h"

#include "Calendar.h"
#include "Drive.h"
#include "Fix.h"
#include "Receiver.h"
#include "Earth.h"
#include "Random.h"
#include "Sky.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace orvane::loggen {

namespace {

// ---------------------------------------------------------------------------
// Number formatting. Everything is integer arithmetic on rounded values, so
// the output never depends on the C locale.
// ---------------------------------------------------------------------------

constexpr std::int64_t kPow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

void putUInt(std::string& out, std::uint64_t v, int width)
{
    char digits[20];
    int n = 0;
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    for (int i = n; i < width; ++i)
        out += '0';
    while (n > 0)
        out += digits[--n];
}

// Fixed-point decimal with `decimals` digits after the point and the integer
// part zero-padded to `intWidth` digits.
void putFixed(std::string& out, double v, int decimals, int intWidth = 1)
{
    const std::int64_t scale = kPow10[decimals];
    std::int64_t scaled = std::llround(std::fabs(v) * double(scale));
    if (v < 0.0 && scaled != 0)
        out += '-';
    putUInt(out, std::uint64_t(scaled / scale), intWidth);
    if (decimals > 0) {
        out += '.';
        putUInt(out, std::uint64_t(scaled % scale), decimals);
    }
}

// Unsigned degrees as d..dmm.mmmmm (minutes with five decimals).
void putDegMin(std::string& out, double deg, int degWidth)
{
    const std::int64_t total = std::llround(deg * 60.0 * 100000.0);
    putUInt(out, std::uint64_t(total / 6000000), degWidth);
    const std::int64_t minutes = total % 6000000;
    putUInt(out, std::uint64_t(minutes / 100000), 2);
    out += '.';
    putUInt(out, std::uint64_t(minutes % 100000), 5);
}

// A sentence is built in place: begin() writes "$" and the address, fields
// are appended with a leading comma, finish() closes it with the checksum.
std::size_t begin(std::string& out, const char* address)
{
    const std::size_t start = out.size();
    out += '$';
    out += address;
    return start;
}

void finish(std::string& out, std::size_t start)
{
    const std::uint8_t sum = NmeaChecksum(std::string_view(out).substr(start + 1));
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '*';
    out += kHex[sum >> 4];
    out += kHex[sum & 0x0F];
    out += "\r\n";
}


} // namespace

std::uint8_t NmeaChecksum(std::string_view body)
{
    std::uint8_t sum = 0;
    for (char c : body)
        sum ^= std::uint8_t(c);
    return sum;
}

void AppendSentence(std::string& out, std::string_view body)
{
    const std::size_t start = out.size();
    out += '$';
    out += body;
    finish(out, start);
}

// ---------------------------------------------------------------------------
// The simulation
// ---------------------------------------------------------------------------

struct Generator::Impl {
    explicit Impl(std::uint64_t seed);

    void AppendEpoch(std::string& out);

    // Separate streams, so the route does not change when the sky does.
    Drive drive;    // draws for the driving
    Rng signalRng;  // receiver noise and signal fading
    Receiver receiver;
    Sky sky;
    std::uint64_t epoch = 0;
};

Generator::Impl::Impl(std::uint64_t seed)
    : drive(seed)
    , signalRng(seed ^ 0x5DEECE66DULL)
{
}

void Generator::Impl::AppendEpoch(std::string& out)
{
    // --- time ---
    const EpochTime time = TimeOfEpoch(epoch);
    const CivilDate& date = time.date;
    const int hh = time.hour, mm = time.minute, ss = time.second;
    const double unixTime = time.unixTime;

    // --- solution ---
    Fix fix;
    fix.time = time;
    receiver.Locate(drive, fix);
    const double lat = fix.latitude, lon = fix.longitude;
    const double altitude = fix.altitude, separation = fix.separation;
    sky.Update(unixTime, GeodeticToEcef(lat, lon, altitude + separation), lat, lon,
               Street{drive.Heading(), drive.Urban(), drive.Speed() > 0.3}, epoch, signalRng);
    const int usedCount = sky.UsedCount();
    const double pdop = sky.Dilution().pdop, hdop = sky.Dilution().hdop, vdop = sky.Dilution().vdop;
    const auto& used = sky.Used();
    const auto& inView = sky.InView();
    receiver.ReportMotion(drive, signalRng, fix);
    const double sog = fix.speed, course = fix.course;

    const double latAbs = std::fabs(lat), lonAbs = std::fabs(lon);
    const char latHemi = lat >= 0.0 ? 'N' : 'S';
    const char lonHemi = lon >= 0.0 ? 'E' : 'W';

    auto putTime = [&](std::string& o) {
        putUInt(o, std::uint64_t(hh), 2);
        putUInt(o, std::uint64_t(mm), 2);
        putUInt(o, std::uint64_t(ss), 2);
        o += ".00";
    };
    auto putPosition = [&](std::string& o) {
        putDegMin(o, latAbs, 2);
        o += ',';
        o += latHemi;
        o += ',';
        putDegMin(o, lonAbs, 3);
        o += ',';
        o += lonHemi;
    };
    auto putRmc = [&](std::string& o, const char* address) {
        const std::size_t st = begin(o, address);
        o += ',';
        putTime(o);
        o += ",A,";
        putPosition(o);
        o += ',';
        putFixed(o, sog * kKnotsPerMs, 3);
        o += ',';
        putFixed(o, course, 2);
        o += ',';
        putUInt(o, std::uint64_t(date.day), 2);
        putUInt(o, std::uint64_t(date.month), 2);
        putUInt(o, std::uint64_t(date.year % 100), 2);
        o += ",,,A";
        finish(o, st);
    };
    auto putGga = [&](std::string& o, const char* address) {
        const std::size_t st = begin(o, address);
        o += ',';
        putTime(o);
        o += ',';
        putPosition(o);
        o += ",1,";
        putUInt(o, std::uint64_t(std::min(usedCount, 99)), 2);
        o += ',';
        putFixed(o, hdop, 2);
        o += ',';
        putFixed(o, altitude, 1);
        o += ",M,";
        putFixed(o, separation, 1);
        o += ",M,,";
        finish(o, st);
    };

    putRmc(out, "GPRMC");

    {
        const std::size_t st = begin(out, "GPVTG");
        out += ',';
        putFixed(out, course, 2, 3);
        out += ",T,,M,";
        putFixed(out, sog * kKnotsPerMs, 2, 3);
        out += ",N,";
        putFixed(out, sog * kKmhPerMs, 2, 3);
        out += ",K,A";
        finish(out, st);
    }

    putGga(out, "GPGGA");

    static constexpr const char* kGsaAddress[kGroupCount] = {"GPGSA", "GLGSA", "GAGSA"};
    for (int g = 0; g < kGroupCount; ++g) {
        const std::size_t st = begin(out, kGsaAddress[g]);
        out += ",A,3";
        for (std::size_t i = 0; i < 12; ++i) {
            out += ',';
            if (i < used[g].size())
                putUInt(out, std::uint64_t(used[g][i]->prn), 2);
        }
        out += ',';
        putFixed(out, pdop, 2);
        out += ',';
        putFixed(out, hdop, 2);
        out += ',';
        putFixed(out, vdop, 2);
        finish(out, st);
    }

    static constexpr const char* kGsvAddress[kGroupCount] = {"GPGSV", "GLGSV", "GAGSV"};
    for (int g = 0; g < kGroupCount; ++g) {
        const auto& list = inView[g];
        const std::size_t count = list.size();
        const std::size_t sentences = count == 0 ? 1 : (count + 3) / 4;
        for (std::size_t k = 0; k < sentences; ++k) {
            const std::size_t st = begin(out, kGsvAddress[g]);
            out += ',';
            putUInt(out, sentences, 1);
            out += ',';
            putUInt(out, k + 1, 1);
            out += ',';
            putUInt(out, count, 2);
            for (std::size_t i = k * 4; i < std::min(count, k * 4 + 4); ++i) {
                const Satellite& s = *list[i];
                out += ',';
                putUInt(out, std::uint64_t(s.prn), 2);
                out += ',';
                putUInt(out, std::uint64_t(std::lround(std::min(s.elevation, 90.0))), 2);
                out += ',';
                putUInt(out, std::uint64_t(std::lround(s.azimuth)) % 360, 3);
                out += ',';
                if (s.tracked)
                    putUInt(out, std::uint64_t(s.snr), 2);
            }
            finish(out, st);
        }
    }

    {
        const std::size_t st = begin(out, "GPGLL");
        out += ',';
        putPosition(out);
        out += ',';
        putTime(out);
        out += ",A,A";
        finish(out, st);
    }

    {
        const std::size_t st = begin(out, "GPZDA");
        out += ',';
        putTime(out);
        out += ',';
        putUInt(out, std::uint64_t(date.day), 2);
        out += ',';
        putUInt(out, std::uint64_t(date.month), 2);
        out += ',';
        putUInt(out, std::uint64_t(date.year), 4);
        out += ",00,00";
        finish(out, st);
    }

    putRmc(out, "GNRMC");
    putGga(out, "GNGGA");

    drive.AdvanceOneSecond();
    receiver.AdvanceError(drive, signalRng);
    ++epoch;
}

Generator::Generator(std::uint64_t seed)
    : m_Impl(std::make_unique<Impl>(seed))
{
}

Generator::~Generator() = default;

void Generator::AppendEpoch(std::string& out) { m_Impl->AppendEpoch(out); }

std::uint64_t Generator::EpochCount() const { return m_Impl->epoch; }

} // namespace orvane::loggen
