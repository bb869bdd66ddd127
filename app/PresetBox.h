// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The box of the [commands] presets that the receiver console and the TTFF
// test offer: a first line that says what to do, then "name: text" per
// preset; choosing one gives its text for the command line.

#include <QComboBox>
#include <QString>

#include <optional>
#include <vector>

#include "settings/CommandsConfig.h"

namespace orvane {

class PresetBox : public QComboBox {
public:
    explicit PresetBox(QWidget* parent);

    // The presets, in the file's order; none disables the box.
    void SetPresets(const std::vector<CommandPreset>& presets);
    const std::vector<CommandPreset>& Presets() const { return m_Presets; }
    // The text of the preset on the box's line index; none for the first line.
    std::optional<QString> PresetText(int index) const;

private:
    std::vector<CommandPreset> m_Presets;
};

}  // namespace orvane
