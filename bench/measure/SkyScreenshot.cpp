// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkyScreenshot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTableWidget>

#include <cstdio>

#include "MeasureModes.h"
#include "OrvaneDlg.h"
#include "SkyViewDlg.h"

namespace orvane {

int SkyViewScreenshot(const QString& png, const QString& file, int ticks)
{
    COrvaneDlg dialog;
    dialog.show();
    dialog.DropFiles({file});
    if (!dialog.Replay().Loaded())
        return 1;
    dialog.OnSkyView();
    SkyViewDlg& sky = *dialog.SkyView();
    Find<QPushButton>(dialog, IDC_RUN)->click();
    dialog.Replay().HoldTimer();
    for (int tick = 0; tick < ticks && dialog.Replay().Running(); ++tick) {
        dialog.OnReplayTick();
        QCoreApplication::processEvents();
    }
    // The windows' repaint.
    QElapsedTimer spin;
    spin.start();
    while (spin.elapsed() < 500)
        QCoreApplication::processEvents();
    std::printf("satellites shown: %d\n", sky.Table()->rowCount());
    return sky.grab().save(png, "PNG") && sky.Table()->rowCount() > 0 ? 0 : 1;
}

}  // namespace orvane
