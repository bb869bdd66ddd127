// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The satellites window: one signal bar per satellite in two blocks of 30.
// The upper block always shows GPS, the lower one the constellation chosen
// in the window's list. Created hidden with the main window, shown and
// hidden by Show Signals; while shown, the dispatcher hands it every talker
// row after each GSV pass.

#include <QDialog>
#include <QHash>

#include "decoder/Records.h"

class QComboBox;
class QLabel;
class QProgressBar;

namespace orvane {

inline constexpr int IDC_CONSTELLATION = 1078;
inline constexpr int kUpperFirstBar = 1018;
inline constexpr int kLowerFirstBar = 1048;
inline constexpr int kBarLabelOffset = 61;  // a bar's label has the bar's id plus 61
inline constexpr int kBarMaximum = 50;

class CGNSS_SatellitesDlg : public QDialog {
    Q_OBJECT

public:
    explicit CGNSS_SatellitesDlg(QWidget* owner);

    // Empties the lower block's bars and labels, and the upper block's too
    // when bothBlocks is set.
    void ResetSignals(bool bothBlocks);

    // Shows one talker row's used slots: in the upper block for GPS, in the
    // lower block when the row is the chosen constellation. Slots after the
    // last used one keep what they showed.
    void UpdateSignals(int talkerRow, const SatelliteTable::Row& satellites);

    QProgressBar* Bar(int id) const;
    QLabel* BarLabel(int barId) const;
    QComboBox* Constellations() const;

private:
    void OnSelChangeConstellation();
    void ResetBlock(int firstBar);
    void FillBlock(int firstBar, const SatelliteTable::Row& satellites);

    QHash<int, QWidget*> m_Controls;
};

}  // namespace orvane
