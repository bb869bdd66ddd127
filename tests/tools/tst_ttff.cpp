// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-ttff against the scripted receiver on a real pseudo-terminal and
// behind a real TCP server: its JSON report's times match the script within
// 50 ms, a lost receiver keeps the runs measured, and bad arguments are
// refused before anything is opened.

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "../common/FakeReceiver.h"

Q_DECLARE_METATYPE(FakeReceiver::Device)

namespace {

struct Result {
    int status = -1;
    QJsonObject report;
    QByteArray errors;
};

Result RunTtff(const QStringList& arguments, const std::function<void()>& whileRunning = {})
{
    QProcess process;
    process.start(ORVANE_TTFF, arguments);
    Result result;
    if (!process.waitForStarted())
        return result;
    if (whileRunning)
        whileRunning();
    if (!process.waitForFinished(60000))
        return result;
    result.status = process.exitCode();
    result.report = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    result.errors = process.readAllStandardError();
    return result;
}

QStringList Receiver(const FakeReceiver& fake, FakeReceiver::Device device)
{
    if (device == FakeReceiver::Device::Tcp)
        return {"--tcp", QString("127.0.0.1:%1").arg(fake.Port())};
    return {"--port", QString::fromStdString(fake.DevicePath()), "--baud", "115200"};
}

}  // namespace

class TestTtff : public QObject {
    Q_OBJECT
private slots:
    void scriptedTimes_data()
    {
        QTest::addColumn<FakeReceiver::Device>("device");
        QTest::newRow("pseudo-terminal") << FakeReceiver::Device::PseudoTerminal;
        QTest::newRow("tcp") << FakeReceiver::Device::Tcp;
    }
    void scriptedTimes()
    {
        QFETCH(FakeReceiver::Device, device);
        FakeReceiver fake(device, {1200, FakeReceiver::kNever, 650});
        QVERIFY(fake.Ok());
        QTemporaryDir folder;
        const QString csv = folder.filePath("runs.csv");
        const Result result =
            RunTtff(Receiver(fake, device) + QStringList{"--restart", "cold=$PMTK103", "--runs", "3", "--timeout", "2",
                                                 "--settle", "0.3", "--json", "--csv", csv});
        QVERIFY2(result.status == 0, result.errors.constData());
        const QJsonObject series = result.report["series"].toArray()[0].toObject();
        QCOMPARE(series["start"].toString(), "cold");
        QCOMPARE(series["command"].toString(), "$PMTK103");
        QCOMPARE(series["fixes"].toInt(), 2);
        QCOMPARE(series["timeouts"].toInt(), 1);
        const QJsonArray times = series["times"].toArray();
        QCOMPARE(times.size(), 3);
        QCOMPARE(times[1].toObject()["outcome"].toString(), "timeout");
        QVERIFY2(std::abs(times[0].toObject()["seconds"].toDouble() - 1.2) <= 0.05, result.errors.constData());
        QVERIFY2(std::abs(times[2].toObject()["seconds"].toDouble() - 0.65) <= 0.05, result.errors.constData());
        QCOMPARE(series["max_s"].toDouble(), times[0].toObject()["seconds"].toDouble());
        QFile rows(csv);
        QVERIFY(rows.open(QIODevice::ReadOnly));
        QCOMPARE(rows.readAll().count('\n'), 4);
        QCOMPARE(fake.Restarts(), 3);
    }

    // The receiver goes away in the second run: status 1, the first run's
    // time kept, and the reason in the report.
    void lostMidRun()
    {
        FakeReceiver fake(FakeReceiver::Device::PseudoTerminal, {500, FakeReceiver::kNever});
        QVERIFY(fake.Ok());
        const Result result = RunTtff(
            Receiver(fake, FakeReceiver::Device::PseudoTerminal) +
                QStringList{"--restart", "$PMTK103", "--runs", "3", "--timeout", "5", "--settle", "0.2", "--json"},
            [&] {
                QVERIFY(QTest::qWaitFor([&] { return fake.Restarts() >= 2; }, 10000));
                fake.Unplug();
            });
        QCOMPARE(result.status, 1);
        const QJsonObject series = result.report["series"].toArray()[0].toObject();
        const QJsonArray times = series["times"].toArray();
        QCOMPARE(times.size(), 2);
        QCOMPARE(times[0].toObject()["outcome"].toString(), "fix");
        QVERIFY(std::abs(times[0].toObject()["seconds"].toDouble() - 0.5) <= 0.05);
        QCOMPARE(times[1].toObject()["outcome"].toString(), "lost");
        QVERIFY(series["ended"].toString().startsWith("the receiver was lost"));
    }

    void badArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no receiver") << QStringList{"--restart", "$PMTK103"}
                                     << "orvane-ttff: give one receiver: --port DEV or --tcp HOST:PORT (see --help)\n";
        QTest::newRow("no restart") << QStringList{"--port", "ttyUSB9"}
                                    << "orvane-ttff: give a restart command: --restart [NAME=]TEXT (see --help)\n";
        QTest::newRow("bad hex") << QStringList{"--port", "ttyUSB9", "--restart", "hex: B5 6"}
                                 << "orvane-ttff: --restart hex: B5 6: hex: an odd number of digits (see --help)\n";
        QTest::newRow("within without reference")
            << QStringList{"--tcp", "localhost:1", "--restart", "$PMTK103", "--within", "10"}
            << "orvane-ttff: --within and --reference go together (see --help)\n";
    }
    void badArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Result result = RunTtff(arguments);
        QCOMPARE(result.status, 2);
        QCOMPARE(QString::fromUtf8(result.errors), message);
    }
};

QTEST_GUILESS_MAIN(TestTtff)
#include "tst_ttff.moc"
