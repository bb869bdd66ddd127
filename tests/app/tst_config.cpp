#include <QtTest>

#include "AppTestSupport.h"

using namespace orvane;

class TestConfig : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;

    // Writes config.ini (or removes it for a null text) and reads a group.
    bool Read(int group, const QByteArray& ini, QStringList& lines)
    {
        QFile::remove(m_Folder.filePath("config.ini"));
        if (!ini.isNull() && WriteFile(m_Folder, "config.ini", ini).isEmpty())
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

    // Each group's keys at and past their bounds, missing, and equal to the
    // marker that counts as missing. The lines go without "[Config] ".
    void readGroup_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<bool>("result");
        const auto row = [](const char* name, int group, const char* ini, const QString& lines, bool result) {
            QTest::newRow(name) << group << (ini ? QByteArray(ini) : QByteArray()) << lines << result;
        };
        const QString port7 = "uart/port = COM7 (ok)|uart/baudrate = ";
        row("uart valid", 1, "[uart]\nport=ttyUSB0\nbaudrate=9600\n",
            "uart/port = ttyUSB0 (ok)|uart/baudrate = 9600 (ok)", true);
        row("baud 1200", 1, "[uart]\nport=COM7\nbaudrate=1200\n", port7 + "1200 (ok)", true);
        row("baud 115200", 1, "[uart]\nport=COM7\nbaudrate=115200\n", port7 + "115200 (ok)", true);
        row("baud 1199", 1, "[uart]\nport=COM7\nbaudrate=1199\n", port7 + "115200 (default)", false);
        row("baud 115201", 1, "[uart]\nport=COM7\nbaudrate=115201\n", port7 + "115200 (default)", false);
        row("baud marker", 1, "[uart]\nport=COM7\nbaudrate=747\n", port7 + "115200 (default)", false);
        row("baud not a number", 1, "[UART]\nPORT=ttyS1\nbaudrate=fast\n",
            "uart/port = ttyS1 (ok)|uart/baudrate = 115200 (default)", false);
        row("port missing", 1, "[uart]\nbaudrate=9600\n", "uart/port = COM3 (default)", false);
        row("port short", 1, "[uart]\nport=S1\nbaudrate=9600\n", "uart/port = COM3 (default)", false);
        row("port marker", 1, "[uart]\nport=ZVQ\nbaudrate=9600\n", "uart/port = COM3 (default)", false);
        row("input 21", 2, "[server]\ninputport=21\n", "server/inputport = 21 (ok)", true);
        row("input 65534", 2, "[server]\ninputport=65534\n", "server/inputport = 65534 (ok)", true);
        row("input 20", 2, "[server]\ninputport=20\n", "server/inputport = 22 (default)", false);
        row("input 65535", 2, "[server]\ninputport=65535\n", "server/inputport = 22 (default)", false);
        row("input missing", 2, "[client]\ninputport=10110\n", "server/inputport = 22 (default)", false);
        row("output unused", 3, "[server]\noutputport=0\noutputformat=NMEA\n", "server/outputport = 0 (unused)", false);
        row("output valid", 3, "[server]\noutputport=10111\noutputformat=NMEA\n",
            "server/outputport = 10111 (ok)|server/outputformat = NMEA (ok)", true);
        row("output port missing", 3, "[server]\noutputformat=NMEA\n",
            "server/outputport = 22 (default)|server/outputformat = NMEA (ok)", true);
        row("output port out of range", 3, "[server]\noutputport=65535\noutputformat=JSON\n",
            "server/outputport = 22 (default)|server/outputformat = JSON (ok)", true);
        row("format short", 3, "[server]\noutputport=10111\noutputformat=NM\n",
            "server/outputport = 10111 (ok)|server/outputformat = NMEA (default)", false);
        row("no file", 3, nullptr, "server/outputport = 22 (default)|server/outputformat = NMEA (default)", false);
        row("upload valid", 4, "[client]\nurl=gnss.example.net\nport=5000\nvin=KMHXX00XXXX000000\n",
            "cient/url = gnss.example.net (ok)|client/port = 5000 (ok)|cient/vin = KMHXX00XXXX000000 (ok)", true);
        row("url short", 4, "[client]\nurl=abcd\nport=5000\nvin=KMHXX00XXXX000000\n",
            "cient/url = upload.example.com (default)", false);
        row("upload port 20", 4, "[client]\nurl=gnss.example.net\nport=20\nvin=KMHXX00XXXX000000\n",
            "cient/url = gnss.example.net (ok)|client/port = 22 (default)", false);
        row("vin missing", 4, "[client]\nurl=gnss.example.net\nport=5000\n",
            "cient/url = gnss.example.net (ok)|client/port = 5000 (ok)|cient/vin = ZYXWVUTS987654321 (default)", false);
        row("map count 10", 5, "[map]\ncount=10\nurl1=a.html\n", "map/count = 3 (default)", false);
        row("map count 0", 5, "[map]\ncount=0\n", "map/count = 0 (ok)", true);
        row("map count negative", 5, "[map]\ncount=-1\nurl1=a.html\n", "map/count = 3 (default)", false);
        row("map count missing", 5, "[map]\nurl1=a.html\n", "map/count = 3 (default)", false);
        row("map url1 only", 5, "[map]\ncount=3\nurl1=a.html\n", "map/count = 3 (ok)", true);
        row("map url1 empty", 5, "[map]\ncount=3\nurl1=\nurl2=b.html\n", "map/count = 3 (ok)", false);
    }
    void readGroup()
    {
        QFETCH(int, group);
        QFETCH(QByteArray, ini);
        QFETCH(QString, lines);
        QFETCH(bool, result);
        QStringList written;
        QCOMPARE(Read(group, ini, written), result);
        QCOMPARE(written.join('|').remove("[Config] "), lines);
    }

    void rejectedValueKeepsTheLastAcceptedOne()
    {
        QStringList lines;
        QVERIFY(Read(1, "[uart]\nport=ttyACM0\nbaudrate=9600\n", lines));
        QVERIFY(!Read(1, "[uart]\nport=ttyACM0\nbaudrate=1199\n", lines));
        QCOMPARE(lines.last(), QString("[Config] uart/baudrate = 9600 (default)"));
        QCOMPARE(ConfigSettings.UartBaudrate, 9600);
    }

    // A value is taken whole, ';' and '#' included, and cut at 259
    // characters; the first of two equal keys wins.
    void valuesAreStoredWhole()
    {
        QStringList lines;
        QVERIFY(Read(5, "[map]\ncount=3\nurl1=maps/track.html?a=1;b=2 # kept\nurl2=second.html\nurl1=ignored.html\n",
            lines));
        QCOMPARE(ConfigSettings.MapCount, 3u);
        QCOMPARE(ConfigSettings.MapUrls[0], QString("maps/track.html?a=1;b=2 # kept"));
        QCOMPARE(ConfigSettings.MapUrls[1], QString("second.html"));
        QCOMPARE(ConfigSettings.MapUrls[2], QString());

        // url1 empty: false, but the count is taken and the pages stay.
        QVERIFY(!Read(5, "[map]\ncount=5\nurl1=\n", lines));
        QCOMPARE(ConfigSettings.MapCount, 5u);
        QCOMPARE(ConfigSettings.MapUrls[1], QString("second.html"));

        QVERIFY(Read(3, "[server]\noutputport=10111\noutputformat=" + QByteArray(400, 'x') + "\n", lines));
        QCOMPARE(ConfigSettings.ServerOutputFormat, QString(259, 'x'));
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
