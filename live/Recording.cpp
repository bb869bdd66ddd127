// SPDX-License-Identifier: GPL-3.0-or-later
#include "Recording.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "settings/StandardFolders.h"

namespace orvane {

namespace {

QString& FolderOverride()
{
    static QString folder;
    return folder;
}

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

QString RecordingFileName(const QDateTime& localTime)
{
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    return QStringLiteral("[%1%2%3] %4%5%6.log")
        .arg(date.year(), 4, 10, QChar('0'))
        .arg(date.month(), 2, 10, QChar('0'))
        .arg(date.day(), 2, 10, QChar('0'))
        .arg(time.hour(), 2, 10, QChar('0'))
        .arg(time.minute(), 2, 10, QChar('0'))
        .arg(time.second(), 2, 10, QChar('0'));
}

void SetRecordingFolder(const QString& folder)
{
    FolderOverride() = folder;
}

bool InstalledProgramFolder(const QString& exeFolder)
{
    const QString folder = QDir::cleanPath(exeFolder) + QChar('/');
    for (const char* system : {"/usr/", "/bin/", "/sbin/", "/opt/", "/snap/"}) {
        if (folder.startsWith(QLatin1String(system)))
            return true;
    }
    // An installation elsewhere: its data folder holds the default
    // config.ini, and no config.ini lies beside the program (a build puts
    // one there).
    return QFileInfo(InstalledDataFolder(exeFolder) + QStringLiteral("/config.ini")).isFile() &&
           !QFileInfo(exeFolder + QStringLiteral("/config.ini")).exists();
}

QString ChooseRecordingFolder(const QString& exeFolder, const QString& dataHome)
{
    // An installed program never records into its own folder, even where
    // it may write there (run as root): the files would mix with the
    // package's and outlive its removal.
    if (!InstalledProgramFolder(exeFolder) && FolderWritable(exeFolder))
        return exeFolder;
    return dataHome + QStringLiteral("/orvane/recordings");
}

QString RecordingFolder()
{
    if (!FolderOverride().isEmpty())
        return FolderOverride();
    return ChooseRecordingFolder(ExecutableFolder(), XdgDataHome());
}

QString PrepareRecordingFolder()
{
    const QString folder = RecordingFolder();
    // A folder that cannot be made shows as the open's failure.
    if (FolderOverride().isEmpty() && !QFileInfo(folder).isDir())
        QDir().mkpath(folder);
    return folder;
}

bool RecordingFile::Open(const QString& path, QString& reason, Mode mode)
{
    Close();
    m_File.setFileName(path);
    // Unbuffered: every Append goes straight to the system, so a failed
    // write is seen at once and the size counts only what was taken.
    const QIODevice::OpenMode how = mode == Mode::Append ? QIODevice::Append : QIODevice::Truncate;
    if (!m_File.open(QIODevice::WriteOnly | how | QIODevice::Unbuffered)) {
        reason = m_File.errorString();
        return false;
    }
    m_Path = path;
    m_Size = 0;
    return true;
}

bool RecordingFile::Append(std::string_view bytes, QString& reason)
{
    if (!m_File.isOpen()) {
        reason = QStringLiteral("the file is not open");
        return false;
    }
    const int fd = m_File.handle();
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            reason = SystemReason(errno);
            return false;
        }
        if (n == 0) {
            reason = SystemReason(ENOSPC);
            return false;
        }
        done += size_t(n);
        m_Size += n;
    }
    // fdatasync reports what a full disk or a failing device could not
    // keep; a device that cannot sync (a pipe, a terminal) has nothing to lose.
    if (::fdatasync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        reason = SystemReason(errno);
        return false;
    }
    return true;
}

void RecordingFile::Close()
{
    if (m_File.isOpen())
        m_File.close();
    m_Path.clear();
    m_Size = 0;
}

}  // namespace orvane
