// SPDX-License-Identifier: GPL-3.0-or-later
#include "Sky.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace orvane::loggen {

namespace {

// Satellites reported in GSV: at most 16 for the GPS and BeiDou talkers (4
// sentences a set) and 12 for the others (3 sentences).
constexpr size_t kMaxInView[kGroupCount] = {16, 12, 12, 16, 12};
constexpr double kViewMask = 5.0;        // deg, reported in GSV from here up
constexpr double kNavigationMask = 8.0;  // deg, used in the solution from here up
constexpr size_t kMaxUsed = 12;          // the slots of one GSA sentence

bool ByPrn(const Satellite* a, const Satellite* b)
{
    return a->prn < b->prn;
}

}  // namespace

Sky::Sky(NmeaVersion version) : m_Version(version), m_Satellites(BuildConstellations(version)) { }

void Sky::Update(double unixTime, const Vec3& antenna, double latDeg, double lonDeg, const Street& street,
    uint64_t epoch, Rng& random, Rng& bandRandom)
{
    UpdateLookAngles(unixTime, antenna, latDeg, lonDeg);
    for (Satellite& s : m_Satellites)
        TrackSignal(s, street, epoch, s.system == System::Beidou ? bandRandom : random);
    if (m_Version == NmeaVersion::V4_11)
        for (Satellite& s : m_Satellites)
            TrackBands(s, street, bandRandom);
    for (int g = 0; g < kGroupCount; ++g) {
        SelectInView(g);
        SelectUsed(g);
    }
    m_Dops = ComputeDops(m_Used);
}

int Sky::UsedCount() const
{
    int count = 0;
    for (const auto& fix : m_Used)
        count += int(fix.size());
    return count;
}

// Elevation and azimuth of every satellite in the local east-north-up frame.
void Sky::UpdateLookAngles(double unixTime, const Vec3& antenna, double latDeg, double lonDeg)
{
    const double sLat = std::sin(latDeg * kDeg), cLat = std::cos(latDeg * kDeg);
    const double sLon = std::sin(lonDeg * kDeg), cLon = std::cos(lonDeg * kDeg);
    for (Satellite& s : m_Satellites) {
        const double node = s.raan0 - kEarthRate * unixTime;
        const double u = s.u0 + s.meanMotion * unixTime;
        const double cu = std::cos(u), su = std::sin(u);
        const double cn = std::cos(node), sn = std::sin(node);
        const Vec3 p{s.radius * (cu * cn - su * s.cosI * sn), s.radius * (cu * sn + su * s.cosI * cn),
            s.radius * su * s.sinI};
        const double dx = p.x - antenna.x, dy = p.y - antenna.y, dz = p.z - antenna.z;
        const double e = -sLon * dx + cLon * dy;
        const double n = -sLat * cLon * dx - sLat * sLon * dy + cLat * dz;
        const double up = cLat * cLon * dx + cLat * sLon * dy + sLat * dz;
        s.elevation = std::atan2(up, std::hypot(e, n)) / kDeg;
        s.azimuth = Wrap360(std::atan2(e, n) / kDeg);
    }
}

// Above the view mask; when there are more than a talker reports, the
// highest are kept.
void Sky::SelectInView(int group)
{
    auto& list = m_InView[group];
    list.clear();
    for (const Satellite& s : m_Satellites)
        if (s.group == group && s.elevation >= kViewMask)
            list.push_back(&s);
    if (list.size() > kMaxInView[group]) {
        std::sort(list.begin(), list.end(), [](const Satellite* a, const Satellite* b) {
            return a->elevation != b->elevation ? a->elevation > b->elevation : a->prn < b->prn;
        });
        list.resize(kMaxInView[group]);
    }
    std::sort(list.begin(), list.end(), ByPrn);
}

// Steadily tracked, above the navigation mask and strong enough; when there
// are more than GSA has slots for, the strongest are kept. SBAS is tracked
// for its corrections only and never ranged.
void Sky::SelectUsed(int group)
{
    auto& fix = m_Used[group];
    fix.clear();
    for (const Satellite* s : m_InView[group])
        if (s->tracked && s->trackedFor >= 3 && s->elevation >= kNavigationMask && s->snr >= 24 &&
            s->system != System::Sbas)
            fix.push_back(s);
    if (fix.size() > kMaxUsed) {
        std::sort(fix.begin(), fix.end(), [](const Satellite* a, const Satellite* b) {
            return a->snr != b->snr ? a->snr > b->snr : a->prn < b->prn;
        });
        fix.resize(kMaxUsed);
        std::sort(fix.begin(), fix.end(), ByPrn);
    }
}

}  // namespace orvane::loggen
