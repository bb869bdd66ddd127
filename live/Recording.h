// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A recording file: the live text of each tick appended byte for byte and
// flushed at once, in a file named after the local time when it started.
// The folder is the executable's when it can be written, else the user's
// recordings folder, unless a test points it elsewhere.

#include <QDateTime>
#include <QFile>
#include <QString>

#include <string_view>

namespace orvane {

// A file that grows past this many bytes is closed and a new one started.
inline constexpr qint64 kRecordingSizeLimit = 3072000;

// "[YYYYMMDD] hhmmss.log" for the given local time.
QString RecordingFileName(const QDateTime& localTime);

// The folder recordings are written to: the folder that was set, else the
// executable's folder when it can be written and is no installed program's
// folder, else the user's $XDG_DATA_HOME/orvane/recordings. An empty
// folder restores the lookup.
void SetRecordingFolder(const QString& folder);
QString RecordingFolder();

// The folder of the next recording: RecordingFolder(), with the user's
// recordings folder created on first use (a folder that was set is taken
// as it is).
QString PrepareRecordingFolder();

// Whether exeFolder is an installed program's: a system folder (under
// /usr, /bin, /sbin, /opt or /snap) or the bin/ of an installation whose
// data folder holds the default config.ini.
bool InstalledProgramFolder(const QString& exeFolder);

// Where recordings go without a folder set: exeFolder when it can be
// written and is no installed program's, else dataHome/orvane/recordings.
QString ChooseRecordingFolder(const QString& exeFolder, const QString& dataHome);

class RecordingFile {
public:
    enum class Mode { Truncate, Append };

    // Creates the file, or cuts an existing one to zero length (or, to
    // append, keeps it and writes at its end). On failure reason holds the
    // system's text and nothing stays open. Size() counts from the open.
    bool Open(const QString& path, QString& reason, Mode mode = Mode::Truncate);

    // Writes all of bytes and flushes them to the system. On failure
    // reason holds the system's text; the file stays open, and Size()
    // counts only what the system took.
    bool Append(std::string_view bytes, QString& reason);

    // The bytes handed to the system so far.
    qint64 Size() const { return m_Size; }
    bool IsOpen() const { return m_File.isOpen(); }
    const QString& Path() const { return m_Path; }
    void Close();

private:
    QFile m_File;
    QString m_Path;
    qint64 m_Size = 0;
};

}  // namespace orvane
