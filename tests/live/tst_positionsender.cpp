#include <QtTest>

#include <QTcpServer>
#include <QTcpSocket>

#include "../common/LoopbackPort.h"
#include "NoticeRecorder.h"
#include "live/NetworkServer.h"
#include "live/PositionSender.h"

using namespace orvane;

class TestPositionSender : public QObject {
    Q_OBJECT
private slots:
    void positionLine()
    {
        QCOMPARE(PositionLine("ZYXWVUTS987654321", 37.5554652, -126.9715542, 359.999),
            std::string("ZYXWVUTS987654321,37.555465,-126.971554,360.00\n"));
    }

    // What the upload server sends is posted as received data with its
    // peer. Lines made while the upload is not connected are dropped, not
    // kept: the next connection gets only the lines made after it.
    void uploadDropsWhileDisconnected()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        NoticeRecorder window;
        PositionSender sender(&window);
        sender.StartUpload("localhost", server.serverPort());
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket* peer = server.nextPendingConnection();
        QTRY_COMPARE(sender.UploadSocket()->state(), QAbstractSocket::ConnectedState);
        sender.Send("A,1.000000,2.000000,3.00\n");
        QByteArray got;
        QTRY_COMPARE((got += peer->readAll()), QByteArray("A,1.000000,2.000000,3.00\n"));
        peer->write("$GPRMC,hello*00\r\n");
        QTRY_COMPARE(window.tcpData, QByteArray("$GPRMC,hello*00\r\n"));
        QCOMPARE(window.tcpPeers.first(), QString("127.0.0.1:%1").arg(server.serverPort()));

        // The server ends the connection: the next lines are left out, and
        // within the 5 s of the last attempt no new one starts.
        peer->close();
        QTRY_COMPARE(sender.UploadSocket()->state(), QAbstractSocket::UnconnectedState);
        QTRY_VERIFY(!window.closedSources.isEmpty());
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
        NoticeRecorder window;
        PositionSender sender(&window);
        sender.SetUploadRetryMs(kPeriodMs);

        // The first attempt starts within StartUpload; each later one with
        // the socket's host lookup, in the Send that starts it.
        QElapsedTimer clock;
        clock.start();
        QList<qint64> startsNs{0};
        sender.StartUpload("127.0.0.1", port);
        connect(sender.UploadSocket(), &QAbstractSocket::stateChanged, &window,
            [&](QAbstractSocket::SocketState state) {
                if (state == QAbstractSocket::HostLookupState)
                    startsNs << clock.nsecsElapsed();
            });
        // A line every few milliseconds, far more often than the period.
        int lines = 0;
        QTimer feed;
        connect(&feed, &QTimer::timeout, &window, [&] {
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
        NoticeRecorder window;
        PositionSender sender(&window);
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::Any, 0));
        QVERIFY(!sender.StartForwarding(other.serverPort()) && !sender.Forwarding());
        const quint16 port = FreePort();
        QVERIFY(sender.StartForwarding(port));
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
        QTRY_VERIFY(window.statusLines.contains("[TCP] a client is disconnected (" + stalledPeer + ")"));

        for (int k = 0; k < kRoundLines; ++k)
            sender.Send(line);
        sent += kRoundLines;
        QTRY_VERIFY((got += healthy.readAll()).size() >= sent * qint64(line.size()));
        QCOMPARE(got.size(), sent * qint64(line.size()));
        QVERIFY(got == QByteArray::fromStdString(line).repeated(sent));
    }
};

QTEST_GUILESS_MAIN(TestPositionSender)
#include "tst_positionsender.moc"
