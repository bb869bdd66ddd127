// SPDX-License-Identifier: GPL-3.0-or-later
// The Charts window of the main window, opened from the window menu or with
// Ctrl+G, and the window menu's epoch exports. Offline with a log loaded,
// the charts show the whole log with a cursor at the replay's position,
// and a click on a chart replays from that epoch; online they show the
// live session so far and grow with it, redrawn at most once a second.
// The exports write the same epochs: one CSV row per epoch, and the track
// as KML coloured by fix.

#include <QFileInfo>
#include <QShortcut>
#include <QSlider>

#include "ChartsDlg.h"
#include "OrvaneDlg.h"
#include "UiSeam.h"
#include "analysis/EpochKml.h"
#include "analysis/StatsReport.h"

namespace orvane {

namespace {
constexpr qint64 kLiveChartsMs = 1000;
}  // namespace

void COrvaneDlg::SetUpCharts()
{
    auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), this);
    connect(key, &QShortcut::activated, this, &COrvaneDlg::OnCharts);
    m_ChartsTimer.setSingleShot(true);
    connect(&m_ChartsTimer, &QTimer::timeout, this, &COrvaneDlg::FollowCharts);
}

const EpochLog& COrvaneDlg::EpochsToShow(QString& name)
{
    if (!m_State.m_Online && m_Replay.Loaded()) {
        name = m_LoadedName;
        return m_Epochs.LogEpochs(m_Replay.Text()).log;
    }
    name = QStringLiteral("live session");
    return m_Epochs.LiveEpochs();
}

void COrvaneDlg::OnCharts()
{
    if (!m_ChartsDlg) {
        m_ChartsDlg = std::make_unique<ChartsDlg>(this);
        connect(m_ChartsDlg.get(), &ChartsDlg::EpochClicked, this, &COrvaneDlg::OnChartEpochClicked);
    }
    // The epochs go in before the window shows, so it never draws others.
    ResetCharts(true);
    m_ChartsDlg->show();
    m_ChartsDlg->raise();
    m_ChartsDlg->activateWindow();
}

void COrvaneDlg::ResetCharts(bool opening)
{
    if (!m_ChartsDlg)
        return;
    // A closed window lets go of the epochs it showed: they may be gone
    // (another log, a new session) before it opens again.
    if (!opening && !m_ChartsDlg->isVisible()) {
        m_ChartsDlg->ShowEpochs(nullptr, QString(), false);
        return;
    }
    QString name;
    const EpochLog& epochs = EpochsToShow(name);
    m_ChartsDlg->ShowEpochs(&epochs, name, false);
    m_ChartsClock.start();
    FollowCharts();
}

void COrvaneDlg::FollowCharts()
{
    if (!m_ChartsDlg || !m_ChartsDlg->isVisible())
        return;
    if (m_State.m_Online) {
        // Redrawn at most once a second, the last growth of a burst too.
        const qint64 since = m_ChartsClock.isValid() ? m_ChartsClock.elapsed() : kLiveChartsMs;
        if (since < kLiveChartsMs) {
            if (!m_ChartsTimer.isActive())
                m_ChartsTimer.start(int(kLiveChartsMs - since));
            return;
        }
        m_ChartsTimer.stop();
        m_ChartsClock.start();
        m_ChartsDlg->ShowEpochs(&m_Epochs.LiveEpochs(), QStringLiteral("live session"), true);
        m_ChartsDlg->SetCursorEpoch(std::nullopt);
    } else if (m_Replay.Loaded()) {
        const EpochsWithStarts& epochs = m_Epochs.LogEpochs(m_Replay.Text());
        const int32_t at = m_Replay.Cursor().m_ParsePosition;
        if (epochs.starts.empty())
            m_ChartsDlg->SetCursorEpoch(std::nullopt);
        else
            m_ChartsDlg->SetCursorEpoch(EpochAtOffset(epochs.starts, at < 0 ? m_Replay.Text().size() : size_t(at)));
    }
}

void COrvaneDlg::OnChartEpochClicked(qulonglong epoch)
{
    if (m_State.m_Online || !m_Replay.Loaded())
        return;
    const EpochsWithStarts& epochs = m_Epochs.LogEpochs(m_Replay.Text());
    if (epoch >= epochs.starts.size())
        return;
    m_Replay.SeekToOffset(epochs.starts[size_t(epoch)]);
    m_Ui.slider->setValue(m_Replay.SliderValue());
    FollowCharts();
}

void COrvaneDlg::OnSaveEpochs(EpochFormat format)
{
    const bool csv = format == EpochFormat::Csv;
    const SaveFileRequest request =
        csv ? SaveFileRequest{QStringLiteral("Save Epochs as CSV"), QStringLiteral("CSV Files"),
                  QStringLiteral("*.csv"), QStringLiteral("csv"), QStringLiteral("epochs.csv")}
            : SaveFileRequest{QStringLiteral("Save Epochs as KML"), QStringLiteral("KML Files"),
                  QStringLiteral("*.kml"), QStringLiteral("kml"), QStringLiteral("track.kml")};
    const QString path = m_Seam.SaveFileName(this, request);
    if (path.isEmpty())
        return;
    QString name;
    const EpochLog& epochs = EpochsToShow(name);
    // The errors of the CSV are those the Charts window shows: about its
    // reference, of its fixes; without the window about the mean of all fixes.
    StatsOptions options;
    ReportContext context;
    if (m_ChartsDlg)
        m_ChartsDlg->ReadOptions(options, context);
    std::string text;
    if (csv) {
        const ReceiverStats stats = ComputeStats(epochs, options);
        context.file = name.toStdString();
        context.log = &epochs;
        context.options = &options;
        text = EpochsCsv(stats, context);
    } else {
        text = EpochsKml(epochs, 0, epochs.epochs.size(), FixFilter::All,
            QFileInfo(path).completeBaseName().toStdString());
    }
    if (SaveText(path, text, QStringLiteral("epochs")))
        AppendLine(QStringLiteral("Epochs saved: %1 epochs to \"%2\"").arg(epochs.epochs.size()).arg(path));
}

}  // namespace orvane
