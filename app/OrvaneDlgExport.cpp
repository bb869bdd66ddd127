// SPDX-License-Identifier: GPL-3.0-or-later
// The window menu's track export: the positions of the loaded log or of
// the live session written as a GPX file.

#include "OrvaneDlg.h"

#include <QFileInfo>
#include <QSaveFile>

#include "UiSeam.h"
#include "replay/TrackExport.h"

namespace orvane {

std::vector<TrackPoint> COrvaneDlg::TrackToSave() const
{
    // Offline with a log loaded: the whole log, however far it was replayed.
    if (!m_State.m_Online && m_Replay.Loaded()) {
        TrackCollector log;
        log.Feed(m_Replay.Text());
        return log.Points();
    }
    return m_LiveTrack.Points();
}

void COrvaneDlg::OnSaveTrack()
{
    const SaveFileRequest request{QStringLiteral("Save Track as GPX"), QStringLiteral("GPX Files"),
        QStringLiteral("*.gpx"), QStringLiteral("gpx"), QStringLiteral("track.gpx")};
    const QString path = m_Seam.SaveFileName(this, request);
    if (path.isEmpty())
        return;
    const std::vector<TrackPoint> points = TrackToSave();
    const std::string gpx = TrackToGpx(points, QFileInfo(path).completeBaseName().toStdString());

    if (SaveText(path, gpx, QStringLiteral("track")))
        AppendLine(QStringLiteral("Track saved: %1 points to \"%2\"").arg(points.size()).arg(path));
}

bool COrvaneDlg::SaveText(const QString& path, const std::string& text, const QString& what)
{
    // The file is replaced only once the whole text is written.
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(text.data(), qint64(text.size())) == qint64(text.size()) && file.commit();
    if (!written)
        m_Seam.MessageBox(this, QStringLiteral("Cannot save the %1 to \"%2\": %3").arg(what, path, file.errorString()));
    return written;
}

}  // namespace orvane
