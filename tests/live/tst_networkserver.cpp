// SPDX-License-Identifier: GPL-3.0-or-later
// The TCP server of the window's clients, the position sender that
// forwards through it and uploads to a server, and the live session that
// takes what they tell.

#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include "../common/LoopbackPort.h"
#include "SourceSpies.h"
#include "live/LiveSession.h"
#include "live/NetworkServer.h"
#include "live/PositionSender.h"

using namespace orvane;

namespace {

QString PeerOf(const QTcpSocket& client)
{
    return QStringLiteral("127.0.0.1:%1").arg(client.localPort());
}

// Whether a client reaches the port at the address.
bool Reaches(const QHostAddress& address, quint16 port)
{
    QTcpSocket client;
    client.connectToHost(address, port);
    return client.waitForConnected(3000);
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
    // Received bytes are told with their peer in chunks of at most
    // 1024, also those sent just before a client closes its side, which
    // removes it once; deleting the server drops the others in order.
    void clientsComeSendAndGo()
    {
        auto* server = new CNetworkClient;
        SourceSpies spies(server);
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
        QTRY_COMPARE(spies.status.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(spies.Lines()[i], "[TCP] new client is connected (" + peers[i] + ")");

        const QByteArray sent = QByteArray("0123456789").repeated(300);
        clients[1].write(sent);
        clients[1].disconnectFromHost();
        QTRY_COMPARE(server->Clients().size(), qsizetype(2));
        QTRY_COMPARE(spies.Bytes(), sent);
        QCOMPARE(spies.Peers().first(), peers[1]);
        for (const QByteArray& chunk : Arguments<QByteArray>(spies.received, 2))
            QVERIFY(chunk.size() >= 1 && chunk.size() <= 1024);

        delete server;
        QCOMPARE(spies.status.size(), 6);
        const auto gone = [](const QString& peer) { return "[TCP] a client is disconnected (" + peer + ")"; };
        QCOMPARE(spies.Lines().mid(3), (QStringList{gone(peers[1]), gone(peers[0]), gone(peers[2])}));
        QCOMPARE(spies.closed.size(), 3);
        for (QTcpSocket& client : clients)
            QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
    }

    // A server dropped with the program tells no lines for its clients.
    void droppedSilently()
    {
        auto* server = new CNetworkClient;
        SourceSpies spies(server);
        const quint16 port = FreePort();
        QVERIFY(server->Listen(port));
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, port);
        QTRY_COMPARE(spies.status.size(), 1);
        server->DropSilently();
        delete server;
        QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
        QCoreApplication::processEvents();
        QCOMPARE(spies.status.size(), 1);
        QVERIFY(spies.closed.isEmpty());
    }

    // The peer text shows the address as it is: the scope of a link-local
    // IPv6 peer is a number when its interface has no name, and a "%1" in
    // it must not take the port's place.
    void peerTextKeepsPercentInAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("text");
        QTest::newRow("IPv4 held as IPv6") << QString("::ffff:127.0.0.1") << QString("127.0.0.1:4001");
        QTest::newRow("link-local, scope %1") << QString("fe80::1%1") << QString("fe80::1%1:4001");
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
        CNetworkClient server;
        SourceSpies spies(&server);
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
            QTRY_VERIFY(spies.Lines().count(failed) >= 3);
            QVERIFY(clock.elapsed() >= 2 * kAcceptRetryMs);
        }
        starved.abort();

        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(client.waitForConnected(5000));
        QTRY_VERIFY(spies.Lines().contains("[TCP] new client is connected (" + PeerOf(client) + ")"));
        client.write("$GPRMC,after*00\r\n");
        QTRY_COMPARE(spies.Bytes(), QByteArray("$GPRMC,after*00\r\n"));
        QCOMPARE(spies.Peers().last(), PeerOf(client));
    }

    // Forwarding listens on its record's listen address: every address
    // without one; on localhost alone, 127.0.0.2 is not answered.
    void forwardingListensOnItsAddress()
    {
        for (const QString& address : {QString(), QString("localhost")}) {
            PositionSender sender;
            const quint16 port = FreePort();
            QVERIFY(sender.StartForwarding({.outputPort = port, .listenAddress = address}));
            QVERIFY(Reaches(QHostAddress::LocalHost, port));
            QCOMPARE(Reaches(QHostAddress("127.0.0.2"), port), address.isEmpty());
        }
    }

    // Before the last tick the session takes the bytes still queued for it,
    // here from a source it follows while its TCP input is open.
    void lastTickTakesQueuedBytes()
    {
        QTemporaryDir folder;
        QFile ini(folder.filePath("config.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly) &&
                ini.write("[uart]\nport=/nonexistent/tty\n[server]\ninputport=" + QByteArray::number(FreePort())) > 0);
        ini.close();
        SetConfigFolder(folder.path());
        LiveSession session([](const QString&) {});
        session.Open();
        QVERIFY(session.TcpInputOpen());
        PositionSender sender;
        session.Follow(sender);
        emit sender.Received(NewSourceId(), "peer", "$GPTXT,1*00\r\n");
        QVERIFY(session.TickText().empty());
        session.TakeEverything();
        QCOMPARE(session.TickText(), std::string("$GPTXT,1*00\r\n"));
        session.Close();
    }

    void positionLine()
    {
        QCOMPARE(PositionLine("ZYXWVUTS987654321", 37.5554652, -126.9715542, 359.999),
            std::string("ZYXWVUTS987654321,37.555465,-126.971554,360.00\n"));
    }

    // What the upload server sends is told as received data with its
    // peer. Lines made while the upload is not connected are dropped, not
    // kept: the next connection gets only the lines made after it.
    void uploadDropsWhileDisconnected()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        PositionSender sender;
        SourceSpies spies(&sender);
        sender.StartUpload({.url = "localhost", .port = server.serverPort()});
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket* peer = server.nextPendingConnection();
        QTRY_COMPARE(sender.UploadSocket()->state(), QAbstractSocket::ConnectedState);
        sender.Send("A,1.000000,2.000000,3.00\n");
        QByteArray got;
        QTRY_COMPARE((got += peer->readAll()), QByteArray("A,1.000000,2.000000,3.00\n"));
        peer->write("$GPRMC,hello*00\r\n");
        QTRY_COMPARE(spies.Bytes(), QByteArray("$GPRMC,hello*00\r\n"));
        QCOMPARE(spies.Peers().first(), QString("127.0.0.1:%1").arg(server.serverPort()));

        // The server ends the connection: the next lines are left out, and
        // within the 5 s of the last attempt no new one starts.
        peer->close();
        QTRY_COMPARE(sender.UploadSocket()->state(), QAbstractSocket::UnconnectedState);
        QTRY_VERIFY(!spies.closed.isEmpty());
        const quint64 droppedBefore = sender.UploadLinesDropped();
        for (int k = 0; k < 20; ++k)
            sender.Send("B,1.000000,2.000000,3.00\n");
        QCOMPARE(sender.UploadLinesDropped(), droppedBefore + 20);
        QCOMPARE(sender.UploadSocket()->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(!server.hasPendingConnections());

        // With a period that has passed, the next line starts one new
        // attempt and is dropped too; the lines after it arrive alone.
        sender.SetUploadRetryMs(0);
        sender.Send("C,1.000000,2.000000,3.00\n");
        QCOMPARE(sender.UploadLinesDropped(), droppedBefore + 21);
        QVERIFY(sender.UploadSocket()->state() != QAbstractSocket::UnconnectedState);
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket* again = server.nextPendingConnection();
        QTRY_COMPARE(sender.UploadSocket()->state(), QAbstractSocket::ConnectedState);
        sender.Send("D,1.000000,2.000000,3.00\n");
        QByteArray later;
        QTRY_COMPARE((later += again->readAll()), QByteArray("D,1.000000,2.000000,3.00\n"));
    }

    // Lines keep coming while the upload server refuses or ends every
    // connection: attempts go on, each at least one period after the
    // previous one, whatever the number of lines in between.
    void uploadAttemptsAtMostOncePerPeriod_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::newRow("refused") << false;
        QTest::newRow("accepted and ended") << true;
    }
    void uploadAttemptsAtMostOncePerPeriod()
    {
        QFETCH(bool, listening);
        constexpr qint64 kPeriodMs = 100;
        QTcpServer server;
        const quint16 port = FreePort();
        int accepted = 0;
        if (listening) {
            QVERIFY(server.listen(QHostAddress::LocalHost, port));
            connect(&server, &QTcpServer::newConnection, &server, [&] {
                while (QTcpSocket* peer = server.nextPendingConnection()) {
                    ++accepted;
                    peer->close();
                }
            });
        }
        PositionSender sender;
        sender.SetUploadRetryMs(kPeriodMs);

        // The first attempt starts within StartUpload; each later one with
        // the socket's host lookup, in the Send that starts it.
        QElapsedTimer clock;
        clock.start();
        QList<qint64> startsNs{0};
        sender.StartUpload({.url = "127.0.0.1", .port = port});
        connect(sender.UploadSocket(), &QAbstractSocket::stateChanged, &sender,
            [&](QAbstractSocket::SocketState state) {
                if (state == QAbstractSocket::HostLookupState)
                    startsNs << clock.nsecsElapsed();
            });
        // A line every few milliseconds, far more often than the period.
        int lines = 0;
        QTimer feed;
        connect(&feed, &QTimer::timeout, &sender, [&] {
            sender.Send("E,1.000000,2.000000,3.00\n");
            ++lines;
        });
        feed.start(2);
        QTRY_VERIFY_WITH_TIMEOUT(startsNs.size() >= 4, 10000);
        feed.stop();
        // The sender starts its clock just before the socket's call; a
        // millisecond covers that step.
        for (qsizetype i = 1; i < startsNs.size(); ++i)
            QVERIFY2(startsNs[i] - startsNs[i - 1] >= (kPeriodMs - 1) * 1000000,
                qPrintable(QString("attempt %1 came %2 ms after the one before")
                               .arg(i)
                               .arg((startsNs[i] - startsNs[i - 1]) / 1e6)));
        // Every line was left out for want of a connection; each attempt
        // reached a listening server as one connection.
        if (listening)
            QTRY_COMPARE(accepted, int(startsNs.size()));
        else
            QCOMPARE(sender.UploadLinesDropped(), quint64(lines));
    }

    // A port already taken cannot forward. A forwarding client that stops
    // reading is dropped, with its disconnect line, once its bytes the system
    // has not taken would pass the backlog; the other client gets every
    // line, in order, and more after.
    void stalledForwardingClientDropped()
    {
        PositionSender sender;
        SourceSpies spies(&sender);
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::Any, 0));
        QVERIFY(
            !sender.StartForwarding({.outputPort = other.serverPort(), .listenAddress = {}}) && !sender.Forwarding());
        const quint16 port = FreePort();
        QVERIFY(sender.StartForwarding({.outputPort = port, .listenAddress = {}}));
        QTcpSocket stalled, healthy;
        // Small system buffers on both ends of the stalled connection, so
        // that the backlog starts after a few kilobytes.
        stalled.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
        stalled.setReadBufferSize(1);
        stalled.connectToHost(QHostAddress::LocalHost, port);
        QTRY_COMPARE(sender.ForwardingServer()->Clients().size(), qsizetype(1));
        sender.ForwardingServer()->Clients().first()->Socket()->setSocketOption(
            QAbstractSocket::SendBufferSizeSocketOption, 4096);
        healthy.connectToHost(QHostAddress::LocalHost, port);
        QTRY_COMPARE(sender.ForwardingServer()->Clients().size(), qsizetype(2));
        QTRY_COMPARE(healthy.state(), QAbstractSocket::ConnectedState);
        const QString stalledPeer = QString("127.0.0.1:%1").arg(stalled.localPort());
        const QString healthyPeer = QString("127.0.0.1:%1").arg(healthy.localPort());

        // Rounds of lines with the event loop running in between, as the
        // live ticks send them. One round stays under the backlog.
        constexpr int kRoundLines = 1000;
        const std::string line = PositionLine("ZYXWVUTS987654321", 37.5, 127.25, 90.5);
        QVERIFY(kRoundLines * qint64(line.size()) < kSendBacklog);
        QByteArray got;
        qint64 sent = 0;
        int rounds = 0;
        for (; rounds < 10 && sender.ForwardingServer()->Clients().size() == 2; ++rounds) {
            for (int k = 0; k < kRoundLines; ++k)
                sender.Send(line);
            sent += kRoundLines;
            QTRY_VERIFY((got += healthy.readAll()).size() >= sent * qint64(line.size()));
        }
        QCOMPARE(sender.ForwardingServer()->Clients().size(), qsizetype(1));
        QVERIFY2(rounds >= 2, "dropped before its backlog could pass the limit");
        QCOMPARE(sender.ForwardingServer()->Clients().first()->PeerText(), healthyPeer);
        QVERIFY(spies.Lines().contains("[TCP] a client is disconnected (" + stalledPeer + ")"));

        for (int k = 0; k < kRoundLines; ++k)
            sender.Send(line);
        sent += kRoundLines;
        QTRY_VERIFY((got += healthy.readAll()).size() >= sent * qint64(line.size()));
        QCOMPARE(got.size(), sent * qint64(line.size()));
        QVERIFY(got == QByteArray::fromStdString(line).repeated(sent));
    }
};

QTEST_GUILESS_MAIN(TestNetworkServer)
#include "tst_networkserver.moc"
