// SPDX-License-Identifier: GPL-3.0-or-later
// The TTFF runner against a scripted receiver on a real pseudo-terminal and
// behind a real TCP server: each run's time matches the script within
// 50 ms, timeouts count as timeouts, and a silent, refusing or unplugged
// receiver ends the series with its reason and the runs already measured.

#include <QtTest>

#include <memory>

#include "../common/FakeReceiver.h"
#include "live/SerialPort.h"
#include "live/TcpFeed.h"
#include "live/TtffRunner.h"

using namespace orvane;

Q_DECLARE_METATYPE(FakeReceiver::Device)

namespace {

// The runner's link to the fake: its serial port or its TCP feed, feeding
// the runner every byte at its arrival.
struct Link {
    SerialPort port;
    std::unique_ptr<TcpFeed> feed;
    std::unique_ptr<TtffRunner> runner;

    bool Open(FakeReceiver& fake, FakeReceiver::Device device)
    {
        if (device == FakeReceiver::Device::PseudoTerminal) {
            std::string reason;
            QObject::connect(
                &port, &SerialPort::DataQueued, &port,
                [this] {
                    std::string bytes;
                    port.TakeQueued(bytes);
                    if (runner)
                        runner->Feed(bytes);
                },
                Qt::QueuedConnection);
            QObject::connect(
                &port, &SerialPort::Lost, &port,
                [this](const QString& why) {
                    if (runner)
                        runner->SourceLost(why.toStdString());
                },
                Qt::QueuedConnection);
            return port.Open(fake.DevicePath(), 115200, reason);
        }
        feed = std::make_unique<TcpFeed>(TcpFeed::Kind::NmeaServer, "127.0.0.1", fake.Port());
        QObject::connect(feed.get(), &TcpFeed::Received, feed.get(),
            [this](SourceId, const QString&, const QByteArray& bytes) {
                if (runner)
                    runner->Feed(std::string_view(bytes.constData(), size_t(bytes.size())));
            });
        QObject::connect(feed.get(), &TcpFeed::Closed, feed.get(), [this](SourceId) {
            if (runner)
                runner->SourceLost("the connection ended");
        });
        feed->Open();
        return QTest::qWaitFor([this] { return feed->Connected(); }, 5000);
    }

    bool Run(const TtffSettings& settings, int waitMs)
    {
        runner = std::make_unique<TtffRunner>(settings, [this](const std::string& bytes, std::string& reason) {
            if (feed) {
                QString why;
                const bool sent = feed->Write(QByteArray::fromStdString(bytes), why);
                reason = why.toStdString();
                return sent;
            }
            return port.Write(bytes, reason);
        });
        QSignalSpy finished(runner.get(), &TtffRunner::Finished);
        std::string error;
        return runner->Start(error) && (finished.count() || finished.wait(waitMs));
    }
};

TtffSettings Settings(int runs, int timeoutMs)
{
    TtffSettings settings;
    settings.start = "cold";
    settings.command = "$PMTK103";
    settings.runs = runs;
    settings.timeoutMs = timeoutMs;
    settings.settleMs = 300;
    return settings;
}

void AddDevices()
{
    QTest::addColumn<FakeReceiver::Device>("device");
    QTest::newRow("pseudo-terminal") << FakeReceiver::Device::PseudoTerminal;
    QTest::newRow("tcp") << FakeReceiver::Device::Tcp;
}

}  // namespace

class TestTtffRunner : public QObject {
    Q_OBJECT
private slots:
    void scriptedTimes_data() { AddDevices(); }
    void scriptedTimes()
    {
        QFETCH(FakeReceiver::Device, device);
        const std::vector<int> script = {1500, 700, FakeReceiver::kNever, 1150};
        FakeReceiver fake(device, script);
        QVERIFY(fake.Ok());
        Link link;
        QVERIFY(link.Open(fake, device));
        QVERIFY(link.Run(Settings(4, 2500), 20000));
        const TtffSeries& series = link.runner->Series();
        QCOMPARE(int(series.runs.size()), 4);
        QCOMPARE(series.ended, std::string());
        for (size_t i = 0; i < script.size(); ++i) {
            const TtffRun& run = series.runs[i];
            QCOMPARE(run.index, int(i) + 1);
            if (script[i] == FakeReceiver::kNever) {
                QCOMPARE(run.outcome, RunOutcome::Timeout);
                QCOMPARE(run.seconds, 2.5);
                continue;
            }
            QCOMPARE(run.outcome, RunOutcome::Fix);
            QVERIFY2(std::abs(run.seconds - script[i] / 1000.0) <= 0.05,
                qPrintable(QString("run %1: %2 s").arg(i + 1).arg(run.seconds)));
            QVERIFY(run.position);
            QCOMPARE(run.latitude, 37 + 33.32791 / 60);
        }
        const TtffSummary summary = Summarize(series);
        QCOMPARE(summary.fixes, size_t(3));
        QCOMPARE(summary.timeouts, size_t(1));
        QCOMPARE(fake.Restarts(), 4);
        for (const std::string& line : fake.Received())
            QCOMPARE(QString::fromStdString(line), "$PMTK103*30\r\n");
    }

    // Each way a series ends early keeps the runs measured before it.
    void endsEarly_data()
    {
        QTest::addColumn<FakeReceiver::Device>("device");
        QTest::addColumn<std::vector<int>>("script");
        QTest::addColumn<int>("unplugAtRestart");  // 0: never
        QTest::addColumn<QStringList>("outcomes");
        QTest::addColumn<QString>("ended");
        const struct {
            const char* name;
            std::vector<int> script;
            int unplug;
            QStringList outcomes;
            QString ended;
        } cases[] = {
            {"silent", {600, FakeReceiver::kSilent}, 0, {"fix", "timeout"},
                "the receiver sent nothing in the 1.500 s after the command"},
            {"refused", {FakeReceiver::kRefuse}, 0, {"refused"},
                "the receiver refused the command (PMTK 103: unsupported command)"},
            {"unplugged", {600, FakeReceiver::kNever}, 2, {"fix", "lost"}, "the receiver was lost"},
            {"every run a timeout", {FakeReceiver::kNever}, 0, {"timeout", "timeout", "timeout"}, ""},
        };
        for (const auto& device : {FakeReceiver::Device::PseudoTerminal, FakeReceiver::Device::Tcp}) {
            for (const auto& c : cases) {
                QTest::newRow(qPrintable(
                    QString("%1, %2").arg(c.name, device == FakeReceiver::Device::Tcp ? "tcp" : "pseudo-terminal")))
                    << device << c.script << c.unplug << c.outcomes << c.ended;
            }
        }
    }
    void endsEarly()
    {
        QFETCH(FakeReceiver::Device, device);
        QFETCH(std::vector<int>, script);
        QFETCH(int, unplugAtRestart);
        QFETCH(QStringList, outcomes);
        QFETCH(QString, ended);
        FakeReceiver fake(device, script);
        QVERIFY(fake.Ok());
        Link link;
        QVERIFY(link.Open(fake, device));
        TtffSettings settings = Settings(3, 1500);
        QTimer unplug;
        if (unplugAtRestart) {
            QObject::connect(&unplug, &QTimer::timeout, [&] {
                if (fake.Restarts() >= unplugAtRestart) {
                    unplug.stop();
                    fake.Unplug();
                }
            });
            unplug.start(10);
        }
        QVERIFY(link.Run(settings, 20000));
        const TtffSeries& series = link.runner->Series();
        QStringList got;
        for (const TtffRun& run : series.runs)
            got << OutcomeKey(run.outcome);
        QCOMPARE(got, outcomes);
        QVERIFY2(QString::fromStdString(series.ended).startsWith(ended), series.ended.c_str());
        QCOMPARE(series.ended.empty(), ended.isEmpty());
        if (outcomes.first() == "fix")
            QVERIFY(std::abs(series.runs.front().seconds - 0.6) <= 0.05);
        QCOMPARE(Summarize(series).timeouts, size_t(outcomes.count("timeout")));
    }

    // A command that cannot be made sends nothing.
    void badCommand()
    {
        TtffSettings settings = Settings(1, 1000);
        settings.command = "hex: B5 6";
        int sends = 0;
        TtffRunner runner(settings, [&](const std::string&, std::string&) { return ++sends > 0; });
        std::string error;
        QVERIFY(!runner.Start(error));
        QCOMPARE(QString::fromStdString(error), "hex: an odd number of digits");
        QVERIFY(!runner.Running());
        QCOMPARE(sends, 0);
    }

    // A command that does not go out ends the series at once.
    void notSent()
    {
        TtffRunner runner(Settings(3, 1000), [](const std::string&, std::string& reason) {
            reason = "the port is not open";
            return false;
        });
        std::string error;
        QVERIFY(runner.Start(error));
        QVERIFY(!runner.Running());
        QCOMPARE(int(runner.Series().runs.size()), 1);
        QCOMPARE(runner.Series().runs[0].outcome, RunOutcome::NotSent);
        QCOMPARE(runner.Series().ended, std::string("the command could not be sent: the port is not open"));
    }
};

QTEST_GUILESS_MAIN(TestTtffRunner)
#include "tst_ttffrunner.moc"
