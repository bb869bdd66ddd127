#include "SatellitesDlg.h"

#include "DialogTemplate.h"
#include "KeyRule.h"

namespace orvane {

CGNSS_SatellitesDlg::CGNSS_SatellitesDlg(QWidget* owner) : QDialog(owner)
{
    // A small-caption tool window without window menu or close box.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("Satellites"));
    const QFont font = DialogFont(8);
    setFont(font);
    setFixedSize(DialogUnits(font).ToPixels(500, 300));
    SwallowEnterAndEscape(this);
}

void CGNSS_SatellitesDlg::ResetSignals(bool /*bothBlocks*/) {}

void CGNSS_SatellitesDlg::UpdateSignals(int /*talkerRow*/, const SatelliteTable::Row& /*satellites*/) {}

}  // namespace orvane
