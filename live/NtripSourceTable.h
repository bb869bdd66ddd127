// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A caster's source table: its STR lines as mountpoints, and their order
// by distance from a position (on the WGS84 ellipsoid, GeographicLib).
//
//   STR;mountpoint;identifier;format;format-details;carrier;nav-system;
//       network;country;latitude;longitude;nmea;solution;...
//
// A line with fewer fields keeps what it has; a mountpoint without a
// usable latitude and longitude has no distance and sorts last.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace orvane {

struct NtripMountpoint {
    QString name;
    QString identifier;
    QString format;         // RTCM 3.2, ...
    QString formatDetails;  // message types and rates
    QString navSystems;     // GPS+GLO+GAL+BDS, ...
    std::optional<double> latitude, longitude;
    bool wantsGga = false;                 // nmea field 1: the caster needs the position
    std::optional<double> distanceMetres;  // from the position the table was sorted by
};

// The STR lines of a source table's text (lines end in CR LF or LF; the
// table may end in ENDSOURCETABLE).
QList<NtripMountpoint> ParseSourceTable(const QByteArray& text);

// Each mountpoint's distance from the position, and the list nearest first
// (those without coordinates last, in table order).
void SortByDistance(QList<NtripMountpoint>& mountpoints, double latitude, double longitude);

// "NAME (FORMAT, NAVSYSTEMS, 12.3 km)", the parts that are known.
QString MountpointText(const NtripMountpoint& mountpoint);

}  // namespace orvane
