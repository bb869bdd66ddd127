#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include "../common/LoopbackPort.h"
#include "NoticeRecorder.h"
#include "live/NetworkServer.h"

using namespace orvane;

namespace {

QString PeerOf(const QTcpSocket& client)
{
    return QStringLiteral("127.0.0.1:%1").arg(client.localPort());
}

// Lowers the descriptor limit so that exactly one more descriptor can be
// opened (the limit counts numbers, and all below the lowest free one are
// taken), and puts it back when it goes, also when a check fails half-way.
struct DescriptorLimit {
    rlimit saved{};
    bool lowered = false;
    DescriptorLimit()
    {
        const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (lowestFree < 0 || ::getrlimit(RLIMIT_NOFILE, &saved) != 0)
            return;
        ::close(lowestFree);
        const rlimit one{rlim_t(lowestFree + 1), saved.rlim_max};
        lowered = ::setrlimit(RLIMIT_NOFILE, &one) == 0;
    }
    ~DescriptorLimit()
    {
        if (lowered)
            ::setrlimit(RLIMIT_NOFILE, &saved);
    }
};

}  // namespace

class TestNetworkServer : public QObject {
    Q_OBJECT
private slots:
    // Connects and disconnects are announced in order, each with its peer.
    // Received bytes reach the window with their peer in chunks of at most
    // 1024, also those sent just before a client closes its side, which
    // removes it once; deleting the server drops the others in order.
    void clientsComeSendAndGo()
    {
        NoticeRecorder window;
        auto* server = new CNetworkClient(&window);
        const quint16 port = FreePort();
        QVERIFY(server->Listen(port));
        QTcpSocket clients[3];
        QStringList peers;
        for (QTcpSocket& client : clients) {
            client.connectToHost(QHostAddress::LocalHost, port);
            QVERIFY(client.waitForConnected(5000));
            QTRY_COMPARE(server->Clients().size(), qsizetype(peers.size() + 1));
            peers << PeerOf(client);
        }
        QTRY_COMPARE(window.statusLines.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(window.statusLines[i], "[TCP] new client is connected (" + peers[i] + ")");

        const QByteArray sent = QByteArray("0123456789").repeated(300);
        clients[1].write(sent);
        clients[1].disconnectFromHost();
        QTRY_COMPARE(server->Clients().size(), qsizetype(2));
        QTRY_COMPARE(window.tcpData, sent);
        QCOMPARE(window.tcpPeers.first(), peers[1]);
        for (int size : window.chunkSizes)
            QVERIFY(size >= 1 && size <= 1024);

        delete server;
        QTRY_COMPARE(window.statusLines.size(), 6);
        const auto gone = [](const QString& peer) { return "[TCP] a client is disconnected (" + peer + ")"; };
        QCOMPARE(window.statusLines.mid(3), (QStringList{gone(peers[1]), gone(peers[0]), gone(peers[2])}));
        QCOMPARE(window.closedSources.size(), 3);
        for (QTcpSocket& client : clients)
            QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
    }

    // A server dropped with the program posts no lines for its clients.
    void droppedSilently()
    {
        NoticeRecorder window;
        auto* server = new CNetworkClient(&window);
        const quint16 port = FreePort();
        QVERIFY(server->Listen(port));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, port);
        QTRY_COMPARE(window.statusLines.size(), 1);
        server->DropSilently();
        delete server;
        QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
        QCoreApplication::processEvents();
        QCOMPARE(window.statusLines.size(), 1);
        QVERIFY(window.closedSources.isEmpty());
    }

    // The peer text shows the address as it is: the scope of a link-local
    // IPv6 peer is a number when its interface has no name, and a "%1" in
    // it must not take the port's place.
    void peerTextKeepsPercentInAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("text");
        QTest::newRow("IPv4 held as IPv6") << "::ffff:127.0.0.1"
                                           << "127.0.0.1:4001";
        QTest::newRow("link-local, scope %1") << "fe80::1%1"
                                              << "fe80::1%1:4001";
    }
    void peerTextKeepsPercentInAddress()
    {
        QFETCH(QString, address);
        QFETCH(QString, text);
        QCOMPARE(PeerText(QHostAddress(address), 4001), text);
    }

    // A server keeps accepting after an accept failed for want of
    // descriptors: once a pause has passed it tries again, one failure line
    // per try, and serves the next client as soon as descriptors are free.
    void acceptFailureKeepsListening()
    {
        NoticeRecorder window;
        CNetworkClient server(&window);
        const quint16 port = FreePort();
        QVERIFY(server.Listen(port));
        const QString failed = QStringLiteral("[TCP] fail to accept new client");
        QTcpSocket starved;
        {
            // The client takes the one descriptor left, so the server's
            // accept has none. While that lasts, the server tries again
            // after each pause and never sooner: the third failure comes
            // two pauses after the first at the earliest.
            const DescriptorLimit limit;
            QVERIFY(limit.lowered);
            QElapsedTimer clock;
            clock.start();
            starved.connectToHost(QHostAddress::LocalHost, port);
            QTRY_VERIFY(window.statusLines.count(failed) >= 3);
            QVERIFY(clock.elapsed() >= 2 * kAcceptRetryMs);
        }
        starved.abort();

        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(client.waitForConnected(5000));
        QTRY_VERIFY(window.statusLines.contains("[TCP] new client is connected (" + PeerOf(client) + ")"));
        client.write("$GPRMC,after*00\r\n");
        QTRY_COMPARE(window.tcpData, QByteArray("$GPRMC,after*00\r\n"));
        QCOMPARE(window.tcpPeers.last(), PeerOf(client));
    }
};

QTEST_GUILESS_MAIN(TestNetworkServer)
#include "tst_networkserver.moc"
