#include "SecondaryMapDlg.h"

#include "DialogTemplate.h"
#include "KeyRule.h"

namespace orvane {

CGNSS_SecondaryMapDlg::CGNSS_SecondaryMapDlg(QWidget* owner) : QDialog(owner)
{
    // A caption without window menu or close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("Secondary Map"));
    const QFont font = DialogFont(8);
    setFont(font);
    setFixedSize(DialogUnits(font).ToPixels(302, 323));
    SwallowEnterAndEscape(this);
}

}  // namespace orvane
