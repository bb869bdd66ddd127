#include "Generator.h"

#include "Calendar.h"
#include "Earth.h"
#include "Random.h"

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

enum class System { Gps, Qzss, Sbas, Glonass, Galileo };

// Which GSV/GSA group (talker) a satellite is reported under.
enum Group { kGroupGp = 0, kGroupGl = 1, kGroupGa = 2, kGroupCount = 3 };

// Circular orbit described in the Earth-fixed frame at t = 0. Geostationary
// satellites are the special case of zero inclination and a period of one
// sidereal day, so their Earth-fixed longitude is raan0 + u0.
struct Satellite {
    System system;
    int prn;          // number as written in GSV/GSA
    Group group;
    double radius;    // m
    double cosI, sinI;
    double raan0;     // rad, node longitude in the Earth-fixed frame at t = 0
    double u0;        // rad, argument of latitude at t = 0
    double meanMotion; // rad/s
    double gainDb;    // fixed antenna/satellite power offset

    // Per-epoch results and tracking state.
    double elevation = -90.0; // deg
    double azimuth = 0.0;     // deg
    double fadeDb = 0.0;      // slowly varying fading
    int lockWait = 0;         // epochs until the signal is tracked again
    int trackedFor = 30;      // epochs of continuous tracking
    bool tracked = false;
    int snr = 0;
};

Satellite makeOrbit(System system, int prn, Group group, double radius, double inclDeg, double periodS,
                    double raanDeg, double u0Deg)
{
    Satellite s{};
    s.system = system;
    s.prn = prn;
    s.group = group;
    s.radius = radius;
    s.cosI = std::cos(inclDeg * kDeg);
    s.sinI = std::sin(inclDeg * kDeg);
    s.raan0 = raanDeg * kDeg;
    s.u0 = u0Deg * kDeg;
    s.meanMotion = 2.0 * kPi / periodS;
    s.gainDb = (FixedFraction(std::uint64_t(prn) * 7 + std::uint64_t(system)) - 0.5) * 5.0;
    return s;
}

std::vector<Satellite> buildConstellations()
{
    std::vector<Satellite> sats;
    constexpr double kGeoRadius = 42164.2e3;
    constexpr double kSiderealDay = 2.0 * kPi / kEarthRate;

    // GPS: six planes at 55 degrees, 31 satellites, half a sidereal day.
    {
        int k = 0;
        for (int prn = 1; prn <= 32; ++prn) {
            if (prn == 22)
                continue;
            const int plane = k % 6, slot = k / 6;
            const double spacing = plane == 0 ? 60.0 : 72.0;
            const double jitter = (FixedFraction(std::uint64_t(prn) + 100) - 0.5) * 20.0;
            sats.push_back(makeOrbit(System::Gps, prn, kGroupGp, 26559.7e3, 55.0, kSiderealDay / 2.0,
                                     17.0 + 60.0 * plane, slot * spacing + plane * 43.0 + jitter));
            ++k;
        }
    }
    // QZSS: two inclined geosynchronous satellites on a figure-eight ground
    // track centred near 139 E, and one geostationary at 127 E.
    {
        const int prns[] = {194, 195};
        for (int i = 0; i < 2; ++i) {
            const double u0 = 150.0 * i + 35.0;
            sats.push_back(makeOrbit(System::Qzss, prns[i], kGroupGp, kGeoRadius, 41.0, kSiderealDay,
                                     139.0 - u0, u0));
        }
        sats.push_back(makeOrbit(System::Qzss, 199, kGroupGp, kGeoRadius, 0.0, kSiderealDay, 127.0, 0.0));
    }
    // SBAS: KASS (PRN 134, written as 47) on its geostationary slot at 91.5 E.
    sats.push_back(makeOrbit(System::Sbas, 47, kGroupGp, kGeoRadius, 0.0, kSiderealDay, 91.5, 0.0));

    // GLONASS: three planes of eight slots at 64.8 degrees; slot n is PRN 64+n.
    for (int n = 1; n <= 24; ++n) {
        const int plane = (n - 1) / 8, slot = (n - 1) % 8;
        const double jitter = (FixedFraction(std::uint64_t(n) + 200) - 0.5) * 4.0;
        sats.push_back(makeOrbit(System::Glonass, 64 + n, kGroupGl, 25508.2e3, 64.8, 40544.0,
                                 61.0 + 120.0 * plane, 45.0 * slot + 15.0 * plane + jitter));
    }
    // Galileo: three planes at 56 degrees.
    {
        const int prns[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 19, 21, 23, 24, 25, 26, 27, 29, 30, 31, 33, 34, 36};
        int k = 0;
        for (int prn : prns) {
            const int plane = k % 3, slot = k / 3;
            const double jitter = (FixedFraction(std::uint64_t(prn) + 300) - 0.5) * 8.0;
            sats.push_back(makeOrbit(System::Galileo, prn, kGroupGa, 29599.8e3, 56.0, 50680.7,
                                     144.0 + 120.0 * plane, 40.0 * slot + 13.3 * plane + jitter));
            ++k;
        }
    }
    return sats;
}

// Symmetric positive definite inverse by Gauss-Jordan elimination; returns
// false if the matrix is singular.
template <std::size_t N>
bool invert(std::array<std::array<double, N>, N>& m, std::size_t n)
{
    std::array<std::array<double, N>, N> inv{};
    for (std::size_t i = 0; i < n; ++i)
        inv[i][i] = 1.0;
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t r = col + 1; r < n; ++r)
            if (std::fabs(m[r][col]) > std::fabs(m[pivot][col]))
                pivot = r;
        if (std::fabs(m[pivot][col]) < 1e-12)
            return false;
        std::swap(m[pivot], m[col]);
        std::swap(inv[pivot], inv[col]);
        const double d = m[col][col];
        for (std::size_t c = 0; c < n; ++c) {
            m[col][c] /= d;
            inv[col][c] /= d;
        }
        for (std::size_t r = 0; r < n; ++r) {
            if (r == col)
                continue;
            const double f = m[r][col];
            if (f == 0.0)
                continue;
            for (std::size_t c = 0; c < n; ++c) {
                m[r][c] -= f * m[col][c];
                inv[r][c] -= f * inv[col][c];
            }
        }
    }
    m = inv;
    return true;
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

    // Receiver
    void updateSatellites(double t, const Vec3& rx, double latDeg, double lonDeg);
    void updateSignals();
    void computeDops();

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

    std::vector<Satellite> sats;
    std::array<std::vector<const Satellite*>, kGroupCount> inView;
    std::array<std::vector<const Satellite*>, kGroupCount> used;
    double pdop = 0.0, hdop = 0.0, vdop = 0.0;
};

Generator::Impl::Impl(std::uint64_t seed)
    : rng(seed)
    , signalRng(seed ^ 0x5DEECE66DULL)
    , sats(buildConstellations())
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

void Generator::Impl::updateSatellites(double t, const Vec3& rx, double latDeg, double lonDeg)
{
    const double sLat = std::sin(latDeg * kDeg), cLat = std::cos(latDeg * kDeg);
    const double sLon = std::sin(lonDeg * kDeg), cLon = std::cos(lonDeg * kDeg);
    for (Satellite& s : sats) {
        const double node = s.raan0 - kEarthRate * t;
        const double u = s.u0 + s.meanMotion * t;
        const double cu = std::cos(u), su = std::sin(u);
        const double cn = std::cos(node), sn = std::sin(node);
        const Vec3 p{s.radius * (cu * cn - su * s.cosI * sn), s.radius * (cu * sn + su * s.cosI * cn),
                     s.radius * su * s.sinI};
        const double dx = p.x - rx.x, dy = p.y - rx.y, dz = p.z - rx.z;
        const double e = -sLon * dx + cLon * dy;
        const double n = -sLat * cLon * dx - sLat * sLon * dy + cLat * dz;
        const double up = cLat * cLon * dx + cLat * sLon * dy + sLat * dz;
        s.elevation = std::atan2(up, std::hypot(e, n)) / kDeg;
        s.azimuth = Wrap360(std::atan2(e, n) / kDeg);
    }
}

void Generator::Impl::updateSignals()
{
    // How high the buildings along the street reach, seen from the car.
    static constexpr double kWall[] = {4.0, 16.0, 28.0};
    const bool moving = speed > 0.3;

    for (Satellite& s : sats) {
        s.tracked = false;
        s.snr = 0;
        if (s.elevation <= 0.0) {
            // Below the horizon: once it rises it takes a few seconds to acquire.
            s.lockWait = 3 + int(FixedFraction(std::uint64_t(s.prn) + epoch) * 8.0);
            s.trackedFor = 0;
            s.fadeDb = 0.0;
            continue;
        }

        s.fadeDb = 0.85 * s.fadeDb + (moving ? 0.6 : 0.35) * signalRng.Gauss();

        // Street canyon: walls across the direction of travel hide low
        // satellites; along the street the sky stays open further down.
        const double across = std::fabs(std::sin((s.azimuth - heading) * kDeg));
        const double wall = kWall[urban] * (0.3 + 0.7 * across) + (s.gainDb * 0.6);
        double snr = 17.0 + 31.0 * std::sqrt(std::sin(s.elevation * kDeg)) + s.gainDb + s.fadeDb;
        if (s.system == System::Glonass)
            snr -= 1.5;
        if (s.system == System::Sbas)
            snr -= 2.0;

        bool lost = false;
        if (s.elevation < wall - 5.0)
            lost = true;
        else if (s.elevation < wall)
            snr -= 4.0 + (wall - s.elevation) * 1.6; // diffracted over the roof edge

        if (s.lockWait == 0 && signalRng.Uniform() < (moving ? 0.0025 : 0.0005))
            s.lockWait = 1 + signalRng.Below(4); // a passing truck, a tree, a bridge

        if (snr < 15.0)
            lost = true;
        if (lost) {
            s.lockWait = std::max(s.lockWait, 1 + signalRng.Below(3));
            s.trackedFor = 0;
            continue;
        }
        if (s.lockWait > 0) {
            --s.lockWait;
            s.trackedFor = 0;
            continue;
        }
        s.tracked = true;
        s.snr = std::clamp(int(std::lround(snr)), 15, 54);
        ++s.trackedFor;
    }

    // Satellites reported in GSV: above a 5 degree mask, at most 16 for the
    // GPS talker (4 sentences) and 12 for the others (3 sentences).
    static constexpr std::size_t kMaxInView[kGroupCount] = {16, 12, 12};
    for (int g = 0; g < kGroupCount; ++g) {
        auto& list = inView[g];
        list.clear();
        for (const Satellite& s : sats)
            if (s.group == g && s.elevation >= 5.0)
                list.push_back(&s);
        if (list.size() > kMaxInView[g]) {
            std::sort(list.begin(), list.end(), [](const Satellite* a, const Satellite* b) {
                return a->elevation != b->elevation ? a->elevation > b->elevation : a->prn < b->prn;
            });
            list.resize(kMaxInView[g]);
        }
        std::sort(list.begin(), list.end(), [](const Satellite* a, const Satellite* b) { return a->prn < b->prn; });

        // Satellites in the solution: steadily tracked, above the 8 degree
        // navigation mask and strong enough. SBAS is tracked for its
        // corrections only and never ranged.
        auto& fix = used[g];
        fix.clear();
        for (const Satellite* s : list)
            if (s->tracked && s->trackedFor >= 3 && s->elevation >= 8.0 && s->snr >= 24 &&
                s->system != System::Sbas)
                fix.push_back(s);
        if (fix.size() > 12) {
            std::sort(fix.begin(), fix.end(), [](const Satellite* a, const Satellite* b) {
                return a->snr != b->snr ? a->snr > b->snr : a->prn < b->prn;
            });
            fix.resize(12);
            std::sort(fix.begin(), fix.end(), [](const Satellite* a, const Satellite* b) { return a->prn < b->prn; });
        }
    }
}

void Generator::Impl::computeDops()
{
    // Least-squares geometry: east, north, up and one clock per constellation
    // group that contributes satellites.
    std::array<std::array<double, 6>, 6> normal{};
    std::array<int, kGroupCount> clockColumn{};
    std::size_t columns = 3;
    for (int g = 0; g < kGroupCount; ++g)
        clockColumn[g] = used[g].empty() ? -1 : int(columns++);

    for (int g = 0; g < kGroupCount; ++g) {
        for (const Satellite* s : used[g]) {
            const double el = s->elevation * kDeg, az = s->azimuth * kDeg;
            std::array<double, 6> row{};
            row[0] = -std::cos(el) * std::sin(az);
            row[1] = -std::cos(el) * std::cos(az);
            row[2] = -std::sin(el);
            row[std::size_t(clockColumn[g])] = 1.0;
            for (std::size_t i = 0; i < columns; ++i)
                for (std::size_t j = 0; j < columns; ++j)
                    normal[i][j] += row[i] * row[j];
        }
    }
    if (!invert(normal, columns)) {
        pdop = hdop = vdop = 99.99;
        return;
    }
    hdop = std::min(std::sqrt(normal[0][0] + normal[1][1]), 99.99);
    vdop = std::min(std::sqrt(normal[2][2]), 99.99);
    pdop = std::min(std::sqrt(normal[0][0] + normal[1][1] + normal[2][2]), 99.99);
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

    updateSatellites(unixTime, GeodeticToEcef(lat, lon, altitude + separation), lat, lon);
    updateSignals();
    computeDops();

    int usedCount = 0;
    for (const auto& fix : used)
        usedCount += int(fix.size());

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
