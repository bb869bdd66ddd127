// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The order in which Orvane looks for config.ini: next to the executable
// first, as a build folder has them, then the user's settings folder, then
// the installed data folder.

#include <QString>
#include <QStringList>

namespace orvane {

// exeFolder, $XDG_CONFIG_HOME/orvane (~/.config/orvane), and the installed
// data folder (share/orvane).
QStringList ConfigFolders(const QString& exeFolder);

}  // namespace orvane
