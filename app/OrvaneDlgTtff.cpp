// SPDX-License-Identifier: GPL-3.0-or-later
// The TTFF Test window of the main window: opened from the window menu or
// with Ctrl+T. A series runs on the open receiver: its restart commands go
// out as the console's do (a [Send] line, a mark in the recording), the
// receiver's bytes reach the runner as they arrive, and the end of the
// source ends the series. The report holds every series since the last
// Clear; Save CSV writes their runs.

#include "OrvaneDlg.h"
#include "TtffDlg.h"
#include "UiSeam.h"

namespace orvane {

void COrvaneDlg::OnTtffTest()
{
    if (!m_TtffDlg) {
        m_TtffDlg = std::make_unique<TtffDlg>(this);
        connect(m_TtffDlg.get(), &TtffDlg::StartRequested, this, &COrvaneDlg::StartTtff);
        connect(m_TtffDlg.get(), &TtffDlg::StopRequested, this, [this] {
            if (m_TtffRunner)
                m_TtffRunner->Stop();
        });
        connect(m_TtffDlg.get(), &TtffDlg::SaveCsvRequested, this, &COrvaneDlg::SaveTtffCsv);
        connect(m_TtffDlg.get(), &TtffDlg::ClearRequested, this, [this] {
            m_TtffSeries.clear();
            m_TtffDlg->ShowReport(m_TtffSeries, {});
        });
        m_TtffDlg->ShowReport(m_TtffSeries, {});
    }
    ReadCommandPresets();
    m_TtffDlg->show();
    m_TtffDlg->raise();
    m_TtffDlg->activateWindow();
}

void COrvaneDlg::StartTtff()
{
    if (m_TtffRunner || !m_TtffDlg)
        return;
    TtffSettings settings;
    QString error;
    if (!m_TtffDlg->ReadSettings(settings, error)) {
        m_TtffDlg->AddLine(QStringLiteral("[TTFF] not started: %1").arg(error));
        return;
    }
    if (!m_Live.IsOpen()) {
        m_TtffDlg->AddLine(QStringLiteral("[TTFF] not started: no receiver is open (Online Mode, then Start Parsing)"));
        return;
    }
    const QString typed = QString::fromStdString(settings.command);
    m_TtffRunner = std::make_unique<TtffRunner>(settings, [this, typed](const std::string&, std::string& reason) {
        const LiveSession::SendResult result = SendToReceiver(typed);
        m_TtffSource = result.source;
        reason = result.reason.toStdString();
        return result.sent;
    });
    connect(m_TtffRunner.get(), &TtffRunner::Line, this, [this](const QString& line) {
        AppendLine(line);
        if (m_TtffDlg)
            m_TtffDlg->AddLine(line);
    });
    connect(m_TtffRunner.get(), &TtffRunner::Finished, this, &COrvaneDlg::OnTtffFinished);
    m_TtffDlg->SetRunning(true);
    std::string startError;
    if (!m_TtffRunner->Start(startError)) {
        m_TtffRunner.reset();
        m_TtffDlg->SetRunning(false);
        m_TtffDlg->AddLine(QStringLiteral("[TTFF] not started: %1").arg(QString::fromStdString(startError)));
    }
}

void COrvaneDlg::OnTtffFinished()
{
    if (!m_TtffRunner)
        return;
    m_TtffSeries.push_back(m_TtffRunner->Series());
    const std::string criterion = Describe(m_TtffRunner->Settings().criterion);
    // The runner is in its own signal: it goes once that returns.
    m_TtffRunner.release()->deleteLater();
    if (m_TtffDlg) {
        m_TtffDlg->SetRunning(false);
        m_TtffDlg->ShowReport(m_TtffSeries, criterion);
    }
}

void COrvaneDlg::SaveTtffCsv()
{
    const SaveFileRequest request{QStringLiteral("Save TTFF Runs as CSV"), QStringLiteral("CSV Files"),
        QStringLiteral("*.csv"), QStringLiteral("csv"), QStringLiteral("ttff.csv")};
    const QString path = m_Seam.SaveFileName(this, request);
    if (path.isEmpty())
        return;
    if (SaveText(path, RunsCsv(m_TtffSeries), QStringLiteral("runs")))
        AppendLine(QStringLiteral("TTFF runs saved to \"%1\"").arg(path));
}

}  // namespace orvane
