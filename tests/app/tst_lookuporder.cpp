// Where config.ini, map pages and recordings are looked for: in a
// temporary installation prefix with bin/, share/orvane and the user's
// folders, each arrangement of real files.

#include <QtTest>

#include "Config.h"
#include "LookupOrder.h"
#include "MapPageLookup.h"
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

}  // namespace

class TestLookupOrder : public QObject {
    Q_OBJECT

    QTemporaryDir m_Prefix;
    QString m_Bin;
    QString m_Data;
    QString m_Home;

private slots:
    void initTestCase()
    {
        m_Bin = m_Prefix.filePath("usr/bin");
        m_Data = InstalledDataFolder(m_Bin);
        m_Home = m_Prefix.filePath("home");
        QVERIFY(QDir().mkpath(m_Bin) && QDir().mkpath(m_Data) && QDir().mkpath(m_Home));
        // The data folder lies outside bin/, within the prefix.
        QVERIFY(m_Data.startsWith(m_Prefix.path() + "/") && !m_Data.startsWith(m_Bin));
        qputenv("HOME", QFile::encodeName(m_Home));
    }

    // The XDG variables count only as absolute paths.
    void userFolders_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("config");
        QTest::addColumn<QString>("data");
        QTest::newRow("unset") << QByteArray() << "/.config"
                               << "/.local/share";
        QTest::newRow("relative") << QByteArray("rel/x") << "/.config"
                                  << "/.local/share";
        QTest::newRow("absolute") << QByteArray("/srv/x/") << ""
                                  << "";
    }
    void userFolders()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, config);
        QFETCH(QString, data);
        qputenv("XDG_CONFIG_HOME", value);
        qputenv("XDG_DATA_HOME", value);
        QCOMPARE(XdgConfigHome(), config.isEmpty() ? QString("/srv/x") : m_Home + config);
        QCOMPARE(XdgDataHome(), data.isEmpty() ? QString("/srv/x") : m_Home + data);
    }

    // Beside the program, then the user's, then the installed default.
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
        QCOMPARE(FindInFolders(ConfigFolders(m_Bin), "config.ini"), files.value(found));
    }

    // The start-up line names the file, and says when there is none.
    void configFileLine()
    {
        QTemporaryDir folder;
        SetConfigFolder(folder.path());
        QCOMPARE(ConfigFileLine(), QString("[Config] file = %1/config.ini (missing)").arg(folder.path()));
        QVERIFY(Touch(folder.filePath("config.ini")));
        QCOMPARE(ConfigFileLine(), QString("[Config] file = %1/config.ini (ok)").arg(folder.path()));
        SetConfigFolder(QString());
    }

    // A relative page beside the program wins; else the installed one;
    // absolute paths and URLs are taken as they are.
    void mapPage_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("url");
        QTest::newRow("both") << "maps/p.html" << QStringList{"bin", "data"} << "bin/maps/p.html";
        QTest::newRow("installed") << "maps/p.html" << QStringList{"data"} << "data/maps/p.html";
        QTest::newRow("nowhere") << "maps/p.html" << QStringList{} << "bin/maps/p.html";
        QTest::newRow("dotted") << "./maps/../maps/p.html" << QStringList{"data"} << "data/maps/p.html";
        QTest::newRow("absolute") << "/srv/p.html" << QStringList{"data"} << "file:///srv/p.html";
        QTest::newRow("url") << "https://example.org/p.html" << QStringList{"bin"} << "https://example.org/p.html";
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
        const QString expected = url.replace(QRegularExpression("^bin/"), "file://" + m_Bin + "/")
                                     .replace(QRegularExpression("^data/"), "file://" + m_Data + "/");
        QCOMPARE(MapPageUrl(value, MapPageFolders(m_Bin)), QUrl(expected));
    }

    // The program's folder when it can be written, else the user's.
    void recordingFolder()
    {
        QCOMPARE(ChooseRecordingFolder(m_Bin, "/home/u/.local/share"), m_Bin);
        QCOMPARE(ChooseRecordingFolder(m_Prefix.filePath("gone"), "/home/u/.local/share"),
            QString("/home/u/.local/share/orvane/recordings"));
    }
};

QTEST_GUILESS_MAIN(TestLookupOrder)
#include "tst_lookuporder.moc"
