// SPDX-License-Identifier: GPL-3.0-or-later
#include "MapPageLookup.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "StandardFolders.h"

namespace orvane {

QStringList MapPageFolders(const QString& exeFolder)
{
    return {exeFolder, InstalledDataFolder(exeFolder)};
}

QUrl MapUrlFromConfig(const QString& value, const QString& exeFolder)
{
    if (value.isEmpty())
        return QUrl(QStringLiteral("about:blank"));
    // A scheme is a letter, then letters, digits, "+", "-" or ".", then ":".
    // One letter alone would be a drive letter, which has no place here
    // but is read as a scheme all the same rather than as a path.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]*:"));
    if (scheme.match(value).hasMatch())
        return QUrl(value);
    const QString path = QDir::isAbsolutePath(value) ? value : QDir(exeFolder).filePath(value);
    return QUrl::fromLocalFile(QDir::cleanPath(path));
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
