// SPDX-License-Identifier: GPL-3.0-or-later
#include "SatellitesDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <vector>

#include "CloseRule.h"
#include "DialogTemplate.h"
#include "KeyRule.h"
#include "decoder/Tables.h"

namespace orvane {

namespace {

constexpr int kBarsPerRow = 15;
const char* const kEmptyLabel = "REV.";

// Template 130: a title and a group box per block, each block two rows of
// 15 bars with a label under each bar, and the constellation list between
// the blocks.
std::vector<ControlTemplate> SatellitesTemplate()
{
    struct BarRow {
        int firstBar, barY, labelY;
    };
    std::vector<ControlTemplate> controls;
    auto addRow = [&controls](const BarRow& row) {
        for (int k = 0; k < kBarsPerRow; ++k) {
            const int x = 11 + 32 * k;
            controls.push_back({row.firstBar + k, ControlKind::VerticalProgressBar, "", x, row.barY, 30, 40});
            controls.push_back(
                {row.firstBar + k + kBarLabelOffset, ControlKind::CentredLabel, kEmptyLabel, x, row.labelY, 30, 8});
        }
    };
    controls.push_back({kNoControlId, ControlKind::CentredLabel, "GPS", 219, 3, 62, 8});
    controls.push_back({kNoControlId, ControlKind::GroupBox, "", 2, 12, 496, 132});
    addRow({kUpperFirstBar, 28, 71});
    addRow({kUpperFirstBar + kBarsPerRow, 86, 128});
    controls.push_back({IDC_CONSTELLATION, ControlKind::DropDownCombo, "", 219, 152, 62, 39});
    controls.push_back({kNoControlId, ControlKind::GroupBox, "", 2, 166, 496, 132});
    addRow({kLowerFirstBar, 182, 224});
    addRow({kLowerFirstBar + kBarsPerRow, 240, 283});
    return controls;
}

}  // namespace

CGNSS_SatellitesDlg::CGNSS_SatellitesDlg(QWidget* owner) : QDialog(owner)
{
    // A small-caption tool window without window menu or close box.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    const std::vector<ControlTemplate> controls = SatellitesTemplate();
    m_Controls = SetUpTemplateWindow(this, QStringLiteral("Satellites"), 8, QSize(500, 300), controls);
    SwallowEnterAndEscape(this);
    IgnoreCloseRequests(this);

    // Every talker in table order, so an item's index is its talker row;
    // the list opens on the second row, GLONASS.
    QComboBox* list = Constellations();
    for (int row = 0; row < kTalkerCount; ++row)
        list->addItem(QString::fromStdString(TalkerLabel(row)));
    list->setCurrentIndex(1);
    for (int k = 0; k < 2 * kGsvMaxSatellites; ++k)
        Bar(kUpperFirstBar + k)->setRange(0, kBarMaximum);
    ResetSignals(true);
    connect(list, &QComboBox::currentIndexChanged, this, &CGNSS_SatellitesDlg::OnSelChangeConstellation);
}

QProgressBar* CGNSS_SatellitesDlg::Bar(int id) const
{
    return qobject_cast<QProgressBar*>(m_Controls.value(id));
}

QLabel* CGNSS_SatellitesDlg::BarLabel(int barId) const
{
    return qobject_cast<QLabel*>(m_Controls.value(barId + kBarLabelOffset));
}

QComboBox* CGNSS_SatellitesDlg::Constellations() const
{
    return qobject_cast<QComboBox*>(m_Controls.value(IDC_CONSTELLATION));
}

void CGNSS_SatellitesDlg::ResetBlock(int firstBar)
{
    for (int k = 0; k < kGsvMaxSatellites; ++k) {
        Bar(firstBar + k)->setValue(0);
        BarLabel(firstBar + k)->setText(QString::fromLatin1(kEmptyLabel));
    }
}

void CGNSS_SatellitesDlg::ResetSignals(bool bothBlocks)
{
    if (bothBlocks)
        ResetBlock(kUpperFirstBar);
    ResetBlock(kLowerFirstBar);
}

void CGNSS_SatellitesDlg::FillBlock(int firstBar, const SatelliteTable::Row& satellites)
{
    for (int k = 0; k < kGsvMaxSatellites && satellites[size_t(k)].prn != 0; ++k) {
        const GsvSatellite& satellite = satellites[size_t(k)];
        // The bar shows what fits its range; the label the true value.
        Bar(firstBar + k)->setValue(std::clamp(satellite.snr, 0, kBarMaximum));
        BarLabel(firstBar + k)
            ->setText(QStringLiteral("%1(%2)").arg(QString::number(satellite.prn), QString::number(satellite.snr)));
    }
}

void CGNSS_SatellitesDlg::UpdateSignals(int talkerRow, const SatelliteTable::Row& satellites)
{
    if (talkerRow == 0)
        FillBlock(kUpperFirstBar, satellites);
    if (Constellations()->currentIndex() == talkerRow)
        FillBlock(kLowerFirstBar, satellites);
}

void CGNSS_SatellitesDlg::OnSelChangeConstellation()
{
    ResetBlock(kLowerFirstBar);
}

}  // namespace orvane
