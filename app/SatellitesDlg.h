#pragma once
// The satellites window: created hidden with the main window, shown and
// hidden by Show Signals. Its signal bars come with the satellites window
// work; until then it is an empty window that takes the updates.

#include <QDialog>

#include "decoder/Records.h"

namespace orvane {

class CGNSS_SatellitesDlg : public QDialog {
    Q_OBJECT

public:
    explicit CGNSS_SatellitesDlg(QWidget* owner);

    // Empties the bars: the lower block always, the upper one too when
    // bothBlocks is set.
    void ResetSignals(bool bothBlocks);
    // Shows one talker row's slots.
    void UpdateSignals(int talkerRow, const SatelliteTable::Row& satellites);
};

}  // namespace orvane
