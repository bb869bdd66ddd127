// SPDX-License-Identifier: GPL-3.0-or-later
// config.ini reading: the input as the whole file, every group read from
// it. Each group writes its status lines and leaves the settings within
// the ranges the features rely on.

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>

#include "Config.h"
#include "FuzzInput.h"

namespace {

using namespace orvane;

bool PortLike(int32_t port, int32_t defaultPort)
{
    return port == defaultPort || (port >= 21 && port <= 65534);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const fuzz::ScratchFile scratch("config-");
    static const QString folder = QString::fromStdString(scratch.path);
    QDir().mkpath(folder);
    SetConfigFolder(folder);
    QFile file(ConfigFilePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        fuzz::Fail("cannot write the scratch config.ini");
    file.close();

    const ConfigRecord defaults;
    ConfigSettings = defaults;
    for (int group = 0; group <= kConfigMapPages + 1; ++group) {
        int lines = 0;
        const bool usable = ReadConfig(group, [&lines](const QString& line) {
            if (!line.startsWith(QStringLiteral("[Config] ")))
                fuzz::Fail("a status line without its prefix");
            ++lines;
        });
        if ((group < kConfigSerialPort || group > kConfigMapPages) && (usable || lines != 0))
            fuzz::Fail("an unknown group read something");
        if (group >= kConfigSerialPort && group <= kConfigMapPages && lines == 0)
            fuzz::Fail("a group read without a status line");
    }
    const ConfigRecord& c = ConfigSettings;
    if (c.UartBaudrate != defaults.UartBaudrate && (c.UartBaudrate < 1200 || c.UartBaudrate > 115200))
        fuzz::Fail("baud rate out of range");
    if (!PortLike(c.ServerInputPort, defaults.ServerInputPort) || !PortLike(c.ClientPort, defaults.ClientPort) ||
        (c.ServerOutputPort != 0 && !PortLike(c.ServerOutputPort, defaults.ServerOutputPort)))
        fuzz::Fail("port out of range");
    if (c.MapCount > 9 || c.UartPort.size() > 259 || c.ClientUrl.size() > 259 || c.ClientVin.size() > 259)
        fuzz::Fail("count or text beyond its limit");
    if (ServerListenAddress().isNull())
        fuzz::Fail("a listen address that names no address");
    return 0;
}
