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
#include "live/PositionSender.h"

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

// Lowers the process's descriptor limit so that exactly `spare` more
// descriptors can be opened, and puts the old limit back when it goes, also
// when a check fails half-way. The limit counts descriptor numbers: every
// number below the lowest free one is taken, so the new limit leaves just
// the spare ones above it.
class DescriptorLimit {
public:
    explicit DescriptorLimit(int spare)
    {
        const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (lowestFree < 0 || ::getrlimit(RLIMIT_NOFILE, &m_Saved) != 0)
            return;
        ::close(lowestFree);
        rlimit lowered = m_Saved;
        lowered.rlim_cur = rlim_t(lowestFree + spare);
        m_Lowered = ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~DescriptorLimit()
    {
        if (m_Lowered)
            ::setrlimit(RLIMIT_NOFILE, &m_Saved);
    }
    DescriptorLimit(const DescriptorLimit&) = delete;
    DescriptorLimit& operator=(const DescriptorLimit&) = delete;

    bool Lowered() const { return m_Lowered; }

private:
    rlimit m_Saved{};
    bool m_Lowered = false;
};

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

    // The input server and the forwarding server both keep accepting after
    // an accept failed for want of descriptors: once a pause has passed
    // they try again, one failure line per try, and serve the next client
    // as soon as descriptors are free again.
    void acceptFailureKeepsListening_data()
    {
        QTest::addColumn<bool>("forwarding");
        QTest::newRow("input server") << false;
        QTest::newRow("forwarding server") << true;
    }
    void acceptFailureKeepsListening()
    {
        QFETCH(bool, forwarding);
        NoticeRecorder window;
        CNetworkClient input(&window);
        PositionSender sender(&window);
        const quint16 port = FreePort();
        QVERIFY(forwarding ? sender.StartForwarding(port) : input.Listen(port));

        const QString failed = QStringLiteral("[TCP] fail to accept new client");
        QTcpSocket starved;
        {
            // The client takes the one descriptor left, so the server's
            // accept has none. While that lasts, the server tries again
            // after each pause and never sooner: the third failure comes
            // two pauses after the first at the earliest.
            DescriptorLimit limit(1);
            QVERIFY(limit.Lowered());
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
        if (forwarding) {
            const std::string line = PositionLine("ABCDE", 1.5, -2.5, 3.0);
            sender.Send(line);
            QByteArray got;
            QTRY_COMPARE((got += client.readAll()), QByteArray::fromStdString(line));
        }
    }
};

QTEST_GUILESS_MAIN(TestNetworkServer)
#include "tst_networkserver.moc"
