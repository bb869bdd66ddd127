#include <QtTest>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include "../common/LoopbackPort.h"
#include "NoticeRecorder.h"
#include "live/TcpFeed.h"

using namespace orvane;

namespace {

constexpr int kRetryMs = 300;
const QByteArray kRmc = "$GPRMC,235800.00,A,3733.32791,N,12658.29325,E,0.012,172.00,140326,,,A*6A\r\n";

FeedTiming ShortTiming()
{
    FeedTiming timing;
    timing.retryMs = kRetryMs;
    return timing;
}

// A NMEA server of the test: it takes one connection at a time.
struct TestServer {
    QTcpServer server;
    QList<QTcpSocket*> accepted;
    QList<qint64> acceptedAt;  // ms since the clock started
    QElapsedTimer clock;

    TestServer() { clock.start(); }
    bool Listen(quint16 port)
    {
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                accepted << socket;
                acceptedAt << clock.elapsed();
            }
        });
        return server.listen(QHostAddress::LocalHost, port);
    }
};

}  // namespace

class TestTcpFeed : public QObject {
    Q_OBJECT
private slots:
    // The server drops the feed with half a sentence sent and goes away;
    // the feed passes the half on, says it lost the peer, says once that
    // it cannot connect, and follows the server when it comes back, not
    // sooner than one retry period after the loss.
    void serverDropsAndComesBack()
    {
        NoticeRecorder window;
        const quint16 port = FreePort();
        auto server = std::make_unique<TestServer>();
        QVERIFY(server->Listen(port));
        TcpFeed feed(TcpFeed::Kind::NmeaServer, "127.0.0.1", port, &window, ShortTiming());
        const QString address = QString("127.0.0.1:%1").arg(port);
        QCOMPARE(feed.Address(), address);
        feed.Open();
        QTRY_COMPARE(window.statusLines, QStringList{"[TCP client] connected to " + address});
        QTRY_COMPARE(server->accepted.size(), qsizetype(1));

        const QByteArray sent = kRmc + "$GPGGA,2358";
        server->accepted[0]->write(sent);
        QTRY_COMPARE(window.tcpData, sent);
        QCOMPARE(window.tcpPeers.constFirst(), address);
        server.reset();  // closes the connection and stops listening
        QTRY_COMPARE(window.closedSources, QList<SourceId>{feed.Id()});
        QElapsedTimer sinceLoss;
        sinceLoss.start();
        // Nothing is lost: the data notices come before the closed one.
        QCOMPARE(window.types.indexOf(kTcpClosedNotice), window.types.lastIndexOf(kTcpDataNotice) + 1);
        QCOMPARE(window.statusLines.size(), 2);
        QVERIFY2(window.statusLines[1].startsWith("[TCP client] lost " + address + " ("),
            qPrintable(window.statusLines[1]));
        QVERIFY(window.statusLines[1].endsWith("); next try in 0.3 s"));

        const QString refused =
            "[TCP client] fail to connect to " + address + " (Connection refused); next try in 0.3 s";
        QTRY_COMPARE(window.statusLines.size(), 3);
        QCOMPARE(window.statusLines[2], refused);
        // Further refused tries write nothing more.
        QTRY_VERIFY(sinceLoss.elapsed() > 4 * kRetryMs);
        QCOMPARE(window.statusLines.size(), 3);

        TestServer back;
        QVERIFY(back.Listen(port));
        QTRY_COMPARE(window.statusLines.size(), 4);
        QCOMPARE(window.statusLines[3], "[TCP client] reconnected to " + address);
        QTRY_COMPARE(back.accepted.size(), qsizetype(1));
        back.accepted[0]->write(kRmc);
        QTRY_COMPARE(window.tcpData, sent + kRmc);
        QVERIFY(feed.Connected());
    }

    // A server that takes each connection and ends it at once sees one try
    // per retry period, never more.
    void triesAtMostOncePerPeriod()
    {
        NoticeRecorder window;
        TestServer server;
        const quint16 port = FreePort();
        QVERIFY(server.Listen(port));
        QObject::connect(&server.server, &QTcpServer::newConnection, &server.server,
            [&server] { server.accepted.constLast()->close(); });
        TcpFeed feed(TcpFeed::Kind::NmeaServer, "localhost", port, &window, ShortTiming());
        feed.Open();
        QTRY_VERIFY_WITH_TIMEOUT(server.accepted.size() >= 4, 10000);
        for (qsizetype k = 1; k < server.acceptedAt.size(); ++k)
            QVERIFY2(server.acceptedAt[k] - server.acceptedAt[k - 1] >= kRetryMs,
                qPrintable(QString::number(server.acceptedAt[k] - server.acceptedAt[k - 1])));
        QCOMPARE(window.statusLines.mid(0, 3),
            (QStringList{"[TCP client] connected to localhost:" + QString::number(port), window.statusLines[1],
                "[TCP client] reconnected to localhost:" + QString::number(port)}));
        QVERIFY(window.statusLines[1].startsWith("[TCP client] lost localhost:"));
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
        QTest::newRow("refused") << "127.0.0.1"
                                 << "Connection refused";
        QTest::newRow("unknown host") << "nosuchhost.invalid"
                                      << "Host not found";
    }
    void unreachablePeer()
    {
        QFETCH(QString, host);
        QFETCH(QString, reason);
        NoticeRecorder window;
        const quint16 port = FreePort();
        TcpFeed feed(TcpFeed::Kind::NmeaServer, host, port, &window, ShortTiming());
        feed.Open();
        QTRY_VERIFY_WITH_TIMEOUT(!window.statusLines.isEmpty(), 30000);
        QCOMPARE(window.statusLines,
            QStringList{QString("[TCP client] fail to connect to %1:%2 (%3); next try in 0.3 s")
                            .arg(host, QString::number(port), reason)});
        QVERIFY(window.tcpData.isEmpty() && window.closedSources.isEmpty());
        QVERIFY(!feed.Connected());
    }

    // Closing reads nothing more and tries no more.
    void closeEndsTheConnection()
    {
        NoticeRecorder window;
        TestServer server;
        const quint16 port = FreePort();
        QVERIFY(server.Listen(port));
        TcpFeed feed(TcpFeed::Kind::NmeaServer, "127.0.0.1", port, &window, ShortTiming());
        feed.Open();
        QTRY_COMPARE(server.accepted.size(), qsizetype(1));
        QTRY_VERIFY(feed.Connected());
        server.accepted[0]->write(kRmc);
        QVERIFY(server.accepted[0]->waitForBytesWritten(1000));
        // What waits unread when the source closes is taken straight, not
        // posted: no event is handled until it is all there.
        QByteArray taken;
        QElapsedTimer waited;
        waited.start();
        while (taken.size() < kRmc.size() && waited.elapsed() < 5000) {
            feed.TakePending([&](SourceId source, const QByteArray& bytes) {
                if (source == feed.Id())
                    taken += bytes;
            });
        }
        QCOMPARE(taken, kRmc);
        QVERIFY(window.tcpData.isEmpty());
        feed.Close();
        QTRY_COMPARE(server.accepted[0]->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(window.statusLines, QStringList{QString("[TCP client] connected to 127.0.0.1:%1").arg(port)});
    }
};

QTEST_MAIN(TestTcpFeed)
#include "tst_tcpfeed.moc"
