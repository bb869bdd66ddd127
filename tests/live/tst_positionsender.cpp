#include <QtTest>

#include <QTcpServer>
#include <QTcpSocket>

#include "NoticeRecorder.h"
#include "live/PositionSender.h"

using namespace orvane;

class TestPositionSender : public QObject {
    Q_OBJECT
private slots:
    void positionLine_data()
    {
        QTest::addColumn<QString>("vin");
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<double>("heading");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("north east, 17-char vin")
            << "ZYXWVUTS987654321" << 37.5 << 127.25 << 90.5 << QByteArray("ZYXWVUTS987654321,37.500000,127.250000,90.50\n");
        QTest::newRow("south west")
            << "ZYXWVUTS987654321" << -37.5 << -127.25 << 90.5 << QByteArray("ZYXWVUTS987654321,-37.500000,-127.250000,90.50\n");
        QTest::newRow("rounding") << "ABCDE" << 37.5554652 << 126.9715542 << 172.005
                                  << QByteArray("ABCDE,37.555465,126.971554,172.00\n");
        QTest::newRow("zero") << "ABCDE" << 0.0 << -0.0 << 0.0 << QByteArray("ABCDE,0.000000,-0.000000,0.00\n");
        QTest::newRow("tiny negative") << "ABCDE" << -0.0000001 << 180.0 << 359.999
                                       << QByteArray("ABCDE,-0.000000,180.000000,360.00\n");
    }
    void positionLine()
    {
        QFETCH(QString, vin);
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        QFETCH(double, heading);
        QFETCH(QByteArray, line);
        QCOMPARE(QByteArray::fromStdString(PositionLine(vin.toStdString(), latitude, longitude, heading)), line);
    }

    // A port already taken cannot forward.
    void portInUse()
    {
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::Any, 0));
        NoticeRecorder window;
        PositionSender sender(&window);
        QVERIFY(!sender.StartForwarding(other.serverPort()));
        QVERIFY(!sender.Forwarding());
        sender.Send("X,1.000000,2.000000,3.00\n");  // nothing to send to, nothing breaks
    }

    // Lines made while the upload is not connected are dropped, not kept;
    // a new attempt waits 5 s after the last one.
    void uploadDropsWhileDisconnected()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        NoticeRecorder window;
        PositionSender sender(&window);
        QVERIFY(sender.StartUpload("127.0.0.1", server.serverPort()));
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket* peer = server.nextPendingConnection();
        QTRY_COMPARE(sender.UploadSocket()->state(), QAbstractSocket::ConnectedState);
        sender.Send("A,1.000000,2.000000,3.00\n");
        QByteArray got;
        QTRY_COMPARE((got += peer->readAll()), QByteArray("A,1.000000,2.000000,3.00\n"));

        // The server ends the connection: the next lines are left out, and
        // no new attempt starts within 5 s of the last.
        peer->close();
        QTRY_COMPARE(sender.UploadSocket()->state(), QAbstractSocket::UnconnectedState);
        QTRY_VERIFY(!window.closedSources.isEmpty());
        const quint64 droppedBefore = sender.UploadLinesDropped();
        for (int k = 0; k < 20; ++k)
            sender.Send("B,1.000000,2.000000,3.00\n");
        QCOMPARE(sender.UploadLinesDropped(), droppedBefore + 20);
        QVERIFY(!server.hasPendingConnections());
        QCOMPARE(sender.UploadSocket()->state(), QAbstractSocket::UnconnectedState);

        // Once 5 s have passed, a line starts one new attempt; it is dropped too.
        QTRY_VERIFY_WITH_TIMEOUT((sender.Send("C,1.000000,2.000000,3.00\n"),
                                  sender.UploadSocket()->state() != QAbstractSocket::UnconnectedState),
                                 8000);
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket* again = server.nextPendingConnection();
        QTRY_COMPARE(sender.UploadSocket()->state(), QAbstractSocket::ConnectedState);
        sender.Send("D,1.000000,2.000000,3.00\n");
        QByteArray later;
        QTRY_COMPARE((later += again->readAll()), QByteArray("D,1.000000,2.000000,3.00\n"));
    }

    // What the upload server sends is posted as received data of a source
    // of its own.
    void uploadDataPosted()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        NoticeRecorder window;
        PositionSender sender(&window);
        QVERIFY(sender.StartUpload("localhost", server.serverPort()));
        QTRY_VERIFY(server.hasPendingConnections());
        QTcpSocket* peer = server.nextPendingConnection();
        QTRY_COMPARE(sender.UploadSocket()->state(), QAbstractSocket::ConnectedState);
        peer->write("$GPRMC,hello*00\r\n");
        QTRY_COMPARE(window.tcpData, QByteArray("$GPRMC,hello*00\r\n"));
        QCOMPARE(window.tcpPeers.first(), QString("127.0.0.1:%1").arg(server.serverPort()));
    }
};

QTEST_GUILESS_MAIN(TestPositionSender)
#include "tst_positionsender.moc"
