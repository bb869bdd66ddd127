// SPDX-License-Identifier: GPL-3.0-or-later
// Soak run of the live input, outside the normal suite:
//
//   orvane-live-soak tcp SECONDS CLIENTS FAST_BYTES_PER_SECOND
//       CLIENTS connections each push a 10 Hz receiver stream and one more
//       pushes generated NMEA as fast as FAST_BYTES_PER_SECOND allows.
//   orvane-live-soak serial SECONDS
//       a pseudo-terminal carries a receiver stream paced at 115200 baud.
//   A last argument "sky" opens the Sky View window for the run and times
//   its redraws (the redraw after a tick and the plot's paint) as well.
//
// The real main window runs offscreen in online mode with GPS RMC chosen.
// It reports every decoded RMC line against the sentences sent, the error
// lines, the longest live tick, the resident memory over the run and, for
// the serial run, the CPU time of the reader thread.

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "Generator.h"
#include "OrvaneDlg.h"
#include "SkyPlot.h"
#include "SkyViewDlg.h"
#include "SoakSupport.h"

using namespace orvane;
using Clock = std::chrono::steady_clock;

namespace {

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

// CPU seconds of the thread with the given name, or -1.
double ThreadCpuSeconds(const char* name)
{
    DIR* tasks = ::opendir("/proc/self/task");
    if (!tasks)
        return -1;
    double seconds = -1;
    while (dirent* entry = ::readdir(tasks)) {
        const std::string base = std::string("/proc/self/task/") + entry->d_name;
        std::ifstream comm(base + "/comm");
        std::string threadName;
        if (!std::getline(comm, threadName) || threadName != name)
            continue;
        std::ifstream stat(base + "/stat");
        std::string all((std::istreambuf_iterator<char>(stat)), {});
        std::vector<std::string> fields;
        size_t p = all.rfind(')') + 2;
        while (p < all.size()) {
            const size_t q = all.find(' ', p);
            fields.push_back(all.substr(p, q - p));
            p = q == std::string::npos ? all.size() : q + 1;
        }
        // Fields after the name: utime and stime are the 12th and 13th.
        seconds = double(std::stol(fields[11]) + std::stol(fields[12])) / double(::sysconf(_SC_CLK_TCK));
    }
    ::closedir(tasks);
    return seconds;
}

struct Load {
    std::atomic<long> rmcSent{0};
    std::atomic<long> bytesSent{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
};

// CLIENTS receivers at 10 Hz: each sends one epoch every 100 ms, cut at
// random places so that sentences straddle receives and ticks.
void StartSlowClients(Load& load, quint16 port, int clients, double seconds)
{
    load.threads.emplace_back([&load, port, clients, seconds] {
        std::vector<int> fds;
        std::vector<std::unique_ptr<loggen::Generator>> generators;
        for (int i = 0; i < clients; ++i) {
            fds.push_back(Connect(port));
            generators.push_back(std::make_unique<loggen::Generator>(1000 + i));
        }
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        auto next = Clock::now();
        uint64_t cut = 12345;
        while (Clock::now() < end && !load.stop) {
            for (int i = 0; i < clients; ++i) {
                std::string epoch;
                generators[size_t(i)]->AppendEpoch(epoch);
                cut = cut * 6364136223846793005ULL + 1442695040888963407ULL;
                const size_t split = size_t(cut >> 33) % epoch.size();
                if (fds[size_t(i)] < 0 || !SendAll(fds[size_t(i)], std::string_view(epoch).substr(0, split)) ||
                    !SendAll(fds[size_t(i)], std::string_view(epoch).substr(split)))
                    continue;
                load.rmcSent += CountRmc(epoch);
                load.bytesSent += long(epoch.size());
            }
            next += std::chrono::milliseconds(100);
            std::this_thread::sleep_until(next);
        }
        for (int fd : fds)
            if (fd >= 0)
                ::close(fd);
    });
}

void StartFastClient(Load& load, quint16 port, double bytesPerSecond, double seconds)
{
    load.threads.emplace_back([&load, port, bytesPerSecond, seconds] {
        const int fd = Connect(port);
        loggen::Generator generator(7);
        const auto start = Clock::now();
        const auto end = start + std::chrono::duration<double>(seconds);
        long sent = 0;
        while (fd >= 0 && Clock::now() < end && !load.stop) {
            std::string block;
            while (block.size() < 16384)
                generator.AppendEpoch(block);
            if (!SendAll(fd, block))
                break;
            sent += long(block.size());
            load.rmcSent += CountRmc(block);
            load.bytesSent += long(block.size());
            std::this_thread::sleep_until(start + std::chrono::duration<double>(double(sent) / bytesPerSecond));
        }
        if (fd >= 0)
            ::close(fd);
    });
}

void StartSerialWriter(Load& load, int master, double seconds)
{
    load.threads.emplace_back([&load, master, seconds] {
        constexpr double kBytesPerSecond = 115200.0 / 10.0;  // 8N1: ten bits a byte
        loggen::Generator generator(3);
        const auto start = Clock::now();
        const auto end = start + std::chrono::duration<double>(seconds);
        long sent = 0;
        while (Clock::now() < end && !load.stop) {
            std::string epoch;
            generator.AppendEpoch(epoch);
            for (size_t p = 0; p < epoch.size();) {
                const size_t n = std::min<size_t>(64, epoch.size() - p);
                if (::write(master, epoch.data() + p, n) != ssize_t(n))
                    return;
                p += n;
                sent += long(n);
                std::this_thread::sleep_until(start + std::chrono::duration<double>(double(sent) / kBytesPerSecond));
            }
            load.rmcSent += CountRmc(epoch);
            load.bytesSent += long(epoch.size());
        }
    });
}

}  // namespace

int main(int argc, char** argv)
{
    PrepareOffscreenRun();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool serial = args.size() >= 3 && args[1] == "serial";
    const bool tcp = args.size() >= 5 && args[1] == "tcp";
    if (!serial && !tcp) {
        std::fprintf(stderr,
            "usage: orvane-live-soak tcp SECONDS CLIENTS FAST_BYTES_PER_SECOND\n"
            "       orvane-live-soak serial SECONDS\n");
        return 2;
    }
    const double seconds = args[2].toDouble();

    QTemporaryDir folder;
    int master = -1;
    QString uartPort = "/nonexistent/ttyGPS";
    if (serial) {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master);
        ::unlockpt(master);
        uartPort = QString::fromLocal8Bit(::ptsname(master));
    }
    const quint16 port = RunPort();
    UseConfig(folder, QString("[uart]\nport=%1\nbaudrate=115200\n[server]\ninputport=%2\n").arg(uartPort).arg(port));

    COrvaneDlg dialog;
    const CountingHooks& lines = CountLines(dialog);
    dialog.show();
    dialog.findChild<QPushButton*>(QString::number(IDC_ONLINE_MODE))->click();
    dialog.findChild<QPushButton*>(QString::number(IDC_LIVE_INPUT))->click();
    TickTimer ticks;
    const_cast<QTimer&>(dialog.LiveTimer()).installEventFilter(&ticks);
    const bool sky = args.last() == "sky";
    TickTimer skyRedraws;
    TickTimer skyPaints(QEvent::Paint);
    if (sky) {
        dialog.OnSkyView();
        const_cast<QTimer&>(dialog.SkyView()->RefreshTimer()).installEventFilter(&skyRedraws);
        dialog.SkyView()->Plot()->installEventFilter(&skyPaints);
    }

    Load load;
    if (serial) {
        StartSerialWriter(load, master, seconds);
    } else {
        StartSlowClients(load, port, args[3].toInt(), seconds);
        StartFastClient(load, port, args[4].toDouble(), seconds);
    }

    // Memory and the reader thread's CPU time are sampled every second
    // while the window runs (the window closes the port when it ends).
    std::vector<long> memory;
    double readerFirst = -1;
    double readerLast = -1;
    QElapsedTimer readerClock;
    double readerSeconds = 0;
    auto sample = [&] {
        memory.push_back(ResidentKiB());
        if (!serial)
            return;
        const double cpu = ThreadCpuSeconds("orvane-serial");
        if (cpu < 0)
            return;
        if (readerFirst < 0) {
            readerFirst = cpu;
            readerClock.start();
        }
        readerLast = cpu;
        readerSeconds = double(readerClock.elapsed()) / 1000.0;
    };
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, sample);
    sampler.start(1000);
    QElapsedTimer wall;
    wall.start();

    // Run until the load is done, then give the last bytes two more ticks.
    QTimer finish;
    QObject::connect(&finish, &QTimer::timeout, [&] {
        if (wall.elapsed() < qint64(seconds * 1000))
            return;
        load.stop = true;
        for (std::thread& thread : load.threads)
            thread.join();
        load.threads.clear();
        QTimer::singleShot(1500, &app, [&] {
            sample();
            app.quit();
        });
        finish.stop();
    });
    finish.start(200);
    app.exec();
    const double elapsed = double(wall.elapsed()) / 1000.0;

    std::sort(ticks.durationMs.begin(), ticks.durationMs.end());
    const double median = ticks.durationMs.empty() ? 0 : ticks.durationMs[ticks.durationMs.size() / 2];
    const double maxTick = ticks.durationMs.empty() ? 0 : ticks.durationMs.back();
    std::printf("%s run: %.0f s, %ld bytes sent, %.2f MB/s\n", serial ? "serial" : "tcp", elapsed,
        load.bytesSent.load(), double(load.bytesSent.load()) / elapsed / 1e6);
    std::printf("GP RMC sentences sent %ld, RMC lines decoded %ld, error lines %ld, discarded %ld\n",
        load.rmcSent.load(), lines.rmcLines.load(), lines.errorLines, lines.discardLines);
    std::printf("live ticks %zu: median %.2f ms, max %.2f ms\n", ticks.durationMs.size(), median, maxTick);
    if (sky) {
        for (auto [name, durations] :
            {std::pair{"sky view redraws", &skyRedraws.durationMs}, {"sky plot paints", &skyPaints.durationMs}}) {
            std::sort(durations->begin(), durations->end());
            const bool none = durations->empty();
            std::printf("%s %zu: median %.2f ms, max %.2f ms\n", name, durations->size(),
                none ? 0 : (*durations)[durations->size() / 2], none ? 0 : durations->back());
        }
    }
    if (!memory.empty())
        std::printf("resident memory: first %ld KiB, max %ld KiB, last %ld KiB\n", memory.front(),
            *std::max_element(memory.begin(), memory.end()), memory.back());
    if (serial)
        std::printf("serial reader thread CPU: %.2f s over %.0f s (%.2f%%)\n", readerLast - readerFirst, readerSeconds,
            readerSeconds > 0 ? 100.0 * (readerLast - readerFirst) / readerSeconds : 0.0);
    const bool ok = load.rmcSent.load() == lines.rmcLines.load() && lines.errorLines == 0 && maxTick < 100.0;
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    if (master >= 0)
        ::close(master);
    return ok ? 0 : 1;
}
