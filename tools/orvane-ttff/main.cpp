// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-ttff: a GNSS receiver's time to first fix, for test rigs. Opens
// the receiver on a serial port or over TCP, runs each start type's series
// with the TTFF runner, and prints the report (text or JSON); progress
// lines go to standard error.

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

#include "TtffOptions.h"
#include "analysis/TtffReport.h"
#include "live/SerialPort.h"
#include "live/TcpFeed.h"
#include "live/TtffRunner.h"

namespace {

using namespace orvane;

constexpr int kConnectWaitMs = 10000;

void Say(const QString& line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

bool WriteFile(const std::string& path, const std::string& text)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

// The receiver, the series in turn, and the report at the end.
class TtffSession : public QObject {
public:
    explicit TtffSession(TtffOptions options) : m_Options(std::move(options)) { }

    int Run()
    {
        if (!m_Options.port.empty()) {
            std::string reason;
            if (!m_Port.Open(m_Options.port, m_Options.baud, reason)) {
                std::fprintf(stderr, "orvane-ttff: cannot open %s: %s\n",
                    SerialPort::DevicePath(m_Options.port).c_str(), reason.c_str());
                return 1;
            }
            connect(
                &m_Port, &SerialPort::DataQueued, this,
                [this] {
                    std::string bytes;
                    m_Port.TakeQueued(bytes);
                    if (m_Runner)
                        m_Runner->Feed(bytes);
                },
                Qt::QueuedConnection);
            connect(
                &m_Port, &SerialPort::Lost, this, [this](const QString& why) { Lost(why); }, Qt::QueuedConnection);
            QTimer::singleShot(0, this, [this] { NextSeries(); });
        } else {
            m_Feed = std::make_unique<TcpFeed>(TcpFeed::Kind::NmeaServer, QString::fromStdString(m_Options.tcpHost),
                m_Options.tcpPort, FeedTiming{.retryMs = 1000, .connectTimeoutMs = kConnectWaitMs});
            connect(m_Feed.get(), &TcpFeed::Status, this, [](const QString& line) { Say(line); });
            connect(m_Feed.get(), &TcpFeed::Received, this, [this](SourceId, const QString&, const QByteArray& b) {
                if (m_Runner)
                    m_Runner->Feed(std::string_view(b.constData(), size_t(b.size())));
            });
            connect(m_Feed.get(), &TcpFeed::Closed, this, [this] { Lost(QStringLiteral("the connection ended")); });
            connect(m_Feed.get(), &TcpFeed::Status, this, [this] {
                if (m_Feed->Connected() && m_Series.empty() && !m_Runner)
                    NextSeries();
            });
            m_Feed->Open();
            QTimer::singleShot(kConnectWaitMs, this, [this] {
                if (!m_Runner && m_Series.empty()) {
                    std::fprintf(stderr, "orvane-ttff: cannot connect to %s\n",
                        m_Feed->Address().toLocal8Bit().constData());
                    QCoreApplication::exit(1);
                }
            });
        }
        const int status = QCoreApplication::exec();
        m_Port.Close();
        if (m_Feed)
            m_Feed->Close();
        return status;
    }

private:
    void NextSeries()
    {
        if (m_Series.size() == m_Options.starts.size() || (!m_Series.empty() && !m_Series.back().ended.empty())) {
            Finish();
            return;
        }
        const TtffStart& start = m_Options.starts[m_Series.size()];
        TtffSettings settings;
        settings.start = start.name;
        settings.command = start.command;
        settings.runs = m_Options.runs;
        settings.timeoutMs = int(m_Options.timeout * 1000);
        settings.settleMs = int(m_Options.settle * 1000);
        settings.holdoffMs = int(m_Options.holdoff * 1000);
        settings.criterion = m_Options.criterion;
        m_Runner = std::make_unique<TtffRunner>(settings, [this](const std::string& bytes, std::string& reason) {
            if (m_Feed) {
                QString why;
                const bool sent = m_Feed->Write(QByteArray::fromStdString(bytes), why);
                reason = why.toStdString();
                return sent;
            }
            return m_Port.Write(bytes, reason);
        });
        connect(m_Runner.get(), &TtffRunner::Line, this, &Say);
        connect(m_Runner.get(), &TtffRunner::Finished, this, [this] {
            m_Series.push_back(m_Runner->Series());
            m_Runner.release()->deleteLater();
            const bool last = m_Series.size() == m_Options.starts.size() || !m_Series.back().ended.empty();
            QTimer::singleShot(last ? 0 : int(m_Options.settle * 1000), this, [this] { NextSeries(); });
        });
        std::string error;
        if (!m_Runner->Start(error)) {
            std::fprintf(stderr, "orvane-ttff: %s\n", error.c_str());
            QCoreApplication::exit(2);
        }
    }

    void Lost(const QString& why)
    {
        // Between two series the next one's send reports the loss.
        if (m_Runner)
            m_Runner->SourceLost(why.toStdString());
        else
            Say(QStringLiteral("[TTFF] the receiver was lost (%1)").arg(why));
    }

    void Finish()
    {
        const std::string criterion = Describe(m_Options.criterion);
        const std::string report = m_Options.json ? ReportJson(m_Series, criterion) : ReportText(m_Series, criterion);
        std::fwrite(report.data(), 1, report.size(), stdout);
        std::fflush(stdout);
        int status = 0;
        if (!m_Options.csv.empty() && !WriteFile(m_Options.csv, RunsCsv(m_Series))) {
            std::fprintf(stderr, "orvane-ttff: cannot write %s\n", m_Options.csv.c_str());
            status = 1;
        }
        for (const TtffSeries& series : m_Series) {
            if (!series.ended.empty())
                status = 1;
        }
        QCoreApplication::exit(status);
    }

    TtffOptions m_Options;
    SerialPort m_Port;
    std::unique_ptr<TcpFeed> m_Feed;
    std::unique_ptr<TtffRunner> m_Runner;
    std::vector<TtffSeries> m_Series;
};

}  // namespace

int main(int argc, char** argv)
{
    TtffOptions options;
    std::string error;
    if (!ParseTtffOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "orvane-ttff: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kTtffUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("orvane-ttff %s\n", ORVANE_VERSION);
        return 0;
    }
    QCoreApplication app(argc, argv);
    TtffSession session(std::move(options));
    return session.Run();
}
