// SPDX-License-Identifier: GPL-3.0-or-later
#include "NtripSourceTable.h"

#include <QList>

#include <GeographicLib/Geodesic.hpp>

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

std::optional<double> Coordinate(const QList<QByteArray>& fields, int index, double limit)
{
    if (fields.size() <= index)
        return std::nullopt;
    bool ok = false;
    const double value = fields[index].trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > limit)
        return std::nullopt;
    return value;
}

QString Field(const QList<QByteArray>& fields, int index)
{
    return index < fields.size() ? QString::fromLatin1(fields[index]).trimmed() : QString();
}

}  // namespace

QList<NtripMountpoint> ParseSourceTable(const QByteArray& text)
{
    QList<NtripMountpoint> mountpoints;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.startsWith("STR;"))
            continue;
        const QList<QByteArray> fields = line.split(';');
        NtripMountpoint mountpoint;
        mountpoint.name = Field(fields, 1);
        if (mountpoint.name.isEmpty())
            continue;
        mountpoint.identifier = Field(fields, 2);
        mountpoint.format = Field(fields, 3);
        mountpoint.formatDetails = Field(fields, 4);
        mountpoint.navSystems = Field(fields, 6);
        mountpoint.latitude = Coordinate(fields, 9, 90);
        // Longitudes come as -180..180 or 0..360.
        mountpoint.longitude = Coordinate(fields, 10, 360);
        if (!mountpoint.latitude || !mountpoint.longitude)
            mountpoint.latitude = mountpoint.longitude = std::nullopt;
        mountpoint.wantsGga = Field(fields, 11) == QLatin1String("1");
        mountpoints << mountpoint;
    }
    return mountpoints;
}

void SortByDistance(QList<NtripMountpoint>& mountpoints, double latitude, double longitude)
{
    const GeographicLib::Geodesic& earth = GeographicLib::Geodesic::WGS84();
    for (NtripMountpoint& mountpoint : mountpoints) {
        mountpoint.distanceMetres.reset();
        if (!mountpoint.latitude)
            continue;
        double metres = 0;
        earth.Inverse(latitude, longitude, *mountpoint.latitude, *mountpoint.longitude, metres);
        mountpoint.distanceMetres = metres;
    }
    std::stable_sort(mountpoints.begin(), mountpoints.end(), [](const NtripMountpoint& a, const NtripMountpoint& b) {
        if (!a.distanceMetres || !b.distanceMetres)
            return a.distanceMetres.has_value() && !b.distanceMetres.has_value();
        return *a.distanceMetres < *b.distanceMetres;
    });
}

QString MountpointText(const NtripMountpoint& mountpoint)
{
    QStringList parts;
    if (!mountpoint.format.isEmpty())
        parts << mountpoint.format;
    if (!mountpoint.navSystems.isEmpty())
        parts << mountpoint.navSystems;
    if (mountpoint.distanceMetres)
        parts << QStringLiteral("%1 km").arg(*mountpoint.distanceMetres / 1000, 0, 'f', 1);
    return parts.isEmpty() ? mountpoint.name : mountpoint.name + QStringLiteral(" (") + parts.join(u", ") + u')';
}

}  // namespace orvane
