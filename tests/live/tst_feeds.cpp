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
#include "SourceSpies.h"
#include "live/TcpFeed.h"
#include "live/UdpFeed.h"

using namespace orvane;

namespace {

constexpr int kRetryMs = 100;
const QByteArray kRmc = "$GPRMC,235800.00,A,3733.32791,N,12658.29325,E,0.012,172.00,140326,,,A*6A\r\n";

// A feed of an NMEA server on 127.0.0.1 or a named host, trying again
// after kRetryMs, with its signals caught.
struct Feed : TcpFeed, SourceSpies {
    explicit Feed(quint16 port, const QString& host = "127.0.0.1")
        : TcpFeed(Kind::NmeaServer, host, port, FeedTiming{.retryMs = kRetryMs}), SourceSpies(this)
    {
        Open();
    }
    bool Owns(SourceId id) const { return Id() == id; }
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

// A UDP feed with its signals caught, on a free port unless given one.
struct Udp : UdpFeed, SourceSpies {
    QString reason;
    explicit Udp(qint64 maxDatagram = kMaxDatagram, quint16 port = FreeUdpPort(),
        const QHostAddress& address = QHostAddress(QHostAddress::Any))
        : UdpFeed(port, maxDatagram, address), SourceSpies(this)
    { }
    bool Open() { return UdpFeed::Open(reason); }
};

QString SenderOf(const QUdpSocket& sender)
{
    return QStringLiteral("127.0.0.1:%1").arg(sender.localPort());
}

bool Send(QUdpSocket& sender, const QByteArray& datagram, quint16 port)
{
    return sender.writeDatagram(datagram, QHostAddress::LocalHost, port) == datagram.size();
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
            if (source.Owns(id))
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
        Feed feed(port);
        const QString address = QString("127.0.0.1:%1").arg(port);
        QCOMPARE(feed.Address(), address);
        QTRY_COMPARE(feed.Lines(), QStringList{"[TCP client] connected to " + address});
        QTRY_COMPARE(server->accepted.size(), qsizetype(1));

        const QByteArray sent = kRmc + "$GPGGA,2358";
        server->accepted[0]->write(sent);
        QTRY_COMPARE(feed.Bytes(), sent);
        QCOMPARE(feed.Peers().constFirst(), address);
        // Nothing is lost: every byte is told before the end, the end before
        // the line that says so.
        connect(&feed, &NoticeSource::Closed, this, [&] { QVERIFY(feed.Bytes() == sent && feed.status.size() == 1); });
        server.reset();  // closes the connection and stops listening
        QTRY_COMPARE(feed.Ends(), QList<SourceId>{feed.Id()});
        QElapsedTimer sinceLoss;
        sinceLoss.start();
        QCOMPARE(feed.status.size(), 2);
        QVERIFY2(feed.Lines()[1].startsWith("[TCP client] lost " + address + " ("), qPrintable(feed.Lines()[1]));
        QVERIFY(feed.Lines()[1].endsWith("); next try in 0.1 s"));

        QTRY_COMPARE(feed.status.size(), 3);
        QCOMPARE(feed.Lines()[2],
            "[TCP client] fail to connect to " + address + " (Connection refused); next try in 0.1 s");
        // Further refused tries write nothing more.
        QTRY_VERIFY(sinceLoss.elapsed() > 4 * kRetryMs);
        QCOMPARE(feed.status.size(), 3);

        TestServer back(port);
        QTRY_COMPARE(feed.status.size(), 4);
        QCOMPARE(feed.Lines()[3], "[TCP client] reconnected to " + address);
        QTRY_COMPARE(back.accepted.size(), qsizetype(1));
        back.accepted[0]->write(kRmc);
        QTRY_COMPARE(feed.Bytes(), sent + kRmc);
        QVERIFY(feed.Connected());
    }

    // A server that takes each connection and ends it at once sees one try
    // per retry period, never more, and none once the feed is closed.
    void triesAtMostOncePerPeriod()
    {
        const quint16 port = FreePort();
        TestServer server(port);
        QObject::connect(&server.server, &QTcpServer::newConnection, &server.server,
            [&server] { server.accepted.constLast()->close(); });
        Feed feed(port, "localhost");
        QTRY_VERIFY_WITH_TIMEOUT(server.accepted.size() >= 4, 10000);
        for (qsizetype k = 1; k < server.acceptedAt.size(); ++k)
            QVERIFY2(server.acceptedAt[k] - server.acceptedAt[k - 1] >= kRetryMs,
                qPrintable(QString::number(server.acceptedAt[k] - server.acceptedAt[k - 1])));
        const QString address = "localhost:" + QString::number(port);
        const QStringList lines = feed.Lines();
        QCOMPARE(lines.mid(0, 3),
            (QStringList{"[TCP client] connected to " + address, lines[1], "[TCP client] reconnected to " + address}));
        QVERIFY(lines[1].startsWith("[TCP client] lost " + address));
        feed.Close();
        const qsizetype tries = server.accepted.size();
        QTest::qWait(3 * kRetryMs);
        QCOMPARE(server.accepted.size(), tries);
    }

    // A peer that cannot be reached gets one clear line and no data.
    void unreachablePeer_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("reason");
        QTest::newRow("refused") << QString("127.0.0.1") << QString("Connection refused");
        QTest::newRow("unknown host") << QString("nosuchhost.invalid") << QString("Host not found");
    }
    void unreachablePeer()
    {
        QFETCH(QString, host);
        QFETCH(QString, reason);
        const quint16 port = FreePort();
        Feed feed(port, host);
        QTRY_VERIFY_WITH_TIMEOUT(!feed.status.isEmpty(), 30000);
        QCOMPARE(feed.Lines(), QStringList{QString("[TCP client] fail to connect to %1:%2 (%3); next try in 0.1 s")
                                               .arg(host, QString::number(port), reason)});
        QVERIFY(feed.received.isEmpty() && feed.closed.isEmpty());
        QVERIFY(!feed.Connected());
    }

    // What waits unread when the source closes is taken straight, not
    // told; closing ends the connection and reads nothing more.
    void closeEndsTheConnection()
    {
        const quint16 port = FreePort();
        TestServer server(port);
        Feed feed(port);
        QTRY_COMPARE(server.accepted.size(), qsizetype(1));
        QTRY_VERIFY(feed.Connected());
        server.accepted[0]->write(kRmc);
        QVERIFY(server.accepted[0]->waitForBytesWritten(1000));
        QCOMPARE(TakePending(feed, kRmc.size()), kRmc);
        QVERIFY(feed.received.isEmpty());
        feed.Close();
        QTRY_COMPARE(server.accepted[0]->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(feed.Lines(), QStringList{QString("[TCP client] connected to 127.0.0.1:%1").arg(port)});
    }

    // Datagrams from two senders arrive with their sender, each sender with
    // a source id of its own: one sender's unfinished sentence is never
    // handed on (as at a close) before another's datagram, so the two
    // never join, and a sentence split over two datagrams stays whole.
    void datagramsKeepTheirSenders()
    {
        Udp feed;
        QVERIFY2(feed.Open(), qPrintable(feed.reason));
        QUdpSocket first, second;
        QVERIFY(first.bind(QHostAddress::LocalHost, 0) && second.bind(QHostAddress::LocalHost, 0));

        QVERIFY(Send(first, kRmc.left(20), feed.Port()));
        QTRY_COMPARE(feed.Bytes(), kRmc.left(20));
        QVERIFY(Send(second, kRmc, feed.Port()));
        QTRY_COMPARE(feed.received.size(), 2);
        QVERIFY(Send(first, kRmc.mid(20), feed.Port()));
        QTRY_COMPARE(feed.Bytes(), kRmc.left(20) + kRmc + kRmc.mid(20));
        QVERIFY(feed.received.size() == 3 && feed.closed.isEmpty() && feed.status.isEmpty());
        const QList<SourceId> ids = feed.Sources();
        QVERIFY(ids[0] == ids[2] && ids[0] != ids[1]);
        QVERIFY(feed.Owns(ids[0]) && feed.Owns(ids[1]) && !feed.Owns(ids[1] + 1000));
        QCOMPARE(feed.Peers(), (QStringList{SenderOf(first), SenderOf(second), SenderOf(first)}));
    }

    // Past the most senders, the one heard from least recently gives its id
    // up: a receiver that keeps sending keeps its id among many one-off
    // senders, and an id given up is still the feed's for bytes on their way.
    void busySenderKeepsItsId()
    {
        Udp feed;
        QVERIFY2(feed.Open(), qPrintable(feed.reason));
        QUdpSocket receiver;
        QVERIFY(receiver.bind(QHostAddress::LocalHost, 0));
        std::vector<std::unique_ptr<QUdpSocket>> others;
        int sent = 0;
        for (int k = 0; k < UdpFeed::kMaxSenders + 40; ++k) {
            if (k % 50 == 0) {
                QVERIFY(Send(receiver, "$GPTXT,1*00\r\n", feed.Port()));
                ++sent;
                QTRY_COMPARE(feed.received.size(), sent);
            }
            others.push_back(std::make_unique<QUdpSocket>());
            QVERIFY(others.back()->bind(QHostAddress::LocalHost, 0));
            QVERIFY(Send(*others.back(), "x", feed.Port()));
            ++sent;
            QTRY_COMPARE(feed.received.size(), sent);
        }
        QSet<SourceId> receiverIds, allIds;
        const QList<SourceId> ids = feed.Sources();
        for (int k = 0; k < ids.size(); ++k) {
            allIds.insert(ids[k]);
            if (feed.Peers()[k] == SenderOf(receiver))
                receiverIds.insert(ids[k]);
        }
        QCOMPARE(receiverIds.size(), 1);
        QCOMPARE(allIds.size(), UdpFeed::kMaxSenders + 41);
        for (const SourceId id : allIds)
            QVERIFY(feed.Owns(id));
    }

    // A datagram over the limit is dropped with a line; the datagrams
    // around it arrive whole. The largest datagram UDP carries over IPv4
    // arrives whole under the default limit, in chunks of at most 1024.
    void datagramSizes()
    {
        auto limited = std::make_unique<Udp>(4096);
        const quint16 port = limited->Port();
        QVERIFY(limited->Open());
        QUdpSocket sender;
        QVERIFY(sender.bind(QHostAddress::LocalHost, 0));
        QVERIFY(Send(sender, kRmc, port));
        QVERIFY(Send(sender, QByteArray(4097, 'x'), port));
        QVERIFY(Send(sender, kRmc, port));
        QTRY_COMPARE(limited->Bytes(), kRmc + kRmc);
        QCOMPARE(limited->Lines(),
            QStringList{
                QString("[UDP] dropped a datagram of 4097 bytes from %1 (over 4096 bytes)").arg(SenderOf(sender))});
        limited.reset();

        Udp feed(UdpFeed::kMaxDatagram, port);
        QVERIFY(feed.Open());
        const QByteArray largest = kRmc.repeated(900).left(65507);
        QVERIFY(Send(sender, largest, port));
        QTRY_COMPARE(feed.Bytes().size(), largest.size());
        QCOMPARE(feed.Bytes(), largest);
        for (const QByteArray& chunk : Arguments<QByteArray>(feed.received, 2))
            QVERIFY(chunk.size() >= 1 && chunk.size() <= 1024);
        QVERIFY(feed.status.isEmpty());
    }

    // Datagrams that wait when the source closes are taken straight.
    void pendingDatagramsTaken()
    {
        Udp feed;
        QVERIFY(feed.Open());
        QUdpSocket sender;
        QVERIFY(Send(sender, kRmc, feed.Port()) && Send(sender, kRmc, feed.Port()));
        QCOMPARE(TakePending(feed, 2 * kRmc.size()), kRmc + kRmc);
        QVERIFY(feed.received.isEmpty());
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
        Udp feed(UdpFeed::kMaxDatagram, holder.localPort());
        QVERIFY(!feed.Open());
        QVERIFY(!feed.reason.isEmpty());
    }

    // A listen address is honoured: bound to 127.0.0.1 alone, the feed
    // leaves the port free on 127.0.0.2 and takes datagrams sent to it.
    void listenAddress()
    {
        Udp feed(UdpFeed::kMaxDatagram, FreeUdpPort(), QHostAddress::LocalHost);
        QVERIFY2(feed.Open(), qPrintable(feed.reason));
        QUdpSocket beside;
        QVERIFY2(beside.bind(QHostAddress("127.0.0.2"), feed.Port(), QUdpSocket::DontShareAddress),
            qPrintable(beside.errorString()));
        QUdpSocket sender;
        QVERIFY(Send(sender, kRmc, feed.Port()));
        QTRY_COMPARE(feed.Bytes(), kRmc);
    }
};

QTEST_MAIN(TestFeeds)
#include "tst_feeds.moc"
