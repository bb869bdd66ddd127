#include <QtTest>

#include <QTcpServer>
#include <QTcpSocket>

#include "../common/LoopbackPort.h"
#include "NoticeRecorder.h"
#include "live/NetworkServer.h"

using namespace orvane;

namespace {

// Listens on a free port and connects the client to it.
bool ListenAndConnect(CNetworkClient& server, QTcpSocket& client)
{
    const quint16 port = FreePort();
    if (!server.Listen(port))
        return false;
    client.connectToHost(QHostAddress::LocalHost, port);
    return client.waitForConnected(5000);
}

QString PeerOf(const QTcpSocket& client)
{
    return QStringLiteral("127.0.0.1:%1").arg(client.localPort());
}

}  // namespace

class TestNetworkServer : public QObject {
    Q_OBJECT
private slots:
    // Connects and disconnects are announced in order, each with its peer.
    void threeClientsConnectAndAreDropped()
    {
        NoticeRecorder window;
        auto* server = new CNetworkClient(&window);
        const quint16 port = FreePort();
        QVERIFY(server->Listen(port));
        QTcpSocket clients[3];
        for (QTcpSocket& client : clients) {
            client.connectToHost(QHostAddress::LocalHost, port);
            QVERIFY(client.waitForConnected(5000));
            QTRY_COMPARE(server->Clients().size(), qsizetype(&client - clients + 1));
        }
        QTRY_COMPARE(window.statusLines.size(), 3);
        QStringList peers;
        for (int i = 0; i < 3; ++i) {
            peers << PeerOf(clients[i]);
            QCOMPARE(window.statusLines[i], "[TCP] new client is connected (" + peers[i] + ")");
        }

        delete server;
        QTRY_COMPARE(window.statusLines.size(), 6);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(window.statusLines[3 + i], "[TCP] a client is disconnected (" + peers[i] + ")");
        QCOMPARE(window.closedSources.size(), 3);
        for (QTcpSocket& client : clients)
            QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
    }

    // Received bytes reach the window with the peer, in chunks of at most 1024.
    void receivesInChunks()
    {
        NoticeRecorder window;
        CNetworkClient server(&window);
        QTcpSocket client;
        QVERIFY(ListenAndConnect(server, client));
        QByteArray sent;
        for (int i = 0; i < 3000; ++i)
            sent.append(char('0' + i % 10));
        client.write(sent);
        QVERIFY(client.waitForBytesWritten(5000));
        QTRY_COMPARE(window.tcpData.size(), sent.size());
        QCOMPARE(window.tcpData, sent);
        for (int size : window.chunkSizes)
            QVERIFY(size >= 1 && size <= 1024);
        QCOMPARE(window.tcpPeers.first(), PeerOf(client));

        window.tcpData.clear();
        window.chunkSizes.clear();
        client.write(QByteArray(1024, 'x'));
        QTRY_COMPARE(window.tcpData.size(), 1024);
        QCOMPARE(window.tcpData, QByteArray(1024, 'x'));
    }

    // A client that closes its side is removed once, with one line.
    void clientCloses()
    {
        NoticeRecorder window;
        auto* server = new CNetworkClient(&window);
        QTcpSocket client;
        QVERIFY(ListenAndConnect(*server, client));
        QTRY_COMPARE(server->Clients().size(), qsizetype(1));
        const QString peer = PeerOf(client);
        client.write("$GPRMC,1*00\r\n");
        client.disconnectFromHost();
        QTRY_VERIFY(server->Clients().isEmpty());
        QTRY_COMPARE(window.statusLines.size(), 2);
        QCOMPARE(window.statusLines[1], "[TCP] a client is disconnected (" + peer + ")");
        QCOMPARE(window.tcpData, QByteArray("$GPRMC,1*00\r\n"));
        delete server;
        QCoreApplication::processEvents();
        QCOMPARE(window.statusLines.size(), 2);
        QCOMPARE(window.closedSources.size(), 1);
    }

    // A server dropped with the program posts no lines for its clients.
    void droppedSilently()
    {
        NoticeRecorder window;
        auto* server = new CNetworkClient(&window);
        QTcpSocket client;
        QVERIFY(ListenAndConnect(*server, client));
        QTRY_COMPARE(window.statusLines.size(), 1);
        server->DropSilently();
        delete server;
        QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
        QCoreApplication::processEvents();
        QCOMPARE(window.statusLines.size(), 1);
        QVERIFY(window.closedSources.isEmpty());
    }

    // A server that cannot listen holds no port.
    void failedListenReleasesPort()
    {
        NoticeRecorder window;
        const quint16 port = FreePort();
        auto* first = new CNetworkClient(&window);
        QVERIFY(first->Listen(port));
        CNetworkClient second(&window);
        QVERIFY(!second.Listen(port));
        delete first;
        CNetworkClient third(&window);
        QVERIFY(third.Listen(port));
    }
};

QTEST_GUILESS_MAIN(TestNetworkServer)
#include "tst_networkserver.moc"
