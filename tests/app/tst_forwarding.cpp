#include <QtTest>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include "../common/LoopbackPort.h"
#include "AppTestSupport.h"
#include "live/NetworkServer.h"

using namespace orvane;

namespace {

QByteArray Rmc(const QByteArray& position, const QByteArray& course, int second = 0)
{
    return "$GPRMC,1200" + QByteArray::number(second).rightJustified(2, '0') + ".00,A," + position + ",0.0," + course +
           ",140326,,,A*00\r\n";
}

const QByteArray kVin = "ZYXWVUTS987654321";

}  // namespace

class TestForwarding : public QObject {
    Q_OBJECT

    QTemporaryDir m_Config;
    quint16 m_InputPort = 0;
    quint16 m_OutputPort = 0;
    quint16 m_UploadPort = 0;

    void WriteConfig(const QString& outputPort)
    {
        m_InputPort = FreePort();
        m_OutputPort = FreePort();
        m_UploadPort = FreePort();
        const QString text = QString("[server]\ninputport=%1\noutputport=%2\noutputformat=NMEA\n"
                                     "[client]\nurl=127.0.0.1\nport=%3\nvin=%4\n")
                                 .arg(m_InputPort)
                                 .arg(outputPort.isEmpty() ? QString::number(m_OutputPort) : outputPort)
                                 .arg(m_UploadPort)
                                 .arg(QString::fromLatin1(kVin));
        QVERIFY(!WriteFile(m_Config, "config.ini", text.toUtf8()).isEmpty());
    }

    static void Tick(COrvaneDlg& dialog) { dialog.OnTimer(kLiveTimerId); }

    void GoLive(COrvaneDlg& dialog, QTcpSocket& input)
    {
        dialog.Button(IDC_ONLINE_MODE)->click();
        dialog.Button(IDC_LIVE_INPUT)->click();
        input.connectToHost(QHostAddress::LocalHost, m_InputPort);
        QVERIFY(input.waitForConnected(5000));
        QTRY_VERIFY(dialog.DisplayText().contains("[TCP] new client is connected"));
    }

    // Sends the text as live input and decodes it.
    static void Decode(COrvaneDlg& dialog, QTcpSocket& input, const QByteArray& text)
    {
        const auto decoded = [&] { return dialog.DisplayText().count("[2026.03.14 12:00:"); };
        const qsizetype before = decoded();
        QCOMPARE(input.write(text), text.size());
        QTRY_VERIFY((Tick(dialog), decoded() >= before + text.count("$GPRMC")));
    }

    bool ConnectForwarding(COrvaneDlg& dialog, QTcpSocket& client, int expected)
    {
        client.connectToHost(QHostAddress::LocalHost, m_OutputPort);
        if (!client.waitForConnected(5000))
            return false;
        return QTest::qWaitFor([&] { return dialog.Sender()->ForwardingServer()->Clients().size() == expected; }, 5000);
    }

private slots:
    void initTestCase() { SetConfigFolder(m_Config.path()); }

    // Groups 3 and 4 are read at start and each writes its line; an upload
    // server that is down still reads "OK".
    void startUpLines()
    {
        WriteConfig(QString());
        COrvaneDlg dialog;
        QCOMPARE(TopLines(dialog, 7),
                 (QStringList{QString("[TCP] OK to open the TCP port for data uploading: %1").arg(m_UploadPort),
                              "[Config] cient/vin = ZYXWVUTS987654321 (ok)",
                              QString("[Config] client/port = %1 (ok)").arg(m_UploadPort),
                              "[Config] cient/url = 127.0.0.1 (ok)",
                              QString("[TCP] OK to open the TCP port for data forwarding (%1)").arg(m_OutputPort),
                              "[Config] server/outputformat = NMEA (ok)",
                              QString("[Config] server/outputport = %1 (ok)").arg(m_OutputPort)}));
        QVERIFY(dialog.Forwarding());
        QVERIFY(dialog.Uploading());
        // The refused attempt writes nothing afterwards.
        QTRY_COMPARE(dialog.Sender()->UploadSocket()->state(), QAbstractSocket::UnconnectedState);
        QCoreApplication::processEvents();
        QVERIFY(TopLines(dialog, 1).first().startsWith("[TCP] OK to open the TCP port for data uploading"));
    }

    // A forwarding port that is taken reports "Fail".
    void forwardingPortTaken()
    {
        WriteConfig(QString());
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::Any, m_OutputPort));
        COrvaneDlg dialog;
        QVERIFY(dialog.DisplayText().contains(QString("[TCP] Fail to open the TCP port for data forwarding (%1)").arg(m_OutputPort)));
        QVERIFY(!dialog.Forwarding());
    }

    // server/outputport 0: no forwarding server and no forwarding line.
    void outputPortZero()
    {
        WriteConfig("0");
        COrvaneDlg dialog;
        QVERIFY(dialog.DisplayText().contains("[Config] server/outputport = 0 (unused)"));
        QVERIFY(!dialog.DisplayText().contains("server/outputformat"));
        QVERIFY(!dialog.DisplayText().contains("data forwarding"));
        QVERIFY(!dialog.Forwarding());
        QVERIFY(dialog.Sender()->ForwardingServer() == nullptr);
        QTcpSocket input;
        GoLive(dialog, input);
        Decode(dialog, input, Rmc("3730.00000,N,12715.00000,E", "90.5"));
        QVERIFY(dialog.DisplayText().contains("[2026.03.14 12:00:00]"));
    }

    // The position line of each decoded RMC, to every forwarding client.
    void positionLine_data()
    {
        QTest::addColumn<QByteArray>("position");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("north east") << QByteArray("3730.00000,N,12715.00000,E") << kVin + ",37.500000,127.250000,90.50\n";
        QTest::newRow("south west") << QByteArray("3730.00000,S,12715.00000,W") << kVin + ",-37.500000,-127.250000,90.50\n";
        QTest::newRow("missing letters") << QByteArray("3730.00000,,12715.00000,") << kVin + ",-37.500000,-127.250000,90.50\n";
        QTest::newRow("other letters") << QByteArray("3730.00000,n,12715.00000,X") << kVin + ",-37.500000,-127.250000,90.50\n";
    }
    void positionLine()
    {
        QFETCH(QByteArray, position);
        QFETCH(QByteArray, line);
        WriteConfig(QString());
        COrvaneDlg dialog;
        QTcpSocket forward;
        QVERIFY(ConnectForwarding(dialog, forward, 1));
        QTcpSocket input;
        GoLive(dialog, input);
        Decode(dialog, input, Rmc(position, "90.5"));
        QByteArray got;
        QTRY_VERIFY((got += forward.readAll()).size() >= line.size());
        QCOMPARE(got, line);
        QCOMPARE(line.indexOf(','), 17);
    }

    // Two clients get the same lines in order.
    void twoClients()
    {
        WriteConfig(QString());
        COrvaneDlg dialog;
        QTcpSocket first, second;
        QVERIFY(ConnectForwarding(dialog, first, 1));
        QVERIFY(ConnectForwarding(dialog, second, 2));
        QTcpSocket input;
        GoLive(dialog, input);
        QByteArray text, expected;
        for (int k = 0; k < 5; ++k) {
            text += Rmc("3730.00000,N,12715.00000,E", QByteArray::number(10 * k) + ".25", k);
            expected += kVin + ",37.500000,127.250000," + QByteArray::number(10 * k) + ".25\n";
        }
        Decode(dialog, input, text);
        QByteArray got1, got2;
        QTRY_VERIFY((got1 += first.readAll()).size() >= expected.size());
        QTRY_VERIFY((got2 += second.readAll()).size() >= expected.size());
        QCOMPARE(got1, expected);
        QCOMPARE(got2, expected);
    }

    // A forwarding client that never reads is dropped with its disconnect
    // line once its backlog would pass the limit; the other keeps getting
    // every line, and the ticks go on.
    void stalledClientDropped()
    {
        WriteConfig(QString());
        COrvaneDlg dialog;
        QTcpSocket stalled, healthy;
        // Small system buffers on both ends of the stalled connection: its
        // backlog starts after a few kilobytes instead of megabytes.
        stalled.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
        stalled.setReadBufferSize(1);
        QVERIFY(ConnectForwarding(dialog, stalled, 1));
        dialog.Sender()->ForwardingServer()->Clients().first()->Socket()->setSocketOption(
            QAbstractSocket::SendBufferSizeSocketOption, 4096);
        QVERIFY(ConnectForwarding(dialog, healthy, 2));
        const QString stalledPeer = QString("127.0.0.1:%1").arg(stalled.localPort());
        QTcpSocket input;
        GoLive(dialog, input);
        QSignalSpy ticks(&dialog.LiveTimer(), &QTimer::timeout);

        // Batches of RMC sentences, decoded by the window's own ticks; the
        // lines of one batch stay under the backlog, and the healthy client
        // reads each batch's lines before the next batch.
        const QByteArray line = kVin + ",37.500000,127.250000,90.50\n";
        constexpr int kBatch = 1000;
        QVERIFY(kBatch * line.size() < kSendBacklog);
        const QByteArray batch = Rmc("3730.00000,N,12715.00000,E", "90.5").repeated(kBatch);
        QByteArray got;
        qsizetype sent = 0;
        int rounds = 0;
        for (; rounds < 10 && dialog.Sender()->ForwardingServer()->Clients().size() == 2; ++rounds) {
            QCOMPARE(input.write(batch), batch.size());
            sent += kBatch;
            QTRY_VERIFY((got += healthy.readAll()).size() >= sent * line.size());
        }
        QCOMPARE(dialog.Sender()->ForwardingServer()->Clients().size(), qsizetype(1));
        QVERIFY2(rounds >= 2, "dropped before its backlog could pass the limit");
        QTRY_VERIFY(dialog.DisplayText().contains("[TCP] a client is disconnected (" + stalledPeer + ")"));
        QCOMPARE(dialog.Sender()->ForwardingServer()->Clients().first()->PeerText(),
                 QString("127.0.0.1:%1").arg(healthy.localPort()));
        // Everything decoded reached the healthy client, and more follows.
        QCOMPARE(input.write(batch), batch.size());
        sent += kBatch;
        QTRY_VERIFY((got += healthy.readAll()).size() >= sent * line.size());
        QCOMPARE(got.size(), sent * line.size());
        QVERIFY(got == line.repeated(sent));
        const int before = ticks.count();
        QTRY_VERIFY(ticks.count() >= before + 3);
    }

    // An upload server that is down at start and comes up later is reached
    // at the first position after a retry period, and gets the lines made
    // from then on; the positions of the time it was down are left out.
    void uploadComesUpLater()
    {
        WriteConfig(QString());
        COrvaneDlg dialog;
        // The window keeps the product's period; a short one here lets the
        // test see the retry without waiting 5 s.
        QCOMPARE(dialog.Sender()->UploadRetryMs(), kUploadRetryMs);
        dialog.Sender()->SetUploadRetryMs(100);
        QTRY_COMPARE(dialog.Sender()->UploadSocket()->state(), QAbstractSocket::UnconnectedState);
        QTcpSocket input;
        GoLive(dialog, input);

        const quint64 droppedBefore = dialog.Sender()->UploadLinesDropped();
        Decode(dialog, input, Rmc("3730.00000,N,12715.00000,E", "11.25").repeated(5));
        QCOMPARE(dialog.Sender()->UploadLinesDropped(), droppedBefore + 5);

        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, m_UploadPort));
        int k = 0;
        QTRY_VERIFY_WITH_TIMEOUT((input.write(Rmc("3730.00000,N,12715.00000,E", "22.25")), ++k, server.hasPendingConnections()),
                                 3000);
        QTcpSocket* peer = server.nextPendingConnection();
        QTRY_COMPARE(dialog.Sender()->UploadSocket()->state(), QAbstractSocket::ConnectedState);
        const QByteArray text = Rmc("3730.00000,S,12715.00000,W", "1.5") + Rmc("3730.00000,N,12715.00000,E", "2.5");
        QCOMPARE(input.write(text), text.size());
        const QByteArray expected = kVin + ",-37.500000,-127.250000,1.50\n" + kVin + ",37.500000,127.250000,2.50\n";
        QByteArray got;
        QTRY_VERIFY((got += peer->readAll()).endsWith(expected));
        // Only whole lines came: none of the time the server was down, and
        // of those made while it came up not the one that started the
        // attempt, nor any before it.
        const QList<QByteArray> lines = got.split('\n');
        QVERIFY(lines.last().isEmpty());
        const QByteArray waiting = kVin + ",37.500000,127.250000,22.25";
        for (qsizetype i = 0; i + 3 < lines.size(); ++i)
            QCOMPARE(lines[i], waiting);
        QVERIFY2(lines.size() - 3 < k, qPrintable(QString("%1 of %2 lines").arg(lines.size() - 3).arg(k)));
    }
};

QTEST_MAIN(TestForwarding)
#include "tst_forwarding.moc"
