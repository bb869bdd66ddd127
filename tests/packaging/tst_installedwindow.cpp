// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as an installed orvane runs it. installed_layout.sh
// copies this test into the bin folder of a temporary installation and runs
// it as a user who cannot write there, with HOME and the XDG folders in
// empty temporary folders: the window must read the installed config.ini,
// load the installed map page and record into the user's data folder.

#include "../app/AppTestSupport.h"
#include "../common/PageScript.h"
#include "settings/StandardFolders.h"

using namespace orvane;

namespace {

QString BottomLine(const COrvaneDlg& dialog)
{
    QStringList lines = DisplayText(dialog).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.constLast();
}

}  // namespace

class TestInstalledWindow : public QObject {
    Q_OBJECT

    QString m_Data;  // the installed share/orvane

private slots:
    void initTestCase()
    {
        m_Data = InstalledDataFolder(ExecutableFolder());
        QVERIFY2(!FolderWritable(ExecutableFolder()), "run from a bin folder this user cannot write");
        QVERIFY2(QFileInfo(m_Data + "/config.ini").isFile(), qPrintable(m_Data));
        QVERIFY(!QFileInfo::exists(XdgConfigHome() + "/orvane/config.ini"));
    }

    // No config.ini beside the program or the user's: the installed one is
    // read, and the first page of its map section, a path relative to the
    // program, is loaded from the installed data folder.
    void installedConfigAndMapPage()
    {
        const QString page = QSettings(m_Data + "/config.ini", QSettings::IniFormat).value("map/url1").toString();
        QVERIFY2(QDir::isRelativePath(page) && QFileInfo(m_Data + "/" + page).isFile(), qPrintable(page));
        COrvaneDlg dialog;
        QCOMPARE(BottomLine(dialog), QString("[Config] file = %1/config.ini (ok)").arg(m_Data));
        Button(dialog, IDC_ENABLE_MAP)->click();
        QVERIFY2(TopLine(dialog).contains(QRegularExpression(R"(^\[Config\] map/count = [1-9] \(ok\)$)")),
            qPrintable(TopLine(dialog)));
        CWebBrowser2& map = *dialog.Browser();
        QCOMPARE(map.RequestedUrl(), QUrl::fromLocalFile(QDir::cleanPath(m_Data + "/" + page)));
        QSignalSpy loaded(&map, &CWebBrowser2::LoadFinished);
        QVERIFY(WaitInEventLoop([&] { return !loaded.isEmpty(); }, 30000));
        QCOMPARE(loaded.first().first().toBool(), true);
        QCOMPARE(EvaluateInPage(map, "typeof setCurPos", 10000).value_or("no answer").toString(), QString("function"));
    }

    // The program's folder cannot be written: the recording goes to the
    // user's data folder, made on first use, and its line names the file.
    void recordsIntoTheUserDataFolder()
    {
        const QString folder = XdgDataHome() + "/orvane/recordings";
        QVERIFY(!QFileInfo::exists(folder));
        COrvaneDlg dialog;
        Button(dialog, IDC_ONLINE_MODE)->click();
        Button(dialog, IDC_RECORDING)->click();
        static const QRegularExpression started(R"(^NMEA Recording \((.+)\)$)");
        const QString path = started.match(TopLine(dialog)).captured(1);
        QCOMPARE(QFileInfo(path).absolutePath(), folder);
        QVERIFY(QFileInfo(path).fileName().endsWith(".log"));
        QVERIFY(QFileInfo(path).isFile());
        QCOMPARE(Button(dialog, IDC_RECORDING)->text(), QString("Stop Recording"));
        Button(dialog, IDC_ONLINE_MODE)->click();
        QVERIFY(!dialog.Recorder().Recording());
    }

    // A config.ini of the user's comes before the installed one.
    void userConfigComesFirst()
    {
        QVERIFY(QDir().mkpath(XdgConfigHome() + "/orvane"));
        const QString user = XdgConfigHome() + "/orvane/config.ini";
        QFile file(user);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[map]\ncount=0\n") > 0);
        file.close();
        COrvaneDlg dialog;
        QCOMPARE(BottomLine(dialog), QString("[Config] file = %1 (ok)").arg(user));
        Button(dialog, IDC_ENABLE_MAP)->click();
        QCOMPARE(TopLines(dialog, 2), (QStringList{"No map URLs from \"config.ini\"", "[Config] map/count = 0 (ok)"}));
        QVERIFY(file.remove());
    }
};

ORVANE_PAGE_TEST_MAIN(TestInstalledWindow)
#include "tst_installedwindow.moc"
