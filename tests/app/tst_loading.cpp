#include <QtTest>

#include <QComboBox>
#include <QFileSystemModel>

#include "AppTestSupport.h"

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
    QVERIFY(!dialog.State().m_Loaded && dialog.State().NmeaText.empty());
    QCOMPARE(dialog.State().NmeaTextLength, 0);
    QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->count() + dialog.Combo(IDC_MESSAGE_LIST)->count(), 0);
    for (const int id : {IDC_RUN, IDC_PURGE, IDC_SATELLITE_LIST, IDC_REPLAY_SLIDER})
        QVERIFY2(!dialog.Control(id)->isEnabled(), qPrintable(QString::number(id)));
}

}  // namespace

class TestLoading : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;  // config folder without config.ini
    QTemporaryDir m_Logs;

private slots:
    void initTestCase() { SetConfigFolder(m_Folder.path()); }

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
        row("ten GPS sentences", Sentences("GP", "RMC", 10), QStringList{invalid} + ok, {});
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
        QVERIFY(dialog.State().m_Loaded);
        QCOMPARE(dialog.State().Text(), std::string_view(text));
        QCOMPARE(dialog.State().NmeaTextLength, int(text.size()));
        QCOMPARE(dialog.State().m_ParsePosition, 0);
        QCOMPARE(Items(dialog.Combo(IDC_SATELLITE_LIST)), talkers);
        QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->currentIndex(), 0);
        QCOMPARE(dialog.Combo(IDC_MESSAGE_LIST)->count(), int(std::size(MessageTable)));
        QCOMPARE(dialog.Combo(IDC_MESSAGE_LIST)->currentText(), QString("RMC (Recommended Minimum Spec)"));
        QCOMPARE(dialog.Button(IDC_RUN)->text(), QString("Run"));
        for (const int id : {IDC_RUN, IDC_SATELLITE_LIST, IDC_REPLAY_SLIDER})
            QVERIFY2(dialog.Control(id)->isEnabled(), qPrintable(QString::number(id)));
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
        dialog.DropFiles({WriteFile(m_Logs, "good.nmea", Sentences("GP", "RMC", 11))});
        QVERIFY(dialog.State().m_Loaded);
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
        dialog.Button(IDC_LOAD_FILE)->click();
        QCOMPARE(seam.requests.size(), 1);
        const OpenFileRequest& request = seam.requests.first();
        QCOMPARE(QStringList({request.filterName, request.pattern, request.defaultSuffix, request.initialName}),
            QStringList({"NMEA Files", "*.*", "NMEA", "*.*"}));
        QCOMPARE(TopLines(dialog, 1), QStringList{confirm ? "Load 'chosen.nmea' OK!" : "Load 'before.nmea' OK!"});
        QCOMPARE(Items(dialog.Combo(IDC_SATELLITE_LIST)), QStringList{confirm ? "GPS (GP)" : "GLONASS (GL)"});
        QVERIFY(dialog.Button(IDC_RUN)->isEnabled());
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
};

QTEST_MAIN(TestLoading)
#include "tst_loading.moc"
