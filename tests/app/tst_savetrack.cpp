// The window menu's Save Track as GPX: the loaded log's track and the
// live session's, read back by gpsbabel.

#include <QtTest>

#include <QMenu>
#include <QProcess>
#include <QTcpSocket>

#include "../common/LoopbackPort.h"
#include "AppTestSupport.h"

using namespace orvane;

namespace {

class SavingSeam : public AnsweringSeam {
public:
    QString SaveFileName(QWidget*, const SaveFileRequest& request) override
    {
        captions.append(request.caption + " " + request.pattern);
        return saveAnswer;
    }
    QString saveAnswer;  // empty: cancelled
    QStringList captions;
};

// n RMC sentences of the talker, one a second from 23:58:first, with
// their checksums.
QByteArray Rmcs(const char* talker, int n, int first = 0)
{
    QByteArray out;
    for (int k = 0; k < n; ++k) {
        const QByteArray body = QByteArray(talker) + "RMC,2358" + QByteArray::number(first + k).rightJustified(2, '0') +
                                ".00,A,3733.32791,N,12658.29325,E,0.012,172.00,140326,,,A";
        unsigned sum = 0;
        for (const char c : body)
            sum ^= static_cast<unsigned char>(c);
        out += "$" + body + "*" + QByteArray::number(sum, 16).rightJustified(2, '0').toUpper() + "\r\n";
    }
    return out;
}

// The points gpsbabel reads from a GPX file, one "lat, lon, " line each.
QStringList ReadBack(const QString& gpx)
{
    QProcess babel;
    babel.start("gpsbabel", {"-i", "gpx", "-f", gpx, "-o", "csv", "-F", "-"});
    if (!babel.waitForFinished(30000) || babel.exitCode() != 0)
        return {"<gpsbabel failed>"};
    return QString::fromUtf8(babel.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

void SaveThroughMenu(COrvaneDlg& dialog)
{
    std::unique_ptr<QMenu> menu(dialog.CreateWindowMenu());
    for (QAction* action : menu->actions()) {
        if (action->text() == "Save Track as GPX...")
            action->trigger();
    }
}

}  // namespace

class TestSaveTrack : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;

private slots:
    void initTestCase() { SetConfigFolder(m_Folder.path()); }

    // The whole loaded log, however far it was replayed; a cancelled
    // dialog writes nothing, a failed write says so.
    void loadedLog()
    {
        SavingSeam seam;
        COrvaneDlg dialog(&seam);
        dialog.DropFiles({WriteFile(m_Folder, "drive.nmea", Rmcs("GP", 20))});
        QVERIFY(dialog.State().m_Loaded);
        const QString path = m_Folder.filePath("loaded.gpx");
        SaveThroughMenu(dialog);
        QCOMPARE(seam.captions, QStringList{"Save Track as GPX *.gpx"});
        QVERIFY(!QFileInfo::exists(path));

        seam.saveAnswer = path;
        SaveThroughMenu(dialog);
        const QStringList points = ReadBack(path);
        QCOMPARE(points.size(), 20);
        QCOMPARE(points.first(), QString("37.55547, 126.97155, "));
        QCOMPARE(TopLine(dialog), QString("Track saved: 20 points to \"%1\"").arg(path));
        QVERIFY(seam.messages.isEmpty());

        // A file that cannot be written: a box says so, and nothing is saved.
        seam.saveAnswer = m_Folder.filePath("no-such-folder/track.gpx");
        dialog.OnSaveTrack();
        QCOMPARE(seam.messages.size(), 1);
        QVERIFY2(seam.messages.first().startsWith("Cannot save the track to"), qPrintable(seam.messages.first()));
        QVERIFY(TopLine(dialog).startsWith("Track saved: 20 points"));
    }

    // Online: the session so far; after leaving online mode, the session
    // that ended; a new session starts a new track.
    void liveSession()
    {
        const quint16 port = FreePort();
        QVERIFY(!WriteFile(m_Folder, "config.ini",
            QString("[uart]\nport=/nonexistent/ttyX\nbaudrate=115200\n[server]\ninputport=%1\n").arg(port).toUtf8())
                     .isEmpty());
        SavingSeam seam;
        COrvaneDlg dialog(&seam);
        GoLive(dialog);
        QTcpSocket client;
        QVERIFY(ConnectInput(dialog, client, port));
        client.write(Rmcs("GP", 3) + Rmcs("GN", 2, 3));
        QTRY_COMPARE(dialog.TrackToSave().size(), size_t(5));

        seam.saveAnswer = m_Folder.filePath("live.gpx");
        dialog.OnSaveTrack();
        QCOMPARE(ReadBack(seam.saveAnswer).size(), 5);

        dialog.Button(IDC_ONLINE_MODE)->click();
        QCOMPARE(dialog.TrackToSave().size(), size_t(5));
        dialog.Button(IDC_ONLINE_MODE)->click();
        QCOMPARE(dialog.TrackToSave().size(), size_t(0));
        seam.saveAnswer = m_Folder.filePath("empty.gpx");
        dialog.OnSaveTrack();
        QCOMPARE(ReadBack(seam.saveAnswer), QStringList());
        QVERIFY(ReadFile(seam.saveAnswer).contains("<gpx version=\"1.1\""));
    }
};

ORVANE_PAGE_TEST_MAIN(TestSaveTrack)
#include "tst_savetrack.moc"
