// SPDX-License-Identifier: GPL-3.0-or-later
// The main window offline: its start-up state, keys, menu and text view; a
// log in it: loading it by drop and by Load File, replaying it under the
// test's ticks and the window's timer, seeking, purging, and the window
// menu's Save Track as GPX, read back by gpsbabel, for the loaded log and
// for a live session.

#include <QtTest>

#include <QComboBox>
#include <QFileSystemModel>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QSlider>
#include <QTcpSocket>

#include <algorithm>

#include "../common/LoopbackPort.h"
#include "AppTestSupport.h"
#include "OpenFileDialog.h"
#include "SatellitesDlg.h"
#include "SecondaryMapDlg.h"

using namespace orvane;

namespace {

QStringList Items(const QComboBox* combo)
{
    QStringList items;
    for (int k = 0; k < combo->count(); ++k)
        items.append(combo->itemText(k));
    return items;
}

void VerifyNothingLoaded(const COrvaneDlg& dialog)
{
    QVERIFY(!dialog.Replay().Loaded() && dialog.Replay().Text().empty());
    QCOMPARE(Combo(dialog, IDC_SATELLITE_LIST)->count() + Combo(dialog, IDC_MESSAGE_LIST)->count(), 0);
    for (const int id : {IDC_RUN, IDC_PURGE, IDC_SATELLITE_LIST, IDC_REPLAY_SLIDER})
        QVERIFY2(!Find<QWidget>(dialog, id)->isEnabled(), qPrintable(QString::number(id)));
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

QList<int> Sorted(QList<int> ids)
{
    std::sort(ids.begin(), ids.end());
    return ids;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;  // config folder without config.ini
    QTemporaryDir m_Logs;

    // Three GPS RMC sentences among GGA sentences that make GPS offered.
    void Load(COrvaneDlg& dialog,
        const QByteArray& content = Sentences("GP", "GGA", 4) + Sentences("GP", "RMC", 3) + Sentences("GP", "GGA", 4))
    {
        QVERIFY(DropLog(dialog, m_Logs, "log.nmea", content));
    }

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
        QCOMPARE(Button(dialog, IDC_LIVE_INPUT)->text(), QString("Start Parsing"));
        QCOMPARE(dialog.windowTitle(), QString("Orvane"));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

        const DecodeCursor& cursor = dialog.Replay().Cursor();
        QCOMPARE(QPointF(cursor.m_Latitude, cursor.m_Longitude), QPointF(37.5554652, 126.9715542));
        QCOMPARE(cursor.m_TalkerRow, 8);
        for (const int id : {IDC_ENABLE_MAP, IDC_SECONDARY_MAP, IDC_SHOW_SIGNALS, IDC_ONLINE_MODE, IDC_REPEAT})
            QVERIFY2(!Button(dialog, id)->isChecked(), qPrintable(QString::number(id)));
        QVERIFY(!dialog.Replay().Loaded() && !dialog.Replay().Repeat());
        QCOMPARE(dialog.Replay().SpeedStep(), int16_t(1));
        QCOMPARE(Find<QSlider>(dialog, IDC_REPLAY_SLIDER)->maximum(), 10000);
        QVERIFY(!dialog.SatellitesDlg()->isVisible() && !dialog.SecondaryMapDlg()->isVisible());
        // Forwarding and upload are read at start; with no config.ini only
        // their status lines are written, after the line naming the file.
        QCOMPARE(DisplayText(dialog), QString("[Config] cient/url = upload.example.com (default)\r\n"
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
        QSignalSpy exit(Button(dialog, IDC_EXIT), &QPushButton::clicked);
        QSignalSpy clear(Button(dialog, IDC_CLEAR), &QPushButton::clicked);
        const QString before = DisplayText(dialog);
        QTest::keyClick(Find<QWidget>(dialog, focus), Qt::Key(key));
        QVERIFY(dialog.isVisible());
        QCOMPARE(finished.count() + exit.count() + clear.count(), 0);
        QCOMPARE(DisplayText(dialog), before);
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
            Button(dialog, IDC_EXIT)->click();
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
        auto* view = Find<QPlainTextEdit>(dialog, IDC_TEXT_VIEW);
        QSignalSpy rewrites(view->document(), &QTextDocument::contentsChange);
        for (int k = 1; k <= 3000; ++k)
            dialog.AppendLine(QString("line %1").arg(k));
        QCOMPARE(rewrites.count(), 0);
        QTRY_VERIFY(ViewShowsText(dialog));
        QVERIFY2(rewrites.count() <= 2, qPrintable(QString::number(rewrites.count())));
        QVERIFY(ViewText(dialog).startsWith("line 3000\nline 2999\n"));
        QCOMPARE(DisplayText(dialog).count("\r\n"), 100);
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
                Button(dialog, IDC_CLEAR)->click();
            QTRY_VERIFY(ViewShowsText(dialog));
        }
    }
    // A log is taken when it holds more than 100 characters, and offers the
    // talkers that occur more than ten times; zero bytes are left out. A
    // path of any length is taken whole.
    void dropLoads_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("lines");  // newest first, down to the file's name
        QTest::addColumn<QStringList>("talkers");
        const auto row = [](const char* tag, const QByteArray& content, const QStringList& lines,
                             const QStringList& talkers, const QString& name = "log.nmea") {
            QTest::newRow(tag) << name << content << lines << talkers;
        };
        const QStringList ok{"Load 'log.nmea' OK!", "log.nmea"};
        const QStringList fail{"Fail to load 'log.nmea'.", "log.nmea"};
        const QString invalid = "Invalid NMEA or not enough information";
        const QByteArray hundred(100, 'x');
        const QByteArray eleven = Sentences("GP", "RMC", 11);
        row("100 characters", hundred, fail, {});
        row("101 characters, no talker", hundred + 'x', QStringList{invalid} + ok, {});
        // Prefixes count whatever the type, and GN counts for itself only.
        row("GN and GP", Sentences("GN", "GSA", 11) + Sentences("GP", "TXT", 11) + Sentences("GL", "RMC", 10), ok,
            {"GPS (GP)", "IMES (GN)"});
        // A cut write leaves zero bytes; the text after them loads too.
        row("zero bytes in the middle", eleven + QByteArray(4000, '\0') + Sentences("GL", "RMC", 20),
            QStringList{"4000 zero bytes skipped"} + ok, {"GPS (GP)", "GLONASS (GL)"});
        row("zero byte first", QByteArray(1, '\0') + eleven, QStringList{"1 zero byte skipped"} + ok, {"GPS (GP)"});
        row("only zero bytes", QByteArray(500, '\0'), QStringList{"500 zero bytes skipped"} + fail, {});
        QString deep;
        for (int k = 0; k < 6; ++k)
            deep += QString(60, QChar('a' + k)) + '/';
        const QString longName = QString(80, 'n') + ".nmea";
        row("long path", eleven, {"Load '" + longName + "' OK!", longName}, {"GPS (GP)"}, deep + longName);
    }
    void dropLoads()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, talkers);
        QVERIFY(QDir().mkpath(QFileInfo(m_Logs.filePath(name)).path()));
        AnsweringSeam seam;
        COrvaneDlg dialog(&seam);
        dialog.DropFiles({WriteFile(m_Logs, name, content)});
        QCOMPARE(seam.messages, QStringList{});
        QCOMPARE(TopLines(dialog, lines.size()), lines);
        if (talkers.isEmpty()) {
            VerifyNothingLoaded(dialog);
            return;
        }
        const std::string text = QByteArray(content).replace('\0', "").toStdString();
        QVERIFY(dialog.Replay().Loaded());
        QCOMPARE(dialog.Replay().Text(), std::string_view(text));
        QCOMPARE(dialog.Replay().Cursor().m_ParsePosition, 0);
        QCOMPARE(Items(Combo(dialog, IDC_SATELLITE_LIST)), talkers);
        QCOMPARE(Combo(dialog, IDC_SATELLITE_LIST)->currentIndex(), 0);
        QCOMPARE(Combo(dialog, IDC_MESSAGE_LIST)->count(), int(std::size(MessageTable)));
        QCOMPARE(Combo(dialog, IDC_MESSAGE_LIST)->currentText(), QString("RMC (Recommended Minimum Spec)"));
        QCOMPARE(Button(dialog, IDC_RUN)->text(), QString("Run"));
        for (const int id : {IDC_RUN, IDC_SATELLITE_LIST, IDC_REPLAY_SLIDER})
            QVERIFY2(Find<QWidget>(dialog, id)->isEnabled(), qPrintable(QString::number(id)));
    }

    // A file that cannot be read, or is empty, is refused with a message
    // box, and the log loaded before is purged.
    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing"
                                 << "File Open Error";
        QTest::newRow("empty") << "empty"
                               << "File Size Error";
    }
    void refusals()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        if (name == "empty")
            WriteFile(m_Logs, name, QByteArray());
        AnsweringSeam seam;
        COrvaneDlg dialog(&seam);
        QVERIFY(DropLog(dialog, m_Logs, "good.nmea", Sentences("GP", "RMC", 11)));
        dialog.DropFiles({m_Logs.filePath(name)});
        QCOMPARE(seam.messages, QStringList{message});
        QCOMPARE(TopLines(dialog, 1), QStringList{name});
        VerifyNothingLoaded(dialog);
    }

    // Load Flie asks for any file; a cancelled dialog keeps the log that
    // was loaded.
    void loadButton_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirmed") << true;
        QTest::newRow("cancelled") << false;
    }
    void loadButton()
    {
        QFETCH(bool, confirm);
        AnsweringSeam seam;
        COrvaneDlg dialog(&seam);
        dialog.DropFiles({WriteFile(m_Logs, "before.nmea", Sentences("GL", "RMC", 11))});
        seam.answer = confirm ? WriteFile(m_Logs, "chosen.nmea", Sentences("GP", "RMC", 11)) : QString();
        Button(dialog, IDC_LOAD_FILE)->click();
        QCOMPARE(seam.requests.size(), 1);
        const OpenFileRequest& request = seam.requests.first();
        QCOMPARE(QStringList({request.filterName, request.pattern, request.defaultSuffix, request.initialName}),
            QStringList({"NMEA Files", "*.*", "NMEA", "*.*"}));
        QCOMPARE(TopLines(dialog, 1), QStringList{confirm ? "Load 'chosen.nmea' OK!" : "Load 'before.nmea' OK!"});
        QCOMPARE(Items(Combo(dialog, IDC_SATELLITE_LIST)), QStringList{confirm ? "GPS (GP)" : "GLONASS (GL)"});
        QVERIFY(Button(dialog, IDC_RUN)->isEnabled());
    }

    // The Load Flie dialog lists every file, logs named without a dot among
    // them; a typed name opens as it is, and only a name that does not
    // exist is tried with the default suffix.
    void openDialogListsAndOpensFilesWithoutDot()
    {
        QTemporaryDir dir;
        for (const char* name : {"gpslog", "gpslog.NMEA", "drive.NMEA"})
            QVERIFY(!WriteFile(dir, name, Sentences("GP", "RMC", 11)).isEmpty());
        const OpenFileRequest request{"NMEA Files", "*.*", "NMEA", "*.*"};
        const auto open = [&](const QString& typed) {
            auto dialog = std::make_unique<OpenFileDialog>(nullptr, request);
            dialog->setOption(QFileDialog::DontUseNativeDialog);
            dialog->setDirectory(dir.path());
            if (!typed.isEmpty()) {
                dialog->selectFile(typed);
                dialog->accept();
            }
            return dialog;
        };
        {
            const auto dialog = open(QString());
            auto* model = dialog->findChild<QFileSystemModel*>();
            QVERIFY(model);
            QTRY_COMPARE(model->rowCount(model->index(dir.path())), 3);
        }
        const std::pair<QString, QString> typedAndOpened[] = {{"gpslog", "gpslog"}, {"drive", "drive.NMEA"}};
        for (const auto& [typed, opened] : typedAndOpened) {
            const auto dialog = open(typed);
            QCOMPARE(dialog->result(), int(QDialog::Accepted));
            QCOMPARE(dialog->selectedFiles(), QStringList{dir.filePath(opened)});
        }
    }
    void threeSentences_data()
    {
        QTest::addColumn<bool>("repeat");
        QTest::newRow("once") << false;
        QTest::newRow("repeat") << true;
    }
    void threeSentences()
    {
        QFETCH(bool, repeat);
        COrvaneDlg dialog;
        Load(dialog);
        if (repeat) {
            Button(dialog, IDC_REPEAT)->click();
            QCOMPARE(Button(dialog, IDC_REPEAT)->text(), QString("Once"));
        }
        Button(dialog, IDC_RUN)->click();
        QCOMPARE(dialog.Replay().Cursor().m_TalkerRow, 0);
        QCOMPARE(Button(dialog, IDC_RUN)->text(), QString("Stop"));
        QVERIFY(dialog.Replay().Timer().isActive());
        QCOMPARE(dialog.Replay().Timer().interval(), 1000);
        for (const int id : {IDC_SATELLITE_LIST, IDC_MESSAGE_LIST, IDC_REPLAY_SLIDER, IDC_SHOW_SIGNALS})
            QVERIFY2(!Find<QWidget>(dialog, id)->isEnabled(), qPrintable(QString::number(id)));

        for (int second = 0; second < 3; ++second) {
            dialog.OnReplayTick();
            QCOMPARE(TopLine(dialog), RmcLine(second));
            QVERIFY(Find<QSlider>(dialog, IDC_REPLAY_SLIDER)->value() > 0 &&
                    Find<QSlider>(dialog, IDC_REPLAY_SLIDER)->value() < 10000);
        }
        dialog.OnReplayTick();
        if (repeat) {
            QCOMPARE(TopLines(dialog, 2), (QStringList{"Replay Log", RmcLine(2)}));
            QVERIFY(dialog.Replay().Timer().isActive());
            QCOMPARE(Button(dialog, IDC_RUN)->text(), QString("Stop"));
            dialog.OnReplayTick();
            QCOMPARE(TopLine(dialog), RmcLine(0));
            return;
        }
        QCOMPARE(TopLines(dialog, 2), (QStringList{"Finish Parsing", RmcLine(2)}));
        QCOMPARE(Find<QSlider>(dialog, IDC_REPLAY_SLIDER)->value(), 10000);
        QCOMPARE(dialog.Replay().Cursor().m_ParsePosition, -1);
        QVERIFY(!dialog.Replay().Timer().isActive());
        QCOMPARE(Button(dialog, IDC_RUN)->text(), QString("Run"));
        QVERIFY(Find<QSlider>(dialog, IDC_REPLAY_SLIDER)->isEnabled());

        // Run after the end replays from the beginning.
        Button(dialog, IDC_RUN)->click();
        dialog.OnReplayTick();
        QCOMPARE(TopLine(dialog), RmcLine(0));
    }

    // Run on a log that holds no sentence of the chosen talker and decoded
    // type says so, and names the talkers of the list that have the type;
    // the replay then finishes as before. A type that is there, or one the
    // replay does not decode, gets no such line.
    void runSaysWhatTheLogLacks_data()
    {
        QTest::addColumn<QString>("talker");
        QTest::addColumn<int>("messageRow");
        QTest::addColumn<QString>("line");  // empty: none
        QTest::newRow("talker without the type")
            << "GLONASS (GL)" << kRmcRow << "[Replay] the log has no GLRMC sentences; it has GPRMC, GNRMC";
        QTest::newRow("no talker with the type")
            << "GPS (GP)" << kZdaRow << "[Replay] the log has no GPZDA sentences; it has no ZDA sentences";
        QTest::newRow("talker with the type") << "IMES (GN)" << kRmcRow << QString();
        QTest::newRow("type not decoded") << "GLONASS (GL)" << kGsvRow << QString();
    }
    void runSaysWhatTheLogLacks()
    {
        QFETCH(QString, talker);
        QFETCH(int, messageRow);
        QFETCH(QString, line);
        COrvaneDlg dialog;
        // GL sends only GSA and GSV; GP and GN send RMC.
        Load(dialog, Sentences("GP", "RMC", 11) + Sentences("GL", "GSA", 6) + Sentences("GL", "GSV", 6) +
                         Sentences("GN", "RMC", 11, 20));
        QComboBox* talkers = Combo(dialog, IDC_SATELLITE_LIST);
        QCOMPARE(Items(talkers), (QStringList{"GPS (GP)", "GLONASS (GL)", "IMES (GN)"}));
        talkers->setCurrentIndex(talkers->findText(talker));
        QCOMPARE(talkers->currentText(), talker);
        Combo(dialog, IDC_MESSAGE_LIST)->setCurrentIndex(messageRow);
        const QStringList loaded = TopLines(dialog, 2);
        QCOMPARE(loaded.first(), QString("Load 'log.nmea' OK!"));

        Button(dialog, IDC_RUN)->click();
        QVERIFY(dialog.Replay().Running());
        QCOMPARE(TopLines(dialog, 2), (line.isEmpty() ? loaded : QStringList{line, loaded.first()}));
        dialog.Replay().HoldTimer();
        dialog.OnReplayTick();
        if (line.isEmpty() && messageRow == kRmcRow) {
            QCOMPARE(TopLine(dialog), RmcLine(20));
            // Stop writes nothing more.
            const QString lines = DisplayText(dialog);
            Button(dialog, IDC_RUN)->click();
            QCOMPARE(DisplayText(dialog), lines);
            return;
        }
        // The replay finishes at once, as it did without the line.
        QCOMPARE(TopLines(dialog, 2), (QStringList{"Finish Parsing", line.isEmpty() ? loaded.first() : line}));
        // Run after the end says it again.
        Button(dialog, IDC_RUN)->click();
        QCOMPARE(TopLine(dialog), line.isEmpty() ? QString("Finish Parsing") : line);
    }

    void timerDrivesTheReplay()
    {
        COrvaneDlg dialog;
        Load(dialog);
        while (dialog.Replay().SpeedStep() < 10)
            Button(dialog, IDC_FASTER)->click();
        Button(dialog, IDC_RUN)->click();
        QTRY_COMPARE(TopLines(dialog, 4), (QStringList{"Finish Parsing", RmcLine(2), RmcLine(1), RmcLine(0)}));
        QVERIFY(!dialog.Replay().Timer().isActive());
        QTRY_VERIFY(ViewShowsText(dialog));
    }

    void parserErrorStopsWithoutFinishing()
    {
        COrvaneDlg dialog;
        Load(dialog, Sentences("GP", "RMC", 1) + "$GPRMC,1*00\r\n" + Sentences("GP", "RMC", 10, 1));
        Button(dialog, IDC_RUN)->click();
        dialog.OnReplayTick();
        dialog.OnReplayTick();
        QVERIFY(TopLine(dialog).startsWith("[RMC] Error Code:  "));
        QVERIFY(!dialog.Replay().Running());
        const QString afterError = DisplayText(dialog);
        dialog.OnReplayTick();
        QCOMPARE(DisplayText(dialog), afterError);
        QVERIFY(!dialog.Replay().Timer().isActive());
        QCOMPARE(Button(dialog, IDC_RUN)->text(), QString("Run"));
        QVERIFY(Combo(dialog, IDC_MESSAGE_LIST)->isEnabled());
        // Run goes on after the failed sentence.
        Button(dialog, IDC_RUN)->click();
        dialog.OnReplayTick();
        QCOMPARE(TopLine(dialog), RmcLine(1));
    }

    // Ten steps, each with its period; Faster and Slower are disabled at
    // the ends.
    void speedSteps()
    {
        COrvaneDlg dialog;
        Load(dialog);
        Button(dialog, IDC_RUN)->click();
        const int periods[] = {1000, 500, 333, 250, 200, 166, 142, 125, 111, 100};
        // Faster up to step 10, then Slower down to step 1.
        for (int turn = 2; turn <= 19; ++turn) {
            const int step = turn <= 10 ? turn : 20 - turn;
            Button(dialog, turn <= 10 ? IDC_FASTER : IDC_SLOWER)->click();
            QCOMPARE(dialog.Replay().SpeedStep(), int16_t(step));
            QCOMPARE(dialog.Replay().Interval(), int16_t(periods[step - 1]));
            QCOMPARE(dialog.Replay().Timer().interval(), periods[step - 1]);
            QVERIFY(dialog.Replay().Timer().isActive());
            QCOMPARE(Button(dialog, IDC_FASTER)->isEnabled(), step < 10);
            QCOMPARE(Button(dialog, IDC_SLOWER)->isEnabled(), step > 1);
        }
    }

    // Letting go of the thumb, a page step and the wheel all seek: thumb
    // and replay position never disagree.
    void seekToTheMiddle()
    {
        // 20001 characters: sentences up to position 10000, then the rest.
        const QByteArray before = Sentences("GP", "RMC", 11);
        QByteArray content = before + QByteArray(10000 - before.size(), ' ');
        const QByteArray after = Sentences("GP", "RMC", 1, 30);
        content += after + QByteArray(20001 - content.size() - after.size(), ' ');
        COrvaneDlg dialog;
        Load(dialog, content);
        QSlider* slider = Find<QSlider>(dialog, IDC_REPLAY_SLIDER);
        slider->setSliderDown(true);
        slider->setSliderPosition(5000);
        slider->setSliderDown(false);
        QCOMPARE(dialog.Replay().SliderValue(), 5000);
        QCOMPARE(dialog.Replay().Cursor().m_ParsePosition, 10000);
        Button(dialog, IDC_RUN)->click();
        dialog.OnReplayTick();
        QCOMPARE(TopLine(dialog), RmcLine(30));

        Button(dialog, IDC_RUN)->click();
        slider->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(dialog.Replay().Cursor().m_ParsePosition, int(double(slider->value()) / 10000.0 * 20001));
        const int beforeWheel = slider->value();
        QWheelEvent wheel(QPointF(5, 5), slider->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(slider, &wheel);
        QVERIFY(slider->value() > beforeWheel);
        QCOMPARE(dialog.Replay().SliderValue(), slider->value());
        QCOMPARE(dialog.Replay().Cursor().m_ParsePosition, int(double(slider->value()) / 10000.0 * 20001));
    }

    // Purge stops and unloads but keeps the text; Clear empties the text.
    void purgeAndClear()
    {
        COrvaneDlg dialog;
        Load(dialog);
        Button(dialog, IDC_RUN)->click();
        dialog.OnReplayTick();
        const QString lines = DisplayText(dialog);
        Button(dialog, IDC_PURGE)->click();
        QVERIFY(!dialog.Replay().Timer().isActive());
        QVERIFY(!dialog.Replay().Running() && !dialog.Replay().Loaded());
        QCOMPARE(Combo(dialog, IDC_SATELLITE_LIST)->count() + Combo(dialog, IDC_MESSAGE_LIST)->count(), 0);
        for (const int id : {IDC_RUN, IDC_PURGE, IDC_SATELLITE_LIST, IDC_MESSAGE_LIST, IDC_REPLAY_SLIDER})
            QVERIFY2(!Find<QWidget>(dialog, id)->isEnabled(), qPrintable(QString::number(id)));
        QCOMPARE(Button(dialog, IDC_RUN)->text(), QString("Run"));
        QCOMPARE(Find<QSlider>(dialog, IDC_REPLAY_SLIDER)->value(), 0);
        QVERIFY(dialog.Replay().Text().empty());
        QCOMPARE(DisplayText(dialog), lines);

        Button(dialog, IDC_CLEAR)->click();
        QCOMPARE(DisplayText(dialog), QString());
        QCOMPARE(ViewText(dialog), QString());
    }

    // The whole loaded log, however far it was replayed; a cancelled
    // dialog writes nothing, a failed write says so.
    void loadedLog()
    {
        SavingSeam seam;
        COrvaneDlg dialog(&seam);
        QVERIFY(DropLog(dialog, m_Logs, "drive.nmea", Sentences("GP", "RMC", 20)));
        const QString path = m_Logs.filePath("loaded.gpx");
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
        seam.saveAnswer = m_Logs.filePath("no-such-folder/track.gpx");
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
        QVERIFY(UseConfig(m_Logs, TcpInputConfig(port)));
        SavingSeam seam;
        COrvaneDlg dialog(&seam);
        GoLive(dialog);
        QTcpSocket client;
        QVERIFY(ConnectInput(dialog, client, port));
        client.write(Sentences("GP", "RMC", 3) + Sentences("GN", "RMC", 2, 3));
        QTRY_COMPARE(dialog.TrackToSave().size(), size_t(5));

        seam.saveAnswer = m_Logs.filePath("live.gpx");
        dialog.OnSaveTrack();
        QCOMPARE(ReadBack(seam.saveAnswer).size(), 5);

        Button(dialog, IDC_ONLINE_MODE)->click();
        QCOMPARE(dialog.TrackToSave().size(), size_t(5));
        Button(dialog, IDC_ONLINE_MODE)->click();
        QCOMPARE(dialog.TrackToSave().size(), size_t(0));
        seam.saveAnswer = m_Logs.filePath("empty.gpx");
        dialog.OnSaveTrack();
        QCOMPARE(ReadBack(seam.saveAnswer), QStringList());
        QVERIFY(ReadFile(seam.saveAnswer).contains("<gpx version=\"1.1\""));
    }
};

ORVANE_PAGE_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
