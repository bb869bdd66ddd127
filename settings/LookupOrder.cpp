// SPDX-License-Identifier: GPL-3.0-or-later
#include "LookupOrder.h"

#include "StandardFolders.h"

namespace orvane {

QStringList ConfigFolders(const QString& exeFolder)
{
    return {exeFolder, XdgConfigHome() + QStringLiteral("/orvane"), InstalledDataFolder(exeFolder)};
}

}  // namespace orvane
