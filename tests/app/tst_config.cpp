// SPDX-License-Identifier: GPL-3.0-or-later
// Reading config.ini without the window: each group's keys and lines, the
// live sources' group, the servers' listen address on real sockets, and
// where config.ini, map pages and recordings are looked for in a temporary
// installation prefix.

#include <QtTest>

#include <QTcpSocket>

#include "../common/LoopbackPort.h"
#include "AppTestSupport.h"
#include "LookupOrder.h"
#include "MapPageLookup.h"
#include "SourcesConfig.h"
#include "WebBrowser2.h"
#include "live/NetworkServer.h"
#include "live/PositionSender.h"
#include "live/Recording.h"
#include "live/StandardFolders.h"

using namespace orvane;

namespace {

bool Touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("[map]\ncount=0\n") > 0;
}

// Whether a client reaches the port at the address.
bool Reaches(const QHostAddress& address, quint16 port)
{
    QTcpSocket client;
    client.connectToHost(address, port);
    return client.waitForConnected(3000);
}

}  // namespace

class TestConfig : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;
    QTemporaryDir m_Prefix;  // an installation: usr/bin, its data folder and a home
    QString m_Bin;
    QString m_Data;

    // Writes config.ini (or removes it for a null text) and reads a group.
    bool Read(int group, const QByteArray& ini, QStringList& lines)
    {
        QFile::remove(m_Folder.filePath("config.ini"));
        if (!ini.isNull() && WriteFile(m_Folder, "config.ini", ini).isEmpty())
            return false;
        return ReadConfig(group, [&lines](const QString& line) { lines.append(line); });
    }

private slots:
    void initTestCase()
    {
        m_Bin = m_Prefix.filePath("usr/bin");
        m_Data = InstalledDataFolder(m_Bin);
        QVERIFY(QDir().mkpath(m_Bin) && QDir().mkpath(m_Data) && QDir().mkpath(m_Prefix.filePath("home")));
        // The data folder lies outside bin/, within the prefix.
        QVERIFY(m_Data.startsWith(m_Prefix.path() + "/") && !m_Data.startsWith(m_Bin));
        qputenv("HOME", QFile::encodeName(m_Prefix.filePath("home")));
    }

    void init()
    {
        ConfigSettings = ConfigRecord{};
        SetConfigFolder(m_Folder.path());
    }

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
        row("input huge", 2, "[server]\ninputport=99999999999999999999999999\n", "server/inputport = 22 (default)",
            false);
        row("input negative", 2, "[server]\ninputport=-10110\n", "server/inputport = 22 (default)", false);
        QByteArray manyKeys = "[server]\n";
        for (int k = 0; k < 10000; ++k)
            manyKeys += "key" + QByteArray::number(k) + "=" + QByteArray::number(k) + "\n";
        QTest::newRow("input after 10,000 keys") << 2 << manyKeys + "inputport=-1\n"
                                                 << "server/inputport = 22 (default)" << false;
        row("output unused", 3, "[server]\noutputport=0\noutputformat=NMEA\n", "server/outputport = 0 (unused)", false);
        row("output valid", 3, "[server]\noutputport=10111\noutputformat=NMEA\n",
            "server/outputport = 10111 (ok)|server/outputformat = NMEA (ok)", true);
        // A port missing (the key misspelt) or refused keeps forwarding off,
        // instead of opening port 22 on every address.
        const QString off =
            "|data forwarding is off: server/outputport is missing or not a port from 21 to 65534 "
            "(0 turns it off)";
        row("output port misspelt outputprot", 3, "[server]\noutputprot=10111\noutputformat=NMEA\n",
            "server/outputport = 22 (default)|server/outputformat = NMEA (ok)" + off, false);
        row("output port out of range", 3, "[server]\noutputport=65535\noutputformat=JSON\n",
            "server/outputport = 22 (default)|server/outputformat = JSON (ok)" + off, false);
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

    // A rejected value keeps the last accepted one. A value is taken whole,
    // ';' and '#' included, and cut at 259 characters; the first of two
    // equal keys wins.
    void valuesAreStoredWhole()
    {
        QStringList lines;
        QVERIFY(Read(1, "[uart]\nport=ttyACM0\nbaudrate=9600\n", lines));
        QVERIFY(!Read(1, "[uart]\nport=ttyACM0\nbaudrate=1199\n", lines));
        QCOMPARE(lines.last(), QString("[Config] uart/baudrate = 9600 (default)"));
        QCOMPARE(ConfigSettings.UartBaudrate, 9600);

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

    // The servers' listen address: absent, every address and no line; an
    // address, that address alone; anything else, the server stays closed.
    // Both servers read the key with their group and listen where it says.
    void listenAddress_data()
    {
        QTest::addColumn<QByteArray>("value");   // the key's line; empty: no key
        QTest::addColumn<QString>("line");       // empty: none, or the server stays closed
        QTest::addColumn<bool>("loopbackOnly");  // 127.0.0.2 refused
        QTest::newRow("absent") << QByteArray() << "" << false;
        QTest::newRow("loopback") << QByteArray("listenaddress=127.0.0.1") << "127.0.0.1 (ok)" << true;
        QTest::newRow("localhost") << QByteArray("ListenAddress= localhost ") << "localhost (ok)" << true;
        QTest::newRow("every address") << QByteArray("listenaddress=0.0.0.0") << "0.0.0.0 (ok)" << false;
        QTest::newRow("not an address") << QByteArray("listenaddress=127.0.0.1; rm") << "127.0.0.1; rm (not an address)"
                                        << false;
    }
    void listenAddress()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, line);
        QFETCH(bool, loopbackOnly);
        const quint16 port = FreePort();
        const QByteArray ports = QByteArray::number(port);
        QVERIFY(!WriteFile(m_Folder, "config.ini",
            "[server]\ninputport=" + ports + "\noutputport=" + ports + "\noutputformat=NMEA\n" + value + "\n")
                     .isEmpty());
        QStringList lines{QString("[Config] server/inputport = %1 (ok)").arg(port)};
        if (!value.isEmpty())
            lines << "[Config] server/listenaddress = " + line;
        const bool usable = !line.endsWith("(not an address)");
        QStringList read;
        QCOMPARE(ReadConfig(kConfigTcpInput, [&read](const QString& text) { read.append(text); }), usable);
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
        QVERIFY(ReadConfig(kConfigForwarding, [&read](const QString& text) { read.append(text); }));
        QCOMPARE(read.last(), value.isEmpty() ? QString("[Config] server/outputformat = NMEA (ok)") : lines.last());
        PositionSender sender(this);
        QVERIFY(sender.StartForwarding(quint16(ConfigSettings.ServerOutputPort), ServerListenAddress()));
        QVERIFY(Reaches(QHostAddress::LocalHost, port));
        QCOMPARE(Reaches(QHostAddress("127.0.0.2"), port), !loopbackOnly);
    }

    // The forms a live source's host and port may take, and those refused.
    void hostAndPort_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read");  // host:port; empty: refused
        QTest::newRow("name") << "gps.local"
                              << "gps.local:2947";
        QTest::newRow("name:port") << "gps.local:10110"
                                   << "gps.local:10110";
        QTest::newRow("bare ipv6") << "fe80::1"
                                   << "fe80::1:2947";
        QTest::newRow("[ipv6]:port") << "[::1]:5000"
                                     << "::1:5000";
        QTest::newRow("[ipv6]") << "[::1]"
                                << "::1:2947";
        for (const char* refused : {":10110", "host:", "host:65536", "host:80x", "my host:80", "a:b:c", "[::1]x80"})
            QTest::newRow(refused) << refused << "";
    }
    void hostAndPort()
    {
        QFETCH(QString, text);
        QFETCH(QString, read);
        QString host = "unchanged";
        quint16 port = 1;
        QCOMPARE(ParseHostPort(text, 2947, host, port), !read.isEmpty());
        QCOMPARE(host + ':' + QString::number(port), read.isEmpty() ? QString("unchanged:1") : read);
    }

    // The sources group as the shipped file documents it: each present key
    // writes one line, a missing one none; a refused value leaves its source
    // off. The shipped file leaves every source off.
    void sourcesGroup_data()
    {
        QTest::addColumn<QString>("ini");  // a file name, or the file's text
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("settings");
        QTest::newRow("shipped file") << ORVANE_SHIPPED_CONFIG << QStringList{} << "||0";
        QTest::newRow("no group") << "[server]\ninputport=10110\n" << QStringList{} << "||0";
        QTest::newRow("commented out") << "[sources]\n;tcp=a:1\n;udp=10110\n" << QStringList{} << "||0";
        QTest::newRow("all three") << "[SOURCES]\nTcp=10.0.0.5\ngpsd = localhost:2948\nudp=on\ntcp=ignored:1\n"
                                   << QStringList{"[Config] sources/tcp = 10.0.0.5 (ok)",
                                          "[Config] sources/gpsd = localhost:2948 (ok)",
                                          "[Config] sources/udp = on (ok)"}
                                   << "10.0.0.5:10110|localhost:2948|10110";
        QTest::newRow("refused values")
            << "[sources]\ntcp=\ngpsd=a b\nudp=70000\n"
            << QStringList{"[Config] sources/tcp =  (unused: not host or host:port, port 1 to 65535)",
                   "[Config] sources/gpsd = a b (unused: not host or host:port, port 1 to 65535)",
                   "[Config] sources/udp = 70000 (unused: not a port 1 to 65535 or on)"}
            << "||0";
        const QString unknown = " (unknown key: tcp, gpsd and udp are read)";
        QTest::newRow("misspelt keys upd and gspd")
            << "[sources]\nupd=10110\ngspd=localhost\n"
            << QStringList{"[Config] sources/upd = 10110" + unknown, "[Config] sources/gspd = localhost" + unknown}
            << "||0";
        QTest::newRow("udp on the listen address")
            << "[server]\nlistenaddress=127.0.0.1\n[sources]\nudp=10111\n"
            << QStringList{"[Config] sources/udp = 10111 (ok)"} << "||10111@127.0.0.1";
        QTest::newRow("udp with a listen address that is none")
            << "[server]\nlistenaddress=nowhere\n[sources]\nudp=on\n"
            << QStringList{"[Config] sources/udp = on (unused: server/listenaddress is not an address)"} << "||0";
    }
    void sourcesGroup()
    {
        QFETCH(QString, ini);
        QFETCH(QStringList, lines);
        QFETCH(QString, settings);
        const QString path = ini.startsWith('/') ? ini : WriteFile(m_Folder, "config.ini", ini.toUtf8());
        QStringList written;
        const LiveSourceSettings read = ReadSourcesConfig(path, [&](const QString& line) { written << line; });
        QCOMPARE(written, lines);
        const auto hostPort = [](const QString& host, quint16 port) {
            return host.isEmpty() ? QString() : host + ':' + QString::number(port);
        };
        const QString udpAddress = read.udpPort == 0 || read.udpAddress == QHostAddress(QHostAddress::Any)
                                       ? QString()
                                       : '@' + read.udpAddress.toString();
        QCOMPARE(hostPort(read.nmeaServerHost, read.nmeaServerPort) + '|' + hostPort(read.gpsdHost, read.gpsdPort) +
                     '|' + QString::number(read.udpPort) + udpAddress,
            settings);
    }

    // The XDG variables count only as absolute paths.
    void userFolders_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("taken");
        QTest::newRow("unset") << QByteArray() << false;
        QTest::newRow("relative") << QByteArray("rel/x") << false;
        QTest::newRow("absolute") << QByteArray("/srv/x/") << true;
    }
    void userFolders()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, taken);
        qputenv("XDG_CONFIG_HOME", value);
        qputenv("XDG_DATA_HOME", value);
        const QString home = m_Prefix.filePath("home");
        QCOMPARE(XdgConfigHome(), taken ? QString("/srv/x") : home + "/.config");
        QCOMPARE(XdgDataHome(), taken ? QString("/srv/x") : home + "/.local/share");
    }

    // config.ini beside the program, then the user's, then the installed
    // default. The start-up line names the file, and says when there is
    // none.
    void configFile_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("found");
        QTest::newRow("all three") << QStringList{"bin", "user", "data"} << "bin";
        QTest::newRow("user and installed") << QStringList{"user", "data"} << "user";
        QTest::newRow("installed only") << QStringList{"data"} << "data";
        QTest::newRow("none") << QStringList{} << "";
    }
    void configFile()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, found);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_Prefix.filePath("xdg")));
        const QMap<QString, QString> files{{"bin", m_Bin + "/config.ini"},
            {"user", m_Prefix.filePath("xdg/orvane/config.ini")}, {"data", m_Data + "/config.ini"}};
        for (const QString& where : files.keys()) {
            QFile::remove(files[where]);
            if (present.contains(where))
                QVERIFY(Touch(files[where]));
        }
        const QString file = FindInFolders(ConfigFolders(m_Bin), "config.ini");
        QCOMPARE(file, files.value(found));
        const QString folder = file.isEmpty() ? m_Bin : QFileInfo(file).path();
        SetConfigFolder(folder);
        const QString state = file.isEmpty() ? "missing" : "ok";
        QCOMPARE(ConfigFileLine(), QString("[Config] file = %1/config.ini (%2)").arg(folder, state));
    }

    // A relative page beside the program wins; else the installed one;
    // absolute paths and URLs are taken as they are; "#" and "?" in a path
    // stay in the file name; no value is the empty page.
    void mapPage_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("url");  // bin/ and data/: a file there
        QTest::newRow("both") << "maps/p.html" << QStringList{"bin", "data"} << "bin/maps/p.html";
        QTest::newRow("installed") << "maps/p.html" << QStringList{"data"} << "data/maps/p.html";
        QTest::newRow("nowhere") << "maps/p.html" << QStringList{} << "bin/maps/p.html";
        QTest::newRow("dotted") << "./maps/../maps/p.html" << QStringList{"data"} << "data/maps/p.html";
        QTest::newRow("parent") << "../m/a b.html" << QStringList{} << "bin/../m/a b.html";
        QTest::newRow("hash") << "maps/a#1.html?x" << QStringList{} << "bin/maps/a#1.html?x";
        QTest::newRow("absolute") << "/srv/p.html" << QStringList{"data"} << "file:///srv/p.html";
        QTest::newRow("url") << "https://example.org/p?x=1" << QStringList{"bin"} << "https://example.org/p?x=1";
        QTest::newRow("empty") << "" << QStringList{} << "about:blank";
    }
    void mapPage()
    {
        QFETCH(QString, value);
        QFETCH(QStringList, present);
        QFETCH(QString, url);
        for (const QString& where : {QString("bin"), QString("data")}) {
            const QString page = (where == "bin" ? m_Bin : m_Data) + "/maps/p.html";
            QFile::remove(page);
            if (present.contains(where))
                QVERIFY(Touch(page));
        }
        const QString folder = url.startsWith("bin/") ? m_Bin : url.startsWith("data/") ? m_Data : QString();
        const QUrl expected =
            folder.isEmpty() ? QUrl(url) : QUrl::fromLocalFile(QDir::cleanPath(folder + url.mid(url.indexOf('/'))));
        QCOMPARE(MapPageUrl(value, MapPageFolders(m_Bin)), expected);
    }

    // The program's folder when it can be written and is a build's, else
    // the user's: an installed program (in /usr/bin, run as root, or
    // beside an installation's data folder) never records among its files.
    void recordingFolder()
    {
        const QString user = "/home/u/.local/share/orvane/recordings";
        const QString dataConfig = m_Data + "/config.ini";
        QFile::remove(dataConfig);
        QCOMPARE(ChooseRecordingFolder(m_Bin, "/home/u/.local/share"), m_Bin);
        QCOMPARE(ChooseRecordingFolder(m_Prefix.filePath("gone"), "/home/u/.local/share"), user);
        QCOMPARE(ChooseRecordingFolder("/usr/bin", "/home/u/.local/share"), user);
        QCOMPARE(ChooseRecordingFolder("/usr/local/bin/", "/home/u/.local/share"), user);
        QVERIFY(Touch(dataConfig));
        QCOMPARE(ChooseRecordingFolder(m_Bin, "/home/u/.local/share"), user);
        QVERIFY(Touch(m_Bin + "/config.ini"));
        QCOMPARE(ChooseRecordingFolder(m_Bin, "/home/u/.local/share"), m_Bin);
        QFile::remove(m_Bin + "/config.ini");
        QFile::remove(dataConfig);
    }

    // The numbers given to a page's script read back as the same double.
    void scriptNumbersReadBackExactly()
    {
        for (double v : {37.5554652, -126.9715542, 0.1, 1e-300, -0.0, 359.99999999999994}) {
            bool ok = false;
            const double back = ScriptNumber(v).toDouble(&ok);
            QVERIFY2(ok && back == v, qPrintable(ScriptNumber(v)));
        }
        QCOMPARE(ScriptNumber(std::numeric_limits<double>::quiet_NaN()), QString("NaN"));
        QCOMPARE(ScriptNumber(-std::numeric_limits<double>::infinity()), QString("-Infinity"));
    }

    void cleanupTestCase() { SetConfigFolder(QString()); }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
