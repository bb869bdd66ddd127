// SPDX-License-Identifier: GPL-3.0-or-later
#include "Generator.h"

#include <cmath>
#include <deque>

#include "Calendar.h"
#include "Drive.h"
#include "Earth.h"
#include "Fix.h"
#include "Random.h"
#include "Receiver.h"
#include "Sentences.h"
#include "Signal.h"
#include "Sky.h"

namespace orvane::loggen {

namespace {

// Seeds the receiver's streams apart from the driver's.
constexpr uint64_t kSignalSeedMix = 0x5DEECE66DULL;
constexpr uint64_t kBandSeedMix = 0x9E3779B97F4A7C15ULL;
constexpr uint64_t kNoiseSeedMix = 0xD1B54A32D192ED03ULL;

constexpr const char* kGsaAddress[kGroupCount40] = {"GPGSA", "GLGSA", "GAGSA"};
constexpr const char* kGsvAddress[kGroupCount] = {"GPGSV", "GLGSV", "GAGSV", "GBGSV", "GQGSV"};

// The receiver's estimate of its one-sigma range error, in m, by how dense
// the buildings along the street are (multipath grows with them).
constexpr double kRangeSigma[] = {0.6, 1.1, 1.9};

}  // namespace

struct Generator::Impl {
    Impl(uint64_t seed, NmeaVersion version, const Scenario& scenario)
        : m_Version(version), m_Scenario(scenario), m_Drive(seed), m_SignalRandom(seed ^ kSignalSeedMix),
          m_BandRandom(seed ^ kBandSeedMix), m_NoiseRandom(seed ^ kNoiseSeedMix), m_Sky(version)
    { }

    void AppendEpoch(std::string& out);
    Fix Solve();
    void AppendSentences40(std::string& out, const Fix& fix) const;
    void AppendSentences411(std::string& out, const Fix& fix) const;
    void Stand(Fix& fix);
    void Delay(Fix& fix);

    // Separate streams, so the route does not change when the sky does: the
    // drive draws from its own, the first signals of the 4.0 systems and the
    // receiver's noise from the second, and what only the 4.11 output has
    // (BeiDou, the other bands, GST) from the third. A seed so gives the
    // same fixes in both outputs.
    NmeaVersion m_Version;
    Scenario m_Scenario;
    Drive m_Drive;
    Rng m_SignalRandom;
    Rng m_BandRandom;
    Rng m_NoiseRandom;  // the scenario's noise alone
    Receiver m_Receiver;
    // The positions the receiver reported, latest last, for a device late
    // by the scenario's delay.
    std::deque<std::array<double, 3>> m_Reported;
    Sky m_Sky;
    uint64_t m_Epoch = 0;
};

void Generator::Impl::AppendEpoch(std::string& out)
{
    const Fix fix = Solve();
    if (m_Version == NmeaVersion::V4_11)
        AppendSentences411(out, fix);
    else
        AppendSentences40(out, fix);

    // The receiver's error drifts once a second, however often it reports.
    if (!m_Scenario.standing)
        m_Drive.AdvanceOneSecond();
    if ((m_Epoch + 1) % uint64_t(m_Scenario.rate) == 0)
        m_Receiver.AdvanceError(m_Drive, m_SignalRandom);
    ++m_Epoch;
}

// The receiver's solution for the car where it stands now. The sky is
// looked at from the reported position, noise included, as a receiver does.
Fix Generator::Impl::Solve()
{
    Fix fix;
    fix.time = TimeOfEpoch(m_Epoch, m_Scenario.rate);
    m_Receiver.Locate(m_Drive, fix);
    const Vec3 antenna = GeodeticToEcef(fix.latitude, fix.longitude, fix.altitude + fix.separation);
    const Street street{m_Drive.Heading(), m_Drive.Urban(), m_Drive.Speed() > kStandingSpeed};
    m_Sky.Update(fix.time.unixTime, antenna, fix.latitude, fix.longitude, street, m_Epoch, m_SignalRandom,
        m_BandRandom);
    fix.usedCount = m_Sky.UsedCount();
    fix.dops = m_Sky.Dilution();
    m_Receiver.ReportMotion(m_Drive, m_SignalRandom, fix);
    if (m_Scenario.standing)
        Stand(fix);
    if (m_Scenario.device)
        Delay(fix);
    if (m_Version == NmeaVersion::V4_11) {
        // The range error varies about its level for the street; the
        // residuals are smaller, by the four unknowns the solution absorbs.
        fix.rangeSigma = kRangeSigma[street.urban] * (1.0 + 0.1 * m_BandRandom.Gauss());
        const double n = double(fix.usedCount);
        fix.residualRms = n > 4.0 ? fix.rangeSigma * std::sqrt((n - 4.0) / n) : 0.0;
    }
    return fix;
}

namespace {

// Moves a position by metres east, north and up, on the ellipsoid's radii
// of curvature at its latitude.
void Move(double& latitude, double& longitude, double& altitude, const std::array<double, 3>& enu)
{
    const double s = std::sin(latitude * kDeg);
    const double w = std::sqrt(1.0 - kWgsE2 * s * s);
    const double meridian = kWgsA * (1.0 - kWgsE2) / (w * w * w) + altitude;
    const double prime = kWgsA / w + altitude;
    latitude += enu[1] / meridian / kDeg;
    longitude += enu[0] / (prime * std::cos(latitude * kDeg)) / kDeg;
    altitude += enu[2];
}

}  // namespace

// A standing receiver: the start point moved by the bias and by normal
// noise (Box-Muller), its GST the noise's standard deviations.
void Generator::Impl::Stand(Fix& fix)
{
    std::array<double, 3> error = m_Scenario.bias;
    for (size_t axis = 0; axis < 3; ++axis) {
        const double u1 = 1.0 - m_NoiseRandom.Uniform();  // in (0, 1]
        const double u2 = m_NoiseRandom.Uniform();
        error[axis] += m_Scenario.noise[axis] * std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
    }
    fix.latitude = kStartLat;
    fix.longitude = kStartLon;
    fix.altitude = 30.0;
    Move(fix.latitude, fix.longitude, fix.altitude, error);
    fix.knownSigma = true;
    fix.sigmaEast = m_Scenario.noise[0];
    fix.sigmaNorth = m_Scenario.noise[1];
    fix.sigmaUp = m_Scenario.noise[2];
}

// The device under test: the position reported delay seconds ago, between
// the epochs around it, moved by the offset.
void Generator::Impl::Delay(Fix& fix)
{
    m_Reported.push_back({fix.latitude, fix.longitude, fix.altitude});
    const double back = std::max(0.0, m_Scenario.delay);
    const auto whole = size_t(back);
    while (m_Reported.size() > whole + 2)
        m_Reported.pop_front();
    const size_t last = m_Reported.size() - 1;
    // Before the first epoch the receiver stood at its first position.
    const std::array<double, 3>& later = m_Reported[last - std::min(whole, last)];
    const std::array<double, 3>& earlier = m_Reported[last - std::min(whole + 1, last)];
    const double part = back - double(whole);
    fix.latitude = later[0] + (earlier[0] - later[0]) * part;
    fix.longitude = later[1] + (earlier[1] - later[1]) * part;
    fix.altitude = later[2] + (earlier[2] - later[2]) * part;
    Move(fix.latitude, fix.longitude, fix.altitude, m_Scenario.offset);
}

// The epoch's sentences in the order the receiver sends them; the GN
// sentences repeat RMC and GGA for the combined solution.
void Generator::Impl::AppendSentences40(std::string& out, const Fix& fix) const
{
    AppendRmc(out, "GPRMC", fix);
    AppendVtg(out, "GPVTG", fix);
    AppendGga(out, "GPGGA", fix);
    for (int g = 0; g < kGroupCount40; ++g)
        AppendGsa(out, kGsaAddress[g], m_Sky.Used()[g], fix.dops);
    for (int g = 0; g < kGroupCount40; ++g)
        AppendGsv(out, kGsvAddress[g], m_Sky.InView()[g]);
    AppendGll(out, fix);
    AppendZda(out, "GPZDA", fix);
    AppendRmc(out, "GNRMC", fix);
    AppendGga(out, "GNGGA", fix);
}

// The combined solution under GN; then per constellation the satellites
// used, each GSA with its system ID; then per constellation and signal the
// satellites in view of the group that send that signal, each set with its
// signal ID. The first signal's set is always written, a later one only
// when some satellite in view sends it.
void Generator::Impl::AppendSentences411(std::string& out, const Fix& fix) const
{
    AppendRmc(out, "GNRMC", fix, kNavStatus);
    AppendVtg(out, "GNVTG", fix);
    AppendGga(out, "GNGGA", fix);
    AppendGns(out, fix, m_Sky.Used());
    for (int g = 0; g < kGroupCount; ++g)
        AppendGsa(out, "GNGSA", m_Sky.Used()[g], fix.dops, kSystemIds[g]);
    SatelliteList sending;
    for (int g = 0; g < kGroupCount; ++g) {
        for (int k = 0; kSignalIds[g][k] != '\0'; ++k) {
            sending.clear();
            for (const Satellite* s : m_Sky.InView()[g])
                if (s->sends[size_t(k)])
                    sending.push_back(s);
            if (k == 0 || !sending.empty())
                AppendGsv(out, kGsvAddress[g], sending, k, kSignalIds[g][k]);
        }
    }
    AppendGst(out, fix);
    AppendZda(out, "GNZDA", fix);
}

Generator::Generator(uint64_t seed, NmeaVersion version, const Scenario& scenario)
    : m_Impl(std::make_unique<Impl>(seed, version, scenario))
{ }

Generator::~Generator() = default;

void Generator::AppendEpoch(std::string& out)
{
    m_Impl->AppendEpoch(out);
}

uint64_t Generator::EpochCount() const
{
    return m_Impl->m_Epoch;
}

}  // namespace orvane::loggen
