#include <QtTest>

#include <QComboBox>
#include <QFileSystemModel>
#include <QMimeData>

#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "AppTestSupport.h"

using namespace orvane;

namespace {

const QStringList kMessageList = [] {
    QStringList list;
    for (const MessageEntry& entry : MessageTable)
        list.append(QString::fromLatin1(entry.display.data(), entry.display.size()));
    return list;
}();

QStringList Items(const QComboBox* combo)
{
    QStringList items;
    for (int k = 0; k < combo->count(); ++k)
        items.append(combo->itemText(k));
    return items;
}

}  // namespace

class TestLoading : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;  // config folder without config.ini
    QTemporaryDir m_Logs;

    // The state of a window with nothing loaded.
    static void VerifyNothingLoaded(const COrvaneDlg& dialog)
    {
        QVERIFY(!dialog.State().m_Loaded);
        QVERIFY(dialog.State().NmeaText.empty());
        QCOMPARE(dialog.State().NmeaTextLength, 0);
        QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->count(), 0);
        QCOMPARE(dialog.Combo(IDC_MESSAGE_LIST)->count(), 0);
        QVERIFY(!dialog.Button(IDC_RUN)->isEnabled());
        QVERIFY(!dialog.Button(IDC_PURGE)->isEnabled());
        QVERIFY(!dialog.Combo(IDC_SATELLITE_LIST)->isEnabled());
        QVERIFY(!dialog.Slider()->isEnabled());
    }

private slots:
    void initTestCase() { SetConfigFolder(m_Folder.path()); }

    void dropLoads_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("lines");  // newest first, down to the file's name
        QTest::addColumn<QStringList>("talkers");
        QTest::addColumn<int>("length");

        const QByteArray hundred(100, 'x');
        QTest::newRow("100 characters") << hundred << QStringList{"Fail to load 'log.nmea'.", "log.nmea"}
                                        << QStringList{} << 0;
        QTest::newRow("101 characters, no talker")
            << hundred + 'x'
            << QStringList{"Invalid NMEA or not enough information", "Load 'log.nmea' OK!", "log.nmea"}
            << QStringList{} << 0;
        QTest::newRow("ten GPS sentences")
            << Sentences("GP", "RMC", 10)
            << QStringList{"Invalid NMEA or not enough information", "Load 'log.nmea' OK!", "log.nmea"}
            << QStringList{} << 0;
        const QByteArray eleven = Sentences("GP", "RMC", 11);
        QTest::newRow("eleven GPS sentences") << eleven << QStringList{"Load 'log.nmea' OK!", "log.nmea"}
                                              << QStringList{"GPS (GP)"} << int(eleven.size());
        // Prefixes count whatever the type, and GN counts for itself only.
        const QByteArray mixed = Sentences("GN", "GSA", 11) + Sentences("GP", "TXT", 11) + Sentences("GL", "RMC", 10);
        QTest::newRow("GN and GP") << mixed << QStringList{"Load 'log.nmea' OK!", "log.nmea"}
                                   << QStringList{"GPS (GP)", "IMES (GN)"} << int(mixed.size());
        // A cut write leaves zero bytes; the text after them loads too.
        const QByteArray glonass = Sentences("GL", "RMC", 20);
        QTest::newRow("zero bytes in the middle are skipped")
            << eleven + QByteArray(4000, '\0') + glonass
            << QStringList{"4000 zero bytes skipped", "Load 'log.nmea' OK!", "log.nmea"}
            << QStringList{"GPS (GP)", "GLONASS (GL)"} << int(eleven.size() + glonass.size());
        QTest::newRow("zero byte first is skipped")
            << QByteArray(1, '\0') + eleven << QStringList{"1 zero byte skipped", "Load 'log.nmea' OK!", "log.nmea"}
            << QStringList{"GPS (GP)"} << int(eleven.size());
        QTest::newRow("only zero bytes") << QByteArray(500, '\0')
                                         << QStringList{"500 zero bytes skipped", "Fail to load 'log.nmea'.", "log.nmea"}
                                         << QStringList{} << 0;
    }

    void dropLoads()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, talkers);
        QFETCH(int, length);
        AnsweringSeam seam;
        COrvaneDlg dialog(&seam);
        const QString path = WriteFile(m_Logs, "log.nmea", content);
        dialog.DropFiles({path});
        QCOMPARE(seam.messages, QStringList{});
        QCOMPARE(TopLines(dialog, lines.size()), lines);
        if (talkers.isEmpty()) {
            VerifyNothingLoaded(dialog);
            return;
        }
        QVERIFY(dialog.State().m_Loaded);
        QCOMPARE(dialog.State().NmeaTextLength, length);
        QCOMPARE(dialog.State().NmeaText, QByteArray(content).replace('\0', "").toStdString());
        QCOMPARE(dialog.State().m_ParsePosition, 0);
        QCOMPARE(Items(dialog.Combo(IDC_SATELLITE_LIST)), talkers);
        QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->currentIndex(), 0);
        QCOMPARE(Items(dialog.Combo(IDC_MESSAGE_LIST)), kMessageList);
        QCOMPARE(dialog.Combo(IDC_MESSAGE_LIST)->currentText(), QString("RMC (Recommended Minimum Spec)"));
        QVERIFY(dialog.Button(IDC_RUN)->isEnabled());
        QCOMPARE(dialog.Button(IDC_RUN)->text(), QString("Run"));
        QVERIFY(dialog.Combo(IDC_SATELLITE_LIST)->isEnabled());
        QVERIFY(dialog.Slider()->isEnabled());
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing" << "File Open Error";
        QTest::newRow("directory") << "directory" << "File Open Error";
        QTest::newRow("fifo") << "fifo" << "File Open Error";
        QTest::newRow("socket") << "socket" << "File Open Error";
        QTest::newRow("unreadable") << "unreadable" << "File Open Error";
        QTest::newRow("empty") << "empty" << "File Size Error";
    }

    void refusals()
    {
        QFETCH(QString, what);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QString path = dir.filePath(what);
        if (what == "directory")
            QVERIFY(QDir().mkdir(path));
        else if (what == "fifo")
            QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
        else if (what == "socket") {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            const QByteArray local = path.toLocal8Bit();
            QVERIFY(size_t(local.size()) < sizeof(address.sun_path));
            std::memcpy(address.sun_path, local.constData(), size_t(local.size()));
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            QVERIFY(fd >= 0);
            QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
            ::close(fd);
        } else if (what == "empty")
            path = WriteFile(dir, what, QByteArray());
        else if (what == "unreadable") {
            if (::geteuid() == 0)
                QSKIP("root reads any file");
            path = WriteFile(dir, what, Sentences("GP", "RMC", 11));
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        }
        AnsweringSeam seam;
        COrvaneDlg dialog(&seam);
        // A log loaded before is purged by the attempt.
        dialog.DropFiles({WriteFile(m_Logs, "good.nmea", Sentences("GP", "RMC", 11))});
        QVERIFY(dialog.State().m_Loaded);
        dialog.DropFiles({path});
        QCOMPARE(seam.messages, QStringList{message});
        QCOMPARE(TopLines(dialog, 1), QStringList{what});
        VerifyNothingLoaded(dialog);
    }

    void readOnlyFileLoads()
    {
        QTemporaryDir dir;
        const QString path = WriteFile(dir, "shared.nmea", Sentences("GP", "RMC", 11));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        AnsweringSeam seam;
        COrvaneDlg dialog(&seam);
        dialog.DropFiles({path});
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner));
        QCOMPARE(seam.messages, QStringList{});
        QVERIFY(dialog.State().m_Loaded);
        QCOMPARE(TopLines(dialog, 1), QStringList{"Load 'shared.nmea' OK!"});
    }

    void longPathIsNotCut()
    {
        QTemporaryDir dir;
        QString folder = dir.path();
        for (int k = 0; k < 6; ++k)
            folder += '/' + QString(60, QChar('a' + k));
        QVERIFY(QDir().mkpath(folder));
        const QString name = QString(80, 'n') + ".nmea";
        QTemporaryDir logs(folder + "/XXXXXX");
        const QString path = WriteFile(logs, name, Sentences("GP", "RMC", 11));
        QVERIFY(path.size() > 300);
        COrvaneDlg dialog;
        dialog.DropFiles({path});
        QVERIFY(dialog.State().m_Loaded);
        QCOMPARE(TopLines(dialog, 2), (QStringList{"Load '" + name + "' OK!", name}));
    }

    void realDropTakesTheFirstFileOnly()
    {
        const QString first = WriteFile(m_Logs, "first.nmea", Sentences("GP", "RMC", 11));
        const QString second = WriteFile(m_Logs, "second.nmea", Sentences("GL", "RMC", 11));
        const QString third = WriteFile(m_Logs, "third.nmea", Sentences("GA", "RMC", 11));
        COrvaneDlg dialog;
        dialog.show();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second), QUrl::fromLocalFile(third)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&dialog, &drop);
        QCOMPARE(TopLines(dialog, 2), (QStringList{"Load 'first.nmea' OK!", "first.nmea"}));
        QCOMPARE(Items(dialog.Combo(IDC_SATELLITE_LIST)), QStringList{"GPS (GP)"});
    }

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
        QCOMPARE(request.filterName, QString("NMEA Files"));
        QCOMPARE(request.pattern, QString("*.*"));
        QCOMPARE(request.defaultSuffix, QString("NMEA"));
        QCOMPARE(request.initialName, QString("*.*"));
        // A cancelled dialog keeps the log that was loaded.
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
        for (const char* name : {"gpslog", "capture_2026", "drive.NMEA"})
            QVERIFY(!WriteFile(dir, name, Sentences("GP", "RMC", 11)).isEmpty());
        const OpenFileRequest request{"NMEA Files", "*.*", "NMEA", "*.*"};
        {
            OpenFileDialog dialog(nullptr, request);
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            dialog.setDirectory(dir.path());
            auto* model = dialog.findChild<QFileSystemModel*>();
            QVERIFY(model);
            QTRY_COMPARE(model->rowCount(model->index(dir.path())), 3);
        }
        const QList<QPair<QString, QString>> typedAndOpened{
            {"gpslog", "gpslog"}, {"capture_2026", "capture_2026"}, {"drive", "drive.NMEA"}};
        for (const auto& [typed, opened] : typedAndOpened) {
            OpenFileDialog dialog(nullptr, request);
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            dialog.setDirectory(dir.path());
            dialog.selectFile(typed);
            dialog.accept();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.selectedFiles(), QStringList{dir.filePath(opened)});
        }
    }
};

QTEST_MAIN(TestLoading)
#include "tst_loading.moc"
