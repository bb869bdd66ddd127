#include <QtTest>

#include <QComboBox>
#include <QTcpServer>
#include <QUdpSocket>

#include "../common/GpsdProcess.h"
#include "../common/LoopbackPort.h"
#include "../common/PseudoTerminal.h"
#include "AppTestSupport.h"
#include "replay/DispatchHooks.h"
#include "replay/Dispatcher.h"
#include "replay/LogText.h"

using namespace orvane;

namespace {

// "$body*hh\r\n" with the checksum gpsd checks.
QByteArray Sentence(const QByteArray& body)
{
    int sum = 0;
    for (const char c : body)
        sum ^= uchar(c);
    return "$" + body + "*" + QByteArray::number(sum, 16).toUpper().rightJustified(2, '0') + "\r\n";
}

// A small receiver log: five epochs of RMC, GGA, GSA and ZDA of GPS and a
// combined RMC, with a position that moves.
QByteArray ReceiverLog()
{
    QByteArray log;
    for (int second = 0; second < 5; ++second) {
        const QByteArray time = "1200" + QByteArray::number(second).rightJustified(2, '0') + ".00";
        const QByteArray latitude = "3733." + QByteArray::number(32791 + 17 * second);
        log += Sentence("GPRMC," + time + ",A," + latitude + ",N,12658.29325,E,0.012,172.00,140326,,,A");
        log += Sentence("GPGGA," + time + "," + latitude + ",N,12658.29325,E,1,22,0.64,31.5,M,23.6,M,,");
        log += Sentence("GPGSA,A,3,01,07,10,15,16,21,27,32,,,,,1.08,0.64,0.87");
        log += Sentence("GNRMC," + time + ",A," + latitude + ",N,12658.29325,E,0.012,172.00,140326,,,A");
        log += Sentence("GPZDA," + time + ",14,03,2026,00,00");
    }
    return log;
}

class CollectingHooks : public DispatchHooks {
public:
    explicit CollectingHooks(int messageRow) : m_MessageRow(messageRow) { }
    void AppendLine(std::string_view line) override { lines.append(QString::fromLatin1(line.data(), line.size())); }
    int SelectedMessageRow() const override { return m_MessageRow; }
    QStringList lines;

private:
    int m_MessageRow;
};

// The lines the window shows for a log file loaded and decoded whole,
// oldest first.
QStringList LinesOfFile(const QString& path, int talkerRow, int messageRow)
{
    DispatchState state;
    std::string reason;
    if (!ReadLogFile(path.toStdString(), true, state.NmeaText, reason))
        return {QString::fromStdString(reason)};
    state.NmeaTextLength = int32_t(state.NmeaText.size());
    state.m_Online = true;
    state.m_TalkerRow = talkerRow;
    CollectingHooks hooks(messageRow);
    while (DispatchSentences(state, hooks)) { }
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

}  // namespace

class TestLiveSources : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;

    void WriteConfig(const QByteArray& text) { QVERIFY(!WriteFile(m_Folder, "config.ini", text).isEmpty()); }

private slots:
    void initTestCase() { SetConfigFolder(m_Folder.path()); }

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
        WriteConfig(QString("[uart]\nport=/nonexistent/ttyGPS\nbaudrate=115200\n[sources]\ntcp=%1\ngpsd=%2\nudp=%3\n")
                        .arg(server, gpsd, QString::number(udpPort))
                        .toUtf8());
        COrvaneDlg dialog;
        GoLive(dialog);
        QCOMPARE(Reversed(TopLines(dialog, 9)),
            (QStringList{"[UART] Fail to open the GNSS data port(/nonexistent/ttyGPS 115200bps)",
                "[Config] server/inputport = 22 (default)", "[TCP] Fail to open GNSS data port (22)",
                QString("[Config] sources/tcp = %1 (ok)").arg(server),
                QString("[Config] sources/gpsd = %1 (ok)").arg(gpsd),
                QString("[Config] sources/udp = %1 (ok)").arg(udpPort), "[TCP client] connecting to " + server,
                "[GPSD] connecting to " + gpsd, QString("[UDP] OK to listen on port %1").arg(udpPort)}));
        QCOMPARE(dialog.Button(IDC_LIVE_INPUT)->text(), QString("Pause"));
        QVERIFY(dialog.LiveTimer().isActive());
        QTRY_VERIFY(dialog.DisplayText().contains("[TCP client] connected to " + server));
        QTRY_VERIFY(dialog.DisplayText().contains(
            "[GPSD] fail to connect to " + gpsd + " (Connection refused); next try in 5 s"));
        QTRY_VERIFY(nmeaServer.hasPendingConnections());
        QTcpSocket* peer = nmeaServer.nextPendingConnection();
        peer->write(Sentences("GP", "RMC", 1, 0));
        QUdpSocket sender;
        QVERIFY(sender.writeDatagram(Sentences("GP", "RMC", 1, 1), QHostAddress::LocalHost, udpPort) > 0);
        QTRY_VERIFY(dialog.DisplayText().contains(RmcLine(0)) && dialog.DisplayText().contains(RmcLine(1)));

        // The raw-data lines name each source.
        TypeCode(dialog, "VIEWLOGDUMP");
        QVERIFY(dialog.RawDataVisible());
        QVERIFY(sender.writeDatagram(Sentences("GP", "RMC", 1, 2), QHostAddress::LocalHost, udpPort) > 0);
        QTRY_VERIFY(dialog.DisplayText().contains(RmcLine(2)));
        QVERIFY(dialog.DisplayText().contains(QString("[UDP] 127.0.0.1:%1 (").arg(sender.localPort())));

        dialog.Button(IDC_LIVE_INPUT)->click();
        QCOMPARE(Reversed(TopLines(dialog, 3)),
            (QStringList{"[TCP client] OK to close (" + server + ")", "[GPSD] OK to close (" + gpsd + ")",
                QString("[UDP] OK to close port %1").arg(udpPort)}));
        QCOMPARE(dialog.Button(IDC_LIVE_INPUT)->text(), QString("Start Parsing"));
        QTRY_COMPARE(peer->state(), QAbstractSocket::UnconnectedState);
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
        WriteConfig(QString("[sources]\ngpsd=%1\n").arg(address).toUtf8());
        const QByteArray log = ReceiverLog();
        const QString logPath = WriteFile(m_Folder, "receiver.nmea", log);

        COrvaneDlg dialog;
        GoLive(dialog);
        dialog.HoldTimer(kLiveTimerId);
        QTRY_VERIFY(dialog.DisplayText().contains("[GPSD] connected to " + address));
        // gpsd passes a receiver's sentences on once it has recognised the
        // receiver: sentences of another time come first, then one marker.
        const std::string warmUp = Sentence("GPZDA,000000.00,14,03,2026,00,00").toStdString();
        QTRY_VERIFY_WITH_TIMEOUT((receiver.Send(warmUp), receiver.Drain(),
                                     dialog.State().NmeaText.find("$GPZDA,000000.00") != std::string::npos),
            20000);
        const QByteArray marker = Sentence("GPZDA,235959.00,14,03,2026,00,00");
        QVERIFY(receiver.Send(marker.toStdString()));
        QTRY_VERIFY((receiver.Drain(), QByteArray::fromStdString(dialog.State().NmeaText).endsWith(marker)));
        LiveTick(dialog);
        QVERIFY(dialog.State().NmeaText.empty());

        const QList<std::pair<int, int>> choices{{0, kRmcRow}, {0, kGgaRow}, {7, kRmcRow}, {0, kGsaRow}};
        for (const auto& [talkerRow, messageRow] : choices) {
            dialog.Combo(IDC_SATELLITE_LIST)->setCurrentIndex(talkerRow);
            dialog.Combo(IDC_MESSAGE_LIST)->setCurrentIndex(messageRow);
            QVERIFY(receiver.Send(log.toStdString()));
            QTRY_VERIFY_WITH_TIMEOUT((receiver.Drain(), dialog.State().NmeaText.size() >= size_t(log.size())), 10000);
            QCOMPARE(QByteArray::fromStdString(dialog.State().NmeaText), log);
            LiveTick(dialog);
            const QStringList expected = LinesOfFile(logPath, talkerRow, messageRow);
            QCOMPARE(expected.size(), 5);  // one line per epoch
            QCOMPARE(Reversed(TopLines(dialog, int(expected.size()))), expected);
        }
        QVERIFY(!dialog.DisplayText().contains("JSON"));
    }
};

QTEST_MAIN(TestLiveSources)
#include "tst_livesources.moc"
