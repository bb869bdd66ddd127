#include <QtTest>

#include <QUdpSocket>

#include "NoticeRecorder.h"
#include "live/UdpFeed.h"

using namespace orvane;

namespace {

const QByteArray kRmc = "$GPRMC,235800.00,A,3733.32791,N,12658.29325,E,0.012,172.00,140326,,,A*6A\r\n";

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

}  // namespace

class TestUdpFeed : public QObject {
    Q_OBJECT
private slots:
    // Datagrams from two senders arrive with their sender; the unfinished
    // line of one goes on before the other's bytes, so they never join,
    // while a sentence split over two datagrams of one sender stays whole.
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
        QVERIFY(Send(first, kRmc.mid(20), port));
        QTRY_COMPARE(window.tcpData, kRmc);
        QCOMPARE(window.types, (QList<int>{kTcpDataNotice, kTcpDataNotice}));
        QVERIFY(Send(first, "$GPGGA,cut", port));
        QTRY_COMPARE(window.types.size(), 3);
        QVERIFY(Send(second, kRmc, port));
        QTRY_COMPARE(window.tcpData, kRmc + "$GPGGA,cut" + kRmc);
        QCOMPARE(window.types,
            (QList<int>{kTcpDataNotice, kTcpDataNotice, kTcpDataNotice, kTcpClosedNotice, kTcpDataNotice}));
        QCOMPARE(window.closedSources, QList<SourceId>{feed.Id()});
        QCOMPARE(window.tcpPeers, (QStringList{SenderOf(first), SenderOf(first), SenderOf(first), SenderOf(second)}));
        QVERIFY(window.statusLines.isEmpty());
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
        QByteArray taken;
        QElapsedTimer waited;
        waited.start();
        while (taken.size() < 2 * kRmc.size() && waited.elapsed() < 5000)
            feed.TakePending([&](SourceId source, const QByteArray& bytes) {
                if (source == feed.Id())
                    taken += bytes;
            });
        QCOMPARE(taken, kRmc + kRmc);
        QVERIFY(window.tcpData.isEmpty());
    }

    // A port held by a listener that shares it with no one cannot be
    // listened on; the reason is given.
    void portTaken()
    {
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::Any, 0, QUdpSocket::DontShareAddress));
        NoticeRecorder window;
        UdpFeed feed(holder.localPort(), &window);
        QString reason;
        QVERIFY(!feed.Open(reason));
        QVERIFY(!reason.isEmpty());
    }
};

QTEST_MAIN(TestUdpFeed)
#include "tst_udpfeed.moc"
