// SPDX-License-Identifier: GPL-3.0-or-later
#include "MapPageLookup.h"

#include <QDir>
#include <QFileInfo>

#include "WebBrowser2.h"
#include "live/StandardFolders.h"

namespace orvane {

QStringList MapPageFolders(const QString& exeFolder)
{
    return {exeFolder, InstalledDataFolder(exeFolder)};
}

QUrl MapPageUrl(const QString& value, const QStringList& folders)
{
    QString base = folders.value(0);
    for (const QString& folder : folders) {
        // A value with a scheme or an absolute path names no file here, or
        // the same file in every folder: the first folder stays.
        if (QFileInfo(QDir(folder).filePath(value)).isFile()) {
            base = folder;
            break;
        }
    }
    return MapUrlFromConfig(value, base);
}

}  // namespace orvane
