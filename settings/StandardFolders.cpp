// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandardFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace orvane {

namespace {

QString XdgFolder(const char* variable, const char* underHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(QDir::homePath() + QChar('/') + QLatin1String(underHome));
}

}  // namespace

QString ExecutableFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString InstalledDataFolder(const QString& exeFolder)
{
    return QDir::cleanPath(exeFolder + QStringLiteral("/" ORVANE_DATA_FROM_BIN));
}

QString XdgConfigHome()
{
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

QString XdgDataHome()
{
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

QString FindInFolders(const QStringList& folders, const QString& relativePath)
{
    for (const QString& folder : folders) {
        const QString path = QDir::cleanPath(folder + QChar('/') + relativePath);
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

bool FolderWritable(const QString& folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

}  // namespace orvane
