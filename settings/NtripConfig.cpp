// SPDX-License-Identifier: GPL-3.0-or-later
#include "NtripConfig.h"

#include <map>
#include <string>
#include <vector>

#include "IniParse.h"
#include "SourcesConfig.h"

namespace orvane {

namespace {

constexpr quint16 kCasterPort = 2101;
constexpr int kMaxGgaIntervalSeconds = 3600;

// The keys of [ntrip], lower case, first occurrence winning.
struct NtripKeys {
    std::map<std::string, QString> values;
    std::vector<std::string> order;
};

int KeepNtripKey(void* user, const char* section, const char* name, const char* value)
{
    if (!name || !value)
        return 1;
    auto* keys = static_cast<NtripKeys*>(user);
    if (QByteArray(section).toLower() != "ntrip")
        return 1;
    const std::string key = QByteArray(name).toLower().toStdString();
    if (keys->values.try_emplace(key, QString::fromUtf8(value)).second)
        keys->order.push_back(key);
    return 1;
}

// A whole number from low to high, written in plain digits.
bool ParseNumber(const QString& text, int low, int high, int& number)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || text.isEmpty() || !text.front().isDigit() || value < low || value > high)
        return false;
    number = value;
    return true;
}

const QString kOk = QStringLiteral("ok");

}  // namespace

NtripSettings ReadNtripConfig(const QString& path, const ConfigLineSink& appendLine)
{
    NtripKeys keys;
    ParseIniFile(path, &KeepNtripKey, &keys);
    NtripSettings settings;
    if (keys.order.empty())
        return settings;

    const auto line = [&](const std::string& key, const QString& shown, const QString& verdict) {
        appendLine(QStringLiteral("[Config] ntrip/%1 = %2 (%3)").arg(QString::fromStdString(key), shown, verdict));
    };
    bool portGiven = false;
    for (const std::string& key : keys.order) {
        const QString& value = keys.values.at(key);
        if (key == "caster") {
            QString host;
            quint16 port = kCasterPort;
            const bool ok = ParseHostPort(value, kCasterPort, host, port);
            if (ok) {
                settings.caster = host;
                if (!portGiven)
                    settings.port = port;
            }
            line(key, value, ok ? kOk : QStringLiteral("unused: not host or host:port, port 1 to 65535"));
        } else if (key == "port") {
            int port = 0;
            const bool ok = ParseNumber(value, 1, 65535, port);
            if (ok) {
                settings.port = quint16(port);
                portGiven = true;
            }
            line(key, value, ok ? kOk : QStringLiteral("unused: not a port 1 to 65535"));
        } else if (key == "mountpoint") {
            const QString name = value.startsWith(u'/') ? value.mid(1) : value;
            const bool ok = !name.contains(u' ') && !name.contains(u'/');
            if (ok)
                settings.mountpoint = name;
            line(key, value,
                !ok              ? QStringLiteral("unused: a name without blanks or slashes")
                : name.isEmpty() ? QStringLiteral("ok: empty, the caster's source table is read")
                                 : kOk);
        } else if (key == "user") {
            settings.user = value;
            line(key, value, kOk);
        } else if (key == "password") {
            settings.password = value;
            line(key, value.isEmpty() ? QString() : QStringLiteral("(hidden)"), kOk);
        } else if (key == "ggainterval") {
            const bool ok = ParseNumber(value, 0, kMaxGgaIntervalSeconds, settings.ggaIntervalSeconds);
            line(key, value,
                !ok ? QStringLiteral("unused: not a whole number of seconds 0 to %1").arg(kMaxGgaIntervalSeconds)
                : settings.ggaIntervalSeconds == 0 ? QStringLiteral("ok: no GGA is sent")
                                                   : kOk);
        } else if (key == "version") {
            const bool ok = ParseNumber(value, 1, 2, settings.version);
            line(key, value, ok ? kOk : QStringLiteral("unused: 1 or 2"));
        } else {
            line(key, value,
                QStringLiteral(
                    "unknown key: caster, port, mountpoint, user, password, ggainterval and version are read"));
        }
    }
    // A group without a usable caster leaves the client off; say so, since
    // the other keys were read.
    if (!settings.Enabled())
        appendLine(QStringLiteral("[Config] ntrip: no caster, the NTRIP client stays off"));
    return settings;
}

}  // namespace orvane
