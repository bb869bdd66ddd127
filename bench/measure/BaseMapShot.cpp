// SPDX-License-Identifier: GPL-3.0-or-later
#include "BaseMapShot.h"

#include "MeasureModes.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>

#include <cstdio>
#include <string>

#include "../../tests/common/PageScript.h"
#include "../../tests/common/TestTiles.h"
#include "OrvaneDlg.h"
#include "WebBrowser2.h"
#include "replay/LogText.h"
#include "replay/TrackCollect.h"
#include "settings/Config.h"

namespace orvane {

namespace {

constexpr int kZoom = 17;

// Tiles 3 on every side of each tile the track passes.
bool WriteTilesAlong(const QString& folder, const std::string& log)
{
    TrackCollector track;
    track.Feed(log);
    QSet<QPair<int, int>> done;
    for (const TrackPoint& point : track.Points()) {
        const QPoint tile = TileOf(point.latitude, point.longitude, kZoom);
        if (done.contains({tile.x(), tile.y()}))
            continue;
        done.insert({tile.x(), tile.y()});
        if (!WriteTestTiles(folder, point.latitude, point.longitude, kZoom, 3))
            return false;
    }
    return !done.isEmpty();
}

}  // namespace

int BaseMapScreenshot(const QString& png, const QString& file, int ticks)
{
    QTemporaryDir folder;
    std::string log, reason;
    if (!folder.isValid() || !ReadLogFile(file.toStdString(), false, log, reason) ||
        !WriteTilesAlong(folder.filePath("tiles"), log)) {
        std::fprintf(stderr, "orvane-measure: no tiles for %s %s\n", qPrintable(file), reason.c_str());
        return 1;
    }
    QFile config(folder.filePath("config.ini"));
    const QString tiles = QUrl::fromLocalFile(folder.filePath("tiles")).toString() + "/{z}/{x}/{y}.png";
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(QString("[map]\ncount=1\nurl1=%1\n[basemap]\ntiles=%2\n").arg(ORVANE_OSM_PAGE, tiles).toUtf8()) <
            0)
        return 1;
    config.close();
    SetConfigFolder(folder.path());

    COrvaneDlg dialog;
    dialog.move(0, 0);
    dialog.show();
    dialog.DropFiles({file});
    Find<QPushButton>(dialog, IDC_ENABLE_MAP)->click();
    CWebBrowser2& browser = *dialog.Browser();
    if (!dialog.Replay().Loaded() || !WaitInEventLoop([&] { return !browser.Busy(); }, 30000))
        return 1;
    ReplayTicks(dialog, ticks);
    dialog.FlushTextView();
    // The tiles around the last position, then the frame that shows them.
    const auto loaded = [&] {
        const auto state = EvaluateInPage(browser, "tileState().loaded", 5000);
        return state && state->toInt() >= 6;
    };
    const bool tilesShown = WaitInEventLoop(loaded, 20000);
    WaitInEventLoop([] { return false; }, 1500);
    const int points = EvaluateInPage(browser, "trackPointCount()", 5000).value_or(0).toInt();

    QScreen* screen = dialog.screen();
    QPixmap picture = screen ? screen->grabWindow(dialog.winId()) : QPixmap();
    if (picture.isNull() || picture.size() != dialog.size() * picture.devicePixelRatio())
        picture = dialog.grab();
    std::printf("track points: %d, tiles shown: %s\n", points, tilesShown ? "yes" : "no");
    return picture.save(png, "PNG") && points > 0 && tilesShown ? 0 : 1;
}

}  // namespace orvane
