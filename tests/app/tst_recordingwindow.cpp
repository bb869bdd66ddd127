#include <QtTest>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

#include "../common/LoopbackPort.h"
#include "AppTestSupport.h"
#include "live/Recording.h"

using namespace orvane;

namespace {

// A line of exactly size bytes that the decoder passes over.
QByteArray Filler(int size, int k)
{
    QByteArray line = "$GPTXT," + QByteArray::number(k) + ",";
    line += QByteArray(size - line.size() - 5, 'x');
    line += "*00\r\n";
    return line;
}

QStringList DecodedLines(const COrvaneDlg& dialog)
{
    QStringList lines = dialog.DisplayText().split("\r\n");
    lines.removeIf([](const QString& line) { return !line.startsWith("[2026."); });
    return lines;
}

// The file the newest line says a recording started.
QString StartedPath(const COrvaneDlg& dialog)
{
    static const QRegularExpression started(R"(^NMEA Recording \((.+)\)$)");
    return started.match(TopLine(dialog)).captured(1);
}

void ToggleRecording(COrvaneDlg& dialog)
{
    dialog.Button(IDC_RECORDING)->click();
}

}  // namespace

class TestRecordingWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_Config;
    std::unique_ptr<QTemporaryDir> m_Records;
    quint16 m_Port = 0;

    // Online, with the TCP input open and one client connected to it.
    void Live(COrvaneDlg& dialog, QTcpSocket& client)
    {
        GoLive(dialog);
        QVERIFY(ConnectInput(dialog, client, m_Port));
    }

    // Sends bytes and waits until they are live text (or recorded by a tick
    // that came in between).
    static void Feed(COrvaneDlg& dialog, QTcpSocket& client, const QByteArray& bytes)
    {
        const auto held = [&] { return dialog.Recorder().File().Size() + qint64(dialog.State().NmeaText.size()); };
        const qint64 before = held();
        QCOMPARE(client.write(bytes), bytes.size());
        QTRY_COMPARE(held(), before + bytes.size());
    }

    static void VerifyStopped(const COrvaneDlg& dialog)
    {
        QVERIFY(!dialog.Recorder().Recording());
        QCOMPARE(dialog.Button(IDC_RECORDING)->text(), QString("Recording NMEA"));
        QVERIFY(!dialog.Button(IDC_RECORDING)->isChecked());
    }

private slots:
    void initTestCase() { QVERIFY(UseConfig(m_Config, TcpInputConfig(m_Port = FreePort()))); }

    void init()
    {
        m_Records = std::make_unique<QTemporaryDir>();
        SetRecordingFolder(m_Records->path());
    }

    void cleanupTestCase() { SetRecordingFolder(QString()); }

    // The file is named after the local time of the start, lies in the
    // recording folder, and holds the received bytes as they came.
    void recordsWhatArrives()
    {
        COrvaneDlg dialog;
        QTcpSocket client;
        Live(dialog, client);
        const QDateTime before = QDateTime::currentDateTime();
        ToggleRecording(dialog);
        const QDateTime after = QDateTime::currentDateTime();
        const QString path = StartedPath(dialog);
        const QString name = QFileInfo(path).fileName();
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(m_Records->path()).absolutePath());
        QVERIFY2(name == RecordingFileName(before) || name == RecordingFileName(after), qPrintable(name));
        QCOMPARE(dialog.Button(IDC_RECORDING)->text(), QString("Stop Recording"));
        QVERIFY(dialog.Button(IDC_RECORDING)->isChecked());
        QCOMPARE(ReadFile(path), QByteArray());

        // Bytes that are not ASCII, CR LF line ends and a line of noise all
        // land unchanged.
        const QByteArray first = Sentences("GP", "RMC", 2) + QByteArray("\xB0\xFF noise\n", 9);
        Feed(dialog, client, first);
        LiveTick(dialog);
        QCOMPARE(ReadFile(path), first);
        const QByteArray second = Sentences("GP", "GGA", 3, 10);
        Feed(dialog, client, second);
        LiveTick(dialog);
        QCOMPARE(ReadFile(path), first + second);

        ToggleRecording(dialog);
        QCOMPARE(TopLine(dialog), QString("Stop Recording"));
        VerifyStopped(dialog);
        // Stopped: what comes now goes to no file.
        Feed(dialog, client, Sentences("GP", "RMC", 1, 30));
        LiveTick(dialog);
        QCOMPARE(ReadFile(path), first + second);
    }

    // A file of exactly 3072000 bytes stays; the next write takes it past
    // and rotates it; what comes in the second until the next file is
    // decoded and held for it, and that file starts even though the source
    // was closed in between.
    void rotation()
    {
        COrvaneDlg dialog;
        QTcpSocket client;
        Live(dialog, client);
        TypeCode(dialog, "viewtapestate");
        ToggleRecording(dialog);
        const QString first = StartedPath(dialog);
        QVERIFY(!first.isEmpty());

        QByteArray body;
        for (int k = 0; body.size() < kRecordingSizeLimit; ++k)
            body += Filler(1000, k);
        QCOMPARE(body.size(), qsizetype(3072000));
        Feed(dialog, client, body);
        LiveTick(dialog);
        QCOMPARE(dialog.Recorder().File().Size(), qint64(3072000));
        QVERIFY(dialog.Recorder().Recording() && !dialog.Recorder().RestartTimer().isActive());
        QVERIFY(dialog.DisplayText().contains("Recording Size:  3072000 / 3072000"));

        // A tick of the running timer may beat ours to it.
        const QByteArray last = Sentences("GP", "RMC", 1);
        QCOMPARE(client.write(last), last.size());
        QTRY_VERIFY((LiveTick(dialog), !dialog.Recorder().Recording()));
        QCOMPARE(TopLines(dialog, 2),
            (QStringList{"Stop Recording", QString("Recording Size:  %1 / 3072000").arg(3072000 + last.size())}));
        VerifyStopped(dialog);
        const QTimer& restart = dialog.Recorder().RestartTimer();
        QVERIFY(restart.isActive() && restart.isSingleShot());
        QCOMPARE(restart.interval(), 1000);
        QCOMPARE(ReadFile(first), body + last);

        const QByteArray gap = Sentences("GP", "RMC", 1, 5);
        client.write(gap);
        QTRY_VERIFY((LiveTick(dialog), dialog.DisplayText().contains("[2026.03.14 23:58:05]")));
        dialog.Button(IDC_LIVE_INPUT)->click();
        QVERIFY(!dialog.LiveTimer().isActive() && restart.isActive());
        QTRY_VERIFY_WITH_TIMEOUT(dialog.Recorder().Recording(), 3000);
        QVERIFY(!restart.isActive());
        const QString second = StartedPath(dialog);
        QVERIFY2(QFileInfo(second).fileName() > QFileInfo(first).fileName(), qPrintable(second));
        QCOMPARE(ReadFile(second), gap);
        QCOMPARE(QFileInfo(first).size(), qint64(body.size() + last.size()));
        QCOMPARE(dialog.Button(IDC_RECORDING)->text(), QString("Stop Recording"));
    }

    // Leaving online mode or closing the window while recording: the text
    // that came after the last tick is decoded as live data (no "Logic
    // Error"), then the close lines, then "Stop Recording". Zero bytes in a
    // chunk are recorded as they came and cut nothing from decoding.
    void lastTickRunsLiveBeforeLeaving_data()
    {
        QTest::addColumn<bool>("closeWindow");
        QTest::newRow("leave online mode") << false;
        QTest::newRow("close the window") << true;
    }
    void lastTickRunsLiveBeforeLeaving()
    {
        QFETCH(bool, closeWindow);
        COrvaneDlg dialog;
        QTcpSocket client;
        Live(dialog, client);
        ToggleRecording(dialog);
        const QString path = StartedPath(dialog);
        QByteArray bytes = Sentences("GP", "RMC", 1, 1) + QByteArray(3, '\0') + Sentences("GP", "RMC", 1, 2);
        bytes.insert(20, '\0');
        QCOMPARE(client.write(bytes), bytes.size());
        QTRY_VERIFY(dialog.State().NmeaText.find("235802") != std::string::npos);
        if (closeWindow)
            dialog.done(0);
        else
            dialog.Button(IDC_ONLINE_MODE)->click();
        QVERIFY(!dialog.DisplayText().contains("Logic Error"));
        QCOMPARE(TopLines(dialog, 4),
            (QStringList{"Stop Recording", QString("[TCP] OK to close GNSS data port (%1)").arg(m_Port), RmcLine(2),
                RmcLine(1)}));
        QVERIFY(ReadFile(path) == bytes);
    }

    // Started by hand within the gap, a recording is stopped again when the
    // timer fires: the timer toggles.
    void restartTimerToggles()
    {
        COrvaneDlg dialog;
        QTcpSocket client;
        Live(dialog, client);
        ToggleRecording(dialog);
        client.write(Filler(1000, 0).repeated(3073));
        QTRY_VERIFY((LiveTick(dialog), dialog.Recorder().RestartTimer().isActive()));
        ToggleRecording(dialog);
        QVERIFY(dialog.Recorder().Recording());
        dialog.OnTimer(kRecordingRestartTimerId);
        QCOMPARE(TopLine(dialog), QString("Stop Recording"));
        VerifyStopped(dialog);
        QVERIFY(!dialog.Recorder().RestartTimer().isActive());
    }

    // With no source open: a folder that cannot take the file gives the
    // system's reason, padded on the left to 1024 characters, and
    // recording stays off; in a folder that can, an empty file is made, and
    // leaving online mode stops the recording.
    void startWithoutSource()
    {
        SetRecordingFolder(m_Records->filePath("missing"));
        COrvaneDlg dialog;
        dialog.Button(IDC_ONLINE_MODE)->click();
        ToggleRecording(dialog);
        const QString reason = "No such file or directory";
        QCOMPARE(TopLine(dialog), "Couldn't open source file: " + QString(1024 - reason.size(), ' ') + reason);
        VerifyStopped(dialog);

        SetRecordingFolder(m_Records->path());
        ToggleRecording(dialog);
        QCOMPARE(ReadFile(StartedPath(dialog)), QByteArray());
        dialog.Button(IDC_ONLINE_MODE)->click();
        QCOMPARE(TopLine(dialog), QString("Stop Recording"));
        QVERIFY(!dialog.Recorder().Recording());
    }

    // A write that fails stops the recording with a line that says so, and
    // no size is reported for it.
    void writeFailureStops()
    {
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("no /dev/full here");
        // The next few seconds' names all lead to a full device.
        const QDateTime now = QDateTime::currentDateTime();
        for (int s = 0; s < 10; ++s)
            QVERIFY(QFile::link("/dev/full", m_Records->filePath(RecordingFileName(now.addSecs(s)))));
        COrvaneDlg dialog;
        QTcpSocket client;
        Live(dialog, client);
        TypeCode(dialog, "VIEWTAPESTATE");
        ToggleRecording(dialog);
        QVERIFY(dialog.Recorder().Recording());
        client.write(Sentences("GP", "RMC", 1));
        QTRY_VERIFY((LiveTick(dialog), !dialog.Recorder().Recording()));
        QCOMPARE(TopLines(dialog, 2),
            (QStringList{"Stop Recording",
                "Couldn't write the recording file: No space left on device (0 bytes written)"}));
        QVERIFY(!dialog.DisplayText().contains("Recording Size:"));
        VerifyStopped(dialog);
    }

    // Two clients whose lines arrive in pieces: every byte lands in the
    // file once, whole lines, in order per client; what came just before the
    // source closes is kept too. The file then replays through Load File
    // with the lines the live session showed.
    void recordingLoadsBack()
    {
        AnsweringSeam seam;
        COrvaneDlg dialog(&seam);
        QTcpSocket first, second;
        Live(dialog, first);
        QVERIFY(ConnectInput(dialog, second, m_Port));
        ToggleRecording(dialog);
        const QString path = StartedPath(dialog);

        const QByteArray a = Sentences("GP", "GGA", 6, 0) + Sentences("GP", "RMC", 8, 0);
        const QByteArray b = Sentences("GP", "GGA", 6, 20) + Sentences("GP", "RMC", 8, 20);
        qsizetype pieces = 0;
        for (qsizetype at = 0; at < a.size(); at += 97, ++pieces) {
            first.write(a.mid(at, 97));
            second.write(b.mid(pieces * 61, 61));
            QVERIFY(first.waitForBytesWritten(1000) && second.waitForBytesWritten(1000));
            LiveTick(dialog);
        }
        second.write(b.mid(pieces * 61));
        // An unfinished line waits for its end until the source closes.
        const QByteArray tail = "$GPTXT,unfinished";
        first.write(tail);
        // (The tail may go on early, once its source stays silent for a tick.)
        QTRY_VERIFY(dialog.Live().Lines().WaitingTotal() + dialog.State().NmeaText.size() +
                        size_t(dialog.Recorder().File().Size()) ==
                    size_t(a.size() + b.size() + tail.size()));
        // What is left is decoded and recorded as the source closes.
        dialog.Button(IDC_LIVE_INPUT)->click();
        QVERIFY(!dialog.Recorder().Recording());

        QByteArray recorded = ReadFile(path);
        QVERIFY(recorded.endsWith(tail));
        recorded.chop(tail.size());
        QByteArray fromA, fromB;
        for (const QByteArray& line : recorded.split('\n')) {
            if (!line.isEmpty())
                (line.mid(7, 6).toInt() < 235820 ? fromA : fromB) += line + '\n';
        }
        QVERIFY(fromA == a && fromB == b);

        const QStringList live = DecodedLines(dialog);
        QCOMPARE(live.size(), 16);
        dialog.Button(IDC_ONLINE_MODE)->click();
        seam.answer = path;
        dialog.Button(IDC_LOAD_FILE)->click();
        QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->currentText(), QString("GPS (GP)"));
        dialog.Button(IDC_CLEAR)->click();
        dialog.Button(IDC_RUN)->click();
        for (int k = 0; k < 40 && !dialog.DisplayText().contains("Finish Parsing"); ++k)
            dialog.OnTimer(kReplayTimerId);
        QCOMPARE(DecodedLines(dialog), live);
    }

    // Each code in any case and with blanks; no other white space and no
    // letter that only turns into a code's letter; the edit is emptied
    // after every press.
    void developerCodes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("raw");
        QTest::addColumn<bool>("progress");
        const QString raw = "[Developer Code] %1 the 'GNSS Raw Data'";
        const QString progress = "[Developer Code] %1 the progress of recording";
        const QString invalid = "[Developer Code] Invalid Code!";
        QTest::newRow("viewlogdump") << "viewlogdump" << raw.arg("Show") << true << false;
        QTest::newRow("mask log") << " Mask Log Dump " << raw.arg("Hide") << false << false;
        QTest::newRow("viewtape") << "v i e w t a p e s t a t e" << progress.arg("Show") << false << true;
        QTest::newRow("MASKTAPESTATE") << "MASKTAPESTATE" << progress.arg("Hide") << false << false;
        QTest::newRow("tab") << "VIEW\tLOGDUMP" << invalid << false << false;
        QTest::newRow("no-break space") << QStringLiteral("VIEW\u00a0LOGDUMP") << invalid << false << false;
        QTest::newRow("dotless i") << QStringLiteral("v\u0131ewlogdump") << invalid << false << false;
        QTest::newRow("only blanks") << "   " << invalid << false << false;
        QTest::newRow("prefix") << "VIEWLOGDUM" << invalid << false << false;
        QTest::newRow("longer") << "VIEWLOGDUMPS" << invalid << false << false;
    }
    void developerCodes()
    {
        QFETCH(QString, typed);
        QFETCH(QString, line);
        QFETCH(bool, raw);
        QFETCH(bool, progress);
        COrvaneDlg dialog;
        dialog.Button(IDC_ONLINE_MODE)->click();
        TypeCode(dialog, typed);
        QCOMPARE(TopLine(dialog), line);
        QCOMPARE(dialog.RawDataVisible(), raw);
        QCOMPARE(dialog.RecordingProgressVisible(), progress);
        QCOMPARE(static_cast<QLineEdit*>(dialog.Control(IDC_DEVELOPER_CODE_EDIT))->text(), QString());
    }

    // The flags act: the raw text and the chunk line while raw data shows;
    // an invalid code changes no flag; the flags outlive online mode.
    void developerFlagsAct()
    {
        COrvaneDlg dialog;
        QTcpSocket client;
        Live(dialog, client);
        TypeCode(dialog, "VIEWLOGDUMP");
        TypeCode(dialog, "VIEW\tTAPESTATE");
        QVERIFY(dialog.RawDataVisible() && !dialog.RecordingProgressVisible());
        const QByteArray text = Sentences("GP", "GGA", 1);
        QCOMPARE(client.write(text), text.size());
        QTRY_VERIFY(!dialog.State().NmeaText.empty());
        QCOMPARE(TopLine(dialog), QString("[TCP] 127.0.0.1:%1 (%2)").arg(client.localPort()).arg(text.size()));
        LiveTick(dialog);
        QVERIFY(dialog.DisplayText().contains(QString::fromLatin1(text)));
        dialog.Button(IDC_ONLINE_MODE)->click();
        dialog.Button(IDC_ONLINE_MODE)->click();
        QVERIFY(dialog.RawDataVisible());
        TypeCode(dialog, "MASKLOGDUMP");
        QVERIFY(!dialog.RawDataVisible());
    }
};

QTEST_MAIN(TestRecordingWindow)
#include "tst_recordingwindow.moc"
