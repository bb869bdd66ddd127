// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkyModel.h"

#include <algorithm>

namespace orvane {

namespace {

constexpr size_t kMostSignals = 16;

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

bool SentenceRound::Next(uint64_t epoch, uint32_t key)
{
    auto seen = std::find_if(m_Keys.begin(), m_Keys.end(), [&](const auto& entry) { return entry.first == key; });
    const int allowed = epoch == 0 ? 1 : kRepeatsPerEpoch;
    const bool starts = !m_Started || epoch != m_Epoch || (seen != m_Keys.end() && seen->second >= allowed);
    if (starts) {
        m_Started = true;
        m_Epoch = epoch;
        m_Keys.clear();
        seen = m_Keys.end();
    }
    if (seen == m_Keys.end())
        m_Keys.push_back({key, 1});
    else
        ++seen->second;
    return starts;
}

void SkyModel::TakeGsvSet(int talkerRow, std::string_view talker, char signal,
    const std::vector<GsvSatellite>& satellites, uint64_t epoch)
{
    if (m_GsvRound.Next(epoch, uint32_t(talkerRow) << 8 | uint8_t(signal))) {
        for (ConstellationSky& sky : m_Sky) {
            if (!sky.inView.value.empty())
                sky.inView.Update().clear();
        }
    }
    // Each constellation the set speaks of counts an update; an empty set
    // of a one-constellation talker says that none of its own is in view.
    std::array<bool, kConstellationCount> touched{};
    for (const GsvSatellite& reported : satellites)
        touched[size_t(ConstellationOfTalker(talker, reported.prn))] = true;
    if (const std::optional<Constellation> own = TalkerConstellation(talker); own && satellites.empty())
        touched[size_t(*own)] = true;
    for (int c = 0; c < kConstellationCount; ++c) {
        if (touched[size_t(c)])
            m_Sky[size_t(c)].inView.Update();
    }

    for (const GsvSatellite& reported : satellites) {
        const Constellation constellation = ConstellationOfTalker(talker, reported.prn);
        std::vector<SkySatellite>& inView = m_Sky[size_t(constellation)].inView.value;
        auto known = std::find_if(inView.begin(), inView.end(),
            [&](const SkySatellite& satellite) { return satellite.satellite.prn == reported.prn; });
        if (known == inView.end()) {
            if (inView.size() >= kMostSatellites)
                continue;
            SkySatellite added;
            added.talkerRow = talkerRow;
            added.constellation = constellation;
            added.satellite.prn = reported.prn;
            inView.push_back(added);
            known = inView.end() - 1;
        }
        MergeSignal(*known, reported, signal);
    }
}

void SkyModel::TakeGsa(std::string_view talker, int32_t systemId, const std::array<int32_t, 12>& prns, uint64_t epoch)
{
    std::array<std::vector<int32_t>, kConstellationCount> lists;
    std::array<bool, kConstellationCount> covered{};
    Constellation named = Constellation::Other;
    const bool hasSystem = ConstellationOfSystemId(systemId, 1, named);
    Constellation first = Constellation::Other;
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
        if (!anyPrn)
            first = constellation;
        anyPrn = true;
    }
    // The constellation the GSA is about, also when it lists no satellite.
    if (hasSystem)
        covered[size_t(named)] = true;
    else if (const std::optional<Constellation> own = TalkerConstellation(talker))
        covered[size_t(*own)] = true;

    // A GSA is one of its round by its talker, its system ID and, for a
    // combined one without, the constellation of its first satellite (a
    // NMEA 4.0 receiver sends a GN GSA per constellation).
    const uint32_t key = (talker.size() == 2 ? uint32_t(uint8_t(talker[0])) << 16 | uint8_t(talker[1]) << 8 : 0) |
                         uint32_t(uint8_t(systemId)) << 24 | uint32_t(first);
    if (m_GsaRound.Next(epoch, key)) {
        for (ConstellationSky& sky : m_Sky) {
            if (!sky.used.value.empty())
                sky.used.Update().clear();
        }
    }
    for (int c = 0; c < kConstellationCount; ++c) {
        if (!covered[size_t(c)])
            continue;
        std::vector<int32_t>& used = m_Sky[size_t(c)].used.Update();
        for (const int32_t prn : lists[size_t(c)]) {
            if (used.size() < kMostSatellites && !Contains(used, prn))
                used.push_back(prn);
        }
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
