#include <QtTest>

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

const QByteArray kNorthEast = "3730.00000,N,12715.00000,E";
const QByteArray kVin = "ZYXWVUTS987654321";

}  // namespace

class TestForwarding : public QObject {
    Q_OBJECT

    QTemporaryDir m_Config;
    quint16 m_InputPort = 0;
    quint16 m_OutputPort = 0;
    quint16 m_UploadPort = 0;

    void WriteConfig(const QString& outputPort = QString())
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
        QVERIFY(!WriteFile(m_Config, "config.ini", text.toUtf8()).isEmpty());
    }

    void Live(COrvaneDlg& dialog, QTcpSocket& input)
    {
        GoLive(dialog);
        QVERIFY(ConnectInput(dialog, input, m_InputPort));
    }

    // Sends the text as live input and decodes it.
    static void Decode(COrvaneDlg& dialog, QTcpSocket& input, const QByteArray& text)
    {
        const auto decoded = [&] { return dialog.DisplayText().count("[2026.03.14 12:00:"); };
        const qsizetype before = decoded();
        QCOMPARE(input.write(text), text.size());
        QTRY_VERIFY((LiveTick(dialog), decoded() >= before + text.count("$GPRMC")));
    }

    bool ConnectForwarding(COrvaneDlg& dialog, QTcpSocket& client, int expected)
    {
        client.connectToHost(QHostAddress::LocalHost, m_OutputPort);
        return client.waitForConnected(5000) &&
               QTest::qWaitFor([&] { return dialog.Sender()->ForwardingServer()->Clients().size() == expected; }, 5000);
    }

private slots:
    void initTestCase() { SetConfigFolder(m_Config.path()); }

    // Forwarding and upload are read at start and each writes its line; an
    // upload server that is down still reads "OK". A second window finds the
    // forwarding port taken and reports "Fail".
    void startUpLines()
    {
        WriteConfig();
        COrvaneDlg dialog;
        QCOMPARE(TopLines(dialog, 7),
            (QStringList{QString("[TCP] OK to open the TCP port for data uploading: %1").arg(m_UploadPort),
                "[Config] cient/vin = ZYXWVUTS987654321 (ok)",
                QString("[Config] client/port = %1 (ok)").arg(m_UploadPort), "[Config] cient/url = 127.0.0.1 (ok)",
                QString("[TCP] OK to open the TCP port for data forwarding (%1)").arg(m_OutputPort),
                "[Config] server/outputformat = NMEA (ok)",
                QString("[Config] server/outputport = %1 (ok)").arg(m_OutputPort)}));
        QVERIFY(dialog.Forwarding() && dialog.Uploading());
        // The refused attempt writes nothing afterwards.
        QTRY_COMPARE(dialog.Sender()->UploadSocket()->state(), QAbstractSocket::UnconnectedState);
        QCoreApplication::processEvents();
        QVERIFY(TopLine(dialog).startsWith("[TCP] OK to open the TCP port for data uploading"));

        COrvaneDlg second;
        QVERIFY(second.DisplayText().contains(
            QString("[TCP] Fail to open the TCP port for data forwarding (%1)").arg(m_OutputPort)));
        QVERIFY(!second.Forwarding());
    }

    // server/outputport 0: no forwarding server and no forwarding line; the
    // position lines still go to the upload server, which the window
    // retries with the product's period.
    void uploadWithoutForwarding()
    {
        WriteConfig("0");
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, m_UploadPort));
        COrvaneDlg dialog;
        QVERIFY(dialog.DisplayText().contains("[Config] server/outputport = 0 (unused)"));
        QVERIFY(
            !dialog.DisplayText().contains("server/outputformat") && !dialog.DisplayText().contains("data forwarding"));
        QVERIFY(!dialog.Forwarding() && dialog.Sender()->ForwardingServer() == nullptr);
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
        WriteConfig();
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
};

QTEST_MAIN(TestForwarding)
#include "tst_forwarding.moc"
