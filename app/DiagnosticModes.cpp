#include "DiagnosticModes.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "OrvaneDlg.h"

namespace orvane {

namespace {

int Screenshot(const QString& png, const QString& file)
{
    COrvaneDlg dialog;
    dialog.show();
    dialog.DropFiles({file});
    if (dialog.State().m_Loaded) {
        dialog.Button(IDC_RUN)->click();
        for (int tick = 0; tick < 12; ++tick)
            dialog.OnTimer(kReplayTimerId);
        dialog.Button(IDC_RUN)->click();
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
                from, to, times.size(), times[times.size() / 2], times[times.size() * 99 / 100], times.back(),
                slowest + 1);
}

int MeasureTicks(int count, const QString& file)
{
    COrvaneDlg dialog;
    dialog.show();
    QElapsedTimer load;
    load.start();
    dialog.DropFiles({file});
    const double loadMs = double(load.nsecsElapsed()) / 1e6;
    if (!dialog.State().m_Loaded) {
        std::fprintf(stderr, "orvane: %s did not load\n", qPrintable(file));
        return 1;
    }
    std::printf("loaded %d bytes in %.1f ms\n", dialog.State().NmeaTextLength, loadMs);
    while (dialog.SpeedStep() < 10)
        dialog.Button(IDC_FASTER)->click();
    dialog.Button(IDC_SHOW_SIGNALS)->click();
    std::printf("speed step %d (%d ms), signals %s, talker list '%s', message row %d\n", dialog.SpeedStep(),
                dialog.ReplayInterval(), dialog.State().m_SignalsShown ? "shown" : "hidden",
                qPrintable(dialog.Combo(IDC_SATELLITE_LIST)->currentText()),
                dialog.Combo(IDC_MESSAGE_LIST)->currentIndex());

    // The lines of the load are shown before the ticks, as in a real run.
    QCoreApplication::processEvents();

    TickTimes all;
    for (const auto& [where, slider] : {std::pair{"start", 0}, std::pair{"middle", 5000}, std::pair{"end", 9900}}) {
        dialog.OnSeek(slider);
        dialog.Button(IDC_RUN)->click();
        const int32_t from = dialog.State().m_ParsePosition;
        TickTimes region;
        QElapsedTimer clock;
        for (int tick = 0; tick < count && dialog.State().m_Running; ++tick) {
            clock.start();
            dialog.OnTimer(kReplayTimerId);
            const qint64 handler = clock.nsecsElapsed();
            QCoreApplication::processEvents();
            const qint64 turn = clock.nsecsElapsed();
            region.handler.push_back(double(handler) / 1e6);
            region.turn.push_back(double(turn) / 1e6);
        }
        const int32_t to = dialog.State().m_ParsePosition;
        if (dialog.State().m_Running)
            dialog.Button(IDC_RUN)->click();
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
    if (!files.isEmpty())
        dialog.DropFiles(files);
    std::printf("loaded: %s, %d bytes\n", dialog.State().m_Loaded ? "yes" : "no", dialog.State().NmeaTextLength);
    return 0;
}

}  // namespace

std::optional<int> RunDiagnosticMode(const QStringList& arguments)
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
    if (mode == QStringLiteral("--exit-after-load") && arguments.size() <= 3)
        return ExitAfterLoad(arguments.mid(2));
    return std::nullopt;
}

}  // namespace orvane
