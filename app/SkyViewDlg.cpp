// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkyViewDlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "FixStatusPanel.h"
#include "SkyPlot.h"
#include "decoder/Tables.h"

namespace orvane {

namespace {

constexpr int kStaleCheckMs = 1000;

uint64_t SatelliteUpdates(const FixSummary& summary)
{
    return summary.Sky().Updates();
}

// A cell that sorts by its number.
QTableWidgetItem* NumberItem(int value)
{
    auto* item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, value);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

}  // namespace

SkyViewDlg::SkyViewDlg(const FixSummary& summary, QWidget* owner) : QDialog(owner), m_Summary(summary)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
    setWindowTitle(QStringLiteral("Sky View"));

    m_Plot = new SkyPlot(this);
    m_Panel = new FixStatusPanel(this);
    m_Table = new QTableWidget(0, kColumnCount, this);
    m_Table->setHorizontalHeaderLabels({QStringLiteral("Talker"), QStringLiteral("PRN"), QStringLiteral("Elevation"),
        QStringLiteral("Azimuth"), QStringLiteral("SNR"), QStringLiteral("Used")});
    m_Table->verticalHeader()->setVisible(false);
    m_Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_Table->horizontalHeader()->setStretchLastSection(true);
    m_Table->horizontalHeader()->setSortIndicator(TalkerColumn, Qt::AscendingOrder);
    m_Table->setSortingEnabled(true);

    auto* top = new QHBoxLayout;
    top->addWidget(m_Plot, 3);
    top->addWidget(m_Panel, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 3);
    layout->addWidget(m_Table, 2);
    resize(860, 760);

    m_RefreshTimer.setSingleShot(true);
    connect(&m_RefreshTimer, &QTimer::timeout, this, &SkyViewDlg::Refresh);
    connect(&m_StaleTimer, &QTimer::timeout, this, &SkyViewDlg::Refresh);
    m_Clock.start();
}

void SkyViewDlg::NoteTick()
{
    if (isVisible() && !m_RefreshTimer.isActive())
        m_RefreshTimer.start(0);
}

void SkyViewDlg::Refresh()
{
    m_Panel->Show(m_Summary, m_Clock.elapsed());
    const uint64_t updates = SatelliteUpdates(m_Summary);
    if (updates == m_DrawnSatelliteUpdates)
        return;
    m_DrawnSatelliteUpdates = updates;
    std::vector<SkySatellite> satellites = m_Summary.Satellites();
    FillTable(satellites);
    m_Plot->SetSatellites(std::move(satellites));
}

void SkyViewDlg::Reset()
{
    m_RefreshTimer.stop();
    m_Panel->Reset();
    m_Plot->SetSatellites({});
    m_Table->setRowCount(0);
    m_DrawnSatelliteUpdates = UINT64_MAX;
}

void SkyViewDlg::FillTable(const std::vector<SkySatellite>& satellites)
{
    // Rows are filled unsorted, then sorted once by the chosen column.
    m_Table->setSortingEnabled(false);
    m_Table->setRowCount(int(satellites.size()));
    for (int k = 0; k < int(satellites.size()); ++k) {
        const SkySatellite& sky = satellites[size_t(k)];
        const std::string_view id = TalkerTable[size_t(sky.talkerRow)].id;
        m_Table->setItem(k, TalkerColumn, new QTableWidgetItem(QString::fromLatin1(id.data(), qsizetype(id.size()))));
        m_Table->setItem(k, PrnColumn, NumberItem(sky.satellite.prn));
        m_Table->setItem(k, ElevationColumn, NumberItem(sky.satellite.elevation));
        m_Table->setItem(k, AzimuthColumn, NumberItem(sky.satellite.azimuth));
        m_Table->setItem(k, SnrColumn, NumberItem(sky.satellite.snr));
        m_Table->setItem(k, UsedColumn, new QTableWidgetItem(sky.used ? QStringLiteral("yes") : QStringLiteral("no")));
    }
    m_Table->setSortingEnabled(true);
}

void SkyViewDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Refresh();
    m_StaleTimer.start(kStaleCheckMs);
}

void SkyViewDlg::hideEvent(QHideEvent* event)
{
    m_StaleTimer.stop();
    QDialog::hideEvent(event);
}

}  // namespace orvane
