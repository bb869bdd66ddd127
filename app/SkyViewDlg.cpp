// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkyViewDlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

#include "FixStatusPanel.h"
#include "Latin1Text.h"
#include "SkyPlot.h"

namespace orvane {

namespace {

constexpr int kStaleCheckMs = 1000;
// The role that holds the number a cell sorts by.
constexpr int kSortRole = Qt::UserRole;
// The SNR columns' headers, by band group + 1 (0: signals without an ID).
const char* const kBandHeaders[] = {"SNR", "L1/E1/B1", "L2/G2", "L5/E5a/B2a", "E5b/B2I", "other"};
constexpr int kBandGroups = 6;

uint64_t SatelliteUpdates(const FixSummary& summary)
{
    return summary.Sky().Updates();
}

// A cell that sorts by the number in kSortRole, whatever it shows.
class SortItem : public QTableWidgetItem {
public:
    explicit SortItem(double key) { setData(kSortRole, key); }

    bool operator<(const QTableWidgetItem& other) const override
    {
        return data(kSortRole).toDouble() < other.data(kSortRole).toDouble();
    }
};

QTableWidgetItem* NumberItem(int value)
{
    auto* item = new SortItem(value);
    item->setData(Qt::DisplayRole, value);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QTableWidgetItem* TextItem(const QString& text, double key)
{
    auto* item = new SortItem(key);
    item->setText(text);
    return item;
}

// The signals of a satellite, each with its band group: a satellite listed
// without its signals counts as one signal without an ID.
struct BandSignal {
    int band = -1;
    SkySignal signal;
};

std::vector<BandSignal> SignalsOf(const SkySatellite& sky)
{
    std::vector<BandSignal> bandSignals;
    for (const SkySignal& signal : sky.perSignal)
        bandSignals.push_back({SignalBand(sky.constellation, signal.id), signal});
    if (bandSignals.empty())
        bandSignals.push_back({-1, {0, sky.satellite.snr}});
    return bandSignals;
}

}  // namespace

SkyViewDlg::SkyViewDlg(const FixSummary& summary, QWidget* owner) : QDialog(owner), m_Summary(summary)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint);
    setWindowTitle(QStringLiteral("Sky View"));

    m_Plot = new SkyPlot(this);
    m_Panel = new FixStatusPanel(this);
    m_Table = new QTableWidget(0, kFirstSnrColumn, this);
    m_Table->verticalHeader()->setVisible(false);
    m_Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Each column as wide as its header and cells.
    m_Table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_Table->horizontalHeader()->setStretchLastSection(true);
    SetBandColumns({-1});
    m_Table->horizontalHeader()->setSortIndicator(ConstellationColumn, Qt::AscendingOrder);
    m_Table->setSortingEnabled(true);

    m_Messages = new QListWidget(this);
    m_Messages->setUniformItemSizes(true);
    m_Messages->setMinimumHeight(m_Messages->fontMetrics().lineSpacing() * 4);
    auto* messagesTitle = new QLabel(QStringLiteral("Receiver messages (TXT)"), this);
    messagesTitle->setBuddy(m_Messages);

    // The plot over the table on the left; the panel over the messages on
    // the right, as wide as the panel needs.
    auto* left = new QVBoxLayout;
    left->addWidget(m_Plot, 3);
    left->addWidget(m_Table, 2);
    auto* right = new QVBoxLayout;
    right->addWidget(m_Panel);
    right->addWidget(messagesTitle);
    right->addWidget(m_Messages, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right, 0);
    resize(1180, 900);

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
    FillMessages();
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
    m_Messages->clear();
    m_DrawnSatelliteUpdates = UINT64_MAX;
    m_ListedMessages = UINT64_MAX;
}

void SkyViewDlg::SetBandColumns(const std::vector<int>& bands)
{
    if (bands == m_Bands)
        return;
    QHeaderView* header = m_Table->horizontalHeader();
    const int sorted = header->sortIndicatorSection();
    const Qt::SortOrder order = header->sortIndicatorOrder();
    const QTableWidgetItem* sortedItem = sorted >= 0 ? m_Table->horizontalHeaderItem(sorted) : nullptr;
    const QString sortedName = sortedItem ? sortedItem->text() : QString();

    m_Bands = bands;
    QStringList names{QStringLiteral("Constellation"), QStringLiteral("PRN"), QStringLiteral("Elevation"),
        QStringLiteral("Azimuth"), QStringLiteral("Used")};
    for (const int band : bands)
        names << QString::fromLatin1(kBandHeaders[band + 1]);
    m_Table->setColumnCount(int(names.size()));
    m_Table->setHorizontalHeaderLabels(names);

    // The sort stays on its column by name; a band's column that is gone
    // leaves the table sorted by constellation.
    const int column = sortedName.isEmpty() ? -1 : int(names.indexOf(sortedName));
    if (column >= 0)
        header->setSortIndicator(column, order);
    else
        header->setSortIndicator(ConstellationColumn, Qt::AscendingOrder);
}

void SkyViewDlg::FillTable(const std::vector<SkySatellite>& satellites)
{
    std::array<bool, kBandGroups> present{};
    for (const SkySatellite& sky : satellites) {
        for (const BandSignal& signal : SignalsOf(sky))
            present[size_t(signal.band + 1)] = true;
    }
    std::vector<int> bands;
    for (int band = -1; band + 1 < kBandGroups; ++band) {
        if (present[size_t(band + 1)])
            bands.push_back(band);
    }
    // No satellite: the one column of a receiver without signal IDs.
    if (bands.empty())
        bands.push_back(-1);

    // Rows are filled unsorted, then sorted once by the chosen column.
    m_Table->setSortingEnabled(false);
    SetBandColumns(bands);
    m_Table->setRowCount(int(satellites.size()));
    for (int k = 0; k < int(satellites.size()); ++k) {
        const SkySatellite& sky = satellites[size_t(k)];
        m_Table->setItem(k, ConstellationColumn,
            TextItem(Latin1(ConstellationName(sky.constellation)), double(sky.constellation)));
        m_Table->setItem(k, PrnColumn, NumberItem(sky.satellite.prn));
        m_Table->setItem(k, ElevationColumn, NumberItem(sky.satellite.elevation));
        m_Table->setItem(k, AzimuthColumn, NumberItem(sky.satellite.azimuth));
        m_Table->setItem(k, UsedColumn, TextItem(sky.used ? QStringLiteral("yes") : QStringLiteral("no"), sky.used));
        const std::vector<BandSignal> bandSignals = SignalsOf(sky);
        for (size_t column = 0; column < bands.size(); ++column) {
            // The best of the satellite's signals in the band; the tooltip
            // names each of them.
            int best = -1;
            QStringList named;
            for (const BandSignal& signal : bandSignals) {
                if (signal.band != bands[column])
                    continue;
                best = std::max(best, int(signal.signal.snr));
                if (signal.signal.id != 0)
                    named << QStringLiteral("%1: %2 dB-Hz")
                                 .arg(Latin1(SignalName(sky.constellation, signal.signal.id)))
                                 .arg(signal.signal.snr);
            }
            // No signal in the band: an empty cell, below every SNR.
            QTableWidgetItem* item = best >= 0 ? NumberItem(best) : new SortItem(-1);
            if (!named.isEmpty())
                item->setToolTip(named.join('\n'));
            m_Table->setItem(k, kFirstSnrColumn + int(column), item);
        }
    }
    m_Table->setSortingEnabled(true);
}

void SkyViewDlg::FillMessages()
{
    const TxtLog& txt = m_Summary.Reports().Txt();
    if (txt.Received() == m_ListedMessages)
        return;
    m_ListedMessages = txt.Received();
    m_Messages->clear();
    for (size_t k = 0; k < txt.Size(); ++k) {
        const TxtMessage& message = txt.At(k);
        m_Messages->addItem(QStringLiteral("%1 %2").arg(message.id, 2, 10, QChar('0')).arg(Latin1(message.Text())));
    }
    m_Messages->scrollToBottom();
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
