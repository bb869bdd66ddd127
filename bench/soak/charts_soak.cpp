// SPDX-License-Identifier: GPL-3.0-or-later
// Soak run of the Charts window on a long live session, outside the normal
// suite:
//
//   orvane-charts-soak EPOCHS [4.11] [nocharts]
//       one TCP client sends EPOCHS epochs of a standing 10 Hz receiver
//       (NMEA 4.0, or 4.11: multi-band) as fast as the window takes them, while the
//       Charts window is open and grows with the session (with "nocharts"
//       it is closed, for the window's own memory per epoch).
//   orvane-charts-soak --log FILE
//       the window loads FILE and opens the Charts window on it; the time
//       of each and of the zooms (a day at 10 Hz:
//       orvane-loggen --static --rate 10 --seconds 864000 -o FILE).
//
// 864000 epochs are a day of it. The real main window runs offscreen in online
// mode. The client keeps at most kAhead epochs ahead of those the window has
// read: a receiver sends one epoch per 100 ms, so a live session never holds
// more than a tick's text unread, and a client that piled up hundreds of
// megabytes in the window's socket would measure that pile, not the session. The run reports the epochs the charts
// counted against those sent (the last stays open, waiting for a later time), the resident memory per epoch, the time
// of one growth of the charts (once a second online) and of their statistics computed anew, and the time of a zoom: the
// range set and every chart redrawn, over all epochs and zoomed in step by step.

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <qcustomplot.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ChartsDlg.h"
#include "Generator.h"
#include "OrvaneDlg.h"
#include "SoakSupport.h"

using namespace orvane;

namespace {

long StatusKiB(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(std::string(key).size()));
    return 0;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Sets the charts' range and redraws every chart now; milliseconds.
double TimedZoom(ChartsDlg& charts, double from, double to)
{
    QElapsedTimer clock;
    clock.start();
    charts.SetTimeRange(from, to);
    for (int k = 0; k < ChartsDlg::kChartCount; ++k)
        charts.TimePlot(ChartsDlg::Chart(k))->replot(QCustomPlot::rpImmediateRefresh);
    return double(clock.nsecsElapsed()) / 1e6;
}

// Zooms: halving the range about its middle down to a minute, and back out
// to all epochs; the milliseconds of each, and of all epochs in full.
std::vector<double> ZoomTimes(ChartsDlg& charts, size_t epochs, double& full)
{
    std::vector<double> zooms;
    const double first = charts.SecondsOf(0), last = charts.SecondsOf(epochs - 1);
    double half = (last - first) / 2;
    const double middle = (first + last) / 2;
    while (half > 30) {
        zooms.push_back(TimedZoom(charts, middle - half, middle + half));
        half /= 2;
    }
    while (half < (last - first) / 2) {
        half *= 2;
        zooms.push_back(TimedZoom(charts, middle - half, middle + half));
    }
    full = TimedZoom(charts, first, last);
    return zooms;
}

void PrintZooms(const std::vector<double>& zooms, double full)
{
    std::printf("zoom and redraw of all charts: %zu zooms, median %.1f ms, max %.1f ms; all epochs %.1f ms\n",
        zooms.size(), Median(zooms), zooms.empty() ? 0 : *std::max_element(zooms.begin(), zooms.end()), full);
}

bool ZoomsWithin(const std::vector<double>& zooms, double full, double ms)
{
    return (zooms.empty() || *std::max_element(zooms.begin(), zooms.end()) < ms) && full < ms;
}

// The window loads the log and opens the Charts window on it.
int OpenLog(const QString& path)
{
    QTemporaryDir folder;
    UseConfig(folder, QString());
    COrvaneDlg dialog;
    dialog.show();
    QElapsedTimer clock;
    clock.start();
    dialog.DropFiles({path});
    const double loadMs = double(clock.nsecsElapsed()) / 1e6;
    if (!dialog.Replay().Loaded()) {
        std::fprintf(stderr, "%s: not loaded\n", qPrintable(path));
        return 1;
    }
    clock.start();
    dialog.OnCharts();
    ChartsDlg& charts = *dialog.Charts();
    for (int k = 0; k < ChartsDlg::kChartCount; ++k)
        charts.TimePlot(ChartsDlg::Chart(k))->replot(QCustomPlot::rpImmediateRefresh);
    const double chartsMs = double(clock.nsecsElapsed()) / 1e6;
    const size_t epochs = charts.EpochCount();
    if (epochs < 2) {
        std::fprintf(stderr, "%s: fewer than two epochs\n", qPrintable(path));
        return 1;
    }
    double full = 0;
    const std::vector<double> zooms = ZoomTimes(charts, epochs, full);
    std::printf("log: %s, %.1f MB, %zu epochs\n", qPrintable(path), double(dialog.Replay().Text().size()) / 1e6,
        epochs);
    std::printf("loaded in %.0f ms; the Charts window opened on it (epochs read, statistics, all charts) in %.0f ms\n",
        loadMs, chartsMs);
    PrintZooms(zooms, full);
    const bool ok = ZoomsWithin(zooms, full, 50);
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    PrepareOffscreenRun();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--log")
        return OpenLog(args[2]);
    const long epochs = args.size() >= 2 ? args[1].toLong() : 0;
    if (epochs < 2) {
        std::fprintf(stderr, "usage: orvane-charts-soak EPOCHS [4.11] [nocharts] | --log FILE\n");
        return 2;
    }
    const bool multiBand = args.contains("4.11");
    // For comparison: the window's own memory per epoch, without the charts.
    const bool withoutCharts = args.contains("nocharts");

    QTemporaryDir folder;
    const quint16 port = RunPort();
    UseConfig(folder, QString("[server]\ninputport=%1\n").arg(port));
    COrvaneDlg dialog;
    dialog.show();
    dialog.findChild<QPushButton*>(QString::number(IDC_ONLINE_MODE))->click();
    dialog.findChild<QPushButton*>(QString::number(IDC_LIVE_INPUT))->click();
    dialog.OnCharts();
    ChartsDlg& charts = *dialog.Charts();
    if (withoutCharts)
        charts.hide();
    app.processEvents();
    malloc_trim(0);
    const long residentBefore = StatusKiB("VmRSS:");

    // Five minutes of the receiver: a few megabytes of text, more than the
    // window reads in one 100 ms tick.
    constexpr long kAhead = 3000;
    std::atomic<long> bytesSent{0};
    std::atomic<long> taken{0};
    std::atomic<bool> sent{false};
    std::thread sender([&] {
        const int fd = Connect(port);
        loggen::Scenario standing;
        standing.standing = true;
        standing.noise = {1.0, 1.0, 2.0};
        standing.rate = 10;
        loggen::Generator generator(5, multiBand ? loggen::NmeaVersion::V4_11 : loggen::NmeaVersion::V4_0, standing);
        std::string block;
        for (long k = 0; k < epochs && fd >= 0; ++k) {
            while (k - taken.load() > kAhead)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            generator.AppendEpoch(block);
            if (block.size() >= 65536 || k == epochs - 1) {
                if (!SendAll(fd, block))
                    break;
                bytesSent += long(block.size());
                block.clear();
            }
        }
        sent = true;
        if (fd >= 0)
            ::close(fd);
    });

    QElapsedTimer wall;
    wall.start();
    size_t shown = 0;
    qint64 lastGrowth = 0;
    double elapsed = 0, growth = 0, statistics = 0, fullZoom = 0;
    long residentAfter = 0, peak = 0;
    size_t counted = 0;
    std::vector<double> zooms;
    // Measured while the window still runs: quitting closes it.
    const auto measure = [&] {
        elapsed = double(wall.elapsed()) / 1000.0;
        // Memory freed by the run goes back before it is counted.
        malloc_trim(0);
        residentAfter = StatusKiB("VmRSS:");
        peak = StatusKiB("VmHWM:");
        counted = withoutCharts ? dialog.LiveEpochs().epochs.size() : charts.EpochCount();
        if (counted < 2 || withoutCharts)
            return;

        // One growth as the live session makes it: statistics and every chart.
        QElapsedTimer clock;
        clock.start();
        charts.ShowEpochs(&dialog.LiveEpochs(), "live session", true);
        for (int k = 0; k < ChartsDlg::kChartCount; ++k)
            charts.TimePlot(ChartsDlg::Chart(k))->replot(QCustomPlot::rpImmediateRefresh);
        growth = double(clock.nsecsElapsed()) / 1e6;
        // The statistics of all epochs anew, as a growth does at most a
        // tenth of the time, and as showing another log does.
        clock.start();
        charts.ShowEpochs(&dialog.LiveEpochs(), "live session", false);
        for (int k = 0; k < ChartsDlg::kChartCount; ++k)
            charts.TimePlot(ChartsDlg::Chart(k))->replot(QCustomPlot::rpImmediateRefresh);
        statistics = double(clock.nsecsElapsed()) / 1e6;

        zooms = ZoomTimes(charts, counted, fullZoom);
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const size_t now = withoutCharts ? dialog.LiveEpochs().epochs.size() : charts.EpochCount();
        taken = long(dialog.LiveEpochs().epochs.size());
        if (now != shown) {
            shown = now;
            lastGrowth = wall.elapsed();
        }
        // Done when every closed epoch is in, or nothing came for 20 s.
        if ((sent && now == size_t(epochs - 1)) || wall.elapsed() - lastGrowth > 20000) {
            poll.stop();
            measure();
            app.quit();
        }
    });
    poll.start(20);
    app.exec();
    sender.join();

    const double perEpoch = double(residentAfter - residentBefore) * 1024.0 / double(std::max<size_t>(counted, 1));
    std::printf("charts soak: %ld epochs (%s) sent in %.0f s, %.1f MB\n", epochs, multiBand ? "4.11" : "4.0", elapsed,
        double(bytesSent.load()) / 1e6);
    std::printf("epochs charted %zu of %ld closed (dropped %ld)\n", counted, epochs - 1, epochs - 1 - long(counted));
    std::printf("resident memory: before %ld KiB, after %ld KiB, peak %ld KiB: %.0f bytes per epoch\n", residentBefore,
        residentAfter, peak, perEpoch);
    std::printf("epoch records: %.0f bytes per epoch\n",
        double(dialog.LiveEpochs().RecordBytes()) / double(std::max<size_t>(counted, 1)));
    std::printf("one growth (the time line and all charts): %.1f ms; the statistics and all charts anew: %.1f ms\n",
        growth, statistics);
    PrintZooms(zooms, fullZoom);
    const bool ok = long(counted) == epochs - 1 && perEpoch <= 300 && ZoomsWithin(zooms, fullZoom, 50);
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
