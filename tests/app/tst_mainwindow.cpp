#include <QtTest>

#include <QComboBox>
#include <QMenu>
#include <QSlider>

#include "AppTestSupport.h"
#include "DialogTemplate.h"
#include "SatellitesDlg.h"
#include "SecondaryMapDlg.h"

using namespace orvane;

class TestMainWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;  // config folder without config.ini
    QTemporaryDir m_Logs;

private slots:
    void initTestCase() { SetConfigFolder(m_Folder.path()); }

    void init() { ConfigSettings = ConfigRecord{}; }

    void startupControls_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QRect>("place");  // dialog units

        QTest::newRow("Load Flie") << 1001 << "Load Flie" << true << true << QRect(77, 322, 75, 34);
        QTest::newRow("Purge") << 1003 << "Purge" << true << false << QRect(152, 322, 75, 34);
        QTest::newRow("Exit") << 1 << "Exit" << true << true << QRect(227, 322, 75, 34);
        QTest::newRow("Slower") << 1008 << "Slower" << true << false << QRect(304, 322, 59, 34);
        QTest::newRow("Run") << 1002 << "Run" << true << false << QRect(363, 322, 59, 34);
        QTest::newRow("Faster") << 1007 << "Faster" << true << true << QRect(422, 322, 59, 34);
        QTest::newRow("Repeat") << 1009 << "Repeat" << true << true << QRect(481, 322, 59, 34);
        QTest::newRow("Clear") << 1005 << "Clear" << true << true << QRect(540, 322, 60, 34);
        QTest::newRow("Enable Map") << 1014 << "Enable Map" << true << true << QRect(1, 2, 100, 17);
        QTest::newRow("Secondary Map") << 1013 << "Show a Secondary Map" << true << false << QRect(102, 2, 100, 17);
        QTest::newRow("Show Signals") << 1017 << "Show Signals" << true << false << QRect(203, 2, 100, 17);
        QTest::newRow("map view") << 1000 << "" << true << false << QRect(2, 21, 300, 299);
        QTest::newRow("text view") << 1004 << "" << true << true << QRect(304, 21, 296, 299);
        QTest::newRow("Online Mode") << 1141 << "Online Mode" << true << true << QRect(2, 322, 75, 34);
        QTest::newRow("live input") << 1142 << "Start Parsing" << false << true << QRect(304, 322, 117, 34);
        QTest::newRow("recording") << 1143 << "Recording NMEA" << false << true << QRect(422, 322, 117, 34);
        QTest::newRow("code edit") << 1144 << "" << false << true << QRect(78, 323, 148, 12);
        QTest::newRow("Developer Code") << 1145 << "Developer Code" << false << true << QRect(78, 336, 148, 20);
        QTest::newRow("slider") << 1016 << "" << true << false << QRect(1, 360, 599, 13);
    }

    void startupControls()
    {
        QFETCH(int, id);
        QFETCH(QString, caption);
        QFETCH(bool, visible);
        QFETCH(bool, enabled);
        QFETCH(QRect, place);
        COrvaneDlg dialog;
        dialog.show();
        QWidget* control = dialog.Control(id);
        QVERIFY(control);
        QCOMPARE(control->objectName(), QString::number(id));
        if (auto* button = qobject_cast<QPushButton*>(control))
            QCOMPARE(button->text(), caption);
        QCOMPARE(control->isVisible(), visible);
        QCOMPARE(control->isEnabled(), enabled);
        QCOMPARE(control->geometry(), DialogUnits(dialog.font()).ToPixels(place.x(), place.y(), place.width(),
                                                                           place.height()));
    }

    void startupState()
    {
        COrvaneDlg dialog;
        QCOMPARE(dialog.windowTitle(), QString("Orvane"));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QCOMPARE(dialog.size(), DialogUnits(dialog.font()).ToPixels(602, 375));
        const DispatchState& state = dialog.State();
        QCOMPARE(state.m_Latitude, 37.5554652);
        QCOMPARE(state.m_Longitude, 126.9715542);
        QCOMPARE(state.m_Heading, 0.0);
        QCOMPARE(state.m_TalkerRow, 8);
        QVERIFY(!state.m_MapEnabled && !state.m_SignalsShown && !state.m_Online && !state.m_Loaded);
        QVERIFY(!dialog.Replay().Repeat() && !dialog.SecondaryMapShown());
        QCOMPARE(dialog.Replay().SpeedStep(), int16_t(1));
        QCOMPARE(dialog.Replay().Interval(), int16_t(1000));
        QCOMPARE(dialog.Slider()->minimum(), 0);
        QCOMPARE(dialog.Slider()->maximum(), 10000);
        QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->count(), 0);
        QCOMPARE(dialog.Combo(IDC_MESSAGE_LIST)->count(), 0);
        QVERIFY(dialog.SatellitesDlg() && !dialog.SatellitesDlg()->isVisible());
        QVERIFY(dialog.SecondaryMapDlg() && !dialog.SecondaryMapDlg()->isVisible());
        QVERIFY(dialog.acceptDrops());
        // Groups 3 and 4 are read at start, and with no config.ini only
        // their status lines are written.
        QCOMPARE(dialog.DisplayText(), QString("[Config] cient/url = upload.example.com (default)\r\n"
                                               "[Config] server/outputformat = NMEA (default)\r\n"
                                               "[Config] server/outputport = 22 (default)\r\n"));
    }

    void enterAndEscapeDoNothing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("focus");
        QTest::newRow("Return on the window") << int(Qt::Key_Return) << 0;
        QTest::newRow("Enter on the window") << int(Qt::Key_Enter) << 0;
        QTest::newRow("Escape on the window") << int(Qt::Key_Escape) << 0;
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
        QWidget* target = focus ? dialog.Control(focus) : &dialog;
        QSignalSpy finished(&dialog, &QDialog::finished);
        QSignalSpy exit(dialog.Button(IDC_EXIT), &QPushButton::clicked);
        QSignalSpy clear(dialog.Button(IDC_CLEAR), &QPushButton::clicked);
        const QString before = dialog.DisplayText();
        QTest::keyClick(target, Qt::Key(key));
        QVERIFY(dialog.isVisible());
        QCOMPARE(finished.count(), 0);
        QCOMPARE(exit.count(), 0);
        QCOMPARE(clear.count(), 0);
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
        QVERIFY(!dialog.SatellitesDlg());
        QVERIFY(!dialog.SecondaryMapDlg());
    }

    void windowMenuOpensAbout()
    {
        AnsweringSeam seam;
        COrvaneDlg dialog(&seam);
        std::unique_ptr<QMenu> menu(dialog.CreateWindowMenu());
        const QList<QAction*> actions = menu->actions();
        QVERIFY(actions.size() >= 2);
        QVERIFY(actions.at(actions.size() - 2)->isSeparator());
        QAction* about = actions.last();
        QCOMPARE(about->text(), QString::fromUtf8("Orvane 정보(&A)..."));
        QCOMPARE(about->data().toInt(), IDM_ABOUTBOX);
        about->trigger();
        QCOMPARE(seam.modalTitles, QStringList{"About"});
        QVERIFY(seam.modalTexts.contains("Orvane"));
        QVERIFY(seam.modalTexts.contains("OK"));
        // Other window commands open nothing.
        dialog.OnSysCommand(0xF060);
        QCOMPARE(seam.modalTitles.size(), 1);
    }

    void showSignalsTwice()
    {
        COrvaneDlg dialog;
        dialog.show();
        dialog.DropFiles({WriteFile(m_Logs, "gp.nmea", Sentences("GP", "RMC", 11))});
        QPushButton* button = dialog.Button(IDC_SHOW_SIGNALS);
        QVERIFY(button->isEnabled());
        button->click();
        QCOMPARE(button->text(), QString("Hide Signals"));
        QVERIFY(dialog.State().m_SignalsShown);
        QVERIFY(dialog.SatellitesDlg()->isVisible());
        button->click();
        QCOMPARE(button->text(), QString("Show Signals"));
        QVERIFY(!dialog.State().m_SignalsShown);
        QVERIFY(!dialog.SatellitesDlg()->isVisible());
    }

    void textViewIsRewrittenOncePerTurn()
    {
        COrvaneDlg dialog;
        dialog.show();
        QTRY_COMPARE(ViewText(dialog), QString(dialog.DisplayText()).replace("\r\n", "\n"));
        auto* view = static_cast<QPlainTextEdit*>(dialog.Control(IDC_TEXT_VIEW));
        QSignalSpy rewrites(view->document(), &QTextDocument::contentsChange);
        for (int k = 1; k <= 3000; ++k)
            dialog.AppendLine(QString("line %1").arg(k));
        QCOMPARE(rewrites.count(), 0);
        QTRY_COMPARE(ViewText(dialog), QString(dialog.DisplayText()).replace("\r\n", "\n"));
        QVERIFY2(rewrites.count() <= 2, qPrintable(QString::number(rewrites.count())));
        QVERIFY(ViewText(dialog).startsWith("line 3000\nline 2999\n"));
        QCOMPARE(dialog.DisplayText().count("\r\n"), 100);
    }

    void textViewFollowsEveryTurn_data()
    {
        QTest::addColumn<int>("burst");
        QTest::addColumn<int>("emptyEvery");  // 0: no empty lines; below 0: raw data lines
        QTest::newRow("1 per turn") << 1 << 0;
        QTest::newRow("7 per turn, empty lines") << 7 << 3;
        QTest::newRow("99 per turn") << 99 << 0;
        QTest::newRow("100 per turn, empty lines") << 100 << 10;
        QTest::newRow("101 per turn") << 101 << 0;
        // A negative period: lines that hold line ends of their own, as the
        // raw data line does.
        QTest::newRow("3 per turn, raw data lines") << 3 << -2;
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
                    dialog.AppendLine(emptyEvery > 0 && line % emptyEvery == 0 ? QString() : QString("line %1").arg(line));
            }
            if (turn == 20)
                dialog.Button(IDC_CLEAR)->click();
            QTRY_COMPARE(ViewText(dialog), QString(dialog.DisplayText()).replace("\r\n", "\n"));
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
