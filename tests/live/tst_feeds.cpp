// SPDX-License-Identifier: GPL-3.0-or-later
// The TCP and UDP feeds of live NMEA, against real sockets on 127.0.0.1.

#include <QtTest>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include <memory>
#include <vector>

#include "../common/LoopbackPort.h"
#include "NoticeRecorder.h"
#include "live/TcpFeed.h"
#include "live/UdpFeed.h"

using namespace orvane;

namespace {

constexpr int kRetryMs = 100;
const QByteArray kRmc = "$GPRMC,235800.00,A,3733.32791,N,12658.29325,E,0.012,172.00,140326,,,A*6A\r\n";

// A feed of an NMEA server on 127.0.0.1 or a named host, trying again after kRetryMs.
struct Feed : NoticeRecorder {
    TcpFeed feed;
    explicit Feed(quint16 port, const QString& host = "127.0.0.1")
        : feed(TcpFeed::Kind::NmeaServer, host, port, this, FeedTiming{.retryMs = kRetryMs})
    {
        feed.Open();
    }
};

// A NMEA server of the test, noting when it accepted each connection.
struct TestServer {
    QTcpServer server;
    QList<QTcpSocket*> accepted;
    QList<qint64> acceptedAt;
    QElapsedTimer clock;

    explicit TestServer(quint16 port)
    {
        clock.start();
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                accepted << socket;
                acceptedAt << clock.elapsed();
            }
        });
        server.listen(QHostAddress::LocalHost, port);
    }
};

// A UDP port that is free on this machine right now.
quint16 FreeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    return probe.localPort();
}

QString SenderOf(const QUdpSocket& sender)
{
    return QStringLiteral("127.0.0.1:%1").arg(sender.localPort());
}

bool Send(QUdpSocket& sender, const QByteArray& datagram, quint16 port)
{
    return sender.writeDatagram(datagram, QHostAddress::LocalHost, port) == datagram.size();
}

bool Owns(const TcpFeed& feed, SourceId id)
{
    return feed.Id() == id;
}

bool Owns(const UdpFeed& feed, SourceId id)
{
    return feed.Owns(id);
}

// What a source holds when it closes, taken straight (no event is handled
// meanwhile) until size bytes of it came or 5 s passed.
template <class Source>
QByteArray TakePending(Source& source, qsizetype size)
{
    QByteArray taken;
    QElapsedTimer waited;
    waited.start();
    while (taken.size() < size && waited.elapsed() < 5000)
        source.TakePending([&](SourceId id, const QByteArray& bytes) {
            if (Owns(source, id))
                taken += bytes;
        });
    return taken;
}

}  // namespace

class TestFeeds : public QObject {
    Q_OBJECT
private slots:
    // The server drops the feed with half a sentence sent and goes away;
    // the feed passes the half on, says it lost the peer, says once that
    // it cannot connect, and follows the server when it comes back.
    void serverDropsAndComesBack()
    {
        const quint16 port = FreePort();
        auto server = std::make_unique<TestServer>(port);
        QVERIFY(server->server.isListening());
        Feed window(port);
        const QString address = QString("127.0.0.1:%1").arg(port);
        QCOMPARE(window.feed.Address(), address);
        QTRY_COMPARE(window.statusLines, QStringList{"[TCP client] connected to " + address});
        QTRY_COMPARE(server->accepted.size(), qsizetype(1));

        const QByteArray sent = kRmc + "$GPGGA,2358";
        server->accepted[0]->write(sent);
        QTRY_COMPARE(window.tcpData, sent);
        QCOMPARE(window.tcpPeers.constFirst(), address);
        server.reset();  // closes the connection and stops listening
        QTRY_COMPARE(window.closedSources, QList<SourceId>{window.feed.Id()});
        QElapsedTimer sinceLoss;
        sinceLoss.start();
        // Nothing is lost: the data notices come before the closed one.
        QCOMPARE(window.types.indexOf(kTcpClosedNotice), window.types.lastIndexOf(kTcpDataNotice) + 1);
        QCOMPARE(window.statusLines.size(), 2);
        QVERIFY2(window.statusLines[1].startsWith("[TCP client] lost " + address + " ("),
            qPrintable(window.statusLines[1]));
        QVERIFY(window.statusLines[1].endsWith("); next try in 0.1 s"));

        QTRY_COMPARE(window.statusLines.size(), 3);
        QCOMPARE(window.statusLines[2],
            "[TCP client] fail to connect to " + address + " (Connection refused); next try in 0.1 s");
        // Further refused tries write nothing more.
        QTRY_VERIFY(sinceLoss.elapsed() > 4 * kRetryMs);
        QCOMPARE(window.statusLines.size(), 3);

        TestServer back(port);
        QTRY_COMPARE(window.statusLines.size(), 4);
        QCOMPARE(window.statusLines[3], "[TCP client] reconnected to " + address);
        QTRY_COMPARE(back.accepted.size(), qsizetype(1));
        back.accepted[0]->write(kRmc);
        QTRY_COMPARE(window.tcpData, sent + kRmc);
        QVERIFY(window.feed.Connected());
    }

    // A server that takes each connection and ends it at once sees one try
    // per retry period, never more, and none once the feed is closed.
    void triesAtMostOncePerPeriod()
    {
        const quint16 port = FreePort();
        TestServer server(port);
        QObject::connect(&server.server, &QTcpServer::newConnection, &server.server,
            [&server] { server.accepted.constLast()->close(); });
        Feed window(port, "localhost");
        QTRY_VERIFY_WITH_TIMEOUT(server.accepted.size() >= 4, 10000);
        for (qsizetype k = 1; k < server.acceptedAt.size(); ++k)
            QVERIFY2(server.acceptedAt[k] - server.acceptedAt[k - 1] >= kRetryMs,
                qPrintable(QString::number(server.acceptedAt[k] - server.acceptedAt[k - 1])));
        const QString address = "localhost:" + QString::number(port);
        QCOMPARE(window.statusLines.mid(0, 3), (QStringList{"[TCP client] connected to " + address,
                                                   window.statusLines[1], "[TCP client] reconnected to " + address}));
        QVERIFY(window.statusLines[1].startsWith("[TCP client] lost " + address));
        window.feed.Close();
        const qsizetype tries = server.accepted.size();
        QTest::qWait(3 * kRetryMs);
        QCOMPARE(server.accepted.size(), tries);
    }

    // A peer that cannot be reached gets one clear line and no data.
    void unreachablePeer_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("reason");
        QTest::newRow("refused") << "127.0.0.1"
                                 << "Connection refused";
        QTest::newRow("unknown host") << "nosuchhost.invalid"
                                      << "Host not found";
    }
    void unreachablePeer()
    {
        QFETCH(QString, host);
        QFETCH(QString, reason);
        const quint16 port = FreePort();
        Feed window(port, host);
        QTRY_VERIFY_WITH_TIMEOUT(!window.statusLines.isEmpty(), 30000);
        QCOMPARE(window.statusLines,
            QStringList{QString("[TCP client] fail to connect to %1:%2 (%3); next try in 0.1 s")
                            .arg(host, QString::number(port), reason)});
        QVERIFY(window.tcpData.isEmpty() && window.closedSources.isEmpty());
        QVERIFY(!window.feed.Connected());
    }

    // What waits unread when the source closes is taken straight, not
    // posted; closing ends the connection and reads nothing more.
    void closeEndsTheConnection()
    {
        const quint16 port = FreePort();
        TestServer server(port);
        Feed window(port);
        QTRY_COMPARE(server.accepted.size(), qsizetype(1));
        QTRY_VERIFY(window.feed.Connected());
        server.accepted[0]->write(kRmc);
        QVERIFY(server.accepted[0]->waitForBytesWritten(1000));
        const QByteArray taken = TakePending(window.feed, kRmc.size());
        QCOMPARE(taken, kRmc);
        QVERIFY(window.tcpData.isEmpty());
        window.feed.Close();
        QTRY_COMPARE(server.accepted[0]->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(window.statusLines, QStringList{QString("[TCP client] connected to 127.0.0.1:%1").arg(port)});
    }

    // Datagrams from two senders arrive with their sender, each sender with
    // a source id of its own: one sender's unfinished sentence is never
    // handed on (as at a close) before another's datagram, so the two
    // never join, and a sentence split over two datagrams stays whole.
    void datagramsKeepTheirSenders()
    {
        NoticeRecorder window;
        const quint16 port = FreeUdpPort();
        UdpFeed feed(port, &window);
        QString reason;
        QVERIFY2(feed.Open(reason), qPrintable(reason));
        QUdpSocket first, second;
        QVERIFY(first.bind(QHostAddress::LocalHost, 0) && second.bind(QHostAddress::LocalHost, 0));

        QVERIFY(Send(first, kRmc.left(20), port));
        QTRY_COMPARE(window.tcpData, kRmc.left(20));
        QVERIFY(Send(second, kRmc, port));
        QTRY_COMPARE(window.types.size(), 2);
        QVERIFY(Send(first, kRmc.mid(20), port));
        QTRY_COMPARE(window.tcpData, kRmc.left(20) + kRmc + kRmc.mid(20));
        QCOMPARE(window.types, (QList<int>{kTcpDataNotice, kTcpDataNotice, kTcpDataNotice}));
        QVERIFY(window.closedSources.isEmpty());
        const QList<SourceId>& ids = window.dataSources;
        QVERIFY(ids[0] == ids[2] && ids[0] != ids[1]);
        QVERIFY(feed.Owns(ids[0]) && feed.Owns(ids[1]) && !feed.Owns(ids[1] + 1000));
        QCOMPARE(window.tcpPeers, (QStringList{SenderOf(first), SenderOf(second), SenderOf(first)}));
        QVERIFY(window.statusLines.isEmpty());
    }

    // Past the most senders, the one heard from least recently gives its id
    // up: a receiver that keeps sending keeps its id among many one-off
    // senders, and an id given up is still the feed's for bytes on their way.
    void busySenderKeepsItsId()
    {
        NoticeRecorder window;
        const quint16 port = FreeUdpPort();
        UdpFeed feed(port, &window);
        QString reason;
        QVERIFY2(feed.Open(reason), qPrintable(reason));
        QUdpSocket receiver;
        QVERIFY(receiver.bind(QHostAddress::LocalHost, 0));
        std::vector<std::unique_ptr<QUdpSocket>> others;
        int sent = 0;
        for (int k = 0; k < UdpFeed::kMaxSenders + 40; ++k) {
            if (k % 50 == 0) {
                QVERIFY(Send(receiver, "$GPTXT,1*00\r\n", port));
                ++sent;
                QTRY_COMPARE(window.dataSources.size(), sent);
            }
            others.push_back(std::make_unique<QUdpSocket>());
            QVERIFY(others.back()->bind(QHostAddress::LocalHost, 0));
            QVERIFY(Send(*others.back(), "x", port));
            ++sent;
            QTRY_COMPARE(window.dataSources.size(), sent);
        }
        QSet<SourceId> receiverIds, allIds;
        for (int k = 0; k < window.dataSources.size(); ++k) {
            allIds.insert(window.dataSources[k]);
            if (window.tcpPeers[k] == SenderOf(receiver))
                receiverIds.insert(window.dataSources[k]);
        }
        QCOMPARE(receiverIds.size(), 1);
        QCOMPARE(allIds.size(), UdpFeed::kMaxSenders + 41);
        for (const SourceId id : allIds)
            QVERIFY(feed.Owns(id));
    }

    // A datagram over the limit is dropped with a line; the datagrams
    // around it arrive whole. The largest datagram UDP carries over IPv4
    // arrives whole under the default limit.
    void datagramSizes()
    {
        NoticeRecorder window;
        const quint16 port = FreeUdpPort();
        UdpFeed limited(port, &window, 4096);
        QString reason;
        QVERIFY(limited.Open(reason));
        QUdpSocket sender;
        QVERIFY(sender.bind(QHostAddress::LocalHost, 0));
        QVERIFY(Send(sender, kRmc, port));
        QVERIFY(Send(sender, QByteArray(4097, 'x'), port));
        QVERIFY(Send(sender, kRmc, port));
        QTRY_COMPARE(window.tcpData, kRmc + kRmc);
        QCOMPARE(window.statusLines,
            QStringList{
                QString("[UDP] dropped a datagram of 4097 bytes from %1 (over 4096 bytes)").arg(SenderOf(sender))});
        limited.Close();

        NoticeRecorder largeWindow;
        UdpFeed feed(port, &largeWindow);
        QVERIFY(feed.Open(reason));
        const QByteArray largest = kRmc.repeated(900).left(65507);
        QVERIFY(Send(sender, largest, port));
        QTRY_COMPARE(largeWindow.tcpData.size(), largest.size());
        QCOMPARE(largeWindow.tcpData, largest);
        for (int size : largeWindow.chunkSizes)
            QVERIFY(size >= 1 && size <= 1024);
        QVERIFY(largeWindow.statusLines.isEmpty());
    }

    // Datagrams that wait when the source closes are taken straight.
    void pendingDatagramsTaken()
    {
        NoticeRecorder window;
        const quint16 port = FreeUdpPort();
        UdpFeed feed(port, &window);
        QString reason;
        QVERIFY(feed.Open(reason));
        QUdpSocket sender;
        QVERIFY(Send(sender, kRmc, port) && Send(sender, kRmc, port));
        QCOMPARE(TakePending(feed, 2 * kRmc.size()), kRmc + kRmc);
        QVERIFY(window.tcpData.isEmpty());
    }

    // A port another program holds cannot be listened on, whether that
    // program shares it or not (sharing would hand the datagrams to one of
    // the two at random); the reason is given.
    void portTaken_data()
    {
        QTest::addColumn<bool>("holderShares");
        QTest::newRow("holder shares nothing") << false;
        QTest::newRow("holder shares the port") << true;
    }
    void portTaken()
    {
        QFETCH(bool, holderShares);
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::Any, 0,
            holderShares ? QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint : QUdpSocket::DontShareAddress));
        NoticeRecorder window;
        UdpFeed feed(holder.localPort(), &window);
        QString reason;
        QVERIFY(!feed.Open(reason));
        QVERIFY(!reason.isEmpty());
    }

    // A listen address is honoured: bound to 127.0.0.1 alone, the feed
    // leaves the port free on 127.0.0.2 and takes datagrams sent to it.
    void listenAddress()
    {
        NoticeRecorder window;
        const quint16 port = FreeUdpPort();
        UdpFeed feed(port, &window, UdpFeed::kMaxDatagram, QHostAddress::LocalHost);
        QString reason;
        QVERIFY2(feed.Open(reason), qPrintable(reason));
        QUdpSocket beside;
        QVERIFY2(beside.bind(QHostAddress("127.0.0.2"), port, QUdpSocket::DontShareAddress),
            qPrintable(beside.errorString()));
        QUdpSocket sender;
        QVERIFY(Send(sender, kRmc, port));
        QTRY_COMPARE(window.tcpData, kRmc);
    }
};

QTEST_MAIN(TestFeeds)
#include "tst_feeds.moc"
