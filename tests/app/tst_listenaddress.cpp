// The servers' listen address from config.ini: absent, every address and no
// line; an address, that address alone; anything else, the server stays
// closed.

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include "../common/LoopbackPort.h"
#include "AppTestSupport.h"
#include "live/NetworkServer.h"
#include "live/PositionSender.h"

using namespace orvane;

namespace {

// Whether a client reaches the port at the address.
bool Reaches(const QHostAddress& address, quint16 port)
{
    QTcpSocket client;
    client.connectToHost(address, port);
    return client.waitForConnected(3000);
}

}  // namespace

class TestListenAddress : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;

private slots:
    void initTestCase() { SetConfigFolder(m_Folder.path()); }
    void init() { ConfigSettings = ConfigRecord{}; }

    void readsKey_data()
    {
        QTest::addColumn<QByteArray>("value");  // the key's line; empty: no key
        QTest::addColumn<bool>("usable");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("loopbackOnly");  // 127.0.0.2 refused
        QTest::newRow("absent") << QByteArray() << true << QStringList{"[Config] server/inputport = %1 (ok)"} << false;
        QTest::newRow("loopback") << QByteArray("listenaddress=127.0.0.1") << true
                                  << QStringList{"[Config] server/inputport = %1 (ok)",
                                         "[Config] server/listenaddress = 127.0.0.1 (ok)"}
                                  << true;
        QTest::newRow("localhost") << QByteArray("ListenAddress= localhost ") << true
                                   << QStringList{"[Config] server/inputport = %1 (ok)",
                                          "[Config] server/listenaddress = localhost (ok)"}
                                   << true;
        QTest::newRow("every address") << QByteArray("listenaddress=0.0.0.0") << true
                                       << QStringList{"[Config] server/inputport = %1 (ok)",
                                              "[Config] server/listenaddress = 0.0.0.0 (ok)"}
                                       << false;
        QTest::newRow("not an address") << QByteArray("listenaddress=127.0.0.1; rm") << false
                                        << QStringList{"[Config] server/inputport = %1 (ok)",
                                               "[Config] server/listenaddress = 127.0.0.1; rm (not an address)"}
                                        << false;
    }

    // Both servers read the key with their group and listen where it says.
    void readsKey()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, usable);
        QFETCH(QStringList, lines);
        QFETCH(bool, loopbackOnly);
        const quint16 port = FreePort();
        QVERIFY(!WriteFile(m_Folder, "config.ini",
            "[server]\ninputport=" + QByteArray::number(port) + "\noutputport=" + QByteArray::number(port) +
                "\noutputformat=NMEA\n" + value + "\n")
                     .isEmpty());
        for (QString& line : lines)
            line = line.arg(port);

        QStringList read;
        QCOMPARE(ReadConfig(kConfigTcpInput, [&read](const QString& line) { read.append(line); }), usable);
        QCOMPARE(read, lines);
        if (!usable)
            return;
        {
            CNetworkClient input(this);
            QVERIFY(input.Listen(quint16(ConfigSettings.ServerInputPort), ServerListenAddress()));
            QVERIFY(Reaches(QHostAddress::LocalHost, port));
            QCOMPARE(Reaches(QHostAddress("127.0.0.2"), port), !loopbackOnly);
        }
        read.clear();
        QVERIFY(ReadConfig(kConfigForwarding, [&read](const QString& line) { read.append(line); }));
        QCOMPARE(read.last(), value.isEmpty() ? QString("[Config] server/outputformat = NMEA (ok)") : lines.last());
        PositionSender sender(this);
        QVERIFY(sender.StartForwarding(quint16(ConfigSettings.ServerOutputPort), ServerListenAddress()));
        QVERIFY(Reaches(QHostAddress::LocalHost, port));
        QCOMPARE(Reaches(QHostAddress("127.0.0.2"), port), !loopbackOnly);
    }
};

QTEST_MAIN(TestListenAddress)
#include "tst_listenaddress.moc"
