// SPDX-License-Identifier: GPL-3.0-or-later
// The Send to Receiver and TTFF Test windows on the real main window, with
// the scripted receiver on a real pseudo-terminal: the window menu's
// entries and keys, a command sent with its [Send] line, its mark in the
// recording and the receiver's answer in the console; the [commands]
// presets; a TTFF series timed within 50 ms of the script.

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QListWidget>
#include <QMenu>
#include <QSpinBox>

#include "../common/FakeReceiver.h"
#include "../common/LoopbackPort.h"
#include "AppTestSupport.h"
#include "ReceiverConsoleDlg.h"
#include "TtffDlg.h"
#include "live/Recording.h"

using namespace orvane;

Q_DECLARE_METATYPE(FakeReceiver::Device)

namespace {

// The fake on the serial port; behind TCP, no serial device, so the TCP
// input opens and the [sources] NMEA server is the receiver.
QByteArray Config(const FakeReceiver& fake, FakeReceiver::Device device = FakeReceiver::Device::PseudoTerminal)
{
    const QByteArray commands = "[commands]\ncold start=$PMTK103\nfix rate=$PMTK220,1000\n";
    if (device == FakeReceiver::Device::Tcp)
        return TcpInputConfig(FreePort()) + "[sources]\ntcp=127.0.0.1:" + QByteArray::number(fake.Port()) + "\n" +
               commands;
    return "[uart]\nport=" + QByteArray::fromStdString(fake.DevicePath()) + "\nbaudrate=115200\n" + commands;
}

QString Recorded(const COrvaneDlg& dialog)
{
    return QString::fromLatin1(ReadFile(dialog.Recorder().File().Path()));
}

}  // namespace

class TestReceiverConsole : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;

private slots:
    void initTestCase() { SetRecordingFolder(m_Folder.path()); }
    void cleanupTestCase()
    {
        SetRecordingFolder(QString());
        SetConfigFolder(QString());
    }

    // The window menu offers both windows after the other windows, in this order.
    void menuEntries()
    {
        COrvaneDlg dialog;
        std::unique_ptr<QMenu> menu(dialog.CreateWindowMenu());
        QStringList texts;
        for (const QAction* action : menu->actions())
            texts << action->text();
        const qsizetype sky = texts.indexOf("&Sky View...");
        QCOMPARE(texts.mid(sky, 5),
            (QStringList{"&Sky View...", "&Charts...", "&NTRIP...", "Send to &Receiver...", "&TTFF Test..."}));
        QVERIFY(!dialog.ReceiverConsole());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(dialog.ReceiverConsole() && dialog.ReceiverConsole()->isVisible());
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_T, Qt::ControlModifier);
        QVERIFY(dialog.TtffTest() && dialog.TtffTest()->isVisible());
    }

    // A preset chosen and sent: the receiver gets it with its checksum, the
    // text view a [Send] line, the recording its mark, and the console the
    // receiver's acknowledgement but not its position sentences, until the
    // user names one of their types.
    void sendAndAnswer()
    {
        FakeReceiver fake(FakeReceiver::Device::PseudoTerminal, {500});
        QVERIFY(fake.Ok());
        QVERIFY(UseConfig(m_Folder, Config(fake)));
        COrvaneDlg dialog;
        {
            // Nothing open: nothing sent, and the line says why.
            const LiveSession::SendResult idle = dialog.SendToReceiver("$PMTK605");
            QVERIFY(!idle.sent);
            QVERIFY(TopLine(dialog).startsWith("[Send] not sent: $PMTK605*31 (no receiver is open"));
        }
        GoLive(dialog);
        QVERIFY(dialog.Live().SerialOpen());
        Button(dialog, IDC_RECORDING)->click();
        QVERIFY(dialog.Recorder().Recording());
        dialog.OnReceiverConsole();
        ReceiverConsoleDlg* console = dialog.ReceiverConsole();
        QVERIFY(DisplayText(dialog).contains("[Config] commands/fix rate = $PMTK220,1000 (ok)"));
        QCOMPARE(console->Presets()->count(), 3);
        console->Presets()->setCurrentIndex(2);
        emit console->Presets()->activated(2);
        QCOMPARE(console->CommandLine()->text(), "$PMTK220,1000");
        console->SendButton()->click();
        QCOMPARE(TopLine(dialog), "[Send] $PMTK220,1000*1F");
        QTRY_VERIFY(!fake.Received().empty());
        QCOMPARE(fake.Received().front(), std::string("$PMTK220,1000*1F\r\n"));
        QCOMPARE(console->History()->item(0)->text(), "$PMTK220,1000");
        QTRY_VERIFY(console->Answers()->toPlainText().contains("< $PMTK001,220,3*"));
        QVERIFY(!console->Answers()->toPlainText().contains("GPGGA"));
        // Between whole received lines: at the start of a line, a sentence after it.
        const QRegularExpression mark(
            R"((^|\r\n)# \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z sent NMEA PMTK220,1000\*1F\r\n\$)");
        QTRY_VERIFY2(Recorded(dialog).contains(mark), qPrintable(Recorded(dialog).left(2000)));

        console->ExtraTypes()->setText("gsa");
        QTRY_VERIFY(console->Answers()->toPlainText().contains("< $GPGSA,A,3,"));
        QVERIFY(!console->Answers()->toPlainText().contains("GPRMC"));

        // Bad hex sends nothing and says why.
        console->CommandLine()->setText("hex: B5 6");
        console->SendButton()->click();
        QCOMPARE(TopLine(dialog), "[Send] not sent: hex: B5 6 (hex: an odd number of digits)");
        QCOMPARE(console->Status()->text(), "Not sent: hex: an odd number of digits");
        QCOMPARE(fake.Received().size(), size_t(1));
    }

    // A series from the TTFF window on the open receiver: the restart goes
    // out as a console command, and each run's time is the script's.
    void ttffSeries_data()
    {
        QTest::addColumn<FakeReceiver::Device>("device");
        QTest::newRow("pseudo-terminal") << FakeReceiver::Device::PseudoTerminal;
        QTest::newRow("tcp") << FakeReceiver::Device::Tcp;
    }
    void ttffSeries()
    {
        QFETCH(FakeReceiver::Device, device);
        FakeReceiver fake(device, {900, 600});
        QVERIFY(fake.Ok());
        QVERIFY(UseConfig(m_Folder, Config(fake, device)));
        COrvaneDlg dialog;
        GoLive(dialog);
        if (device == FakeReceiver::Device::Tcp)
            QTRY_VERIFY(DisplayText(dialog).contains("[TCP client] connected to 127.0.0.1:"));
        dialog.OnTtffTest();
        TtffDlg* test = dialog.TtffTest();
        emit test->Presets()->activated(1);
        QCOMPARE(test->Command()->text(), "$PMTK103");
        test->Runs()->setValue(2);
        test->Timeout()->setValue(3);
        test->Settle()->setValue(0.3);
        test->ThreeD()->setChecked(true);
        test->StartButton()->click();
        QVERIFY(!test->StartButton()->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(int(dialog.TtffResults().size()), 1, 15000);
        const TtffSeries& series = dialog.TtffResults().front();
        QCOMPARE(series.start, std::string("cold start"));
        QCOMPARE(int(series.runs.size()), 2);
        QCOMPARE(series.runs[0].outcome, RunOutcome::Fix);
        QVERIFY(std::abs(series.runs[0].seconds - 0.9) <= 0.05);
        QCOMPARE(series.runs[1].outcome, RunOutcome::Fix);
        QVERIFY(std::abs(series.runs[1].seconds - 0.6) <= 0.05);
        QVERIFY(test->StartButton()->isEnabled());
        QVERIFY(test->Report()->toPlainText().contains("cold start ($PMTK103), timeout 3 s: runs 2 of 2, fixes 2"));
        QCOMPARE(DisplayText(dialog).count("[Send] $PMTK103*30"), 2);
        QCOMPARE(fake.Restarts(), 2);
    }

    // Pause or Stop during a run: the series ends with the reason, its
    // runs kept; a stopped run is left out of the figures.
    void endedMidRun_data()
    {
        QTest::addColumn<bool>("pause");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("ended");
        QTest::newRow("pause") << true << "lost"
                               << "the receiver was lost (the live input was closed)";
        QTest::newRow("stop") << false << "stopped"
                              << "stopped by the user";
    }
    void endedMidRun()
    {
        QFETCH(bool, pause);
        QFETCH(QString, outcome);
        QFETCH(QString, ended);
        FakeReceiver fake(FakeReceiver::Device::PseudoTerminal, {400, FakeReceiver::kNever});
        QVERIFY(fake.Ok());
        QVERIFY(UseConfig(m_Folder, Config(fake)));
        COrvaneDlg dialog;
        GoLive(dialog);
        dialog.OnTtffTest();
        TtffDlg* test = dialog.TtffTest();
        test->Command()->setText("$PMTK103");
        test->Runs()->setValue(3);
        test->Timeout()->setValue(5);
        test->Settle()->setValue(0.2);
        test->StartButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(fake.Restarts(), 2, 10000);
        if (pause)
            Button(dialog, IDC_LIVE_INPUT)->click();
        else
            test->StopButton()->click();
        QCOMPARE(int(dialog.TtffResults().size()), 1);
        const TtffSeries& series = dialog.TtffResults().front();
        QCOMPARE(int(series.runs.size()), 2);
        QCOMPARE(series.runs[0].outcome, RunOutcome::Fix);
        QCOMPARE(QString(OutcomeKey(series.runs[1].outcome)), outcome);
        QCOMPARE(QString::fromStdString(series.ended), ended);
        QCOMPARE(Summarize(series).runs, size_t(pause ? 2 : 1));
        QVERIFY(test->Report()->toPlainText().contains("ended early: " + ended));
        QVERIFY(test->StartButton()->isEnabled());
    }
};

QTEST_MAIN(TestReceiverConsole)
#include "tst_receiverconsole.moc"
