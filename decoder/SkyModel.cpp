// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkyModel.h"

#include <algorithm>

namespace orvane {

namespace {

constexpr size_t kMostSignals = 16;

// A talker whose sentences are all of one constellation (GPS's also list
// the SBAS and QZSS satellites a GPS receiver tracks).
bool OneConstellationTalker(std::string_view talker)
{
    return talker == "GP" || talker == "GL" || talker == "GA" || talker == "GB" || talker == "BD" || talker == "GQ" ||
           talker == "QZ" || talker == "GI";
}

template <class T>
bool Contains(const std::vector<T>& items, const T& item)
{
    return std::find(items.begin(), items.end(), item) != items.end();
}

void MergeSignal(SkySatellite& known, const GsvSatellite& reported, char signal)
{
    // The first set to give a position keeps it; a later band repeats it.
    if (known.satellite.elevation == 0 && known.satellite.azimuth == 0) {
        known.satellite.elevation = reported.elevation;
        known.satellite.azimuth = reported.azimuth;
    }
    // A second set of the same signal in one epoch (a receiver without
    // signal IDs sending a set per band) fills an SNR the first left
    // empty and keeps one it gave.
    auto same = std::find_if(known.perSignal.begin(), known.perSignal.end(),
        [&](const SkySignal& given) { return given.id == signal; });
    if (same != known.perSignal.end()) {
        if (same->snr == 0)
            same->snr = reported.snr;
    } else if (known.perSignal.size() < kMostSignals)
        known.perSignal.push_back({signal, reported.snr});
    known.satellite.snr = 0;
    for (const SkySignal& given : known.perSignal)
        known.satellite.snr = std::max(known.satellite.snr, given.snr);
}

}  // namespace

void SkyModel::TakeGsvSet(int talkerRow, std::string_view talker, char signal,
    const std::vector<GsvSatellite>& satellites, uint64_t epoch)
{
    std::array<bool, kConstellationCount> touched{};
    for (const GsvSatellite& satellite : satellites)
        touched[size_t(ConstellationOfTalker(talker, satellite.prn))] = true;
    // An empty set of a one-constellation talker says that none is in view.
    if (satellites.empty() && OneConstellationTalker(talker))
        touched[size_t(ConstellationOfTalker(talker, 1))] = true;

    const std::pair<int, char> set{talkerRow, signal};
    for (int c = 0; c < kConstellationCount; ++c) {
        if (!touched[size_t(c)])
            continue;
        ConstellationSky& sky = m_Sky[size_t(c)];
        // Without times every set of a talker and signal already merged
        // starts the next epoch.
        const bool startOver =
            !sky.inView.Known() || sky.inViewEpoch != epoch || (epoch == 0 && Contains(sky.sets, set));
        std::vector<SkySatellite>& inView = sky.inView.Update();
        if (startOver) {
            inView.clear();
            sky.sets.clear();
        }
        sky.sets.push_back(set);
        sky.inViewEpoch = epoch;
        for (const GsvSatellite& reported : satellites) {
            if (ConstellationOfTalker(talker, reported.prn) != Constellation(c))
                continue;
            auto known = std::find_if(inView.begin(), inView.end(),
                [&](const SkySatellite& satellite) { return satellite.satellite.prn == reported.prn; });
            if (known == inView.end()) {
                if (inView.size() >= kMostSatellites)
                    continue;
                SkySatellite added;
                added.talkerRow = talkerRow;
                added.constellation = Constellation(c);
                added.satellite.prn = reported.prn;
                inView.push_back(added);
                known = inView.end() - 1;
            }
            MergeSignal(*known, reported, signal);
        }
    }
}

void SkyModel::TakeGsa(std::string_view talker, int32_t systemId, const std::array<int32_t, 12>& prns, uint64_t epoch)
{
    std::array<std::vector<int32_t>, kConstellationCount> lists;
    std::array<bool, kConstellationCount> covered{};
    Constellation named = Constellation::Other;
    const bool hasSystem = ConstellationOfSystemId(systemId, 1, named);
    bool anyPrn = false;
    for (const int32_t prn : prns) {
        if (prn == 0)
            continue;
        Constellation constellation = Constellation::Other;
        if (!hasSystem || !ConstellationOfSystemId(systemId, prn, constellation))
            constellation = ConstellationOfTalker(talker, prn);
        std::vector<int32_t>& list = lists[size_t(constellation)];
        if (!Contains(list, prn))
            list.push_back(prn);
        covered[size_t(constellation)] = true;
        anyPrn = true;
    }
    // The constellation the GSA is about, also when it lists no satellite
    // (none used); a combined GSA without a system ID and without a PRN
    // says that nothing is used.
    if (hasSystem || OneConstellationTalker(talker)) {
        const Constellation own = hasSystem ? named : ConstellationOfTalker(talker, 1);
        covered[size_t(own)] = true;
        if (own == Constellation::Gps)
            covered[size_t(Constellation::Sbas)] = true;
    } else if (!anyPrn) {
        covered.fill(true);
    }

    for (int c = 0; c < kConstellationCount; ++c) {
        if (!covered[size_t(c)])
            continue;
        ConstellationSky& sky = m_Sky[size_t(c)];
        const bool adds = epoch != 0 && sky.used.Known() && sky.usedEpoch == epoch;
        std::vector<int32_t>& used = sky.used.Update();
        if (!adds)
            used.clear();
        for (const int32_t prn : lists[size_t(c)]) {
            if (used.size() < kMostSatellites && !Contains(used, prn))
                used.push_back(prn);
        }
        sky.usedEpoch = epoch;
    }
}

int SkyModel::Used() const
{
    size_t count = 0;
    for (const ConstellationSky& sky : m_Sky)
        count += sky.used.value.size();
    return int(count);
}

int SkyModel::InView() const
{
    size_t count = 0;
    for (const ConstellationSky& sky : m_Sky)
        count += sky.inView.value.size();
    return int(count);
}

uint64_t SkyModel::Updates() const
{
    uint64_t updates = 0;
    for (const ConstellationSky& sky : m_Sky)
        updates += sky.used.updates + sky.inView.updates;
    return updates;
}

std::vector<SkySatellite> SkyModel::Satellites() const
{
    std::vector<SkySatellite> satellites;
    for (const ConstellationSky& sky : m_Sky) {
        for (const SkySatellite& satellite : sky.inView.value) {
            satellites.push_back(satellite);
            satellites.back().used = Contains(sky.used.value, satellite.satellite.prn);
        }
    }
    return satellites;
}

}  // namespace orvane
