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

}  // namespace

class TestRecordingWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_Config;
    std::unique_ptr<QTemporaryDir> m_Records;
    quint16 m_Port = 0;

    static void Tick(COrvaneDlg& dialog) { dialog.OnTimer(kLiveTimerId); }

    // Online, with the TCP input open and one client connected to it.
    void GoLive(COrvaneDlg& dialog, QTcpSocket& client)
    {
        dialog.Button(IDC_ONLINE_MODE)->click();
        dialog.Button(IDC_LIVE_INPUT)->click();
        QVERIFY(dialog.LiveTimer().isActive());
        client.connectToHost(QHostAddress::LocalHost, m_Port);
        QVERIFY(client.waitForConnected(5000));
        QTRY_VERIFY(dialog.DisplayText().contains("[TCP] new client is connected"));
    }

    // Sends bytes and waits until they are live text (or recorded by a tick
    // that came in between).
    static void Feed(COrvaneDlg& dialog, QTcpSocket& client, const QByteArray& bytes)
    {
        const qint64 before = dialog.Recorder().File().Size() + qint64(dialog.State().NmeaText.size());
        QCOMPARE(client.write(bytes), bytes.size());
        QTRY_COMPARE(dialog.Recorder().File().Size() + qint64(dialog.State().NmeaText.size()), before + bytes.size());
    }

    static void TypeCode(COrvaneDlg& dialog, const QString& code)
    {
        static_cast<QLineEdit*>(dialog.Control(IDC_DEVELOPER_CODE_EDIT))->setText(code);
        dialog.Button(IDC_DEVELOPER_CODE)->click();
    }

    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    static QString StartedPath(const COrvaneDlg& dialog)
    {
        const QString line = TopLines(dialog, 1).first();
        if (!line.startsWith("NMEA Recording (") || !line.endsWith(")"))
            return QString();
        return line.mid(16, line.size() - 17);
    }

private slots:
    void initTestCase()
    {
        SetConfigFolder(m_Config.path());
        m_Port = FreePort();
        QVERIFY(!WriteFile(m_Config, "config.ini", QString("[server]\ninputport=%1\n").arg(m_Port).toUtf8()).isEmpty());
    }

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
        GoLive(dialog, client);
        QCOMPARE(dialog.Button(IDC_RECORDING)->text(), QString("Recording NMEA"));
        const QDateTime before = QDateTime::currentDateTime();
        dialog.Button(IDC_RECORDING)->click();
        const QDateTime after = QDateTime::currentDateTime();
        const QString path = StartedPath(dialog);
        QVERIFY2(!path.isEmpty(), qPrintable(TopLines(dialog, 1).first()));
        const QString name = QFileInfo(path).fileName();
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(m_Records->path()).absolutePath());
        QVERIFY(QRegularExpression(R"(^\[\d{8}\] \d{6}\.log$)").match(name).hasMatch());
        QVERIFY(name == RecordingFileName(before) || name == RecordingFileName(after));
        QCOMPARE(dialog.Button(IDC_RECORDING)->text(), QString("Stop Recording"));
        QVERIFY(dialog.Button(IDC_RECORDING)->isChecked());
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(QFileInfo(path).size(), qint64(0));

        // Bytes that are not ASCII, CR LF line ends and a line of noise all
        // land unchanged.
        const QByteArray first = Sentences("GP", "RMC", 2) + QByteArray("\xB0\xFF noise\n", 9);
        Feed(dialog, client, first);
        Tick(dialog);
        QCOMPARE(Read(path), first);
        const QByteArray second = Sentences("GP", "GGA", 3, 10);
        Feed(dialog, client, second);
        Tick(dialog);
        QCOMPARE(Read(path), first + second);

        dialog.Button(IDC_RECORDING)->click();
        QCOMPARE(TopLines(dialog, 1).first(), QString("Stop Recording"));
        QCOMPARE(dialog.Button(IDC_RECORDING)->text(), QString("Recording NMEA"));
        QVERIFY(!dialog.Button(IDC_RECORDING)->isChecked());
        QVERIFY(!dialog.Recorder().Recording());
        // Stopped: what comes now goes to no file.
        Feed(dialog, client, Sentences("GP", "RMC", 1, 30));
        Tick(dialog);
        QCOMPARE(Read(path), first + second);
    }

    // Two starts within one second use the same name; the second cuts the
    // file to zero length.
    void twoStartsInOneSecond()
    {
        COrvaneDlg dialog;
        QTcpSocket client;
        GoLive(dialog, client);
        for (int attempt = 0; attempt < 5; ++attempt) {
            dialog.Button(IDC_RECORDING)->click();
            const QString first = StartedPath(dialog);
            QVERIFY(!first.isEmpty());
            Feed(dialog, client, Sentences("GP", "RMC", 1));
            Tick(dialog);
            QVERIFY(QFileInfo(first).size() > 0);
            dialog.Button(IDC_RECORDING)->click();
            dialog.Button(IDC_RECORDING)->click();
            const QString second = StartedPath(dialog);
            dialog.Button(IDC_RECORDING)->click();
            if (second != first)
                continue;  // a second boundary fell in between; try again
            QCOMPARE(QFileInfo(first).size(), qint64(0));
            QCOMPARE(QDir(m_Records->path()).entryList(QDir::Files).size(), qsizetype(attempt + 1));
            return;
        }
        QFAIL("no two starts fell into one second");
    }

    // A file of exactly 3072000 bytes stays; the next write takes it past
    // and rotates it, and one second later the next file starts, even
    // though the source was closed in between.
    void rotation()
    {
        COrvaneDlg dialog;
        QTcpSocket client;
        GoLive(dialog, client);
        TypeCode(dialog, "viewtapestate");
        dialog.Button(IDC_RECORDING)->click();
        const QString first = StartedPath(dialog);
        QVERIFY(!first.isEmpty());

        QByteArray body;
        for (int k = 0; body.size() < kRecordingSizeLimit; ++k)
            body += Filler(1000, k);
        QCOMPARE(body.size(), qsizetype(3072000));
        Feed(dialog, client, body);
        Tick(dialog);
        QCOMPARE(dialog.Recorder().File().Size(), qint64(3072000));
        QVERIFY(dialog.Recorder().Recording());
        QVERIFY(!dialog.Recorder().RestartTimer().isActive());
        QVERIFY(dialog.DisplayText().contains("Recording Size:  3072000 / 3072000"));

        // A tick of the running timer may beat ours to it.
        const QByteArray last = Sentences("GP", "RMC", 1);
        QCOMPARE(client.write(last), last.size());
        QTRY_VERIFY((Tick(dialog), !dialog.Recorder().Recording()));
        QCOMPARE(TopLines(dialog, 2),
                 (QStringList{"Stop Recording", QString("Recording Size:  %1 / 3072000").arg(3072000 + last.size())}));
        QVERIFY(!dialog.Recorder().Recording());
        QCOMPARE(dialog.Button(IDC_RECORDING)->text(), QString("Recording NMEA"));
        QVERIFY(dialog.Recorder().RestartTimer().isActive());
        QVERIFY(dialog.Recorder().RestartTimer().isSingleShot());
        QCOMPARE(dialog.Recorder().RestartTimer().interval(), 1000);
        QCOMPARE(Read(first), body + last);

        // Text of the gap is decoded, and held for the next file.
        const QByteArray gap = Sentences("GP", "RMC", 1, 5);
        client.write(gap);
        QTRY_VERIFY((Tick(dialog), dialog.DisplayText().contains("[2026.03.14 23:58:05]")));
        QCOMPARE(QFileInfo(first).size(), qint64(body.size() + last.size()));

        // The source closes within the second; the timer still starts the next file.
        dialog.Button(IDC_LIVE_INPUT)->click();
        QVERIFY(!dialog.LiveTimer().isActive());
        QVERIFY(dialog.Recorder().RestartTimer().isActive());
        QTRY_VERIFY_WITH_TIMEOUT(dialog.Recorder().Recording(), 3000);
        QVERIFY(!dialog.Recorder().RestartTimer().isActive());
        const QString second = StartedPath(dialog);
        QVERIFY(!second.isEmpty());
        QVERIFY2(QFileInfo(second).fileName() > QFileInfo(first).fileName(), qPrintable(second));
        QCOMPARE(Read(second), gap);
        QCOMPARE(QFileInfo(first).size(), qint64(body.size() + last.size()));
        QCOMPARE(dialog.Button(IDC_RECORDING)->text(), QString("Stop Recording"));
    }

    // A stream that arrives without pause across two rotations: the files,
    // read one after another, hold every byte once and in order, also what
    // came in the second between one file and the next.
    void rotationLosesNoByte()
    {
        COrvaneDlg dialog;
        QTcpSocket client;
        GoLive(dialog, client);
        dialog.Button(IDC_RECORDING)->click();
        QByteArray stream;
        for (int k = 0; stream.size() < 2 * kRecordingSizeLimit + 100000; ++k)
            stream += Filler(1000, k);
        const auto count = [&dialog](const char* line) { return dialog.DisplayText().count(line); };
        const auto recordedSize = [this] {
            qint64 size = 0;
            for (const QFileInfo& file : QDir(m_Records->path()).entryInfoList(QDir::Files))
                size += file.size();
            return size;
        };
        // Past the limit; more while the rotation waits; past the limit of
        // the second file; the rest.
        const qsizetype cuts[] = {0, kRecordingSizeLimit + 1000, 2 * kRecordingSizeLimit, stream.size() - 5000,
                                  stream.size()};
        client.write(stream.mid(cuts[0], cuts[1] - cuts[0]));
        QTRY_VERIFY_WITH_TIMEOUT(count("Stop Recording") == 1, 10000);
        client.write(stream.mid(cuts[1], cuts[2] - cuts[1]));
        QTRY_VERIFY_WITH_TIMEOUT(count("NMEA Recording (") == 2, 10000);
        client.write(stream.mid(cuts[2], cuts[3] - cuts[2]));
        QTRY_VERIFY_WITH_TIMEOUT(count("Stop Recording") == 2, 10000);
        client.write(stream.mid(cuts[3]));
        QTRY_VERIFY_WITH_TIMEOUT(count("NMEA Recording (") == 3 && recordedSize() == stream.size(), 10000);
        QStringList files = QDir(m_Records->path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), qsizetype(3));
        QByteArray recorded;
        for (const QString& name : files)
            recorded += Read(m_Records->filePath(name));
        QCOMPARE(recorded.size(), stream.size());
        QVERIFY(recorded == stream);
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
        GoLive(dialog, client);
        dialog.Button(IDC_RECORDING)->click();
        const QString path = StartedPath(dialog);
        QVERIFY(!path.isEmpty());
        QByteArray bytes = Sentences("GP", "RMC", 1, 1) + QByteArray(3, '\0') + Sentences("GP", "RMC", 1, 2);
        bytes.insert(20, '\0');
        QCOMPARE(client.write(bytes), bytes.size());
        QTRY_VERIFY(dialog.State().NmeaText.find("235802") != std::string::npos);
        if (closeWindow)
            dialog.done(0);
        else
            dialog.Button(IDC_ONLINE_MODE)->click();
        QVERIFY(!dialog.DisplayText().contains("Logic Error"));
        QCOMPARE(TopLines(dialog, 4), (QStringList{"Stop Recording",
                                                   QString("[TCP] OK to close GNSS data port (%1)").arg(m_Port),
                                                   "[2026.03.14 23:58:02] (N)37.555465, (E)126.971554, Speed:0.02Km/h, Heading:172.00",
                                                   "[2026.03.14 23:58:01] (N)37.555465, (E)126.971554, Speed:0.02Km/h, Heading:172.00"}));
        QVERIFY(Read(path) == bytes);
    }

    // Started by hand within the gap, a recording is stopped again when the
    // timer fires: the timer toggles.
    void restartTimerToggles()
    {
        COrvaneDlg dialog;
        QTcpSocket client;
        GoLive(dialog, client);
        dialog.Button(IDC_RECORDING)->click();
        client.write(Filler(1000, 0).repeated(3073));
        QTRY_VERIFY((Tick(dialog), dialog.Recorder().RestartTimer().isActive()));
        dialog.Button(IDC_RECORDING)->click();
        QVERIFY(dialog.Recorder().Recording());
        dialog.OnTimer(kRecordingRestartTimerId);
        QVERIFY(!dialog.Recorder().Recording());
        QCOMPARE(TopLines(dialog, 1).first(), QString("Stop Recording"));
        QVERIFY(!dialog.Recorder().RestartTimer().isActive());
    }

    // A folder that cannot take the file: the system's reason, padded on the
    // left to 1024 characters; recording stays off.
    void folderNotWritable_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "missing" << "No such file or directory";
        QTest::newRow("parent is a file") << "plain" << "Not a directory";
    }
    void folderNotWritable()
    {
        QFETCH(QString, folder);
        QFETCH(QString, reason);
        QVERIFY(!WriteFile(*m_Records, "plain", "not a folder").isEmpty());
        SetRecordingFolder(m_Records->filePath(folder));
        COrvaneDlg dialog;
        dialog.Button(IDC_ONLINE_MODE)->click();
        dialog.Button(IDC_RECORDING)->click();
        const QString expected = "Couldn't open source file: " + QString(1024 - reason.size(), ' ') + reason;
        QCOMPARE(TopLines(dialog, 1).first(), expected);
        QVERIFY(!dialog.Recorder().Recording());
        QCOMPARE(dialog.Button(IDC_RECORDING)->text(), QString("Recording NMEA"));
        QVERIFY(!dialog.Button(IDC_RECORDING)->isChecked());
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
        GoLive(dialog, client);
        TypeCode(dialog, "VIEWTAPESTATE");
        dialog.Button(IDC_RECORDING)->click();
        QVERIFY(dialog.Recorder().Recording());
        client.write(Sentences("GP", "RMC", 1));
        QTRY_VERIFY((Tick(dialog), !dialog.Recorder().Recording()));
        QCOMPARE(TopLines(dialog, 2), (QStringList{"Stop Recording",
                                                   "Couldn't write the recording file: No space left on device (0 bytes written)"}));
        QVERIFY(!dialog.DisplayText().contains("Recording Size:"));
        QVERIFY(!dialog.Recorder().Recording());
        QCOMPARE(dialog.Button(IDC_RECORDING)->text(), QString("Recording NMEA"));
    }

    // Starting with no source open makes an empty file.
    void startWithoutSource()
    {
        COrvaneDlg dialog;
        dialog.Button(IDC_ONLINE_MODE)->click();
        dialog.Button(IDC_RECORDING)->click();
        const QString path = StartedPath(dialog);
        QVERIFY(!path.isEmpty());
        QCOMPARE(QFileInfo(path).size(), qint64(0));
        dialog.Button(IDC_ONLINE_MODE)->click();
        QCOMPARE(TopLines(dialog, 1).first(), QString("Stop Recording"));
        QVERIFY(!dialog.Recorder().Recording());
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
        GoLive(dialog, first);
        second.connectToHost(QHostAddress::LocalHost, m_Port);
        QVERIFY(second.waitForConnected(5000));
        QTRY_COMPARE(dialog.DisplayText().count("[TCP] new client is connected"), 2);
        dialog.Button(IDC_RECORDING)->click();
        const QString path = StartedPath(dialog);
        QVERIFY(!path.isEmpty());

        const QByteArray a = Sentences("GP", "GGA", 6, 0) + Sentences("GP", "RMC", 8, 0);
        const QByteArray b = Sentences("GP", "GGA", 6, 20) + Sentences("GP", "RMC", 8, 20);
        qsizetype pieces = 0;
        for (qsizetype at = 0; at < a.size(); at += 97, ++pieces) {
            first.write(a.mid(at, 97));
            second.write(b.mid(pieces * 61, 61));
            QVERIFY(first.waitForBytesWritten(1000) && second.waitForBytesWritten(1000));
            Tick(dialog);
        }
        second.write(b.mid(pieces * 61));
        // An unfinished line waits for its end until the source closes.
        const QByteArray tail = "$GPTXT,unfinished";
        first.write(tail);
        // (The tail may go on early, once its source stays silent for a tick.)
        QTRY_VERIFY(dialog.Live().Lines().WaitingTotal() + dialog.State().NmeaText.size() +
                        size_t(dialog.Recorder().File().Size()) == size_t(a.size() + b.size() + tail.size()));
        // What is left is decoded and recorded as the source closes.
        dialog.Button(IDC_LIVE_INPUT)->click();
        QVERIFY(!dialog.Recorder().Recording());

        QByteArray recorded = Read(path);
        QCOMPARE(recorded.size(), a.size() + b.size() + tail.size());
        QVERIFY(recorded.endsWith(tail));
        recorded.chop(tail.size());
        QByteArray fromA, fromB;
        for (const QByteArray& line : recorded.split('\n')) {
            if (!line.isEmpty())
                (line.mid(7, 6).toInt() < 235820 ? fromA : fromB) += line + '\n';
        }
        QCOMPARE(fromA.size(), a.size());
        QCOMPARE(fromB.size(), b.size());
        QVERIFY(fromA == a);
        QVERIFY(fromB == b);

        const QStringList live = DecodedLines(dialog);
        QCOMPARE(live.size(), 16);
        dialog.Button(IDC_ONLINE_MODE)->click();
        seam.answer = path;
        dialog.Button(IDC_LOAD_FILE)->click();
        QVERIFY(dialog.State().m_Loaded);
        QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->currentText(), QString("GPS (GP)"));
        dialog.Button(IDC_CLEAR)->click();
        dialog.Button(IDC_RUN)->click();
        for (int k = 0; k < 40 && !dialog.DisplayText().contains("Finish Parsing"); ++k)
            dialog.OnTimer(kReplayTimerId);
        QCOMPARE(DecodedLines(dialog), live);
    }

    // Each code, in any case and with blanks; other white space is refused;
    // the edit is emptied after every press.
    void developerCodes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("raw");
        QTest::addColumn<bool>("progress");
        QTest::newRow("viewlogdump") << "viewlogdump" << "[Developer Code] Show the 'GNSS Raw Data'" << true << false;
        QTest::newRow("mask log") << " Mask Log Dump " << "[Developer Code] Hide the 'GNSS Raw Data'" << false << false;
        QTest::newRow("viewtape") << "v i e w t a p e s t a t e" << "[Developer Code] Show the progress of recording"
                                  << false << true;
        QTest::newRow("masktape") << "masktapestate" << "[Developer Code] Hide the progress of recording" << false
                                  << false;
        QTest::newRow("tab") << "VIEW\tLOGDUMP" << "[Developer Code] Invalid Code!" << false << false;
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
        QCOMPARE(TopLines(dialog, 1).first(), line);
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
        GoLive(dialog, client);
        TypeCode(dialog, "VIEWLOGDUMP");
        TypeCode(dialog, "VIEW\tTAPESTATE");
        QVERIFY(dialog.RawDataVisible());
        QVERIFY(!dialog.RecordingProgressVisible());
        const QByteArray text = Sentences("GP", "GGA", 1);
        QCOMPARE(client.write(text), text.size());
        QTRY_VERIFY(!dialog.State().NmeaText.empty());
        QCOMPARE(TopLines(dialog, 1).first(), QString("[TCP] 127.0.0.1:%1 (%2)").arg(client.localPort()).arg(text.size()));
        Tick(dialog);
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
