// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a log: the Load Flie button, dropped files, and the check that
// decides which talkers the log offers.

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <new>
#include <utility>

#include "OrvaneDlg.h"
#include "UiSeam.h"
#include "decoder/FindSentence.h"
#include "replay/Dispatcher.h"
#include "replay/LogText.h"

namespace orvane {

void COrvaneDlg::OnLoadFile()
{
    const OpenFileRequest request{QStringLiteral("NMEA Files"), QStringLiteral("*.*"), QStringLiteral("NMEA"),
        QStringLiteral("*.*")};
    const QString path = m_Seam.OpenFileName(this, request);
    if (!path.isEmpty()) {
        Purge();
        LoadLogFile(path, QFileInfo(path).fileName());
    }
    UpdateControls();
}

void COrvaneDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void COrvaneDlg::dropEvent(QDropEvent* event)
{
    QStringList paths;
    // A URL that names no local file is kept as it is; opening it fails.
    for (const QUrl& url : event->mimeData()->urls())
        paths.append(url.isLocalFile() ? url.toLocalFile() : url.toString());
    event->acceptProposedAction();
    DropFiles(paths);
}

void COrvaneDlg::DropFiles(const QStringList& paths)
{
    // Online, the text, the recording and the lists belong to the live
    // data: a log would be mixed into them.
    if (m_State.m_Online) {
        if (!paths.isEmpty())
            AppendLine(QStringLiteral("Fail to load '") + QFileInfo(paths.constFirst()).fileName() +
                       QStringLiteral("': leave Online Mode first."));
        return;
    }
    Purge();
    if (!paths.isEmpty()) {
        // The first file only, with its whole path, however long.
        const QString& first = paths.constFirst();
        const QString path = first.isEmpty() ? QString() : QFileInfo(first).absoluteFilePath();
        const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
        AppendLine(name);
        // Show the name before a long load keeps the window busy.
        FlushTextView();
        repaint();
        LoadLogFile(path, name);
    }
    UpdateControls();
}

void COrvaneDlg::LoadLogFile(const QString& path, const QString& name)
{
    // The log is only read: a read-only file loads, and a directory, a FIFO
    // or a device is refused without waiting on it. A file without zero
    // bytes is mapped read-only and used where it lies; one with zero bytes
    // is copied without them. Either is the one copy the program holds.
    // The summary reads what was replayed of the log it replaces first.
    m_Replay.CatchUpSummary(m_State.m_FixSummary);
    LoadedLog log;
    std::string reason;
    size_t zeroBytes = 0;
    bool read = false;
    try {
        read = !path.isEmpty() && ReadLogFile(QFile::encodeName(path).toStdString(), true, log, reason, &zeroBytes);
    } catch (const std::bad_alloc&) {
        m_Seam.MessageBox(this, QStringLiteral("Memory Error"));
        return;
    }
    if (!read) {
        const QFileInfo info(path);
        // A file longer than positions can address cannot be held.
        const bool tooLarge = info.isFile() && info.size() > kMaxTextLength;
        m_Seam.MessageBox(this, tooLarge ? QStringLiteral("Memory Error") : QStringLiteral("File Open Error"));
        return;
    }
    if (log.Empty() && QFileInfo(path).size() == 0) {
        m_Seam.MessageBox(this, QStringLiteral("File Size Error"));
        return;
    }

    const bool loaded = CheckLogText(log.View(), m_LogSummary) != 0;
    AppendLine(loaded ? QStringLiteral("Load '") + name + QStringLiteral("' OK!")
                      : QStringLiteral("Fail to load '") + name + QStringLiteral("'."));
    // The log is read without its zero bytes (a cut write leaves a run of
    // them); the user learns that the file held some.
    if (zeroBytes > 0)
        AppendLine(QString::number(zeroBytes) +
                   (zeroBytes == 1 ? QStringLiteral(" zero byte skipped") : QStringLiteral(" zero bytes skipped")));
    if (!loaded) {
        Purge();
        return;
    }
    m_Replay.Load(std::move(log));
    m_LoadedName = name;
    m_Epochs.ForgetLog();
    FillLists();
    ResetCharts();
}

void COrvaneDlg::FillLists()
{
    QComboBox* talkers = m_Ui.talkers;
    for (int row = 0; row < kTalkerCount; ++row) {
        if (m_LogSummary.present[size_t(row)])
            talkers->addItem(QString::fromStdString(TalkerLabel(row)));
    }
    if (talkers->count() == 0) {
        Purge();
        AppendLine(QStringLiteral("Invalid NMEA or not enough information"));
        return;
    }
    talkers->setCurrentIndex(0);
    QComboBox* messages = m_Ui.messages;
    for (const MessageEntry& entry : MessageTable)
        messages->addItem(QString::fromLatin1(entry.display.data(), qsizetype(entry.display.size())));
    messages->setCurrentIndex(kDefaultMessageRow);
}

}  // namespace orvane
