// SPDX-License-Identifier: GPL-3.0-or-later
#include "PresetBox.h"

namespace orvane {

PresetBox::PresetBox(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("presets"));
    SetPresets({});
}

void PresetBox::SetPresets(const std::vector<CommandPreset>& presets)
{
    m_Presets = presets;
    clear();
    addItem(presets.empty() ? QStringLiteral("(none: add them to [commands] in config.ini)")
                            : QStringLiteral("(choose a preset)"));
    for (const CommandPreset& preset : presets)
        addItem(QStringLiteral("%1: %2").arg(preset.name, preset.text));
    setEnabled(!presets.empty());
}

std::optional<QString> PresetBox::PresetText(int index) const
{
    if (index < 1 || size_t(index) > m_Presets.size())
        return std::nullopt;
    return m_Presets[size_t(index - 1)].text;
}

}  // namespace orvane
