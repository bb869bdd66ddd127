// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// config.ini: the settings record of the process and the reading of one
// group of keys. The file lies next to the executable (else in the user's
// or the installed folder), is read group by group when a feature is
// switched on, and is never written.

#include <QHostAddress>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace orvane {

struct ConfigRecord {
    QString UartPort = QStringLiteral("COM3");
    int32_t UartBaudrate = 115200;
    int32_t ServerInputPort = 22;
    int32_t ServerOutputPort = 22;
    QString ServerOutputFormat = QStringLiteral("NMEA");
    // The local address the input and forwarding servers listen on; empty
    // for every address.
    QString ServerListenAddress;
    QString ClientUrl = QStringLiteral("upload.example.com");
    int32_t ClientPort = 22;
    QString ClientVin = QStringLiteral("ZYXWVUTS987654321");
    uint32_t MapCount = 3;
    std::array<QString, 9> MapUrls;
};

// The one record of the process, filled with its defaults before any
// window exists. A read overwrites a field only when it accepts the key.
extern ConfigRecord ConfigSettings;

enum ConfigGroup : int {
    kConfigSerialPort = 1,
    kConfigTcpInput = 2,
    kConfigForwarding = 3,
    kConfigUpload = 4,
    kConfigMapPages = 5,
};

using ConfigLineSink = std::function<void(const QString& line)>;

// Reads the keys of one group, writes one status line per key read through
// appendLine, updates ConfigSettings and returns whether the feature can be
// used with what the file holds. Any other group code reads nothing and
// returns false.
bool ReadConfig(int group, const ConfigLineSink& appendLine);

// One text value of config.ini, read now, whole and without a status
// line; empty when the file, the group or the key is missing. For the
// settings of features that come with their own group.
QString ReadConfigValue(const char* section, const char* key);

// The text of [server] listenaddress as an address to listen on
// ("localhost" is 127.0.0.1); a null address when it names none.
QHostAddress ParseListenAddress(const QString& text);

// The address the servers listen on, as ConfigSettings names it: every
// local address when it names none.
QHostAddress ServerListenAddress();

// The folder whose config.ini is read: the folder that was set (tests
// point it at a folder of their own), else the first of ConfigFolders that
// holds a config.ini. An empty folder restores the lookup.
void SetConfigFolder(const QString& folder);
QString ConfigFilePath();

// The start-up line that names the config.ini read: "[Config] file = PATH
// (ok)", or "(missing)" when no folder holds one.
QString ConfigFileLine();

}  // namespace orvane
