// SPDX-License-Identifier: GPL-3.0-or-later
#include "FixCriterion.h"

#include <GeographicLib/Geodesic.hpp>

#include <cmath>
#include <cstdio>

namespace orvane {

namespace {

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

}  // namespace

bool HasFix(const Epoch& epoch)
{
    return epoch.quality >= 1 || epoch.Has(Epoch::kPosition);
}

bool Meets(const Epoch& epoch, const FixCriterion& criterion)
{
    if (!HasFix(epoch))
        return false;
    if (criterion.threeD) {
        const bool differential = epoch.quality == 2 || epoch.quality == 4 || epoch.quality == 5;
        if (epoch.fixType != 3 && !differential)
            return false;
    }
    if (criterion.maxHdop && !(epoch.hdop <= *criterion.maxHdop))
        return false;
    if (criterion.reference) {
        if (!epoch.Has(Epoch::kPosition))
            return false;
        double metres = 0;
        GeographicLib::Geodesic::WGS84().Inverse(criterion.reference->latitude, criterion.reference->longitude,
            epoch.latitude, epoch.longitude, metres);
        if (!(metres <= criterion.withinMetres))
            return false;
    }
    return true;
}

std::string Describe(const FixCriterion& criterion)
{
    std::string text = "GGA quality >= 1 or RMC status A";
    if (criterion.threeD)
        text += ", 3D";
    if (criterion.maxHdop)
        text += ", HDOP <= " + Number(*criterion.maxHdop);
    if (criterion.reference)
        text += ", within " + Number(criterion.withinMetres) + " m of " + Number(criterion.reference->latitude) + ", " +
                Number(criterion.reference->longitude);
    return text;
}

}  // namespace orvane
