#include <QtTest>

#include "AppTestSupport.h"

using namespace orvane;

class TestConfig : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;

    // Writes config.ini (or removes it for a null text) and reads a group.
    bool Read(int group, const QByteArray* ini, QStringList& lines)
    {
        QFile::remove(m_Folder.filePath("config.ini"));
        if (ini && WriteFile(m_Folder, "config.ini", *ini).isEmpty())
            return false;
        return ReadConfig(group, [&lines](const QString& line) { lines.append(line); });
    }

private slots:
    void init()
    {
        ConfigSettings = ConfigRecord{};
        SetConfigFolder(m_Folder.path());
    }

    void cleanupTestCase() { SetConfigFolder(QString()); }

    void readGroup_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("result");

        const auto row = [](const char* name, int group, const char* ini, QStringList lines, bool result) {
            QTest::newRow(name) << group << QByteArray(ini) << lines << result;
        };
        // Serial port.
        row("uart valid", 1, "[uart]\nport=ttyUSB0\nbaudrate=9600\n",
            {"[Config] uart/port = ttyUSB0 (ok)", "[Config] uart/baudrate = 9600 (ok)"}, true);
        row("baud 1200", 1, "[uart]\nport=COM7\nbaudrate=1200\n",
            {"[Config] uart/port = COM7 (ok)", "[Config] uart/baudrate = 1200 (ok)"}, true);
        row("baud 115200", 1, "[uart]\nport=COM7\nbaudrate=115200\n",
            {"[Config] uart/port = COM7 (ok)", "[Config] uart/baudrate = 115200 (ok)"}, true);
        row("baud 5000", 1, "[uart]\nport=COM7\nbaudrate=5000\n",
            {"[Config] uart/port = COM7 (ok)", "[Config] uart/baudrate = 5000 (ok)"}, true);
        row("baud 1199", 1, "[uart]\nport=COM7\nbaudrate=1199\n",
            {"[Config] uart/port = COM7 (ok)", "[Config] uart/baudrate = 115200 (default)"}, false);
        row("baud 115201", 1, "[uart]\nport=COM7\nbaudrate=115201\n",
            {"[Config] uart/port = COM7 (ok)", "[Config] uart/baudrate = 115200 (default)"}, false);
        row("baud marker", 1, "[uart]\nport=COM7\nbaudrate=747\n",
            {"[Config] uart/port = COM7 (ok)", "[Config] uart/baudrate = 115200 (default)"}, false);
        row("baud not a number", 1, "[UART]\nPORT=ttyS1\nbaudrate=fast\n",
            {"[Config] uart/port = ttyS1 (ok)", "[Config] uart/baudrate = 115200 (default)"}, false);
        row("port missing", 1, "[uart]\nbaudrate=9600\n", {"[Config] uart/port = COM3 (default)"}, false);
        row("port short", 1, "[uart]\nport=S1\nbaudrate=9600\n", {"[Config] uart/port = COM3 (default)"}, false);
        row("port marker", 1, "[uart]\nport=ZVQ\nbaudrate=9600\n", {"[Config] uart/port = COM3 (default)"}, false);
        // TCP input.
        row("input 21", 2, "[server]\ninputport=21\n", {"[Config] server/inputport = 21 (ok)"}, true);
        row("input 65534", 2, "[server]\ninputport=65534\n", {"[Config] server/inputport = 65534 (ok)"}, true);
        row("input 20", 2, "[server]\ninputport=20\n", {"[Config] server/inputport = 22 (default)"}, false);
        row("input 65535", 2, "[server]\ninputport=65535\n", {"[Config] server/inputport = 22 (default)"}, false);
        row("input 747", 2, "[server]\ninputport=747\n", {"[Config] server/inputport = 22 (default)"}, false);
        row("input missing", 2, "[client]\ninputport=10110\n", {"[Config] server/inputport = 22 (default)"}, false);
        // Forwarding.
        row("output unused", 3, "[server]\noutputport=0\noutputformat=NMEA\n",
            {"[Config] server/outputport = 0 (unused)"}, false);
        row("output valid", 3, "[server]\noutputport=10111\noutputformat=NMEA\n",
            {"[Config] server/outputport = 10111 (ok)", "[Config] server/outputformat = NMEA (ok)"}, true);
        row("output port missing", 3, "[server]\noutputformat=NMEA\n",
            {"[Config] server/outputport = 22 (default)", "[Config] server/outputformat = NMEA (ok)"}, true);
        row("output port out of range", 3, "[server]\noutputport=65535\noutputformat=JSON\n",
            {"[Config] server/outputport = 22 (default)", "[Config] server/outputformat = JSON (ok)"}, true);
        row("format short", 3, "[server]\noutputport=10111\noutputformat=NM\n",
            {"[Config] server/outputport = 10111 (ok)", "[Config] server/outputformat = NMEA (default)"}, false);
        row("format marker", 3, "[server]\noutputport=10111\noutputformat=ZVQ\n",
            {"[Config] server/outputport = 10111 (ok)", "[Config] server/outputformat = NMEA (default)"}, false);
        // Upload.
        row("upload valid", 4, "[client]\nurl=gnss.example.net\nport=5000\nvin=KMHXX00XXXX000000\n",
            {"[Config] cient/url = gnss.example.net (ok)", "[Config] client/port = 5000 (ok)",
             "[Config] cient/vin = KMHXX00XXXX000000 (ok)"},
            true);
        row("url short", 4, "[client]\nurl=abcd\nport=5000\nvin=KMHXX00XXXX000000\n",
            {"[Config] cient/url = upload.example.com (default)"}, false);
        row("upload port 20", 4, "[client]\nurl=gnss.example.net\nport=20\nvin=KMHXX00XXXX000000\n",
            {"[Config] cient/url = gnss.example.net (ok)", "[Config] client/port = 22 (default)"}, false);
        row("vin missing", 4, "[client]\nurl=gnss.example.net\nport=5000\n",
            {"[Config] cient/url = gnss.example.net (ok)", "[Config] client/port = 5000 (ok)",
             "[Config] cient/vin = ZYXWVUTS987654321 (default)"},
            false);
        // Map pages.
        row("map count 10", 5, "[map]\ncount=10\nurl1=a.html\n", {"[Config] map/count = 3 (default)"}, false);
        row("map count 0", 5, "[map]\ncount=0\n", {"[Config] map/count = 0 (ok)"}, true);
        row("map count negative", 5, "[map]\ncount=-1\nurl1=a.html\n", {"[Config] map/count = 3 (default)"}, false);
        row("map count missing", 5, "[map]\nurl1=a.html\n", {"[Config] map/count = 3 (default)"}, false);
        row("map url1 only", 5, "[map]\ncount=3\nurl1=a.html\n", {"[Config] map/count = 3 (ok)"}, true);
        row("map url1 empty", 5, "[map]\ncount=3\nurl1=\nurl2=b.html\n", {"[Config] map/count = 3 (ok)"}, false);
    }

    void readGroup()
    {
        QFETCH(int, group);
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, lines);
        QFETCH(bool, result);
        QStringList written;
        QCOMPARE(Read(group, &ini, written), result);
        QCOMPARE(written, lines);
    }

    void missingFileMakesEveryGroupFail_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("uart") << 1 << QStringList{"[Config] uart/port = COM3 (default)"};
        QTest::newRow("input") << 2 << QStringList{"[Config] server/inputport = 22 (default)"};
        QTest::newRow("forwarding") << 3
                                    << QStringList{"[Config] server/outputport = 22 (default)",
                                                   "[Config] server/outputformat = NMEA (default)"};
        QTest::newRow("upload") << 4 << QStringList{"[Config] cient/url = upload.example.com (default)"};
        QTest::newRow("map") << 5 << QStringList{"[Config] map/count = 3 (default)"};
    }

    void missingFileMakesEveryGroupFail()
    {
        QFETCH(int, group);
        QFETCH(QStringList, lines);
        QStringList written;
        QVERIFY(!Read(group, nullptr, written));
        QCOMPARE(written, lines);
    }

    void rejectedValueKeepsTheLastAcceptedOne()
    {
        QStringList lines;
        const QByteArray good = "[uart]\nport=ttyACM0\nbaudrate=9600\n";
        const QByteArray bad = "[uart]\nport=ttyACM0\nbaudrate=1199\n";
        QVERIFY(Read(1, &good, lines));
        QVERIFY(!Read(1, &bad, lines));
        QCOMPARE(lines.last(), QString("[Config] uart/baudrate = 9600 (default)"));
        QCOMPARE(ConfigSettings.UartBaudrate, 9600);
    }

    void mapPagesAreStoredWhole()
    {
        QStringList lines;
        const QByteArray three = "[map]\ncount=3\nurl1=maps/track.html?a=1;b=2 # kept\nurl2=second.html\n"
                                 "url1=ignored.html\n";
        QVERIFY(Read(5, &three, lines));
        QCOMPARE(ConfigSettings.MapCount, 3u);
        QCOMPARE(ConfigSettings.MapUrls[0], QString("maps/track.html?a=1;b=2 # kept"));
        QCOMPARE(ConfigSettings.MapUrls[1], QString("second.html"));
        QCOMPARE(ConfigSettings.MapUrls[2], QString());

        // url1 empty: false, but the count is taken and the pages stay.
        const QByteArray empty = "[map]\ncount=5\nurl1=\n";
        QVERIFY(!Read(5, &empty, lines));
        QCOMPARE(ConfigSettings.MapCount, 5u);
        QCOMPARE(ConfigSettings.MapUrls[1], QString("second.html"));
    }

    void longTextIsCut()
    {
        QStringList lines;
        const QByteArray ini = "[server]\noutputport=10111\noutputformat=" + QByteArray(400, 'x') + "\n";
        QVERIFY(Read(3, &ini, lines));
        QCOMPARE(ConfigSettings.ServerOutputFormat, QString(259, 'x'));
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
