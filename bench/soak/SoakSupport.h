// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the soak runs share: their setup, loopback clients, counting the
// sentences sent and the lines the window shows, and timing the window's
// live ticks.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <string_view>
#include <vector>

#include "EmbeddedBrowser.h"
#include "OrvaneDlg.h"
#include "settings/Config.h"

// Before the run's QApplication: the window runs offscreen, and the
// embedded browser is prepared as the program prepares it.
inline void PrepareOffscreenRun()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    orvane::PrepareEmbeddedBrowser();
}

// The run's first loopback port, set apart from other runs' by the
// process id.
inline quint16 RunPort()
{
    return quint16(20000 + quint16(::getpid() % 20000));
}

// Writes config.ini into folder and has the settings read from there.
inline void UseConfig(const QTemporaryDir& folder, const QString& text)
{
    QFile config(folder.filePath("config.ini"));
    config.open(QIODevice::WriteOnly);
    config.write(text.toUtf8());
    config.close();
    orvane::SetConfigFolder(folder.path());
}

// In front of the window's hooks: counts the decoded RMC lines, the error
// lines and the discarded ticks on their way to the view, and passes every
// call on.
class CountingHooks : public orvane::DispatchHooks {
public:
    explicit CountingHooks(orvane::DispatchHooks& window) : m_Window(window) { }
    std::atomic<long> rmcLines{0};
    long errorLines = 0;
    long discardLines = 0;

    void AppendLine(std::string_view line) override
    {
        if (line.find(", Speed:") != std::string_view::npos && line.find("Km/h, Heading:") != std::string_view::npos)
            ++rmcLines;
        else if (line.find("Error Code") != std::string_view::npos ||
                 line.find("Invalid Data") != std::string_view::npos)
            ++errorLines;
        else if (line.find("Discard Live Data") != std::string_view::npos)
            ++discardLines;
        m_Window.AppendLine(line);
    }
    int SelectedMessageRow() const override { return m_Window.SelectedMessageRow(); }
    void MoveSlider(int32_t value) override { m_Window.MoveSlider(value); }
    void UpdateMapPosition(double latitude, double longitude, double heading) override
    {
        m_Window.UpdateMapPosition(latitude, longitude, heading);
    }
    void SendPosition(double latitude, double longitude, double heading) override
    {
        m_Window.SendPosition(latitude, longitude, heading);
    }
    bool SatellitesWindowExists() const override { return m_Window.SatellitesWindowExists(); }
    void UpdateSignals(int talkerRow, const orvane::SatelliteTable::Row& satellites) override
    {
        m_Window.UpdateSignals(talkerRow, satellites);
    }

private:
    orvane::DispatchHooks& m_Window;
};

// Puts counting hooks in front of the window's; the window keeps them.
inline CountingHooks& CountLines(orvane::COrvaneDlg& dialog)
{
    auto hooks = std::make_unique<CountingHooks>(dialog.WindowHooks());
    CountingHooks& counting = *hooks;
    dialog.DecorateHooks(std::move(hooks));
    return counting;
}

// A blocking client socket on 127.0.0.1, or -1. A small receive buffer
// makes a client that never reads stall its sender sooner.
inline int Connect(quint16 port, int receiveBuffer = 0)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline bool SendAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data.remove_prefix(size_t(sent));
    }
    return true;
}

inline long CountRmc(std::string_view text)
{
    long count = 0;
    for (size_t p = text.find("$GPRMC"); p != std::string_view::npos; p = text.find("$GPRMC", p + 1))
        ++count;
    return count;
}

// Records when each event of one type starts and how long it takes:
// installed on the window's live timer (timer events, the default) it times
// the live ticks, on a widget (paint events) its paints. It delivers the
// event itself. Start times count from the run's clock, when one is given,
// else from creation.
class TickTimer : public QObject {
public:
    explicit TickTimer(QEvent::Type type = QEvent::Timer) : m_Type(type) { m_Own.start(); }
    std::vector<double> startS;
    std::vector<double> durationMs;
    const QElapsedTimer* wall = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != m_Type)
            return false;
        startS.push_back(double((wall ? wall : &m_Own)->nsecsElapsed()) / 1e9);
        QElapsedTimer clock;
        clock.start();
        watched->removeEventFilter(this);
        watched->event(event);
        watched->installEventFilter(this);
        durationMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        return true;
    }

private:
    QEvent::Type m_Type;
    QElapsedTimer m_Own;
};
