// SPDX-License-Identifier: GPL-3.0-or-later
#include "Generator.h"

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

// Seeds the receiver's stream apart from the driver's.
constexpr uint64_t kSignalSeedMix = 0x5DEECE66DULL;

constexpr const char* kGsaAddress[kGroupCount] = {"GPGSA", "GLGSA", "GAGSA"};
constexpr const char* kGsvAddress[kGroupCount] = {"GPGSV", "GLGSV", "GAGSV"};

}  // namespace

struct Generator::Impl {
    explicit Impl(uint64_t seed) : m_Drive(seed), m_SignalRandom(seed ^ kSignalSeedMix) { }

    void AppendEpoch(std::string& out);
    Fix Solve();
    void AppendSentences(std::string& out, const Fix& fix) const;

    // Separate streams, so the route does not change when the sky does: the
    // drive draws from its own, the signals and the receiver's noise from
    // this one.
    Drive m_Drive;
    Rng m_SignalRandom;
    Receiver m_Receiver;
    Sky m_Sky;
    uint64_t m_Epoch = 0;
};

void Generator::Impl::AppendEpoch(std::string& out)
{
    const Fix fix = Solve();
    AppendSentences(out, fix);

    m_Drive.AdvanceOneSecond();
    m_Receiver.AdvanceError(m_Drive, m_SignalRandom);
    ++m_Epoch;
}

// The receiver's solution for the car where it stands now. The sky is
// looked at from the reported position, noise included, as a receiver does.
Fix Generator::Impl::Solve()
{
    Fix fix;
    fix.time = TimeOfEpoch(m_Epoch);
    m_Receiver.Locate(m_Drive, fix);
    const Vec3 antenna = GeodeticToEcef(fix.latitude, fix.longitude, fix.altitude + fix.separation);
    const Street street{m_Drive.Heading(), m_Drive.Urban(), m_Drive.Speed() > kStandingSpeed};
    m_Sky.Update(fix.time.unixTime, antenna, fix.latitude, fix.longitude, street, m_Epoch, m_SignalRandom);
    fix.usedCount = m_Sky.UsedCount();
    fix.dops = m_Sky.Dilution();
    m_Receiver.ReportMotion(m_Drive, m_SignalRandom, fix);
    return fix;
}

// The epoch's sentences in the order the receiver sends them; the GN
// sentences repeat RMC and GGA for the combined solution.
void Generator::Impl::AppendSentences(std::string& out, const Fix& fix) const
{
    AppendRmc(out, "GPRMC", fix);
    AppendVtg(out, fix);
    AppendGga(out, "GPGGA", fix);
    for (int g = 0; g < kGroupCount; ++g)
        AppendGsa(out, kGsaAddress[g], m_Sky.Used()[g], fix.dops);
    for (int g = 0; g < kGroupCount; ++g)
        AppendGsv(out, kGsvAddress[g], m_Sky.InView()[g]);
    AppendGll(out, fix);
    AppendZda(out, fix);
    AppendRmc(out, "GNRMC", fix);
    AppendGga(out, "GNGGA", fix);
}

Generator::Generator(uint64_t seed) : m_Impl(std::make_unique<Impl>(seed)) { }

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
