// SPDX-License-Identifier: GPL-3.0-or-later
// The epoch reader: the input read whole, and again in pieces cut where
// its first bytes say, must give the same epochs; every epoch's
// satellites and C/N0 (its own or shared with an earlier epoch) must lie
// within the shared vectors, and every value stored must be some epoch's.

#include <cstdint>
#include <cstring>
#include <string_view>

#include "FuzzInput.h"
#include "decoder/Epochs.h"

using namespace orvane;

namespace {

bool Same(const EpochLog& a, const EpochLog& b)
{
    if (a.epochs.size() != b.epochs.size() || a.satellites.size() != b.satellites.size() || a.used != b.used ||
        a.cn0 != b.cn0 || a.cn0Differences != b.cn0Differences || a.sentences != b.sentences ||
        a.badChecksum != b.badChecksum || a.notParsed != b.notParsed)
        return false;
    for (size_t k = 0; k < a.satellites.size(); ++k) {
        const EpochSatellite &x = a.satellites[k], &y = b.satellites[k];
        if (x.key != y.key || x.place != y.place || x.signalBits != y.signalBits)
            return false;
    }
    for (size_t k = 0; k < a.epochs.size(); ++k) {
        const Epoch &x = a.epochs[k], &y = b.epochs[k];
        if (x.timeMs != y.timeMs || x.flags != y.flags || x.quality != y.quality || x.fixType != y.fixType ||
            x.satelliteCount != y.satelliteCount || x.firstSatellite != y.firstSatellite ||
            x.firstUsed != y.firstUsed || x.firstCn0 != y.firstCn0 || x.used != y.used || x.inView != y.inView ||
            std::memcmp(&x.latitude, &y.latitude, sizeof(double)) != 0 || !(x.date == y.date))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput input(data, size);
    const size_t step = 1 + input.Byte() % 97;
    const std::string_view text = input.Rest();

    const EpochLog whole = ReadEpochs(text);
    EpochLog pieces;
    EpochReader reader(pieces);
    for (size_t at = 0; at < text.size(); at += step)
        reader.Feed(text.substr(at, step));
    reader.Finish();
    if (!Same(whole, pieces))
        fuzz::Fail("the text in pieces read otherwise than whole");

    // The runs appended in turn end here; a shared run lies before.
    size_t satellitesEnd = 0, usedEnd = 0, cn0End = 0, differencesEnd = 0;
    for (const Epoch& epoch : whole.epochs) {
        const size_t usedBytes = (size_t(epoch.satelliteCount) + 7) / 8;
        if (epoch.firstSatellite + size_t(epoch.satelliteCount) > whole.satellites.size() ||
            epoch.firstUsed + usedBytes > whole.used.size())
            fuzz::Fail("an epoch's satellites lie outside the shared vectors");
        if (epoch.timeMs < 0 || epoch.timeMs > 86401000)
            fuzz::Fail("a time of day out of range");
        if (epoch.Has(Epoch::kPosition) &&
            (!(epoch.latitude >= -90 && epoch.latitude <= 90) || !(epoch.longitude >= -180 && epoch.longitude <= 180)))
            fuzz::Fail("a position out of range");
        size_t cn0 = 0;
        for (const EpochSatellite& satellite : whole.SatellitesOf(epoch)) {
            if (satellite.Prn() <= 0 || satellite.SignalCount() == 0 || satellite.Elevation() > 90 ||
                satellite.Azimuth() > 359)
                fuzz::Fail("a satellite out of its form");
            cn0 += size_t(satellite.SignalCount());
        }
        // The C/N0 in full, or as differences from a full run before.
        const bool differences = (epoch.firstCn0 & kCn0Differences) != 0;
        const size_t first = epoch.firstCn0 & ~kCn0Differences;
        if (differences) {
            const size_t size = 4 + (cn0 + 1) / 2;
            if (cn0 == 0 || first + size > whole.cn0Differences.size())
                fuzz::Fail("an epoch's C/N0 differences lie outside the shared vector");
            size_t base = 0;
            for (int k = 3; k >= 0; --k)
                base = base << 8 | whole.cn0Differences[first + size_t(k)];
            if (base + cn0 > cn0End)
                fuzz::Fail("an epoch's C/N0 differ from values not stored before it");
            if (first == differencesEnd)
                differencesEnd += size;
            else if (first + size > differencesEnd)
                fuzz::Fail("an epoch's C/N0 differences run past those stored before it");
        } else {
            if (first + cn0 > whole.cn0.size())
                fuzz::Fail("an epoch's C/N0 values lie outside the shared vector");
            if (first == cn0End)
                cn0End += cn0;
            else if (first + cn0 > cn0End)
                fuzz::Fail("an epoch's C/N0 values run past those stored before it");
        }
        if (epoch.firstSatellite == satellitesEnd)
            satellitesEnd += epoch.satelliteCount;
        else if (epoch.firstSatellite + size_t(epoch.satelliteCount) > satellitesEnd)
            fuzz::Fail("an epoch's satellites run past those stored before it");
        if (epoch.firstUsed == usedEnd)
            usedEnd += usedBytes;
        else if (epoch.firstUsed + usedBytes > usedEnd)
            fuzz::Fail("an epoch's used flags run past those stored before it");
    }
    if (satellitesEnd != whole.satellites.size() || usedEnd != whole.used.size() || cn0End != whole.cn0.size() ||
        differencesEnd != whole.cn0Differences.size())
        fuzz::Fail("satellites, used flags or C/N0 stored that no epoch reads");
    return 0;
}
