#include "Generator.h"

#include "Calendar.h"
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
// Constants of the simulated world
// ---------------------------------------------------------------------------

// Starting point: in front of Seoul Station, facing south on Hangang-daero.
constexpr double kStartLat = 37.5554652;
constexpr double kStartLon = 126.9715542;
constexpr double kStartHeading = 172.0;

constexpr double kKnotsPerMs = 3600.0 / 1852.0;
constexpr double kKmhPerMs = 3.6;
constexpr double kMaxSpeed = 79.4 / kKmhPerMs; // the driver never exceeds 80 km/h

constexpr int kSubSteps = 10; // vehicle integration steps per epoch

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
    const std::uint8_t sum = nmeaChecksum(std::string_view(out).substr(start + 1));
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '*';
    out += kHex[sum >> 4];
    out += kHex[sum & 0x0F];
    out += "\r\n";
}


} // namespace

std::uint8_t nmeaChecksum(std::string_view body)
{
    std::uint8_t sum = 0;
    for (char c : body)
        sum ^= std::uint8_t(c);
    return sum;
}

void appendSentence(std::string& out, std::string_view body)
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

    void appendEpoch(std::string& out);

    // Vehicle
    void planRoad();
    void stepVehicle(double dt);
    void advanceOneSecond();

    // Separate streams, so the route does not change when the sky does.
    Rng rng;       // driving
    Rng signalRng; // receiver noise and signal fading
    std::uint64_t epoch = 0;

    // Local metric frame around the start point.
    double metresPerDegLat = 0.0;
    double metresPerDegLon = 0.0;

    // --- vehicle state ---
    double north = 0.0, east = 0.0; // m from the start point
    double speed = 0.0;             // m/s
    double accel = 0.0;             // m/s^2
    double heading = kStartHeading; // deg true
    double yawRate = 0.0;           // deg/s
    double roadHeading = kStartHeading;
    double curvature = 0.0;         // deg of road bend per metre
    double remaining = 0.0;         // m to the end of the current road
    double cruise = 0.0;            // m/s the driver aims for on this road
    double wobble = 0.0;            // m/s of driver speed variation
    enum class RoadEnd { Light, Turn, Through } roadEnd = RoadEnd::Through;
    double endTurn = 0.0;           // deg, applied at the end of the road
    double endSpeed = 0.0;          // m/s to take the corner at
    double cornerSpeed = 5.0;       // m/s while finishing the current corner
    double lightWait = 0.0;         // s to stand at the light at the end
    double hold = 0.0;              // s left standing still
    int urban = 1;                  // 0 open, 1 mid-rise, 2 dense street canyon

    // --- receiver output state ---
    double noiseNorth = 0.0, noiseEast = 0.0, noiseUp = 0.0; // m
    double reportedCourse = kStartHeading;

    Sky sky;
};

Generator::Impl::Impl(std::uint64_t seed)
    : rng(seed)
    , signalRng(seed ^ 0x5DEECE66DULL)
{
    const double sl = std::sin(kStartLat * kDeg);
    const double w = std::sqrt(1.0 - kWgsE2 * sl * sl);
    const double meridian = kWgsA * (1.0 - kWgsE2) / (w * w * w);
    const double prime = kWgsA / w;
    metresPerDegLat = meridian * kDeg;
    metresPerDegLon = prime * std::cos(kStartLat * kDeg) * kDeg;

    // The car waits at the kerb for a few seconds, then sets off south on a
    // main road.
    hold = 6.0 + rng.Uniform() * 6.0;
    planRoad();
    cruise = rng.Uniform(62.0, 78.0) / kKmhPerMs;
    remaining = rng.Uniform(700.0, 1100.0);
    curvature = 0.0;
    urban = 1;
}

void Generator::Impl::planRoad()
{
    const bool arterial = rng.Uniform() < 0.6;
    double length;
    if (arterial) {
        cruise = rng.Uniform(50.0, 80.0) / kKmhPerMs;
        length = rng.Uniform(350.0, 1300.0);
        const double u = rng.Uniform();
        urban = u < 0.3 ? 0 : (u < 0.75 ? 1 : 2);
    } else {
        cruise = rng.Uniform(24.0, 42.0) / kKmhPerMs;
        length = rng.Uniform(120.0, 420.0);
        urban = rng.Uniform() < 0.6 ? 2 : 1;
    }
    remaining = length;
    curvature = rng.Uniform() < 0.3 ? rng.Uniform(-0.05, 0.05) : rng.Uniform(-0.004, 0.004);

    const double r = rng.Uniform();
    if (r < 0.38) {
        roadEnd = RoadEnd::Light;
        lightWait = rng.Uniform(8.0, 55.0);
        const double q = rng.Uniform();
        endTurn = q < 0.5 ? 0.0 : (q < 0.75 ? 90.0 : -90.0);
    } else if (r < 0.72) {
        roadEnd = RoadEnd::Turn;
        const double q = rng.Uniform();
        endTurn = q < 0.4 ? 90.0 : (q < 0.8 ? -90.0 : (q < 0.9 ? 45.0 : -45.0));
    } else {
        roadEnd = RoadEnd::Through;
        endTurn = 0.0;
    }

    // Far from the start, junctions tend to lead back towards it, so long
    // runs stay in the city instead of wandering off.
    const double distance = std::hypot(north, east);
    if (distance > 4000.0 && roadEnd != RoadEnd::Through && rng.Uniform() < 0.8) {
        const double home = std::atan2(-east, -north) / kDeg;
        const double atEnd = roadHeading + curvature * length;
        double best = 0.0, bestErr = 1e9;
        for (double c : {0.0, 90.0, -90.0}) {
            const double err = std::fabs(Wrap180(atEnd + c - home));
            if (err < bestErr) {
                bestErr = err;
                best = c;
            }
        }
        endTurn = best;
    }
    endSpeed = std::fabs(endTurn) > 60.0 ? rng.Uniform(4.2, 6.0)
                                         : (endTurn != 0.0 ? rng.Uniform(7.0, 10.0) : 1e9);
}

void Generator::Impl::stepVehicle(double dt)
{
    if (hold > 0.0) {
        speed = accel = yawRate = 0.0;
        hold -= dt;
        if (hold < 0.0)
            hold = 0.0;
        return;
    }

    const double headingError = Wrap180(roadHeading - heading);
    double target = std::min(cruise + wobble, kMaxSpeed);
    if (std::fabs(headingError) > 15.0)
        target = std::min(target, cornerSpeed); // finish the corner first
    if (roadEnd == RoadEnd::Light)
        target = std::min(target, std::sqrt(2.0 * 1.5 * std::max(remaining - 1.0, 0.0)));
    else if (roadEnd == RoadEnd::Turn)
        target = std::min(target, std::sqrt(endSpeed * endSpeed + 2.0 * 1.5 * std::max(remaining, 0.0)));

    const double maxAccel = 2.1 - 0.045 * speed;
    const double command = std::clamp((target - speed) / 0.9, -3.5, maxAccel);
    accel += (command - accel) * std::min(1.0, dt / 0.5);
    speed += accel * dt;
    if (speed <= 0.0) {
        speed = 0.0;
        accel = std::max(accel, 0.0);
    }

    // A car cannot turn on the spot, and at speed the turn rate is bounded
    // by a comfortable lateral acceleration.
    const double maxRate = speed < 0.2 ? 0.0 : std::min(24.0, 3.0 / speed / kDeg);
    const double rateCommand = std::clamp(headingError * 1.5, -maxRate, maxRate);
    yawRate += (rateCommand - yawRate) * std::min(1.0, dt / 0.4);
    if (speed < 0.2)
        yawRate = 0.0;
    heading = Wrap360(heading + yawRate * dt);

    const double ds = speed * dt;
    north += ds * std::cos(heading * kDeg);
    east += ds * std::sin(heading * kDeg);
    roadHeading = Wrap360(roadHeading + curvature * ds);
    remaining -= ds;

    if (roadEnd == RoadEnd::Light) {
        if (remaining < 4.0 && speed < 0.25) {
            speed = accel = yawRate = 0.0;
            hold = lightWait;
            roadHeading = Wrap360(roadHeading + endTurn);
            cornerSpeed = 5.0;
            planRoad();
        }
    } else if (remaining <= 0.0) {
        roadHeading = Wrap360(roadHeading + endTurn);
        cornerSpeed = std::min(endSpeed, 10.0);
        planRoad();
    }
}

void Generator::Impl::advanceOneSecond()
{
    wobble = 0.9 * wobble + 0.35 * rng.Gauss();
    for (int i = 0; i < kSubSteps; ++i)
        stepVehicle(1.0 / kSubSteps);

    // Position error of the receiver: a slow random walk that holds still
    // while the car stands (static hold).
    if (speed > 0.3) {
        noiseNorth = 0.97 * noiseNorth + 0.12 * signalRng.Gauss();
        noiseEast = 0.97 * noiseEast + 0.12 * signalRng.Gauss();
        noiseUp = 0.95 * noiseUp + 0.10 * signalRng.Gauss();
    }
    ++epoch;
}


void Generator::Impl::appendEpoch(std::string& out)
{
    // --- time ---
    const EpochTime time = TimeOfEpoch(epoch);
    const CivilDate& date = time.date;
    const int hh = time.hour, mm = time.minute, ss = time.second;
    const double unixTime = time.unixTime;

    // --- solution ---
    const double lat = kStartLat + (north + noiseNorth) / metresPerDegLat;
    const double lon = kStartLon + (east + noiseEast) / metresPerDegLon;
    const double terrain = 27.0 + 8.0 * std::sin(east / 1900.0 + 0.4) * std::cos(north / 2600.0) +
                           4.0 * std::sin(north / 700.0 - east / 900.0);
    const double altitude = std::max(terrain, 8.0) + 1.4 + noiseUp; // antenna on the roof
    const double separation = 23.62 - north * 2e-5 + east * 1e-5;

    sky.Update(unixTime, GeodeticToEcef(lat, lon, altitude + separation), lat, lon,
               Street{heading, urban, speed > 0.3}, epoch, signalRng);
    const int usedCount = sky.UsedCount();
    const double pdop = sky.Dilution().pdop, hdop = sky.Dilution().hdop, vdop = sky.Dilution().vdop;
    const auto& used = sky.Used();
    const auto& inView = sky.InView();

    // Speed over ground with the receiver's Doppler noise; standing still the
    // filter reports a few millimetres per second.
    double sog;
    if (speed > 0.3)
        sog = std::max(0.0, speed + 0.03 * signalRng.Gauss());
    else
        sog = std::fabs(0.004 * signalRng.Gauss());
    // Course over ground is frozen below walking pace, like a real receiver.
    if (sog > 0.3)
        reportedCourse = Wrap360(heading + (0.15 + 0.4 / sog) * signalRng.Gauss());
    double course = reportedCourse;
    if (std::llround(course * 100.0) >= 36000)
        course = 0.0;

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

    advanceOneSecond();
}

Generator::Generator(std::uint64_t seed)
    : impl_(std::make_unique<Impl>(seed))
{
}

Generator::~Generator() = default;

void Generator::appendEpoch(std::string& out) { impl_->appendEpoch(out); }

std::uint64_t Generator::epochCount() const { return impl_->epoch; }

} // namespace orvane::loggen
