// SPDX-License-Identifier: GPL-3.0-or-later
// The window online: the serial port, the TCP input and the other live
// sources (an NMEA server, the real gpsd, UDP), each on real devices and
// sockets; forwarding and uploading the decoded positions; recording what
// arrives; the developer codes reaching the window. (Rotation and recording
// failures are tst_recording's, the codes' parsing tst_developercode's.)

#include <QtTest>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include "../common/GpsdProcess.h"
#include "../common/LoopbackPort.h"
#include "../common/PseudoTerminal.h"
#include "../common/RecordingHooks.h"
#include "AppTestSupport.h"
#include "live/NetworkServer.h"
#include "live/Recording.h"
#include "replay/Dispatcher.h"
#include "replay/LogText.h"

using namespace orvane;

namespace {

const QByteArray kRmc = "$GPRMC,235800.00,A,3733.32791,N,12658.29325,E,0.012,172.00,140326,,,A*6A\r\n";
const QByteArray kGga = "$GPGGA,235800.00,3733.32791,N,12658.29325,E,1,22,0.64,31.5,M,23.6,M,,*6F\r\n";

int Count(const COrvaneDlg& dialog, const QString& line)
{
    return int(DisplayText(dialog).split("\r\n").count(line));
}

QByteArray Rmc(const QByteArray& position, const QByteArray& course, int second = 0)
{
    return "$GPRMC,1200" + QByteArray::number(second).rightJustified(2, '0') + ".00,A," + position + ",0.0," + course +
           ",140326,,,A*00\r\n";
}

const QByteArray kNorthEast = "3730.00000,N,12715.00000,E";
const QByteArray kVin = "ZYXWVUTS987654321";

// A small receiver log: five epochs of RMC, GGA, GSA and ZDA of GPS and a
// combined RMC, with a position that moves.
QByteArray ReceiverLog()
{
    QByteArray log;
    for (int second = 0; second < 5; ++second) {
        const QByteArray time = "1200" + QByteArray::number(second).rightJustified(2, '0') + ".00";
        const QByteArray latitude = "3733." + QByteArray::number(32791 + 17 * second);
        log += WithChecksum("GPRMC," + time + ",A," + latitude + ",N,12658.29325,E,0.012,172.00,140326,,,A");
        log += WithChecksum("GPGGA," + time + "," + latitude + ",N,12658.29325,E,1,22,0.64,31.5,M,23.6,M,,");
        log += WithChecksum("GPGSA,A,3,01,07,10,15,16,21,27,32,,,,,1.08,0.64,0.87");
        log += WithChecksum("GNRMC," + time + ",A," + latitude + ",N,12658.29325,E,0.012,172.00,140326,,,A");
        log += WithChecksum("GPZDA," + time + ",14,03,2026,00,00");
    }
    return log;
}

// The lines the window shows for a log file loaded and decoded whole,
// oldest first.
QStringList LinesOfFile(const QString& path, int talkerRow, int messageRow)
{
    std::string text;
    std::string reason;
    if (!ReadLogFile(path.toStdString(), true, text, reason))
        return {QString::fromStdString(reason)};
    DecodeCursor cursor;
    cursor.m_TalkerRow = talkerRow;
    RecordingHooks hooks(messageRow);
    while (DispatchSentences(text, cursor, {.m_Online = true}, hooks)) { }
    return hooks.lines;
}

QStringList Reversed(QStringList lines)
{
    std::reverse(lines.begin(), lines.end());
    return lines;
}

quint16 FreeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    return probe.localPort();
}

QStringList DecodedLines(const COrvaneDlg& dialog)
{
    QStringList lines = DisplayText(dialog).split("\r\n");
    lines.removeIf([](const QString& line) { return !line.startsWith("[2026."); });
    return lines;
}

// The file the newest line says a recording started.
QString StartedPath(const COrvaneDlg& dialog)
{
    static const QRegularExpression started(R"(^NMEA Recording \((.+)\)$)");
    return started.match(TopLine(dialog)).captured(1);
}

}  // namespace

class TestOnline : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;
    std::unique_ptr<QTemporaryDir> m_Records;  // a new recording folder for each case
    quint16 m_Port = 0;

    // The serial port as given, 115200 bps, and a free TCP input port.
    void WriteUartConfig(const QString& uartPort)
    {
        m_Port = FreePort();
        QVERIFY(UseConfig(m_Folder, "[uart]\nport=" + uartPort.toUtf8() +
                                        "\nbaudrate=115200\n[server]\ninputport=" + QByteArray::number(m_Port) + "\n"));
    }

    // A line of the serial port, which names the receiver's device.
    static QString UartLine(const char* format, const PseudoTerminal& receiver)
    {
        return QString(format).arg(QString::fromStdString(receiver.SlavePath()));
    }

    quint16 m_InputPort = 0;
    quint16 m_OutputPort = 0;
    quint16 m_UploadPort = 0;

    void WriteForwardingConfig(const QString& outputPort = QString())
    {
        m_InputPort = FreePort();
        m_OutputPort = FreePort();
        m_UploadPort = FreePort();
        const QString text = QString(
            "[server]\ninputport=%1\noutputport=%2\noutputformat=NMEA\n"
            "[client]\nurl=127.0.0.1\nport=%3\nvin=%4\n")
                                 .arg(m_InputPort)
                                 .arg(outputPort.isEmpty() ? QString::number(m_OutputPort) : outputPort)
                                 .arg(m_UploadPort)
                                 .arg(QString::fromLatin1(kVin));
        QVERIFY(UseConfig(m_Folder, text.toUtf8()));
    }

    void Live(COrvaneDlg& dialog, QTcpSocket& input)
    {
        GoLive(dialog);
        QVERIFY(ConnectInput(dialog, input, m_InputPort));
    }

    // Sends the text as live input and decodes it.
    static void Decode(COrvaneDlg& dialog, QTcpSocket& input, const QByteArray& text)
    {
        const auto decoded = [&] { return DisplayText(dialog).count("[2026.03.14 12:00:"); };
        const qsizetype before = decoded();
        QCOMPARE(input.write(text), text.size());
        QTRY_VERIFY((dialog.OnLiveTick(), decoded() >= before + text.count("$GPRMC")));
    }

    bool ConnectForwarding(COrvaneDlg& dialog, QTcpSocket& client, int expected)
    {
        client.connectToHost(QHostAddress::LocalHost, m_OutputPort);
        return client.waitForConnected(5000) &&
               QTest::qWaitFor([&] { return dialog.Sender()->ForwardingServer()->Clients().size() == expected; }, 5000);
    }

    // Online, with the TCP input open on a free port and one client
    // connected to it.
    void LiveOnTcp(COrvaneDlg& dialog, QTcpSocket& client)
    {
        QVERIFY(UseConfig(m_Folder, TcpInputConfig(m_Port = FreePort())));
        GoLive(dialog);
        QVERIFY(ConnectInput(dialog, client, m_Port));
    }

    // Sends bytes and waits until they are live text (or recorded by a tick
    // that came in between).
    static void Feed(COrvaneDlg& dialog, QTcpSocket& client, const QByteArray& bytes)
    {
        const auto held = [&] { return dialog.Recorder().File().Size() + qint64(dialog.Live().TickText().size()); };
        const qint64 before = held();
        QCOMPARE(client.write(bytes), bytes.size());
        QTRY_COMPARE(held(), before + bytes.size());
    }

    static void VerifyStopped(const COrvaneDlg& dialog)
    {
        QVERIFY(!dialog.Recorder().Recording());
        QCOMPARE(Button(dialog, IDC_RECORDING)->text(), QString("Recording NMEA"));
        QVERIFY(!Button(dialog, IDC_RECORDING)->isChecked());
    }

private slots:
    void initTestCase() { SetConfigFolder(m_Folder.path()); }
    void init()
    {
        m_Records = std::make_unique<QTemporaryDir>();
        SetRecordingFolder(m_Records->path());
    }
    void cleanupTestCase() { SetRecordingFolder(QString()); }

    // The serial port is tried first; a sentence that straddles two ticks
    // is decoded once, whole.
    void serialSentenceAcrossTicks()
    {
        PseudoTerminal receiver;
        QVERIFY(receiver.Ok());
        WriteUartConfig(QString::fromStdString(receiver.SlavePath()));
        COrvaneDlg dialog;
        GoLive(dialog);
        QCOMPARE(TopLine(dialog), UartLine("[UART] OK to open the GNSS data port(%1 115200bps)", receiver));
        QVERIFY(!DisplayText(dialog).contains("[TCP]"));
        QCOMPARE(Button(dialog, IDC_LIVE_INPUT)->text(), QString("Pause"));

        QVERIFY(receiver.Send((kGga + kRmc.left(30)).toStdString()));
        QTRY_VERIFY(dialog.Live().Lines().Waiting(kSerialSource) == 30);
        // Right after a tick of the window's own timer, the rest has a whole
        // period to arrive: the sentence straddles that tick.
        QSignalSpy ticks(&dialog.LiveTimer(), &QTimer::timeout);
        QVERIFY(ticks.wait());
        QCOMPARE(dialog.Live().Lines().Waiting(kSerialSource), size_t(30));
        QVERIFY(receiver.Send(kRmc.mid(30).toStdString()));
        QTRY_COMPARE(Count(dialog, RmcLine(0)), 1);
        dialog.OnLiveTick();
        QCOMPARE(Count(dialog, RmcLine(0)), 1);
        QVERIFY(!DisplayText(dialog).contains("Error Code"));

        Button(dialog, IDC_LIVE_INPUT)->click();
        QCOMPARE(TopLine(dialog), UartLine("[UART] OK to close the GNSS data port (%1 115200bps)", receiver));
        QCOMPARE(Button(dialog, IDC_LIVE_INPUT)->text(), QString("Start Parsing"));
        QVERIFY(!dialog.LiveTimer().isActive());
    }

    // An unplugged receiver closes the port by itself; it can start again.
    void vanishingReceiver()
    {
        auto receiver = std::make_unique<PseudoTerminal>();
        WriteUartConfig(QString::fromStdString(receiver->SlavePath()));
        COrvaneDlg dialog;
        GoLive(dialog);
        QVERIFY(dialog.LiveTimer().isActive());
        receiver->CloseMaster();
        QTRY_COMPARE(Button(dialog, IDC_LIVE_INPUT)->text(), QString("Start Parsing"));
        QCOMPARE(TopLine(dialog), UartLine("[UART] OK to close the GNSS data port (%1 115200bps)", *receiver));
        QVERIFY(
            TopLines(dialog, 2)[1].startsWith(UartLine("[UART] Lost the GNSS data port (%1 115200bps): ", *receiver)));
        QVERIFY(!dialog.LiveTimer().isActive());

        receiver = std::make_unique<PseudoTerminal>();
        WriteUartConfig(QString::fromStdString(receiver->SlavePath()));
        Button(dialog, IDC_LIVE_INPUT)->click();
        QCOMPARE(Button(dialog, IDC_LIVE_INPUT)->text(), QString("Pause"));
    }

    // Without a serial receiver the TCP input opens; three clients come and
    // their disconnect lines follow the close line in order of connection.
    // A "%1" inside the port name is printed as it stands. A sentence sent
    // without a line end is decoded at once, not held until 4096 bytes pile
    // up.
    void tcpClientsInOrder()
    {
        WriteUartConfig("/nonexistent/tty%1x");
        COrvaneDlg dialog;
        GoLive(dialog);
        QCOMPARE(TopLines(dialog, 3), (QStringList{QString("[TCP] OK to open GNSS data port (%1)").arg(m_Port),
                                          QString("[Config] server/inputport = %1 (ok)").arg(m_Port),
                                          "[UART] Fail to open the GNSS data port(/nonexistent/tty%1x 115200bps)"}));
        QTcpSocket clients[3];
        QStringList disconnected;
        for (QTcpSocket& client : clients) {
            QVERIFY(ConnectInput(dialog, client, m_Port));
            QVERIFY(DisplayText(dialog).contains(
                QString("[TCP] new client is connected (127.0.0.1:%1)").arg(client.localPort())));
            disconnected.prepend(QString("[TCP] a client is disconnected (127.0.0.1:%1)").arg(client.localPort()));
        }
        clients[1].write(kRmc.chopped(2));
        QTRY_COMPARE(Count(dialog, RmcLine(0)), 1);
        QCOMPARE(dialog.Live().Lines().WaitingTotal(), size_t(0));
        // Any other rest goes on once its source has been silent for one
        // second, not before.
        dialog.LiveTimer().stop();
        QElapsedTimer silence;
        silence.start();
        clients[2].write("$GPTXT,rest");
        QTRY_COMPARE(dialog.Live().Lines().WaitingTotal(), size_t(11));
        dialog.OnLiveTick();
        QCOMPARE(dialog.Live().Lines().WaitingTotal(), size_t(11));
        QTRY_VERIFY_WITH_TIMEOUT((dialog.OnLiveTick(), dialog.Live().Lines().WaitingTotal() == 0), 3000);
        QVERIFY2(silence.elapsed() >= 1000, qPrintable(QString::number(silence.elapsed())));
        Button(dialog, IDC_LIVE_INPUT)->click();
        QCOMPARE(TopLine(dialog), QString("[TCP] OK to close GNSS data port (%1)").arg(m_Port));
        QTRY_COMPARE(TopLines(dialog, 4),
            disconnected + QStringList{QString("[TCP] OK to close GNSS data port (%1)").arg(m_Port)});
    }

    // A pause inside a sentence (a link over Wi-Fi, a multiplexer, a burst
    // cut by a scheduling gap) must not lose it: the first half waits while
    // ticks pass, and the whole sentence decodes once.
    void pauseInsideSentenceDecodesWhole_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::addColumn<int>("pauseMs");
        QTest::newRow("tcp halves 150 ms apart") << false << 150;
        QTest::newRow("tcp halves 600 ms apart") << false << 600;
        QTest::newRow("pty halves 600 ms apart") << true << 600;
    }

    void pauseInsideSentenceDecodesWhole()
    {
        QFETCH(bool, serial);
        QFETCH(int, pauseMs);
        PseudoTerminal receiver;
        QTcpSocket client;
        if (serial)
            WriteUartConfig(QString::fromStdString(receiver.SlavePath()));
        COrvaneDlg dialog;
        if (serial)
            GoLive(dialog);
        else
            LiveOnTcp(dialog, client);
        const auto send = [&](const QByteArray& bytes) {
            return serial ? receiver.Send(bytes.toStdString()) : client.write(bytes) == bytes.size();
        };
        QVERIFY(send(kGga + kRmc.left(40)));
        QTRY_COMPARE(dialog.Live().Lines().WaitingTotal(), size_t(40));
        QTimer::singleShot(pauseMs, [&] { send(kRmc.mid(40)); });
        QTRY_COMPARE(Count(dialog, RmcLine(0)), 1);
        QCOMPARE(dialog.Live().Lines().WaitingTotal(), size_t(0));
        dialog.OnLiveTick();
        QCOMPARE(Count(dialog, RmcLine(0)), 1);
        QVERIFY(!DisplayText(dialog).contains("Error Code"));
    }

    // Online, the map buttons keep the lists open for a new choice.
    void mapButtonsKeepListsEnabledOnline()
    {
        QVERIFY(UseConfig(m_Folder, "[map]\ncount=1\nurl1=about:blank\n"));
        COrvaneDlg dialog;
        Button(dialog, IDC_ONLINE_MODE)->click();
        for (int id : {IDC_ENABLE_MAP, IDC_SECONDARY_MAP, IDC_SECONDARY_MAP, IDC_ENABLE_MAP}) {
            Button(dialog, id)->click();
            QVERIFY2(Combo(dialog, IDC_SATELLITE_LIST)->isEnabled(), qPrintable(Button(dialog, id)->text()));
            QVERIFY(Combo(dialog, IDC_MESSAGE_LIST)->isEnabled());
        }
        QCOMPARE(Button(dialog, IDC_ENABLE_MAP)->text(), QString("Enable Map"));
    }

    // Online mode shows the live controls instead of the replay's, and
    // offers every talker, GPS and RMC chosen. A log dropped while online
    // touches neither the live text nor the lists; one line says why.
    // Leaving online mode then closes the source and restores the layout.
    void layoutAndDropWhileOnline()
    {
        WriteUartConfig("/nonexistent/ttyGPS");
        COrvaneDlg dialog;
        dialog.show();
        GoLive(dialog);
        QCOMPARE(Button(dialog, IDC_ONLINE_MODE)->text(), QString("Offline Mode"));
        for (int id : {IDC_LOAD_FILE, IDC_PURGE, IDC_SLOWER, IDC_RUN, IDC_FASTER, IDC_REPEAT})
            QVERIFY(!Find<QWidget>(dialog, id)->isVisible());
        for (int id : {IDC_LIVE_INPUT, IDC_RECORDING, IDC_DEVELOPER_CODE_EDIT, IDC_DEVELOPER_CODE})
            QVERIFY(Find<QWidget>(dialog, id)->isVisible());
        QComboBox* talkers = Combo(dialog, IDC_SATELLITE_LIST);
        QCOMPARE(talkers->currentText(), QString("GPS (GP)"));
        QVERIFY(talkers->isEnabled());
        QCOMPARE(Combo(dialog, IDC_MESSAGE_LIST)->currentIndex(), kRmcRow);
        talkers->setCurrentIndex(2);
        dialog.DropFiles({WriteFile(m_Folder, "log.nmea", kRmc.repeated(20))});
        QCOMPARE(TopLine(dialog), QString("Fail to load 'log.nmea': leave Online Mode first."));
        QVERIFY(!dialog.Replay().Loaded());
        QVERIFY(!QString::fromStdString(dialog.Live().TickText()).contains("$GPRMC"));
        QCOMPARE(talkers->count(), 8);
        QCOMPARE(talkers->currentIndex(), 2);
        QVERIFY(dialog.LiveTimer().isActive());

        Button(dialog, IDC_ONLINE_MODE)->click();
        QCOMPARE(TopLine(dialog), QString("[TCP] OK to close GNSS data port (%1)").arg(m_Port));
        QVERIFY(!dialog.LiveTimer().isActive());
        QCOMPARE(Button(dialog, IDC_ONLINE_MODE)->text(), QString("Online Mode"));
        QVERIFY(Find<QWidget>(dialog, IDC_RUN)->isVisible() && !Find<QWidget>(dialog, IDC_LIVE_INPUT)->isVisible());
        QCOMPARE(talkers->count(), 0);
        // kept as is: Show Signals keeps the online rule, enabled, until a
        // replay command such as Repeat brings back the offline one.
        QVERIFY(Button(dialog, IDC_SHOW_SIGNALS)->isEnabled());
        Button(dialog, IDC_REPEAT)->click();
        QVERIFY(!Button(dialog, IDC_SHOW_SIGNALS)->isEnabled());
        QTcpSocket late;
        late.connectToHost(QHostAddress::LocalHost, m_Port);
        QVERIFY(!late.waitForConnected(2000));
    }

    // Forwarding and upload are read at start and each writes its line; an
    // upload server that is down still reads "OK". A second window finds the
    // forwarding port taken and reports "Fail".
    void startUpLines()
    {
        WriteForwardingConfig();
        COrvaneDlg dialog;
        QCOMPARE(TopLines(dialog, 7),
            (QStringList{QString("[TCP] OK to open the TCP port for data uploading: %1").arg(m_UploadPort),
                "[Config] cient/vin = ZYXWVUTS987654321 (ok)",
                QString("[Config] client/port = %1 (ok)").arg(m_UploadPort), "[Config] cient/url = 127.0.0.1 (ok)",
                QString("[TCP] OK to open the TCP port for data forwarding (%1)").arg(m_OutputPort),
                "[Config] server/outputformat = NMEA (ok)",
                QString("[Config] server/outputport = %1 (ok)").arg(m_OutputPort)}));
        QVERIFY(dialog.Sender()->Forwarding() && dialog.Sender()->Uploading());
        // The refused attempt writes nothing afterwards.
        QTRY_COMPARE(dialog.Sender()->UploadSocket()->state(), QAbstractSocket::UnconnectedState);
        QCoreApplication::processEvents();
        QVERIFY(TopLine(dialog).startsWith("[TCP] OK to open the TCP port for data uploading"));

        // A port in use: the described line, then the system's reason.
        COrvaneDlg second;
        QVERIFY(DisplayText(second).contains(
            QString("[TCP] Fail to open the TCP port for data forwarding (%1)\r\n").arg(m_OutputPort)));
        QVERIFY(DisplayText(second).contains(
            QString("[TCP] the TCP port for data forwarding (%1): The bound address is already in use\r\n")
                .arg(m_OutputPort)));
        QVERIFY(!second.Sender()->Forwarding());
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::Any, m_InputPort));
        GoLive(second);
        QCOMPARE(TopLines(second, 2),
            (QStringList{QString("[TCP] GNSS data port (%1): The bound address is already in use").arg(m_InputPort),
                QString("[TCP] Fail to open GNSS data port (%1)").arg(m_InputPort)}));
    }

    // server/outputport 0: no forwarding server and no forwarding line; the
    // position lines still go to the upload server, which the window
    // retries with the product's period.
    void uploadWithoutForwarding()
    {
        WriteForwardingConfig("0");
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, m_UploadPort));
        COrvaneDlg dialog;
        QVERIFY(DisplayText(dialog).contains("[Config] server/outputport = 0 (unused)"));
        QVERIFY(
            !DisplayText(dialog).contains("server/outputformat") && !DisplayText(dialog).contains("data forwarding"));
        QVERIFY(!dialog.Sender()->Forwarding());
        QCOMPARE(dialog.Sender()->UploadRetryMs(), kUploadRetryMs);
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket* peer = server.nextPendingConnection();
        QTRY_COMPARE(dialog.Sender()->UploadSocket()->state(), QAbstractSocket::ConnectedState);
        QTcpSocket input;
        Live(dialog, input);
        Decode(dialog, input, Rmc("3730.00000,S,12715.00000,W", "1.5") + Rmc(kNorthEast, "2.5", 1));
        QByteArray got;
        QTRY_COMPARE((got += peer->readAll()),
            kVin + ",-37.500000,-127.250000,1.50\n" + kVin + ",37.500000,127.250000,2.50\n");
    }

    // The position line of each decoded RMC goes to every forwarding client,
    // in order; a hemisphere letter other than N or E counts as S or W.
    void twoClients()
    {
        WriteForwardingConfig();
        COrvaneDlg dialog;
        QTcpSocket first, second;
        QVERIFY(ConnectForwarding(dialog, first, 1));
        QVERIFY(ConnectForwarding(dialog, second, 2));
        QTcpSocket input;
        Live(dialog, input);
        QByteArray text, expected;
        for (int k = 0; k < 4; ++k) {
            text += Rmc(kNorthEast, QByteArray::number(10 * k) + ".25", k);
            expected += kVin + ",37.500000,127.250000," + QByteArray::number(10 * k) + ".25\n";
        }
        text += Rmc("3730.00000,S,12715.00000,W", "1.5", 4) + Rmc("3730.00000,n,12715.00000,", "1.5", 5);
        expected += (kVin + ",-37.500000,-127.250000,1.50\n").repeated(2);
        Decode(dialog, input, text);
        QByteArray got1, got2;
        QTRY_VERIFY((got1 += first.readAll()).size() >= expected.size());
        QTRY_VERIFY((got2 += second.readAll()).size() >= expected.size());
        QCOMPARE(got1, expected);
        QCOMPARE(got2, expected);
    }

    // Start Parsing tries the serial port and the TCP input first, then
    // opens the NMEA server, gpsd and the UDP port, each with its lines;
    // they alone keep the window live. A refused gpsd says so and loses
    // nothing the others deliver; each source's sentences decode. Pause
    // closes them in the same order.
    void openInOrderDecodeAndClose()
    {
        QTcpServer nmeaServer;
        QVERIFY(nmeaServer.listen(QHostAddress::LocalHost, 0));
        const quint16 refusedPort = FreePort(), udpPort = FreeUdpPort();
        const QString server = QString("127.0.0.1:%1").arg(nmeaServer.serverPort());
        const QString gpsd = QString("127.0.0.1:%1").arg(refusedPort);
        QVERIFY(UseConfig(m_Folder,
            QString("[uart]\nport=/nonexistent/ttyGPS\nbaudrate=115200\n[sources]\ntcp=%1\ngpsd=%2\nudp=%3\n")
                .arg(server, gpsd, QString::number(udpPort))
                .toUtf8()));
        COrvaneDlg dialog;
        GoLive(dialog);
        // Port 22's refusal comes with a reason that depends on the machine.
        QStringList opened = Reversed(TopLines(dialog, 10));
        opened.removeIf([](const QString& line) { return line.startsWith("[TCP] GNSS data port (22): "); });
        QCOMPARE(opened.mid(opened.size() - 9),
            (QStringList{"[UART] Fail to open the GNSS data port(/nonexistent/ttyGPS 115200bps)",
                "[Config] server/inputport = 22 (default)", "[TCP] Fail to open GNSS data port (22)",
                QString("[Config] sources/tcp = %1 (ok)").arg(server),
                QString("[Config] sources/gpsd = %1 (ok)").arg(gpsd),
                QString("[Config] sources/udp = %1 (ok)").arg(udpPort), "[TCP client] connecting to " + server,
                "[GPSD] connecting to " + gpsd, QString("[UDP] OK to listen on port %1").arg(udpPort)}));
        QCOMPARE(Button(dialog, IDC_LIVE_INPUT)->text(), QString("Pause"));
        QVERIFY(dialog.LiveTimer().isActive());
        QTRY_VERIFY(DisplayText(dialog).contains("[TCP client] connected to " + server));
        QTRY_VERIFY(DisplayText(dialog).contains(
            "[GPSD] fail to connect to " + gpsd + " (Connection refused); next try in 5 s"));
        QTRY_VERIFY(nmeaServer.hasPendingConnections());
        QTcpSocket* peer = nmeaServer.nextPendingConnection();
        peer->write(Sentences("GP", "RMC", 1, 0));
        QUdpSocket sender;
        QVERIFY(sender.writeDatagram(Sentences("GP", "RMC", 1, 1), QHostAddress::LocalHost, udpPort) > 0);
        QTRY_VERIFY(DisplayText(dialog).contains(RmcLine(0)) && DisplayText(dialog).contains(RmcLine(1)));

        // The raw-data lines name each source.
        TypeCode(dialog, "VIEWLOGDUMP");
        QVERIFY(dialog.Live().RawDataVisible());
        QVERIFY(sender.writeDatagram(Sentences("GP", "RMC", 1, 2), QHostAddress::LocalHost, udpPort) > 0);
        QTRY_VERIFY(DisplayText(dialog).contains(RmcLine(2)));
        QVERIFY(DisplayText(dialog).contains(QString("[UDP] 127.0.0.1:%1 (").arg(sender.localPort())));

        Button(dialog, IDC_LIVE_INPUT)->click();
        QCOMPARE(Reversed(TopLines(dialog, 3)),
            (QStringList{"[TCP client] OK to close (" + server + ")", "[GPSD] OK to close (" + gpsd + ")",
                QString("[UDP] OK to close port %1").arg(udpPort)}));
        QCOMPARE(Button(dialog, IDC_LIVE_INPUT)->text(), QString("Start Parsing"));
        QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
    }

    // Two UDP senders: one's unfinished sentence waits for its own rest
    // while the other's datagram goes on, so both positions come out, once,
    // and no sentence is made of the two.
    void udpSendersNeverJoin()
    {
        const quint16 udpPort = FreeUdpPort();
        QVERIFY(UseConfig(m_Folder,
            QString("[uart]\nport=/nonexistent/ttyGPS\nbaudrate=115200\n[sources]\nudp=%1\n").arg(udpPort).toUtf8()));
        COrvaneDlg dialog;
        GoLive(dialog);
        QCOMPARE(TopLine(dialog), QString("[UDP] OK to listen on port %1").arg(udpPort));
        QUdpSocket first, second;
        const QByteArray cut = Sentences("GP", "RMC", 1, 0);
        QVERIFY(first.writeDatagram(cut.left(40), QHostAddress::LocalHost, udpPort) == 40);
        QTRY_COMPARE(dialog.Live().Lines().WaitingTotal(), size_t(40));
        const QByteArray whole = Sentences("GP", "RMC", 1, 1);
        QVERIFY(second.writeDatagram(whole, QHostAddress::LocalHost, udpPort) == whole.size());
        QTRY_COMPARE(Count(dialog, RmcLine(1)), 1);
        QVERIFY(first.writeDatagram(cut.mid(40), QHostAddress::LocalHost, udpPort) == cut.size() - 40);
        QTRY_COMPARE(Count(dialog, RmcLine(0)), 1);
        QCOMPARE(DecodedLines(dialog).size(), 2);
        QVERIFY(!DisplayText(dialog).contains("Error Code"));
    }

    // A receiver held by the real gpsd: the sentences that reach the window
    // are the log's bytes, and they decode to the lines of the same log
    // loaded from a file, for each talker and type tried.
    void gpsdReceiverDecodesAsTheFile()
    {
        if (GpsdProcess::Executable().isEmpty())
            QSKIP("gpsd is not installed (Debian package gpsd); the gpsd source is not tested");
        PseudoTerminal receiver;
        QVERIFY(receiver.Ok());
        GpsdProcess gpsd;
        QVERIFY(gpsd.Start({QString::fromStdString(receiver.SlavePath())}));
        const QString address = QString("127.0.0.1:%1").arg(gpsd.Port());
        QVERIFY(UseConfig(m_Folder, QString("[sources]\ngpsd=%1\n").arg(address).toUtf8()));
        const QByteArray log = ReceiverLog();
        const QString logPath = WriteFile(m_Folder, "receiver.nmea", log);

        COrvaneDlg dialog;
        GoLive(dialog);
        dialog.LiveTimer().stop();
        QTRY_VERIFY(DisplayText(dialog).contains("[GPSD] connected to " + address));
        // gpsd passes a receiver's sentences on once it has recognised the
        // receiver: sentences of another time come first, then one marker.
        const std::string warmUp = WithChecksum("GPZDA,000000.00,14,03,2026,00,00").toStdString();
        QTRY_VERIFY_WITH_TIMEOUT((receiver.Send(warmUp), receiver.Drain(),
                                     dialog.Live().TickText().find("$GPZDA,000000.00") != std::string::npos),
            20000);
        const QByteArray marker = WithChecksum("GPZDA,235959.00,14,03,2026,00,00");
        QVERIFY(receiver.Send(marker.toStdString()));
        QTRY_VERIFY((receiver.Drain(), QByteArray::fromStdString(dialog.Live().TickText()).endsWith(marker)));
        dialog.OnLiveTick();
        QVERIFY(dialog.Live().TickText().empty());

        const QList<std::pair<int, int>> choices{{0, kRmcRow}, {0, kGgaRow}, {7, kRmcRow}, {0, kGsaRow}};
        for (const auto& [talkerRow, messageRow] : choices) {
            Combo(dialog, IDC_SATELLITE_LIST)->setCurrentIndex(talkerRow);
            Combo(dialog, IDC_MESSAGE_LIST)->setCurrentIndex(messageRow);
            QVERIFY(receiver.Send(log.toStdString()));
            QTRY_VERIFY_WITH_TIMEOUT((receiver.Drain(), dialog.Live().TickText().size() >= size_t(log.size())), 10000);
            QCOMPARE(QByteArray::fromStdString(dialog.Live().TickText()), log);
            dialog.OnLiveTick();
            const QStringList expected = LinesOfFile(logPath, talkerRow, messageRow);
            QCOMPARE(expected.size(), 5);  // one line per epoch
            QCOMPARE(Reversed(TopLines(dialog, int(expected.size()))), expected);
        }
        QVERIFY(!DisplayText(dialog).contains("JSON"));
    }

    // The file is named after the local time of the start, lies in the
    // recording folder, and holds the received bytes as they came.
    void recordsWhatArrives()
    {
        COrvaneDlg dialog;
        QTcpSocket client;
        LiveOnTcp(dialog, client);
        // A start that fails leaves the button as it was.
        SetRecordingFolder(m_Records->filePath("missing"));
        Button(dialog, IDC_RECORDING)->click();
        QVERIFY(TopLine(dialog).startsWith("Recording is off: "));
        VerifyStopped(dialog);
        SetRecordingFolder(m_Records->path());
        TypeCode(dialog, "VIEWTAPESTATE");
        const QDateTime before = QDateTime::currentDateTime();
        Button(dialog, IDC_RECORDING)->click();
        const QDateTime after = QDateTime::currentDateTime();
        const QString path = StartedPath(dialog);
        const QString name = QFileInfo(path).fileName();
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(m_Records->path()).absolutePath());
        QVERIFY2(name == RecordingFileName(before) || name == RecordingFileName(after), qPrintable(name));
        QCOMPARE(Button(dialog, IDC_RECORDING)->text(), QString("Stop Recording"));
        QVERIFY(Button(dialog, IDC_RECORDING)->isChecked());
        QCOMPARE(ReadFile(path), QByteArray());

        // Bytes that are not ASCII, CR LF line ends and a line of noise all
        // land unchanged.
        const QByteArray first = Sentences("GP", "RMC", 2) + QByteArray("\xB0\xFF noise\n", 9);
        Feed(dialog, client, first);
        dialog.OnLiveTick();
        QCOMPARE(ReadFile(path), first);
        QCOMPARE(TopLine(dialog), QString("Recording Size:  %1 / 3072000").arg(first.size()));
        const QByteArray second = Sentences("GP", "GGA", 3, 10);
        Feed(dialog, client, second);
        dialog.OnLiveTick();
        QCOMPARE(ReadFile(path), first + second);

        Button(dialog, IDC_RECORDING)->click();
        QCOMPARE(TopLine(dialog), QString("Stop Recording"));
        VerifyStopped(dialog);
        // Stopped: what comes now goes to no file.
        Feed(dialog, client, Sentences("GP", "RMC", 1, 30));
        dialog.OnLiveTick();
        QCOMPARE(ReadFile(path), first + second);
        // Timer 546 starts the next file.
        dialog.Recorder().OnRestartTimer();
        QVERIFY(dialog.Recorder().Recording());
        QCOMPARE(Button(dialog, IDC_RECORDING)->text(), QString("Stop Recording"));
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
        LiveOnTcp(dialog, client);
        Button(dialog, IDC_RECORDING)->click();
        const QString path = StartedPath(dialog);
        QByteArray bytes = Sentences("GP", "RMC", 1, 1) + QByteArray(3, '\0') + Sentences("GP", "RMC", 1, 2);
        bytes.insert(20, '\0');
        QCOMPARE(client.write(bytes), bytes.size());
        QTRY_VERIFY(dialog.Live().TickText().find("235802") != std::string::npos);
        if (closeWindow)
            dialog.done(0);
        else
            Button(dialog, IDC_ONLINE_MODE)->click();
        QVERIFY(!DisplayText(dialog).contains("Logic Error"));
        QCOMPARE(TopLines(dialog, 4),
            (QStringList{"Stop Recording", QString("[TCP] OK to close GNSS data port (%1)").arg(m_Port), RmcLine(2),
                RmcLine(1)}));
        QVERIFY(ReadFile(path) == bytes);
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
        LiveOnTcp(dialog, first);
        QVERIFY(ConnectInput(dialog, second, m_Port));
        Button(dialog, IDC_RECORDING)->click();
        const QString path = StartedPath(dialog);

        const QByteArray a = Sentences("GP", "GGA", 6, 0) + Sentences("GP", "RMC", 8, 0);
        const QByteArray b = Sentences("GP", "GGA", 6, 20) + Sentences("GP", "RMC", 8, 20);
        qsizetype pieces = 0;
        for (qsizetype at = 0; at < a.size(); at += 97, ++pieces) {
            first.write(a.mid(at, 97));
            second.write(b.mid(pieces * 61, 61));
            QVERIFY(first.waitForBytesWritten(1000) && second.waitForBytesWritten(1000));
            dialog.OnLiveTick();
        }
        second.write(b.mid(pieces * 61));
        // An unfinished line waits for its end until the source closes.
        const QByteArray tail = "$GPTXT,unfinished";
        first.write(tail);
        // (The tail may go on early, once its source stays silent for a tick.)
        QTRY_VERIFY(dialog.Live().Lines().WaitingTotal() + dialog.Live().TickText().size() +
                        size_t(dialog.Recorder().File().Size()) ==
                    size_t(a.size() + b.size() + tail.size()));
        // What is left is decoded and recorded as the source closes.
        Button(dialog, IDC_LIVE_INPUT)->click();
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
        Button(dialog, IDC_ONLINE_MODE)->click();
        seam.answer = path;
        Button(dialog, IDC_LOAD_FILE)->click();
        QCOMPARE(Combo(dialog, IDC_SATELLITE_LIST)->currentText(), QString("GPS (GP)"));
        Button(dialog, IDC_CLEAR)->click();
        Button(dialog, IDC_RUN)->click();
        for (int k = 0; k < 40 && !DisplayText(dialog).contains("Finish Parsing"); ++k)
            dialog.OnReplayTick();
        QCOMPARE(DecodedLines(dialog), live);
    }

    // The typed codes reach the window: each writes its line and empties
    // the edit; raw data shows the raw text and the chunk line; an invalid
    // code changes no flag; the flags outlive online mode.
    void developerFlagsAct()
    {
        COrvaneDlg dialog;
        QTcpSocket client;
        LiveOnTcp(dialog, client);
        TypeCode(dialog, "VIEWTAPESTATE");
        QVERIFY(dialog.Recorder().ProgressShown());
        TypeCode(dialog, "masktapestate");
        TypeCode(dialog, "VIEWLOGDUMP");
        TypeCode(dialog, "VIEW\tTAPESTATE");
        QCOMPARE(TopLine(dialog), QString("[Developer Code] Invalid Code!"));
        QCOMPARE(Find<QLineEdit>(dialog, IDC_DEVELOPER_CODE_EDIT)->text(), QString());
        QVERIFY(dialog.Live().RawDataVisible() && !dialog.Recorder().ProgressShown());
        const QByteArray text = Sentences("GP", "GGA", 1);
        QCOMPARE(client.write(text), text.size());
        QTRY_VERIFY(!dialog.Live().TickText().empty());
        QCOMPARE(TopLine(dialog), QString("[TCP] 127.0.0.1:%1 (%2)").arg(client.localPort()).arg(text.size()));
        dialog.OnLiveTick();
        QVERIFY(DisplayText(dialog).contains(QString::fromLatin1(text)));
        Button(dialog, IDC_ONLINE_MODE)->click();
        Button(dialog, IDC_ONLINE_MODE)->click();
        QVERIFY(dialog.Live().RawDataVisible());
        TypeCode(dialog, "MASKLOGDUMP");
        QVERIFY(!dialog.Live().RawDataVisible());
    }
};

QTEST_MAIN(TestOnline)
#include "tst_online.moc"
