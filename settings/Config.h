// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// config.ini: a record for each group of keys and the reading of a group.
// The file lies next to the executable (else in the user's or the
// installed folder), is read group by group when a feature is switched on,
// and is never written.

#include <QHostAddress>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace orvane {

// One record per group of keys. Whoever uses a group keeps its record from
// one read to the next: a record starts with these defaults, and a read
// overwrites a field only when it accepts the key.

struct SerialPortConfig {  // [uart]
    QString port = QStringLiteral("COM3");
    int32_t baudrate = 115200;
};

// The local address a server listens on ([server] listenaddress); empty
// for every address.
struct TcpInputConfig {  // [server] inputport
    int32_t inputPort = 22;
    QString listenAddress;
};

struct ForwardingConfig {  // [server] outputport, outputformat
    int32_t outputPort = 22;
    QString outputFormat = QStringLiteral("NMEA");
    QString listenAddress;
};

struct UploadConfig {  // [client]
    QString url = QStringLiteral("upload.example.com");
    int32_t port = 22;
    QString vin = QStringLiteral("ZYXWVUTS987654321");
};

struct MapPagesConfig {  // [map]
    uint32_t count = 3;
    std::array<QString, 9> urls;
};

using ConfigLineSink = std::function<void(const QString& line)>;

// Reads the keys of the record's group from config.ini, now: writes one
// status line per key read through appendLine, updates the record and
// returns whether the feature can be used with what the file holds.
bool ReadConfig(SerialPortConfig& record, const ConfigLineSink& appendLine);
bool ReadConfig(TcpInputConfig& record, const ConfigLineSink& appendLine);
bool ReadConfig(ForwardingConfig& record, const ConfigLineSink& appendLine);
bool ReadConfig(UploadConfig& record, const ConfigLineSink& appendLine);
bool ReadConfig(MapPagesConfig& record, const ConfigLineSink& appendLine);

// One text value of config.ini, read now, whole and without a status
// line; empty when the file, the group or the key is missing. For the
// settings of features that come with their own group.
QString ReadConfigValue(const char* section, const char* key);

// The text of [server] listenaddress as an address to listen on
// ("localhost" is 127.0.0.1); a null address when it names none.
QHostAddress ParseListenAddress(const QString& text);

// The address a server listens on, as its record's listenAddress names it:
// every local address when it names none.
QHostAddress ServerListenAddress(const QString& listenAddress);

// The folder whose config.ini is read: the folder that was set (tests
// point it at a folder of their own), else the first of ConfigFolders that
// holds a config.ini. An empty folder restores the lookup.
void SetConfigFolder(const QString& folder);
QString ConfigFilePath();

// The start-up line that names the config.ini read: "[Config] file = PATH
// (ok)", or "(missing)" when no folder holds one.
QString ConfigFileLine();

}  // namespace orvane
