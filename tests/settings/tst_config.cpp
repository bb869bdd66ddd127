// SPDX-License-Identifier: GPL-3.0-or-later
// Reading config.ini: each group's keys, lines and record, the live
// sources' group, and where config.ini and map pages are looked for in a
// temporary installation prefix.

#include <QtTest>

#include "settings/Config.h"
#include "settings/LookupOrder.h"
#include "settings/MapPageLookup.h"
#include "settings/NtripConfig.h"
#include "settings/SourcesConfig.h"
#include "settings/StandardFolders.h"

using namespace orvane;

namespace {

bool Touch(const QString& path, const QByteArray& bytes = "[map]\ncount=0\n")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

class TestConfig : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;
    QTemporaryDir m_Prefix;  // an installation: usr/bin, its data folder and a home
    QString m_Bin;
    QString m_Data;

    // Writes config.ini, or removes it for a null text; the path.
    QString WriteConfig(const QByteArray& ini)
    {
        const QString path = m_Folder.filePath("config.ini");
        QFile::remove(path);
        return ini.isNull() || Touch(path, ini) ? path : QString();
    }

    // A record as a row shows it: its fields joined by '|'.
    static QString Shown(const SerialPortConfig& c) { return c.port + '|' + QString::number(c.baudrate); }
    static QString Shown(const TcpInputConfig& c) { return QString::number(c.inputPort) + '|' + c.listenAddress; }
    static QString Shown(const ForwardingConfig& c)
    {
        return QString::number(c.outputPort) + '|' + c.outputFormat + '|' + c.listenAddress;
    }
    static QString Shown(const UploadConfig& c) { return c.url + '|' + QString::number(c.port) + '|' + c.vin; }
    static QString Shown(const MapPagesConfig& c)  // the URLs up to the last one set
    {
        QStringList urls(c.urls.begin(), c.urls.end());
        while (!urls.isEmpty() && urls.constLast().isEmpty())
            urls.removeLast();
        return QString::number(c.count) + '|' + urls.join('|');
    }

    // Reads each text in turn into one record, which starts with its
    // defaults: the lines of every read, the last read's result, and the
    // record at the end.
    template <class Record>
    QString ReadInTurn(const QByteArrayList& inis, QStringList& lines, bool& usable)
    {
        Record record;
        for (const QByteArray& ini : inis) {
            if (WriteConfig(ini).isEmpty())
                return "<unwritten>";
            usable = ReadConfig(record, [&lines](const QString& line) { lines << line; });
        }
        return Shown(record);
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

    void init() { SetConfigFolder(m_Folder.path()); }

    // ini text (read in turn into one record) => status lines => usable =>
    // the record. Each group's keys at and past their bounds, missing, and
    // equal to the marker that counts as missing; a rejected value keeps
    // the last accepted one; a value is taken whole, ';' and '#' included,
    // and cut at 259 characters; the first of two equal keys wins. The
    // lines go without "[Config] ".
    void readGroup_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QByteArrayList>("inis");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<QString>("record");
        const auto row = [](const char* name, const char* group, const QByteArrayList& inis, const QString& lines,
                             bool usable, const QString& record) {
            QTest::newRow(name) << group << inis << lines << usable << record;
        };
        const QByteArray com7 = "[uart]\nport=COM7\nbaudrate=";
        const QString port7 = "uart/port = COM7 (ok)|uart/baudrate = ";
        const QString noPort = "uart/port = COM3 (default)";
        row("uart valid", "uart", {"[uart]\nport=ttyUSB0\nbaudrate=9600\n"},
            "uart/port = ttyUSB0 (ok)|uart/baudrate = 9600 (ok)", true, "ttyUSB0|9600");
        row("baud 1200", "uart", {com7 + "1200\n"}, port7 + "1200 (ok)", true, "COM7|1200");
        row("baud 115200", "uart", {com7 + "115200\n"}, port7 + "115200 (ok)", true, "COM7|115200");
        row("baud 1199", "uart", {com7 + "1199\n"}, port7 + "115200 (default)", false, "COM7|115200");
        row("baud 115201", "uart", {com7 + "115201\n"}, port7 + "115200 (default)", false, "COM7|115200");
        row("baud marker", "uart", {com7 + "747\n"}, port7 + "115200 (default)", false, "COM7|115200");
        row("baud not a number", "uart", {"[UART]\nPORT=ttyS1\nbaudrate=fast\n"},
            "uart/port = ttyS1 (ok)|uart/baudrate = 115200 (default)", false, "ttyS1|115200");
        row("port missing", "uart", {"[uart]\nbaudrate=9600\n"}, noPort, false, "COM3|115200");
        row("port short", "uart", {"[uart]\nport=S1\nbaudrate=9600\n"}, noPort, false, "COM3|115200");
        row("port marker", "uart", {"[uart]\nport=ZVQ\nbaudrate=9600\n"}, noPort, false, "COM3|115200");
        row("rejected baud keeps the last accepted", "uart",
            {"[uart]\nport=ttyACM0\nbaudrate=9600\n", "[uart]\nport=ttyACM0\nbaudrate=1199\n"},
            "uart/port = ttyACM0 (ok)|uart/baudrate = 9600 (ok)|uart/port = ttyACM0 (ok)|uart/baudrate = 9600 (default)",
            false, "ttyACM0|9600");
        const QByteArray in = "[server]\ninputport=";
        const QString in22 = "server/inputport = 22 (default)";
        row("input 21", "input", {in + "21\n"}, "server/inputport = 21 (ok)", true, "21|");
        row("input 65534", "input", {in + "65534\n"}, "server/inputport = 65534 (ok)", true, "65534|");
        row("input 20", "input", {in + "20\n"}, in22, false, "22|");
        row("input 65535", "input", {in + "65535\n"}, in22, false, "22|");
        row("input missing", "input", {"[client]\ninputport=10110\n"}, in22, false, "22|");
        row("input huge", "input", {in + "99999999999999999999999999\n"}, in22, false, "22|");
        row("input negative", "input", {in + "-10110\n"}, in22, false, "22|");
        QByteArray manyKeys = "[server]\n";
        for (int k = 0; k < 10000; ++k)
            manyKeys += "key" + QByteArray::number(k) + "=" + QByteArray::number(k) + "\n";
        row("input after 10,000 keys", "input", {manyKeys + "inputport=-1\n"}, in22, false, "22|");
        // The listen address: absent, every address and no line; an
        // address (localhost too), that address alone; anything else keeps
        // the server closed. It is read again with each group.
        const QByteArray at = in + "10110\n";
        const QString on = "server/inputport = 10110 (ok)|server/listenaddress = ";
        row("address absent", "input", {at}, "server/inputport = 10110 (ok)", true, "10110|");
        row("address loopback", "input", {at + "listenaddress=127.0.0.1"}, on + "127.0.0.1 (ok)", true,
            "10110|127.0.0.1");
        row("address localhost", "input", {at + "ListenAddress= localhost "}, on + "localhost (ok)", true,
            "10110|localhost");
        row("address every", "input", {at + "listenaddress=0.0.0.0"}, on + "0.0.0.0 (ok)", true, "10110|0.0.0.0");
        row("address none", "input", {at + "listenaddress=127.0.0.1; rm"}, on + "127.0.0.1; rm (not an address)", false,
            "10110|");
        row("address taken out", "input", {at + "listenaddress=127.0.0.1", at},
            on + "127.0.0.1 (ok)|server/inputport = 10110 (ok)", true, "10110|");
        const QByteArray out = "[server]\noutputport=";
        const QString out10111 = "server/outputport = 10111 (ok)|server/outputformat = ";
        row("output unused", "output", {out + "0\noutputformat=NMEA"}, "server/outputport = 0 (unused)", false,
            "0|NMEA|");
        row("output valid", "output", {out + "10111\noutputformat=NMEA"}, out10111 + "NMEA (ok)", true, "10111|NMEA|");
        row("output on an address", "output", {out + "10111\noutputformat=NMEA\nlistenaddress=::1"},
            out10111 + "NMEA (ok)|server/listenaddress = ::1 (ok)", true, "10111|NMEA|::1");
        // A port missing (the key misspelt) or refused keeps forwarding off,
        // instead of opening port 22 on every address.
        const QString off =
            "|data forwarding is off: server/outputport is missing or not a port from 21 to 65534 "
            "(0 turns it off)";
        const QString out22 = "server/outputport = 22 (default)|server/outputformat = ";
        row("output port misspelt outputprot", "output", {"[server]\noutputprot=10111\noutputformat=NMEA\n"},
            out22 + "NMEA (ok)" + off, false, "22|NMEA|");
        row("output port out of range", "output", {out + "65535\noutputformat=JSON"}, out22 + "JSON (ok)" + off, false,
            "22|JSON|");
        row("format short", "output", {out + "10111\noutputformat=NM"}, out10111 + "NMEA (default)", false,
            "10111|NMEA|");
        const QString x259(259, 'x');
        row("format cut", "output", {out + "10111\noutputformat=" + QByteArray(400, 'x')}, out10111 + x259 + " (ok)",
            true, "10111|" + x259 + "|");
        row("no file", "output", {QByteArray()}, out22 + "NMEA (default)", false, "22|NMEA|");
        const QString url = "cient/url = gnss.example.net (ok)|client/port = ";
        const QString defaultVin = "|ZYXWVUTS987654321";
        row("upload valid", "upload", {"[client]\nurl=gnss.example.net\nport=5000\nvin=KMHXX00XXXX000000\n"},
            url + "5000 (ok)|cient/vin = KMHXX00XXXX000000 (ok)", true, "gnss.example.net|5000|KMHXX00XXXX000000");
        row("url short", "upload", {"[client]\nurl=abcd\nport=5000\nvin=KMHXX00XXXX000000\n"},
            "cient/url = upload.example.com (default)", false, "upload.example.com|22" + defaultVin);
        row("upload port 20", "upload", {"[client]\nurl=gnss.example.net\nport=20\nvin=KMHXX00XXXX000000\n"},
            url + "22 (default)", false, "gnss.example.net|22" + defaultVin);
        row("vin missing", "upload", {"[client]\nurl=gnss.example.net\nport=5000\n"},
            url + "5000 (ok)|cient/vin = ZYXWVUTS987654321 (default)", false, "gnss.example.net|5000" + defaultVin);
        row("map count 10", "map", {"[map]\ncount=10\nurl1=a.html\n"}, "map/count = 3 (default)", false, "3|");
        row("map count 0", "map", {"[map]\ncount=0\n"}, "map/count = 0 (ok)", true, "0|");
        row("map count negative", "map", {"[map]\ncount=-1\nurl1=a.html\n"}, "map/count = 3 (default)", false, "3|");
        row("map count missing", "map", {"[map]\nurl1=a.html\n"}, "map/count = 3 (default)", false, "3|");
        row("map url1 only", "map", {"[map]\ncount=3\nurl1=a.html\n"}, "map/count = 3 (ok)", true, "3|a.html");
        row("map url1 empty", "map", {"[map]\ncount=3\nurl1=\nurl2=b.html\n"}, "map/count = 3 (ok)", false, "3|");
        // url1 empty: false, but the count is taken and the pages stay.
        row("map pages stay", "map",
            {"[map]\ncount=3\nurl1=maps/track.html?a=1;b=2 # kept\nurl2=second.html\nurl1=ignored.html\n",
                "[map]\ncount=5\nurl1=\n"},
            "map/count = 3 (ok)|map/count = 5 (ok)", false, "5|maps/track.html?a=1;b=2 # kept|second.html");
    }
    void readGroup()
    {
        QFETCH(QString, group);
        QFETCH(QByteArrayList, inis);
        QFETCH(QString, lines);
        QFETCH(bool, usable);
        QFETCH(QString, record);
        QStringList written;
        bool read = !usable;
        const QString shown = group == "uart"     ? ReadInTurn<SerialPortConfig>(inis, written, read)
                              : group == "input"  ? ReadInTurn<TcpInputConfig>(inis, written, read)
                              : group == "output" ? ReadInTurn<ForwardingConfig>(inis, written, read)
                              : group == "upload" ? ReadInTurn<UploadConfig>(inis, written, read)
                                                  : ReadInTurn<MapPagesConfig>(inis, written, read);
        QCOMPARE(shown, record);
        QCOMPARE(written.join('|').remove("[Config] "), lines);
        QCOMPARE(read, usable);
    }

    // The address a record's listen address names: every address when
    // empty, 127.0.0.1 for localhost, none for anything else.
    void listenAddress()
    {
        QCOMPARE(ServerListenAddress(""), QHostAddress(QHostAddress::Any));
        QCOMPARE(ServerListenAddress("LocalHost"), QHostAddress(QHostAddress::LocalHost));
        QCOMPARE(ServerListenAddress("::1"), QHostAddress(QHostAddress::LocalHostIPv6));
        QVERIFY(ServerListenAddress("127.0.0.1; rm").isNull());
    }

    // The forms a live source's host and port may take, and those refused.
    void hostAndPort_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read");  // host:port; empty: refused
        QTest::newRow("name") << QString("gps.local") << QString("gps.local:2947");
        QTest::newRow("name:port") << QString("gps.local:10110") << QString("gps.local:10110");
        QTest::newRow("bare ipv6") << QString("fe80::1") << QString("fe80::1:2947");
        QTest::newRow("[ipv6]:port") << QString("[::1]:5000") << QString("::1:5000");
        QTest::newRow("[ipv6]") << QString("[::1]") << QString("::1:2947");
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
        const QString path = ini.startsWith('/') ? ini : WriteConfig(ini.toUtf8());
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

    // The ntrip group: each present key writes one line, the password's
    // without the password; no group, or no caster, leaves the client off.
    void ntripGroup_data()
    {
        QTest::addColumn<QString>("ini");  // a file name, or the file's text
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("settings");  // caster:port/mountpoint user:password gga version
        const QString off = "[Config] ntrip: no caster, the NTRIP client stays off";
        QTest::newRow("shipped file") << ORVANE_SHIPPED_CONFIG << QStringList{} << "off";
        QTest::newRow("no group") << "[sources]\ntcp=a\n" << QStringList{} << "off";
        QTest::newRow("every key")
            << "[NTRIP]\nCaster=rtk.example.org\nport=2102\nmountpoint=/RTCM3\nuser=ann\npassword=s3;cr t\n"
               "ggainterval=10\nversion=1\ncaster=other\n"
            << QStringList{"[Config] ntrip/caster = rtk.example.org (ok)", "[Config] ntrip/port = 2102 (ok)",
                   "[Config] ntrip/mountpoint = /RTCM3 (ok)", "[Config] ntrip/user = ann (ok)",
                   "[Config] ntrip/password = (hidden) (ok)", "[Config] ntrip/ggainterval = 10 (ok)",
                   "[Config] ntrip/version = 1 (ok)"}
            << "rtk.example.org:2102/RTCM3 ann:s3;cr t 10 1";
        QTest::newRow("port with the caster, defaults")
            << "[ntrip]\ncaster=10.0.0.9:2110\nmountpoint=\n"
            << QStringList{"[Config] ntrip/caster = 10.0.0.9:2110 (ok)",
                   "[Config] ntrip/mountpoint =  (ok: empty, the caster's source table is read)"}
            << "10.0.0.9:2110/ : 0 2";
        QTest::newRow("refused values")
            << "[ntrip]\ncaster=a b\nport=0\nmountpoint=A/B\nggainterval=-5\nversion=3\n"
            << QStringList{"[Config] ntrip/caster = a b (unused: not host or host:port, port 1 to 65535)",
                   "[Config] ntrip/port = 0 (unused: not a port 1 to 65535)",
                   "[Config] ntrip/mountpoint = A/B (unused: a name without blanks or slashes)",
                   "[Config] ntrip/ggainterval = -5 (unused: not a whole number of seconds 0 to 3600)",
                   "[Config] ntrip/version = 3 (unused: 1 or 2)", off}
            << "off";
        QTest::newRow("no gga, misspelt key")
            << "[ntrip]\ncaster=c\nggainterval=0\nmount=X\n"
            << QStringList{"[Config] ntrip/caster = c (ok)", "[Config] ntrip/ggainterval = 0 (ok: no GGA is sent)",
                   "[Config] ntrip/mount = X (unknown key: caster, port, mountpoint, user, password, ggainterval "
                   "and version are read)"}
            << "c:2101/ : 0 2";
    }
    void ntripGroup()
    {
        QFETCH(QString, ini);
        QFETCH(QStringList, lines);
        QFETCH(QString, settings);
        const QString path = ini.startsWith('/') ? ini : WriteConfig(ini.toUtf8());
        QStringList written;
        const NtripSettings read = ReadNtripConfig(path, [&](const QString& line) { written << line; });
        QCOMPARE(written, lines);
        const QString shown = read.Enabled() ? QString("%1:%2/%3 %4:%5 %6 %7")
                                                   .arg(read.caster)
                                                   .arg(read.port)
                                                   .arg(read.mountpoint, read.user, read.password)
                                                   .arg(read.ggaIntervalSeconds)
                                                   .arg(read.version)
                                             : QString("off");
        QCOMPARE(shown, settings);
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

    void cleanupTestCase() { SetConfigFolder(QString()); }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
