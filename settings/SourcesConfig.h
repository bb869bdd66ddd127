// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The [sources] group of config.ini: the live sources Orvane opens beside
// the serial port and the TCP input server.
//
//   tcp  = host[:port]   a NMEA server to follow (port 10110 when left out)
//   gpsd = host[:port]   gpsd holding a receiver (port 2947 when left out)
//   udp  = port | on     NMEA datagrams from any sender ("on": port 10110)
//
// A missing key leaves its source off and writes no line, so a file
// without the group behaves as before the group existed. A key that is
// present writes one "[Config] sources/..." line: "ok", or "unused" with
// the reason when the source stays off.

#include <QHostAddress>
#include <QString>

#include "Config.h"

namespace orvane {

struct LiveSourceSettings {
    QString nmeaServerHost;  // empty: not followed
    quint16 nmeaServerPort = 10110;
    QString gpsdHost;  // empty: not used
    quint16 gpsdPort = 2947;
    quint16 udpPort = 0;  // 0: not listened on
    QHostAddress udpAddress = QHostAddress(QHostAddress::Any);
};

// Reads the group from the file at path.
LiveSourceSettings ReadSourcesConfig(const QString& path, const ConfigLineSink& appendLine);

// "host", "host:port", "[v6 address]" or "[v6 address]:port"; a bare IPv6
// address takes the default port. False for an empty host, a blank inside
// it, or a port that is not 1 to 65535.
bool ParseHostPort(const QString& text, quint16 defaultPort, QString& host, quint16& port);

}  // namespace orvane
