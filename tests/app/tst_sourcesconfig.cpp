#include <QtTest>

#include "AppTestSupport.h"
#include "SourcesConfig.h"

using namespace orvane;

class TestSourcesConfig : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;

private slots:
    // The forms a host and port may take, and those refused.
    void hostAndPort_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("name") << "gps.local" << true << "gps.local" << 2947;
        QTest::newRow("name:port") << "gps.local:10110" << true << "gps.local" << 10110;
        QTest::newRow("bare ipv6") << "fe80::1" << true << "fe80::1" << 2947;
        QTest::newRow("[ipv6]:port") << "[::1]:5000" << true << "::1" << 5000;
        QTest::newRow("[ipv6]") << "[::1]" << true << "::1" << 2947;
        QTest::newRow("port only") << ":10110" << false << "" << 0;
        QTest::newRow("empty port") << "host:" << false << "" << 0;
        QTest::newRow("port too big") << "host:65536" << false << "" << 0;
        QTest::newRow("port with text") << "host:80x" << false << "" << 0;
        QTest::newRow("blank in host") << "my host:80" << false << "" << 0;
        QTest::newRow("two colons") << "a:b:c" << false << "" << 0;
        QTest::newRow("text after bracket") << "[::1]x80" << false << "" << 0;
    }
    void hostAndPort()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, host);
        QFETCH(int, port);
        QString readHost = "unchanged";
        quint16 readPort = 1;
        QCOMPARE(ParseHostPort(text, 2947, readHost, readPort), ok);
        QCOMPARE(readHost, ok ? host : QString("unchanged"));
        QCOMPARE(int(readPort), ok ? port : 1);
    }

    // The group as the shipped file documents it: each present key writes
    // one line, a missing one none; a value that is refused leaves its
    // source off.
    void readGroup_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("settings");
        QTest::newRow("no group") << QByteArray("[server]\ninputport=10110\n") << QStringList{} << "||0";
        QTest::newRow("commented out") << QByteArray("[sources]\n;tcp=a:1\n;udp=10110\n") << QStringList{} << "||0";
        QTest::newRow("all three") << QByteArray(
                                          "[SOURCES]\nTcp=10.0.0.5\ngpsd = localhost:2948\nudp=on\ntcp=ignored:1\n")
                                   << QStringList{"[Config] sources/tcp = 10.0.0.5 (ok)",
                                          "[Config] sources/gpsd = localhost:2948 (ok)",
                                          "[Config] sources/udp = on (ok)"}
                                   << "10.0.0.5:10110|localhost:2948|10110";
        QTest::newRow("refused values")
            << QByteArray("[sources]\ntcp=\ngpsd=a b\nudp=70000\n")
            << QStringList{"[Config] sources/tcp =  (unused: not host or host:port, port 1 to 65535)",
                   "[Config] sources/gpsd = a b (unused: not host or host:port, port 1 to 65535)",
                   "[Config] sources/udp = 70000 (unused: not a port 1 to 65535 or on)"}
            << "||0";
    }
    void readGroup()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, lines);
        QFETCH(QString, settings);
        const QString path = WriteFile(m_Folder, "config.ini", ini);
        QVERIFY(!path.isEmpty());
        QStringList written;
        const LiveSourceSettings read = ReadSourcesConfig(path, [&](const QString& line) { written << line; });
        QCOMPARE(written, lines);
        const auto hostPort = [](const QString& host, quint16 port) {
            return host.isEmpty() ? QString() : host + ':' + QString::number(port);
        };
        QCOMPARE(hostPort(read.nmeaServerHost, read.nmeaServerPort) + '|' + hostPort(read.gpsdHost, read.gpsdPort) +
                     '|' + QString::number(read.udpPort),
            settings);
    }

    // The shipped file leaves every new source off.
    void shippedFileLeavesSourcesOff()
    {
        QStringList written;
        const LiveSourceSettings read =
            ReadSourcesConfig(ORVANE_SHIPPED_CONFIG, [&](const QString& line) { written << line; });
        QVERIFY(written.isEmpty());
        QVERIFY(read.nmeaServerHost.isEmpty() && read.gpsdHost.isEmpty() && read.udpPort == 0);
    }
};

QTEST_MAIN(TestSourcesConfig)
#include "tst_sourcesconfig.moc"
