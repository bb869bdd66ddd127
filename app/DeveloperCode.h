// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The developer codes typed into the main window: four fixed words that
// switch the raw-data and recording-progress lines on and off.

#include <QString>

namespace orvane {

enum class DeveloperCode {
    Invalid,
    ShowRawData,    // VIEWLOGDUMP
    HideRawData,    // MASKLOGDUMP
    ShowRecording,  // VIEWTAPESTATE
    HideRecording,  // MASKTAPESTATE
};

// The code the typed text names: upper-cased, with every blank (U+0020)
// removed; any other white space stays and so makes the text invalid.
DeveloperCode ParseDeveloperCode(const QString& typed);

// The line the code writes into the text view.
QString DeveloperCodeLine(DeveloperCode code);

}  // namespace orvane
