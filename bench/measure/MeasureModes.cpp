// SPDX-License-Identifier: GPL-3.0-or-later
#include "MeasureModes.h"
#include "SkyScreenshot.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <unistd.h>

#include "../../tests/common/PageScript.h"
#include "BaseMapShot.h"
#include "OrvaneDlg.h"
#include "SatellitesDlg.h"
#include "WebBrowser2.h"

namespace orvane {

namespace {

int Screenshot(const QString& png, const QString& file)
{
    COrvaneDlg dialog;
    dialog.show();
    dialog.DropFiles({file});
    if (dialog.Replay().Loaded()) {
        Find<QPushButton>(dialog, IDC_RUN)->click();
        for (int tick = 0; tick < 12; ++tick)
            dialog.OnReplayTick();
        Find<QPushButton>(dialog, IDC_RUN)->click();
    }
    QCoreApplication::processEvents();
    dialog.FlushTextView();
    return dialog.grab().save(png, "PNG") ? 0 : 1;
}

struct TickTimes {
    std::vector<double> handler;  // the tick handler alone, in ms
    std::vector<double> turn;     // the handler, the view refresh and the repaint it causes
};

void Report(const char* where, int32_t from, int32_t to, std::vector<double> times)
{
    const size_t slowest = size_t(std::max_element(times.begin(), times.end()) - times.begin());
    std::sort(times.begin(), times.end());
    std::printf("  %-6s positions %d..%d: %zu ticks, median %.3f ms, 99th %.3f ms, max %.3f ms (tick %zu)\n", where,
        from, to, times.size(), times[times.size() / 2], times[times.size() * 99 / 100], times.back(), slowest + 1);
}

int MeasureTicks(int count, const QString& file)
{
    COrvaneDlg dialog;
    dialog.show();
    QElapsedTimer load;
    load.start();
    dialog.DropFiles({file});
    const double loadMs = double(load.nsecsElapsed()) / 1e6;
    if (!dialog.Replay().Loaded()) {
        std::fprintf(stderr, "orvane: %s did not load\n", qPrintable(file));
        return 1;
    }
    std::printf("loaded %d bytes in %.1f ms\n", int(dialog.Replay().Text().size()), loadMs);
    while (dialog.Replay().SpeedStep() < 10)
        Find<QPushButton>(dialog, IDC_FASTER)->click();
    Find<QPushButton>(dialog, IDC_SHOW_SIGNALS)->click();
    std::printf("speed step %d (%d ms), signals %s, talker list '%s', message row %d\n", dialog.Replay().SpeedStep(),
        dialog.Replay().Interval(),
        Find<QPushButton>(dialog, IDC_SHOW_SIGNALS)->text() == "Hide Signals" ? "shown" : "hidden",
        qPrintable(Find<QComboBox>(dialog, IDC_SATELLITE_LIST)->currentText()),
        Find<QComboBox>(dialog, IDC_MESSAGE_LIST)->currentIndex());

    // The lines of the load are shown before the ticks, as in a real run.
    QCoreApplication::processEvents();

    TickTimes all;
    for (const auto& [where, slider] : {std::pair{"start", 0}, std::pair{"middle", 5000}, std::pair{"end", 9900}}) {
        dialog.OnSeek(slider);
        Find<QPushButton>(dialog, IDC_RUN)->click();
        const int32_t from = dialog.Replay().Cursor().m_ParsePosition;
        TickTimes region;
        QElapsedTimer clock;
        for (int tick = 0; tick < count && dialog.Replay().Running(); ++tick) {
            clock.start();
            dialog.OnReplayTick();
            const qint64 handler = clock.nsecsElapsed();
            QCoreApplication::processEvents();
            const qint64 turn = clock.nsecsElapsed();
            region.handler.push_back(double(handler) / 1e6);
            region.turn.push_back(double(turn) / 1e6);
        }
        const int32_t to = dialog.Replay().Cursor().m_ParsePosition;
        if (dialog.Replay().Running())
            Find<QPushButton>(dialog, IDC_RUN)->click();
        std::printf("%s:\n", where);
        Report("tick", from, to, region.handler);
        Report("+view", from, to, region.turn);
        all.handler.insert(all.handler.end(), region.handler.begin(), region.handler.end());
        all.turn.insert(all.turn.end(), region.turn.begin(), region.turn.end());
    }
    std::printf("all:\n");
    Report("tick", 0, 0, all.handler);
    Report("+view", 0, 0, all.turn);
    return 0;
}

int ExitAfterLoad(const QStringList& files)
{
    COrvaneDlg dialog;
    QElapsedTimer clock;
    clock.start();
    if (!files.isEmpty())
        dialog.DropFiles(files);
    const qint64 loadMs = clock.elapsed();
    std::printf("loaded: %s, %d bytes\n", dialog.Replay().Loaded() ? "yes" : "no", int(dialog.Replay().Text().size()));
    if (!files.isEmpty())
        std::printf("load time: %lld ms\n", (long long)loadMs);
    return 0;
}

// Runs the event loop for ms milliseconds.
void Spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until done() holds or timeoutMs pass.
template <class Done>
bool SpinUntil(Done done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The value of a script expression in the browser's page.
QVariant Evaluate(CWebBrowser2& browser, const QString& script)
{
    return EvaluateInPage(browser, script, 30000).value_or(QVariant());
}

int TrackPointCount(CWebBrowser2& browser)
{
    return Evaluate(browser, QStringLiteral("typeof trackPointCount === 'function' ? trackPointCount() : -1")).toInt();
}

// The window with the map switched on and its page loaded.
bool SwitchMapOn(COrvaneDlg& dialog)
{
    Find<QPushButton>(dialog, IDC_ENABLE_MAP)->click();
    if (!Find<QPushButton>(dialog, IDC_ENABLE_MAP)->isChecked())
        return false;
    CWebBrowser2& browser = *dialog.Browser();
    return SpinUntil([&] { return !browser.Busy(); }, 30000) && TrackPointCount(browser) >= 0;
}

double Percentile(std::vector<double> values, int percent)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, values.size() * size_t(percent) / 100)];
}

// Calls the window's UpdateMapPosition count times with the track page
// already holding 100 000 points. Reports the UI thread's cost of one call,
// the page's own setCurPos time (performance.now() around the page's
// function), and the time until the renderer has run the call.
int MeasureMap(int count)
{
    COrvaneDlg dialog;
    dialog.show();
    if (!SwitchMapOn(dialog)) {
        std::fprintf(stderr, "orvane: the map page did not load (config.ini next to the executable)\n");
        return 1;
    }
    CWebBrowser2& browser = *dialog.Browser();
    // 100 000 points of a drive on a spiral, fed inside the page.
    Evaluate(browser, QStringLiteral("(function(){for (var i = 0; i < 100000; ++i) {"
                                     " var r = 0.0001 * i / 1000, a = i / 500;"
                                     " setCurPos(37.55 + r * Math.sin(a), 126.97 + r * Math.cos(a), a * 57.3 % 360); }"
                                     " return trackPointCount(); })()"));
    Spin(500);  // the frame that draws them
    const int before = TrackPointCount(browser);
    Evaluate(browser, QStringLiteral("(function(){var f = window.setCurPos; window.__times = [];"
                                     " window.setCurPos = function (a, b, c) { var t = performance.now();"
                                     " f(a, b, c); window.__times.push(performance.now() - t); }; return 1; })()"));
    DispatchHooks& hooks = dialog.WindowHooks();
    std::vector<double> call, roundTrip;
    QElapsedTimer clock;
    for (int k = 0; k < count; ++k) {
        const double a = (100000 + k) / 500.0;
        const double r = 0.0001 * (100000 + k) / 1000;
        clock.start();
        hooks.UpdateMapPosition(37.55 + r * std::sin(a), 126.97 + r * std::cos(a), std::fmod(a * 57.3, 360.0));
        call.push_back(double(clock.nsecsElapsed()) / 1e3);
        // The next script runs after the call in the renderer; its answer
        // marks the call as done there.
        Evaluate(browser, QStringLiteral("1"));
        roundTrip.push_back(double(clock.nsecsElapsed()) / 1e6);
        Spin(16);  // one frame apart, as positions come at most 10 a second
    }
    const QVariantList times = Evaluate(browser, QStringLiteral("window.__times")).toList();
    std::vector<double> inPage;
    for (const QVariant& t : times)
        inPage.push_back(t.toDouble());
    const int after = TrackPointCount(browser);
    std::printf("track points: %d before, %d after %d calls\n", before, after, count);
    std::printf("UpdateMapPosition on the UI thread: median %.1f us, 99th %.1f us, max %.1f us\n", Percentile(call, 50),
        Percentile(call, 99), Percentile(call, 100));
    if (!inPage.empty())
        std::printf("setCurPos in the page: %zu calls, median %.4f ms, 99th %.4f ms, max %.4f ms\n", inPage.size(),
            Percentile(inPage, 50), Percentile(inPage, 99), Percentile(inPage, 100));
    std::printf("call until run in the renderer: median %.2f ms, 99th %.2f ms\n", Percentile(roundTrip, 50),
        Percentile(roundTrip, 99));
    return after == before + count ? 0 : 1;
}

// Milliseconds since this process started (from /proc, 10 ms steps), or
// -1 where that cannot be read.
double MsSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    // The fields after the command name, which ends with the last ")".
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const long ticks = sysconf(_SC_CLK_TCK);
    if (fields.size() < 20 || ticks <= 0)
        return -1;
    const double startSeconds = fields.at(19).toDouble() / double(ticks);  // field 22, starttime
    const double upSeconds = uptime.readAll().split(' ').value(0).toDouble();
    return (upSeconds - startSeconds) * 1000.0;
}

// From here to the first position on the track page: the window, the log
// loaded, the map switched on, Run at the fastest step.
int MeasureFirstPosition(const QString& file)
{
    QElapsedTimer clock;
    clock.start();
    COrvaneDlg dialog;
    dialog.show();
    dialog.DropFiles({file});
    if (!dialog.Replay().Loaded()) {
        std::fprintf(stderr, "orvane: %s did not load\n", qPrintable(file));
        return 1;
    }
    Find<QPushButton>(dialog, IDC_ENABLE_MAP)->click();
    if (!Find<QPushButton>(dialog, IDC_ENABLE_MAP)->isChecked())
        return 1;
    while (dialog.Replay().SpeedStep() < 10)
        Find<QPushButton>(dialog, IDC_FASTER)->click();
    Find<QPushButton>(dialog, IDC_RUN)->click();
    const double started = double(clock.nsecsElapsed()) / 1e6;
    CWebBrowser2& browser = *dialog.Browser();
    double loaded = -1;
    const bool drawn = SpinUntil(
        [&] {
            if (loaded < 0 && !browser.Busy())
                loaded = double(clock.nsecsElapsed()) / 1e6;
            return loaded >= 0 && TrackPointCount(browser) >= 1;
        },
        30000);
    std::printf(
        "window, load and Run: %.1f ms; page loaded: %.1f ms; first position on the page: %.1f ms"
        " (%.0f ms after the process started)\n",
        started, loaded, double(clock.nsecsElapsed()) / 1e6, MsSinceProcessStart());
    return drawn ? 0 : 1;
}

QImage Picture(QWidget& window)
{
    // The screen's picture holds what the browser drew; the widget's own
    // grab is the fallback.
    QScreen* screen = window.screen();
    QPixmap pixmap = screen ? screen->grabWindow(window.winId()) : QPixmap();
    if (pixmap.isNull() || pixmap.size() != window.size() * pixmap.devicePixelRatio())
        pixmap = window.grab();
    return pixmap.toImage();
}

// Replays FILE with the map on and the satellites window shown, then saves
// the two windows as map-window.png and satellites-window.png in DIR.
int MapScreenshots(const QString& folder, const QString& file, int ticks)
{
    COrvaneDlg dialog;
    dialog.move(0, 0);
    dialog.show();
    dialog.DropFiles({file});
    if (!dialog.Replay().Loaded() || !SwitchMapOn(dialog))
        return 1;
    Find<QPushButton>(dialog, IDC_SHOW_SIGNALS)->click();
    dialog.SatellitesDlg()->move(dialog.frameGeometry().right() + 8, 0);
    ReplayTicks(dialog, ticks);
    const int points = TrackPointCount(*dialog.Browser());
    dialog.FlushTextView();
    Spin(1500);  // the page's frame and the windows' repaint
    const QDir dir(folder);
    const bool saved =
        Picture(dialog).save(dir.filePath(QStringLiteral("map-window.png")), "PNG") &&
        dialog.SatellitesDlg()->grab().save(dir.filePath(QStringLiteral("satellites-window.png")), "PNG");
    std::printf("track points: %d\n", points);
    return saved && points > 0 ? 0 : 1;
}

}  // namespace

std::optional<int> RunMeasureMode(const QStringList& arguments)
{
    if (arguments.size() < 2)
        return std::nullopt;
    const QString& mode = arguments.at(1);
    if (mode == QStringLiteral("--screenshot") && arguments.size() == 4)
        return Screenshot(arguments.at(2), arguments.at(3));
    if (mode == QStringLiteral("--measure-ticks") && arguments.size() == 4) {
        bool ok = false;
        const int count = arguments.at(2).toInt(&ok);
        return ok && count > 0 ? MeasureTicks(count, arguments.at(3)) : 2;
    }
    if (mode == QStringLiteral("--measure-map") && arguments.size() == 3) {
        bool ok = false;
        const int count = arguments.at(2).toInt(&ok);
        return ok && count > 0 ? MeasureMap(count) : 2;
    }
    if (mode == QStringLiteral("--measure-first-position") && arguments.size() == 3)
        return MeasureFirstPosition(arguments.at(2));
    if (mode == QStringLiteral("--map-screenshots") && arguments.size() == 5) {
        bool ok = false;
        const int ticks = arguments.at(4).toInt(&ok);
        return ok && ticks > 0 ? MapScreenshots(arguments.at(2), arguments.at(3), ticks) : 2;
    }
    if (mode == QStringLiteral("--basemap-screenshot") && arguments.size() == 5) {
        bool ok = false;
        const int ticks = arguments.at(4).toInt(&ok);
        return ok && ticks > 0 ? BaseMapScreenshot(arguments.at(2), arguments.at(3), ticks) : 2;
    }
    if (mode == QStringLiteral("--sky-screenshot") && arguments.size() == 5) {
        bool ok = false;
        const int ticks = arguments.at(4).toInt(&ok);
        return ok && ticks > 0 ? SkyViewScreenshot(arguments.at(2), arguments.at(3), ticks) : 2;
    }
    if (mode == QStringLiteral("--exit-after-load") && arguments.size() <= 3)
        return ExitAfterLoad(arguments.mid(2));
    return std::nullopt;
}

void ReplayTicks(COrvaneDlg& dialog, int ticks)
{
    Find<QPushButton>(dialog, IDC_RUN)->click();
    for (int tick = 0; tick < ticks && dialog.Replay().Running(); ++tick) {
        dialog.OnReplayTick();
        QCoreApplication::processEvents();
    }
    if (dialog.Replay().Running())
        Find<QPushButton>(dialog, IDC_RUN)->click();
}

}  // namespace orvane
