// SPDX-License-Identifier: GPL-3.0-or-later
#include "Config.h"

#include <QFileInfo>

#include <limits>
#include <map>
#include <string>

#include "IniParse.h"
#include "LookupOrder.h"
#include "StandardFolders.h"

namespace orvane {

namespace {

QString g_ConfigFolder;

// A value that is exactly the marker counts as missing, so a file cannot
// configure "ZVQ" or 747.
const QString kTextMarker = QStringLiteral("ZVQ");
constexpr int32_t kIntMarker = 747;
// Text values are cut as a 260-character buffer would cut them.
constexpr qsizetype kMaxTextValue = 259;

enum class KeyState { Accepted, Rejected, Missing };

QString StatusWord(KeyState state)
{
    return state == KeyState::Accepted ? QStringLiteral("ok") : QStringLiteral("default");
}

std::string Lower(const char* text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return out;
}

// The whole file as "section/key" -> value. Section and key names compare
// without regard to case, and the first occurrence of a key wins.
class IniFile {
public:
    explicit IniFile(const QString& path) { ParseIniFile(path, &IniFile::Handler, this); }

    // nullptr when the file, the section or the key is missing.
    const std::string* Find(const char* section, const char* key) const
    {
        const auto it = m_Values.find(Lower(section) + '/' + Lower(key));
        return it == m_Values.end() ? nullptr : &it->second;
    }

    QString Text(const char* section, const char* key, const QString& fallback) const
    {
        const std::string* value = Find(section, key);
        if (!value)
            return fallback;
        return QString::fromUtf8(*value).left(kMaxTextValue);
    }

    // A decimal number with an optional sign; text that is not a number
    // reads as 0, digits stop at the first other character, and a number
    // beyond 32 bits reads as the nearest 32-bit value.
    int64_t Int(const char* section, const char* key, int64_t fallback) const
    {
        const std::string* value = Find(section, key);
        if (!value)
            return fallback;
        size_t i = 0;
        bool negative = false;
        if (i < value->size() && ((*value)[i] == '-' || (*value)[i] == '+'))
            negative = (*value)[i++] == '-';
        int64_t number = 0;
        for (; i < value->size() && (*value)[i] >= '0' && (*value)[i] <= '9'; ++i) {
            number = number * 10 + ((*value)[i] - '0');
            if (number > int64_t(std::numeric_limits<uint32_t>::max()))
                number = int64_t(std::numeric_limits<uint32_t>::max());
        }
        return negative ? -number : number;
    }

private:
    static int Handler(void* user, const char* section, const char* name, const char* value)
    {
        auto* self = static_cast<IniFile*>(user);
        if (name && value)
            self->m_Values.try_emplace(Lower(section) + '/' + Lower(name), value);
        return 1;
    }

    std::map<std::string, std::string> m_Values;
};

int32_t ToInt32(int64_t value)
{
    if (value > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

// One text key: accepted when present and at least minLength characters.
KeyState ReadText(const IniFile& ini, const char* section, const char* key, qsizetype minLength, QString& field,
    const QString& lineFormat, const ConfigLineSink& appendLine)
{
    const QString value = ini.Text(section, key, kTextMarker);
    KeyState state = KeyState::Missing;
    if (value != kTextMarker)
        state = value.size() >= minLength ? KeyState::Accepted : KeyState::Rejected;
    if (state == KeyState::Accepted)
        field = value;
    appendLine(lineFormat.arg(field, StatusWord(state)));
    return state;
}

// One port-like integer key: accepted when present and within [low, high].
KeyState ReadInt(const IniFile& ini, const char* section, const char* key, int32_t low, int32_t high, int32_t& field,
    const QString& lineFormat, const ConfigLineSink& appendLine)
{
    const int32_t value = ToInt32(ini.Int(section, key, kIntMarker));
    KeyState state = KeyState::Missing;
    if (value != kIntMarker)
        state = value >= low && value <= high ? KeyState::Accepted : KeyState::Rejected;
    if (state == KeyState::Accepted)
        field = value;
    appendLine(lineFormat.arg(QString::number(field), StatusWord(state)));
    return state;
}

// The path is built and the file read on every call, so edits take effect
// at the next switch-on.
IniFile ReadConfigFile()
{
    return IniFile(ConfigFilePath());
}

// The servers' listen address, read with their group. Without the key they
// listen on every address and no line is written; a value that is no
// address keeps the server closed rather than open to every network.
bool ReadListenAddress(const IniFile& ini, QString& field, const ConfigLineSink& appendLine)
{
    const std::string* value = ini.Find("server", "listenaddress");
    if (!value) {
        field.clear();
        return true;
    }
    const QString text = QString::fromUtf8(*value).trimmed().left(kMaxTextValue);
    const bool valid = !ParseListenAddress(text).isNull();
    field = valid ? text : QString();
    appendLine(QStringLiteral("[Config] server/listenaddress = %1 (%2)")
                   .arg(text, valid ? QStringLiteral("ok") : QStringLiteral("not an address")));
    return valid;
}

}  // namespace

QHostAddress ParseListenAddress(const QString& text)
{
    if (text.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        return QHostAddress(QHostAddress::LocalHost);
    return QHostAddress(text);
}

void SetConfigFolder(const QString& folder)
{
    g_ConfigFolder = folder;
}

QHostAddress ServerListenAddress(const QString& listenAddress)
{
    return listenAddress.isEmpty() ? QHostAddress(QHostAddress::Any) : ParseListenAddress(listenAddress);
}

QString ConfigFilePath()
{
    if (!g_ConfigFolder.isEmpty())
        return g_ConfigFolder + QStringLiteral("/config.ini");
    // Next to the executable, else the user's, else the installed default;
    // with none of them every key reads as missing, as for a missing file.
    const QStringList folders = ConfigFolders(ExecutableFolder());
    const QString found = FindInFolders(folders, QStringLiteral("config.ini"));
    return found.isEmpty() ? folders.constFirst() + QStringLiteral("/config.ini") : found;
}

QString ConfigFileLine()
{
    const QString path = ConfigFilePath();
    return QStringLiteral("[Config] file = %1 (%2)")
        .arg(path, QFileInfo(path).isFile() ? QStringLiteral("ok") : QStringLiteral("missing"));
}

bool ReadConfig(SerialPortConfig& c, const ConfigLineSink& appendLine)
{
    const IniFile ini = ReadConfigFile();
    if (ReadText(ini, "uart", "port", 3, c.port, QStringLiteral("[Config] uart/port = %1 (%2)"), appendLine) !=
        KeyState::Accepted)
        return false;
    return ReadInt(ini, "uart", "baudrate", 1200, 115200, c.baudrate,
               QStringLiteral("[Config] uart/baudrate = %1 (%2)"), appendLine) == KeyState::Accepted;
}

bool ReadConfig(TcpInputConfig& c, const ConfigLineSink& appendLine)
{
    const IniFile ini = ReadConfigFile();
    return ReadInt(ini, "server", "inputport", 21, 65534, c.inputPort,
               QStringLiteral("[Config] server/inputport = %1 (%2)"), appendLine) == KeyState::Accepted &&
           ReadListenAddress(ini, c.listenAddress, appendLine);
}

bool ReadConfig(ForwardingConfig& c, const ConfigLineSink& appendLine)
{
    const IniFile ini = ReadConfigFile();
    const int32_t port = ToInt32(ini.Int("server", "outputport", kIntMarker));
    if (port == 0) {
        c.outputPort = 0;
        appendLine(QStringLiteral("[Config] server/outputport = %1 (unused)").arg(0));
        return false;
    }
    // A missing or rejected port keeps forwarding off: a misspelt key must
    // not open a port nobody asked for, on every address.
    const bool portOk = ReadInt(ini, "server", "outputport", 21, 65534, c.outputPort,
                            QStringLiteral("[Config] server/outputport = %1 (%2)"), appendLine) == KeyState::Accepted;
    const bool format = ReadText(ini, "server", "outputformat", 3, c.outputFormat,
                            QStringLiteral("[Config] server/outputformat = %1 (%2)"), appendLine) == KeyState::Accepted;
    if (!portOk) {
        // Said where the port alone keeps forwarding off; without a format
        // it stays off as it always has.
        if (format)
            appendLine(
                QStringLiteral("[Config] data forwarding is off: server/outputport is missing or not a port "
                               "from 21 to 65534 (0 turns it off)"));
        return false;
    }
    return format && ReadListenAddress(ini, c.listenAddress, appendLine);
}

bool ReadConfig(UploadConfig& c, const ConfigLineSink& appendLine)
{
    const IniFile ini = ReadConfigFile();
    if (ReadText(ini, "client", "url", 5, c.url, QStringLiteral("[Config] cient/url = %1 (%2)"), appendLine) !=
        KeyState::Accepted)
        return false;
    if (ReadInt(ini, "client", "port", 21, 65534, c.port, QStringLiteral("[Config] client/port = %1 (%2)"),
            appendLine) != KeyState::Accepted)
        return false;
    return ReadText(ini, "client", "vin", 5, c.vin, QStringLiteral("[Config] cient/vin = %1 (%2)"), appendLine) ==
           KeyState::Accepted;
}

bool ReadConfig(MapPagesConfig& c, const ConfigLineSink& appendLine)
{
    const IniFile ini = ReadConfigFile();
    // An unsigned count: a negative number reads as a huge one.
    const int64_t raw = ini.Int("map", "count", kIntMarker);
    const uint32_t count = uint32_t(ToInt32(raw));
    KeyState state = KeyState::Missing;
    if (raw != kIntMarker)
        state = count <= 9 ? KeyState::Accepted : KeyState::Rejected;
    if (state == KeyState::Accepted)
        c.count = count;
    appendLine(
        QStringLiteral("[Config] map/count = %1 (%2)").arg(QString::number(int32_t(c.count)), StatusWord(state)));
    if (state != KeyState::Accepted)
        return false;
    for (uint32_t n = 1; n <= c.count; ++n) {
        const QString url = ini.Text("map", QStringLiteral("url%1").arg(n).toLatin1().constData(), QString());
        if (url.isEmpty())
            return n != 1;
        c.urls[n - 1] = url;
    }
    return true;
}

QString ReadConfigValue(const char* section, const char* key)
{
    const IniFile ini = ReadConfigFile();
    const std::string* value = ini.Find(section, key);
    return value ? QString::fromUtf8(*value).trimmed() : QString();
}

}  // namespace orvane
