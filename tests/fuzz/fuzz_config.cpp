// SPDX-License-Identifier: GPL-3.0-or-later
// config.ini reading: the input as the whole file, every group read from
// it into its record. Each group writes its status lines and leaves its
// record within the ranges the features rely on.

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdint>

#include "FuzzInput.h"
#include "settings/CommandsConfig.h"
#include "settings/Config.h"

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

    int lines = 0;
    const auto appendLine = [&lines](const QString& line) {
        if (!line.startsWith(QStringLiteral("[Config] ")))
            fuzz::Fail("a status line without its prefix");
        ++lines;
    };
    const auto read = [&](auto record) {
        lines = 0;
        ReadConfig(record, appendLine);
        if (lines == 0)
            fuzz::Fail("a group read without a status line");
        return record;
    };
    const SerialPortConfig serial = read(SerialPortConfig{});
    const TcpInputConfig input = read(TcpInputConfig{});
    const ForwardingConfig forwarding = read(ForwardingConfig{});
    const UploadConfig upload = read(UploadConfig{});
    const MapPagesConfig pages = read(MapPagesConfig{});
    if (serial.baudrate != SerialPortConfig{}.baudrate && (serial.baudrate < 1200 || serial.baudrate > 115200))
        fuzz::Fail("baud rate out of range");
    if (!PortLike(input.inputPort, TcpInputConfig{}.inputPort) || !PortLike(upload.port, UploadConfig{}.port) ||
        (forwarding.outputPort != 0 && !PortLike(forwarding.outputPort, ForwardingConfig{}.outputPort)))
        fuzz::Fail("port out of range");
    if (pages.count > 9 || serial.port.size() > 259 || upload.url.size() > 259 || upload.vin.size() > 259)
        fuzz::Fail("count or text beyond its limit");
    if (ServerListenAddress(input.listenAddress).isNull() || ServerListenAddress(forwarding.listenAddress).isNull())
        fuzz::Fail("a listen address that names no address");
    // [commands]: one line per key, each preset named and with a command.
    CommandPresetsConfig commands;
    lines = 0;
    ReadConfig(commands, appendLine);
    if (size_t(lines) < commands.presets.size())
        fuzz::Fail("a preset read without its line");
    for (const CommandPreset& preset : commands.presets) {
        if (preset.text.isEmpty())
            fuzz::Fail("a preset without a command");
    }
    return 0;
}
