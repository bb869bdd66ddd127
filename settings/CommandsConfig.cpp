// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandsConfig.h"

#include "IniParse.h"

namespace orvane {

namespace {

struct CommandKeys {
    std::vector<CommandPreset> presets;
    std::vector<QString> empty;  // keys without a command
};

int KeepCommandKey(void* user, const char* section, const char* name, const char* value)
{
    if (!name || !value || QByteArray(section).toLower() != "commands")
        return 1;
    auto* keys = static_cast<CommandKeys*>(user);
    const QString key = QString::fromUtf8(name).trimmed();
    const QString text = QString::fromUtf8(value).trimmed();
    for (const CommandPreset& preset : keys->presets) {
        if (preset.name.compare(key, Qt::CaseInsensitive) == 0)
            return 1;
    }
    if (text.isEmpty())
        keys->empty.push_back(key);
    else
        keys->presets.push_back({key, text});
    return 1;
}

}  // namespace

bool ReadConfig(CommandPresetsConfig& record, const ConfigLineSink& appendLine)
{
    CommandKeys keys;
    ParseIniFile(ConfigFilePath(), &KeepCommandKey, &keys);
    for (const CommandPreset& preset : keys.presets)
        appendLine(QStringLiteral("[Config] commands/%1 = %2 (ok)").arg(preset.name, preset.text));
    for (const QString& key : keys.empty)
        appendLine(QStringLiteral("[Config] commands/%1 = (unused: no command)").arg(key));
    record.presets = std::move(keys.presets);
    return !record.presets.empty();
}

}  // namespace orvane
