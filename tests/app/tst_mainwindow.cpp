#include <QtTest>

#include <QComboBox>
#include <QMenu>
#include <QRegularExpression>
#include <QSlider>

#include <algorithm>

#include "AppTestSupport.h"
#include "SatellitesDlg.h"
#include "SecondaryMapDlg.h"

using namespace orvane;

namespace {

QList<int> Sorted(QList<int> ids)
{
    std::sort(ids.begin(), ids.end());
    return ids;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;  // config folder without config.ini

private slots:
    void initTestCase() { SetConfigFolder(m_Folder.path()); }

    // A new window is in offline mode: the online controls hidden, those
    // that need a log or the map disabled, the visible ones side by side
    // within the window; and it holds the start position and the replay
    // defaults.
    void startup()
    {
        COrvaneDlg dialog;
        dialog.show();
        QList<int> hidden, disabled;
        QList<QRect> places;
        for (const QWidget* control : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const int id = control->objectName().toInt();
            if (id && !control->isVisible())
                hidden << id;
            if (id && !control->isEnabled())
                disabled << id;
            if (control->isVisible())
                places << control->geometry();
        }
        QCOMPARE(Sorted(hidden), Sorted({IDC_LIVE_INPUT, IDC_RECORDING, IDC_DEVELOPER_CODE_EDIT, IDC_DEVELOPER_CODE}));
        QCOMPARE(Sorted(disabled), Sorted({IDC_PURGE, IDC_SLOWER, IDC_RUN, IDC_SECONDARY_MAP, IDC_SHOW_SIGNALS,
                                       IDC_MAP_VIEW, IDC_REPLAY_SLIDER, IDC_SATELLITE_LIST, IDC_MESSAGE_LIST}));
        QVERIFY(places.size() > 15);
        for (qsizetype i = 0; i < places.size(); ++i) {
            QVERIFY(!places[i].isEmpty() && dialog.rect().contains(places[i]));
            for (qsizetype j = i + 1; j < places.size(); ++j)
                QVERIFY2(!places[i].intersects(places[j]), qPrintable(QString("%1 and %2").arg(i).arg(j)));
        }
        QCOMPARE(dialog.Button(IDC_LIVE_INPUT)->text(), QString("Start Parsing"));
        QCOMPARE(dialog.windowTitle(), QString("Orvane"));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

        const DispatchState& state = dialog.State();
        QCOMPARE(QPointF(state.m_Latitude, state.m_Longitude), QPointF(37.5554652, 126.9715542));
        QCOMPARE(state.m_TalkerRow, 8);
        QVERIFY(!state.m_MapEnabled && !state.m_SignalsShown && !state.m_Online && !state.m_Loaded);
        QVERIFY(!dialog.Replay().Repeat() && !dialog.SecondaryMapShown());
        QCOMPARE(dialog.Replay().SpeedStep(), int16_t(1));
        QCOMPARE(dialog.Slider()->maximum(), 10000);
        QVERIFY(!dialog.SatellitesDlg()->isVisible() && !dialog.SecondaryMapDlg()->isVisible());
        // Forwarding and upload are read at start; with no config.ini only
        // their status lines are written, after the line naming the file.
        QCOMPARE(dialog.DisplayText(), QString("[Config] cient/url = upload.example.com (default)\r\n"
                                               "[Config] server/outputformat = NMEA (default)\r\n"
                                               "[Config] server/outputport = 22 (default)\r\n"
                                               "[Config] file = %1/config.ini (missing)\r\n")
                                           .arg(m_Folder.path()));
    }

    // The keys a dialog acts on are swallowed, whichever control has focus.
    void enterAndEscapeDoNothing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("focus");
        QTest::newRow("Return on Exit") << int(Qt::Key_Return) << IDC_EXIT;
        QTest::newRow("Enter on Clear") << int(Qt::Key_Enter) << IDC_CLEAR;
        QTest::newRow("Escape on the text view") << int(Qt::Key_Escape) << IDC_TEXT_VIEW;
    }
    void enterAndEscapeDoNothing()
    {
        QFETCH(int, key);
        QFETCH(int, focus);
        COrvaneDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QSignalSpy finished(&dialog, &QDialog::finished);
        QSignalSpy exit(dialog.Button(IDC_EXIT), &QPushButton::clicked);
        QSignalSpy clear(dialog.Button(IDC_CLEAR), &QPushButton::clicked);
        const QString before = dialog.DisplayText();
        QTest::keyClick(dialog.Control(focus), Qt::Key(key));
        QVERIFY(dialog.isVisible());
        QCOMPARE(finished.count() + exit.count() + clear.count(), 0);
        QCOMPARE(dialog.DisplayText(), before);
    }

    void exitAndCloseEndTheWindow_data()
    {
        QTest::addColumn<bool>("viaExit");
        QTest::newRow("Exit") << true;
        QTest::newRow("close") << false;
    }
    void exitAndCloseEndTheWindow()
    {
        QFETCH(bool, viaExit);
        COrvaneDlg dialog;
        dialog.show();
        QSignalSpy finished(&dialog, &QDialog::finished);
        if (viaExit)
            dialog.Button(IDC_EXIT)->click();
        else
            dialog.close();
        QCOMPARE(finished.count(), 1);
        QVERIFY(!dialog.isVisible());
        // The destruction order ran: the secondary windows are gone.
        QVERIFY(!dialog.SatellitesDlg() && !dialog.SecondaryMapDlg());
    }

    void windowMenuOpensAbout()
    {
        AnsweringSeam seam;
        COrvaneDlg dialog(&seam);
        std::unique_ptr<QMenu> menu(dialog.CreateWindowMenu());
        const QList<QAction*> actions = menu->actions();
        QVERIFY(actions.size() >= 2 && actions.at(actions.size() - 2)->isSeparator());
        QCOMPARE(actions.last()->text(), QString::fromUtf8("Orvane 정보(&A)..."));
        actions.last()->trigger();
        QCOMPARE(seam.modalTitles, QStringList{"About"});
        QVERIFY(seam.modalTexts.contains("Orvane") && seam.modalTexts.contains("OK"));
        // Other window commands open nothing.
        dialog.OnSysCommand(0xF060);
        QCOMPARE(seam.modalTitles.size(), 1);
    }

    void textViewIsRewrittenOncePerTurn()
    {
        COrvaneDlg dialog;
        dialog.show();
        QTRY_VERIFY(ViewShowsText(dialog));
        auto* view = static_cast<QPlainTextEdit*>(dialog.Control(IDC_TEXT_VIEW));
        QSignalSpy rewrites(view->document(), &QTextDocument::contentsChange);
        for (int k = 1; k <= 3000; ++k)
            dialog.AppendLine(QString("line %1").arg(k));
        QCOMPARE(rewrites.count(), 0);
        QTRY_VERIFY(ViewShowsText(dialog));
        QVERIFY2(rewrites.count() <= 2, qPrintable(QString::number(rewrites.count())));
        QVERIFY(ViewText(dialog).startsWith("line 3000\nline 2999\n"));
        QCOMPARE(dialog.DisplayText().count("\r\n"), 100);
    }

    // Bursts below, at and past the 100 lines the view keeps; empty lines;
    // lines that hold line ends of their own, as the raw data line does.
    void textViewFollowsEveryTurn_data()
    {
        QTest::addColumn<int>("burst");
        QTest::addColumn<int>("emptyEvery");  // 0: no empty lines; below 0: raw data lines
        QTest::newRow("1 per turn") << 1 << 0;
        QTest::newRow("100 per turn, empty lines") << 100 << 10;
        QTest::newRow("101 per turn") << 101 << 0;
        QTest::newRow("40 per turn, raw data lines") << 40 << -7;
    }
    void textViewFollowsEveryTurn()
    {
        QFETCH(int, burst);
        QFETCH(int, emptyEvery);
        COrvaneDlg dialog;
        dialog.show();
        int line = 0;
        for (int turn = 0; turn < 30; ++turn) {
            for (int k = 0; k < burst; ++k, ++line) {
                if (emptyEvery < 0 && line % -emptyEvery == 0)
                    dialog.AppendLine(QString("raw %1\r\n$GPGGA,1*00\r\n\r\nend").arg(line));
                else
                    dialog.AppendLine(
                        emptyEvery > 0 && line % emptyEvery == 0 ? QString() : QString("line %1").arg(line));
            }
            if (turn == 20)
                dialog.Button(IDC_CLEAR)->click();
            QTRY_VERIFY(ViewShowsText(dialog));
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
