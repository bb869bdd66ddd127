// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where Orvane looks for its files besides its own folder: the data folder
// of an installation (share/orvane beside bin/), and the user's settings
// and data folders of the XDG base directory rules.

#include <QString>
#include <QStringList>

namespace orvane {

// The folder of the running executable.
QString ExecutableFolder();

// The installed data folder seen from an executable in exeFolder: the
// build's data folder relative to its program folder (../share/orvane for
// a usual prefix), so an installation moved as a whole still finds it.
QString InstalledDataFolder(const QString& exeFolder);

// $XDG_CONFIG_HOME and $XDG_DATA_HOME, or ~/.config and ~/.local/share
// when the variable is unset, empty or not an absolute path.
QString XdgConfigHome();
QString XdgDataHome();

// The full path of relativePath in the first folder that holds it, or an
// empty text when none does.
QString FindInFolders(const QStringList& folders, const QString& relativePath);

// Whether the process may create files in folder.
bool FolderWritable(const QString& folder);

}  // namespace orvane
