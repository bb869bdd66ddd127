// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourcesConfig.h"

#include <QHostAddress>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "IniParse.h"

namespace orvane {

namespace {

constexpr quint16 kNmeaServerPort = 10110;
constexpr quint16 kGpsdPort = 2947;
constexpr quint16 kUdpPort = 10110;

// The keys of [sources], lower case, first occurrence winning, and the
// listen address of [server], which the UDP port honours as the servers do.
struct SourceKeys {
    std::map<std::string, QString> sources;
    std::vector<std::string> order;  // the keys of [sources] as the file gives them
    std::optional<QString> listenAddress;
};

int KeepSourceKey(void* user, const char* section, const char* name, const char* value)
{
    if (!name || !value)
        return 1;
    auto* keys = static_cast<SourceKeys*>(user);
    const QByteArray group = QByteArray(section).toLower();
    const std::string key = QByteArray(name).toLower().toStdString();
    if (group == "server" && key == "listenaddress" && !keys->listenAddress)
        keys->listenAddress = QString::fromUtf8(value).trimmed();
    if (group == "sources" && keys->sources.try_emplace(key, QString::fromUtf8(value)).second)
        keys->order.push_back(key);
    return 1;
}

bool ParsePort(const QString& text, quint16& port)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value < 1 || value > 65535 || !text.front().isDigit())
        return false;
    port = quint16(value);
    return true;
}

// One host[:port] key into host and port; empty host when unused.
void ReadHostKey(const SourceKeys& keys, const char* key, quint16 defaultPort, QString& host, quint16& port,
    const ConfigLineSink& appendLine)
{
    const auto it = keys.sources.find(key);
    if (it == keys.sources.end())
        return;
    const bool ok = ParseHostPort(it->second, defaultPort, host, port);
    if (!ok)
        host.clear();
    appendLine(QStringLiteral("[Config] sources/%1 = %2 (%3)")
                   .arg(QString::fromLatin1(key), it->second,
                       ok ? QStringLiteral("ok") : QStringLiteral("unused: not host or host:port, port 1 to 65535")));
}

}  // namespace

bool ParseHostPort(const QString& text, quint16 defaultPort, QString& host, quint16& port)
{
    QString hostPart = text;
    QString portPart;
    bool hasPort = false;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0)
            return false;
        hostPart = text.mid(1, close - 1);
        const QString after = text.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(u':'))
            return false;
        hasPort = !after.isEmpty();
        portPart = after.mid(1);
    } else if (text.count(u':') == 1) {
        hostPart = text.section(u':', 0, 0);
        portPart = text.section(u':', 1);
        hasPort = true;
    } else if (text.contains(u':') && QHostAddress(text).protocol() != QAbstractSocket::IPv6Protocol) {
        return false;
    }
    if (hostPart.isEmpty() || hostPart.contains(u' ') || hostPart.contains(u'\t'))
        return false;
    quint16 parsedPort = defaultPort;
    if (hasPort && !ParsePort(portPart, parsedPort))
        return false;
    host = hostPart;
    port = parsedPort;
    return true;
}

LiveSourceSettings ReadSourcesConfig(const QString& path, const ConfigLineSink& appendLine)
{
    SourceKeys keys;
    ParseIniFile(path, &KeepSourceKey, &keys);

    LiveSourceSettings settings;
    ReadHostKey(keys, "tcp", kNmeaServerPort, settings.nmeaServerHost, settings.nmeaServerPort, appendLine);
    ReadHostKey(keys, "gpsd", kGpsdPort, settings.gpsdHost, settings.gpsdPort, appendLine);
    const auto udp = keys.sources.find("udp");
    if (udp != keys.sources.end()) {
        const QString& value = udp->second;
        quint16 port = kUdpPort;
        const bool ok = value.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0 || ParsePort(value, port);
        // A listen address that names no address keeps the port closed
        // rather than open to every network, as it keeps the servers.
        if (keys.listenAddress)
            settings.udpAddress = ParseListenAddress(*keys.listenAddress);
        const bool addressOk = !settings.udpAddress.isNull();
        settings.udpPort = ok && addressOk ? port : 0;
        appendLine(QStringLiteral("[Config] sources/udp = %1 (%2)")
                       .arg(value, !ok          ? QStringLiteral("unused: not a port 1 to 65535 or on")
                                   : !addressOk ? QStringLiteral("unused: server/listenaddress is not an address")
                                                : QStringLiteral("ok")));
    }
    // A misspelt key (upd, gspd) would leave its source off in silence.
    for (const std::string& key : keys.order) {
        if (key != "tcp" && key != "gpsd" && key != "udp")
            appendLine(QStringLiteral("[Config] sources/%1 = %2 (unknown key: tcp, gpsd and udp are read)")
                           .arg(QString::fromStdString(key), keys.sources.at(key)));
    }
    return settings;
}

}  // namespace orvane
