// SPDX-License-Identifier: GPL-3.0-or-later
#include "SourcesConfig.h"

#include <QFile>
#include <QHostAddress>

#include <ini.h>

#include <map>
#include <string>

namespace orvane {

namespace {

constexpr quint16 kNmeaServerPort = 10110;
constexpr quint16 kGpsdPort = 2947;
constexpr quint16 kUdpPort = 10110;

// The keys of [sources], lower case, first occurrence winning.
using SourceKeys = std::map<std::string, QString>;

int KeepSourceKey(void* user, const char* section, const char* name, const char* value)
{
    if (!name || !value || QByteArray(section).toLower() != "sources")
        return 1;
    static_cast<SourceKeys*>(user)->try_emplace(QByteArray(name).toLower().toStdString(), QString::fromUtf8(value));
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
    const auto it = keys.find(key);
    if (it == keys.end())
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
    ini_allow_multiline = false;
    ini_allow_inline_comments = false;
    ini_use_stack = false;
    ini_allow_realloc = true;
    ini_max_line = 1 << 20;
    SourceKeys keys;
    ini_parse(QFile::encodeName(path).constData(), &KeepSourceKey, &keys);

    LiveSourceSettings settings;
    ReadHostKey(keys, "tcp", kNmeaServerPort, settings.nmeaServerHost, settings.nmeaServerPort, appendLine);
    ReadHostKey(keys, "gpsd", kGpsdPort, settings.gpsdHost, settings.gpsdPort, appendLine);
    const auto udp = keys.find("udp");
    if (udp != keys.end()) {
        const QString& value = udp->second;
        quint16 port = kUdpPort;
        const bool ok = value.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0 || ParsePort(value, port);
        settings.udpPort = ok ? port : 0;
        appendLine(QStringLiteral("[Config] sources/udp = %1 (%2)")
                       .arg(value, ok ? QStringLiteral("ok") : QStringLiteral("unused: not a port 1 to 65535 or on")));
    }
    return settings;
}

}  // namespace orvane
