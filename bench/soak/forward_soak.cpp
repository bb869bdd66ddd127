// SPDX-License-Identifier: GPL-3.0-or-later
// Live tick period with position forwarding, outside the normal suite:
//
//   orvane-forward-soak SECONDS BURST_RMC
//
// The real main window runs offscreen in online mode with GPS RMC chosen
// and forwarding on. Two forwarding clients connect: a healthy one that
// reads everything on its own thread, and a stalled one with a small
// receive window that never reads. A receiver stream of one epoch every
// 100 ms comes in on the TCP input.
//
// First the stalled client is filled: each epoch carries BURST_RMC extra
// RMC sentences until the system takes no more bytes for it and its
// backlog starts, where a blocking send would wait. Then, for SECONDS, the
// plain 10 Hz stream runs with that client still connected. It reports the
// period between live ticks (timer 801 events) and their duration in both
// phases, the stalled client's backlog, and whether the healthy client got
// every position line. With a BURST_RMC large enough to pass the backlog
// in one tick, the stalled client is dropped instead, and that is reported.

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "Generator.h"
#include "OrvaneDlg.h"
#include "SoakSupport.h"
#include "live/NetworkServer.h"

using namespace orvane;
using Clock = std::chrono::steady_clock;

namespace {

struct Stats {
    size_t count = 0;
    double median = 0, p99 = 0, max = 0;
};

Stats Summarise(std::vector<double> values)
{
    Stats s;
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    s.count = values.size();
    s.median = values[values.size() / 2];
    s.p99 = values[std::min(values.size() - 1, values.size() * 99 / 100)];
    s.max = values.back();
    return s;
}

}  // namespace

int main(int argc, char** argv)
{
    PrepareOffscreenRun();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: orvane-forward-soak SECONDS BURST_RMC\n");
        return 2;
    }
    const double seconds = args[1].toDouble();
    const int burst = args[2].toInt();

    QTemporaryDir folder;
    const quint16 inputPort = RunPort();
    const quint16 outputPort = quint16(inputPort + 1);
    UseConfig(folder,
        QString("[server]\ninputport=%1\noutputport=%2\noutputformat=NMEA\n").arg(inputPort).arg(outputPort));

    QElapsedTimer wall;
    COrvaneDlg dialog;
    const CountingHooks& lines = CountLines(dialog);
    // When the forwarding server drops the stalled client, until the run is
    // over (closing the window drops every client).
    bool stalledDropped = false;
    bool closing = false;
    double droppedAtS = -1;
    QObject::connect(dialog.Sender(), &NoticeSource::Status, &dialog, [&](const QString& line) {
        if (!stalledDropped && !closing && line.startsWith(QStringLiteral("[TCP] a client is disconnected"))) {
            stalledDropped = true;
            droppedAtS = double(wall.elapsed()) / 1000.0;
        }
    });
    dialog.show();
    dialog.findChild<QPushButton*>(QString::number(IDC_ONLINE_MODE))->click();
    dialog.findChild<QPushButton*>(QString::number(IDC_LIVE_INPUT))->click();
    if (!dialog.Sender()->Forwarding() || !dialog.LiveTimer().isActive()) {
        std::fprintf(stderr, "forwarding or TCP input did not open\n");
        return 1;
    }
    TickTimer ticks;
    ticks.wall = &wall;
    const_cast<QTimer&>(dialog.LiveTimer()).installEventFilter(&ticks);

    std::atomic<bool> stop{false};
    std::atomic<bool> filling{true};
    double steadyFromS = -1;
    std::atomic<long> rmcSent{0};
    std::atomic<long> healthyLines{0};

    const int stalled = Connect(outputPort, 4096);
    const int healthy = Connect(outputPort, 0);
    std::thread reader([&] {
        char buffer[65536];
        while (true) {
            const ssize_t n = ::recv(healthy, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            healthyLines += long(std::count(buffer, buffer + n, '\n'));
        }
    });
    wall.start();
    std::thread receiver([&] {
        const int input = Connect(inputPort, 0);
        loggen::Generator generator(11);
        std::string burstText;
        for (int i = 0; i < burst; ++i)
            burstText += "$GPRMC,120000.00,A,3733.32791,N,12658.29325,E,0.012,172.00,140326,,,A*6A\r\n";
        auto next = Clock::now();
        while (!stop) {
            std::string epoch;
            generator.AppendEpoch(epoch);
            if (filling)
                epoch += burstText;
            if (input < 0 || !SendAll(input, epoch))
                break;
            rmcSent += CountRmc(epoch);
            next += std::chrono::milliseconds(100);
            std::this_thread::sleep_until(next);
        }
        if (input >= 0)
            ::close(input);
    });

    // The stalled client is the first in the list; filling ends when it
    // is gone or its backlog has stayed for ten checks in a row (the
    // system takes no more), and the steady phase runs for SECONDS.
    qint64 backlogAtSteady = -1;
    qint64 backlogAtEnd = -1;
    int backlogChecks = 0;
    bool stalledGone = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const auto& clients = dialog.Sender()->ForwardingServer()->Clients();
        const bool present = clients.size() == 2;
        if (filling) {
            backlogChecks = present && clients.first()->Socket()->bytesToWrite() > 0 ? backlogChecks + 1 : 0;
            if (!present || backlogChecks >= 10) {
                filling = false;
                steadyFromS = double(wall.elapsed()) / 1000.0 + 0.3;  // after the last burst is decoded
                backlogAtSteady = present ? clients.first()->Socket()->bytesToWrite() : -1;
            }
            return;
        }
        stalledGone = !present;
        if (double(wall.elapsed()) / 1000.0 < steadyFromS + seconds)
            return;
        watch.stop();
        stop = true;
        closing = true;
        backlogAtEnd = present ? clients.first()->Socket()->bytesToWrite() : -1;
        // Two more ticks for the last bytes.
        QTimer::singleShot(300, &app, &QCoreApplication::quit);
    });
    watch.start(50);
    app.exec();
    stop = true;
    // Quitting closes the window, which drops the forwarding server.

    std::vector<double> periods[2], durations[2];
    for (size_t i = 1; i < ticks.startS.size(); ++i) {
        const int phase = ticks.startS[i] < steadyFromS ? 0 : 1;
        if (ticks.startS[i] > steadyFromS + seconds)
            continue;
        periods[phase].push_back((ticks.startS[i] - ticks.startS[i - 1]) * 1000.0);
        durations[phase].push_back(ticks.durationMs[i]);
    }
    const char* names[2] = {"filling", "10 Hz, stalled client connected"};
    for (int phase = 0; phase < 2; ++phase) {
        const Stats p = Summarise(periods[phase]);
        const Stats d = Summarise(durations[phase]);
        std::printf(
            "%s: %zu tick periods: median %.1f ms, p99 %.1f ms, max %.1f ms; tick duration median %.2f ms, max %.2f ms\n",
            names[phase], p.count, p.median, p.p99, p.max, d.median, d.max);
    }
    // The healthy reader may still be draining; give it a moment.
    for (int i = 0; i < 100 && healthyLines.load() < lines.rmcLines.load(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::printf("RMC sent %ld, decoded %ld; healthy client got %ld position lines; stalled client %s\n", rmcSent.load(),
        lines.rmcLines.load(), healthyLines.load(),
        stalledDropped ? qPrintable(QString("dropped at %1 s").arg(droppedAtS, 0, 'f', 2)) : "still connected");
    std::printf(
        "stalled client's backlog: %lld bytes when the 10 Hz phase began (from %.2f s), %lld bytes at its end%s\n",
        (long long)backlogAtSteady, steadyFromS, (long long)backlogAtEnd, stalledGone ? " (dropped)" : "");
    ::shutdown(healthy, SHUT_RDWR);
    reader.join();
    receiver.join();
    ::close(healthy);
    ::close(stalled);
    const Stats steady = Summarise(periods[1]);
    const bool ok = steady.count > 0 && steady.max <= 120.0 && healthyLines.load() == lines.rmcLines.load();
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
