// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include "live/LiveRecorder.h"
#include "live/Recording.h"
#include "settings/StandardFolders.h"

using namespace orvane;

class TestRecording : public QObject {
    Q_OBJECT
private slots:
    void fileName_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("name");
        QTest::newRow("two digits") << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)) << "[20261231] 235959.log";
        QTest::newRow("padded") << QDateTime(QDate(999, 1, 2), QTime(3, 4, 5)) << "[09990102] 030405.log";
    }
    void fileName()
    {
        QFETCH(QDateTime, time);
        QFETCH(QString, name);
        QCOMPARE(RecordingFileName(time), name);
    }

    // Opening cuts an existing file to zero length; bytes land unchanged,
    // each append after the last, flushed at once, and Size counts them.
    void appendsByteForByte()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.log");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old content that must go") == 24);
        old.close();
        RecordingFile file;
        QString reason;
        QVERIFY(file.Open(path, reason));
        QCOMPARE(QFileInfo(path).size(), qint64(0));
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all += char(i);
        QVERIFY(file.Append(std::string_view(all.constData(), size_t(all.size())), reason));
        QVERIFY(file.Append("$GPRMC,1*00\r\n", reason));
        QCOMPARE(file.Size(), qint64(256 + 13));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), all + "$GPRMC,1*00\r\n");
        file.Close();
        QVERIFY(!file.IsOpen());
    }

    // A missing folder, and a full device that takes nothing: the system's
    // reason, and nothing counted.
    void failuresGiveTheSystemsReason()
    {
        QTemporaryDir dir;
        RecordingFile file;
        QString reason;
        QVERIFY(!file.Open(dir.filePath("missing/x.log"), reason));
        QCOMPARE(reason, QString("No such file or directory"));
        QVERIFY(!file.IsOpen());
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("no /dev/full here");
        QVERIFY(file.Open("/dev/full", reason));
        QVERIFY(!file.Append("$GPRMC*00\r\n", reason));
        QCOMPARE(reason, QString("No space left on device"));
        QCOMPARE(file.Size(), qint64(0));
    }

    // Without a folder of their own, recordings go beside the program.
    void folderSeam()
    {
        SetRecordingFolder(QString());
        QCOMPARE(RecordingFolder(), QCoreApplication::applicationDirPath());
    }

    // The program's folder when it can be written and is a build's, else
    // the user's: an installed program (in /usr/bin, run as root, or
    // beside an installation's data folder) never records among its files.
    void recordingFolder()
    {
        QTemporaryDir prefix;
        const QString bin = prefix.filePath("usr/bin");
        const QString data = InstalledDataFolder(bin);
        const QString user = "/home/u/.local/share/orvane/recordings";
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(data));
        QCOMPARE(ChooseRecordingFolder(bin, "/home/u/.local/share"), bin);
        QCOMPARE(ChooseRecordingFolder(prefix.filePath("gone"), "/home/u/.local/share"), user);
        QCOMPARE(ChooseRecordingFolder("/usr/bin", "/home/u/.local/share"), user);
        QCOMPARE(ChooseRecordingFolder("/usr/local/bin/", "/home/u/.local/share"), user);
        QVERIFY(QFile(data + "/config.ini").open(QIODevice::WriteOnly));
        QCOMPARE(ChooseRecordingFolder(bin, "/home/u/.local/share"), user);
        QVERIFY(QFile(bin + "/config.ini").open(QIODevice::WriteOnly));
        QCOMPARE(ChooseRecordingFolder(bin, "/home/u/.local/share"), bin);
    }

    // A rotation whose next file never starts (online mode is left within
    // the second): the bytes held meanwhile end the file they followed.
    void cancelledRotationKeepsHeldBytes()
    {
        QTemporaryDir dir;
        SetRecordingFolder(dir.path());
        QStringList lines;
        LiveRecorder recorder([&lines](const QString& line) { lines.prepend(line); });
        recorder.Toggle();
        QVERIFY(recorder.Recording());
        const QString path = recorder.File().Path();
        const std::string big(size_t(kRecordingSizeLimit) + 1, 'x');
        recorder.Step(big, false);
        QVERIFY(!recorder.Recording());
        QVERIFY(recorder.RestartTimer().isActive());
        recorder.Step("held 1 ", false);
        recorder.Step("held 2", false);
        recorder.CancelRestart();
        QVERIFY(!recorder.RestartTimer().isActive());
        QCOMPARE(lines.first(), QString("Stop Recording"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray::fromStdString(big + "held 1 held 2"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), qsizetype(1));
        SetRecordingFolder(QString());
    }
};

QTEST_GUILESS_MAIN(TestRecording)
#include "tst_recording.moc"
