// SPDX-License-Identifier: GPL-3.0-or-later
// A recording file, and the recorder the window drives: rotation past the
// size limit with the pause before the next file, and the failures to open
// and to write, each with its lines.

#include <QtTest>

#include "live/LiveRecorder.h"
#include "live/Recording.h"
#include "settings/StandardFolders.h"

using namespace orvane;

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A recorder in a folder of its own, its lines newest first.
struct Recorder {
    Recorder() { SetRecordingFolder(folder.path()); }
    ~Recorder() { SetRecordingFolder(QString()); }
    QTemporaryDir folder;
    QStringList lines;
    LiveRecorder recorder{[this](const QString& line) { lines.prepend(line); }};
    QSignalSpy changed{&recorder, &LiveRecorder::Changed};
};

}  // namespace

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

    // A file of exactly 3072000 bytes stays; the next write takes it past
    // and rotates it, and timer 546, one second, starts the next file; what
    // comes meanwhile is held for that file. With progress on, each write
    // gives the size.
    void rotation()
    {
        Recorder r;
        r.recorder.Toggle();
        const QString first = r.recorder.File().Path();
        QCOMPARE(r.lines, QStringList{"NMEA Recording (" + first + ")"});
        const std::string body(size_t(kRecordingSizeLimit), 'x');
        r.recorder.Step(body, true);
        QVERIFY(r.recorder.Recording() && !r.recorder.RestartTimer().isActive());
        QCOMPARE(r.lines.first(), QString("Recording Size:  3072000 / 3072000"));
        r.recorder.Step("last", true);
        QCOMPARE(r.lines.mid(0, 2), (QStringList{"Stop Recording", "Recording Size:  3072004 / 3072000"}));
        QVERIFY(!r.recorder.Recording() && !r.recorder.File().IsOpen());
        QCOMPARE(r.changed.count(), 2);
        const QTimer& restart = r.recorder.RestartTimer();
        QVERIFY(restart.isActive() && restart.isSingleShot());
        QCOMPARE(restart.interval(), 1000);
        r.recorder.Step("held 1 ", true);
        r.recorder.Step("held 2", false);
        QCOMPARE(r.lines.first(), QString("Stop Recording"));

        QVERIFY(r.changed.wait(3000));
        QVERIFY(r.recorder.Recording() && !restart.isActive());
        const QString second = r.recorder.File().Path();
        QCOMPARE(r.lines.first(), "NMEA Recording (" + second + ")");
        QVERIFY2(QFileInfo(second).fileName() > QFileInfo(first).fileName(), qPrintable(second));
        QCOMPARE(ReadFile(second), QByteArray("held 1 held 2"));
        QCOMPARE(ReadFile(first), QByteArray::fromStdString(body) + "last");
    }

    // Started by hand within the pause, a recording is stopped again when
    // the timer fires: the timer toggles.
    void restartTimerToggles()
    {
        Recorder r;
        r.recorder.Toggle();
        r.recorder.Step(std::string(size_t(kRecordingSizeLimit) + 1, 'x'), false);
        QVERIFY(r.recorder.RestartTimer().isActive());
        r.recorder.Toggle();
        QVERIFY(r.recorder.Recording());
        r.recorder.OnRestartTimer();
        QCOMPARE(r.lines.first(), QString("Stop Recording"));
        QVERIFY(!r.recorder.Recording() && !r.recorder.RestartTimer().isActive());
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
        Recorder r;
        r.recorder.Toggle();
        const QString path = r.recorder.File().Path();
        const std::string big(size_t(kRecordingSizeLimit) + 1, 'x');
        r.recorder.Step(big, false);
        QVERIFY(!r.recorder.Recording());
        r.recorder.Step("held 1 ", false);
        r.recorder.Step("held 2", false);
        r.recorder.CancelRestart();
        QVERIFY(!r.recorder.RestartTimer().isActive());
        QCOMPARE(r.lines.first(), QString("Stop Recording"));
        QCOMPARE(ReadFile(path), QByteArray::fromStdString(big + "held 1 held 2"));
        QCOMPARE(QDir(r.folder.path()).entryList(QDir::Files).size(), qsizetype(1));
    }

    // A folder that cannot take the file: the system's reason, padded on
    // the left to 1024 characters, then a line that names the recording and
    // its folder and says recording is off; nothing records, no change.
    void openFailure()
    {
        Recorder r;
        const QString missing = r.folder.filePath("missing");
        SetRecordingFolder(missing);
        const QDateTime before = QDateTime::currentDateTime();
        r.recorder.Toggle();
        const QDateTime after = QDateTime::currentDateTime();
        QVERIFY(!r.recorder.Recording() && r.changed.isEmpty());
        const QString reason = "No such file or directory";
        QCOMPARE(r.lines.size(), 2);
        QCOMPARE(r.lines[1], "Couldn't open source file: " + QString(1024 - reason.size(), ' ') + reason);
        const auto off = [&](const QDateTime& time) {
            return "Recording is off: the recording " + RecordingFileName(time) + " cannot be created in " + missing +
                   " (" + reason + ")";
        };
        QVERIFY2(r.lines[0] == off(before) || r.lines[0] == off(after), qPrintable(r.lines[0]));
        r.recorder.Step("$GPRMC*00\r\n", true);
        QCOMPARE(r.lines.size(), 2);
    }

    // A write that fails stops the recording with a line that says so, and
    // no size is reported for it.
    void writeFailureStops()
    {
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("no /dev/full here");
        Recorder r;
        // The next few seconds' names all lead to a full device.
        const QDateTime now = QDateTime::currentDateTime();
        for (int s = 0; s < 10; ++s)
            QVERIFY(QFile::link("/dev/full", r.folder.filePath(RecordingFileName(now.addSecs(s)))));
        r.recorder.Toggle();
        QVERIFY(r.recorder.Recording());
        r.recorder.Step("$GPRMC*00\r\n", true);
        QVERIFY(!r.recorder.Recording() && !r.recorder.RestartTimer().isActive());
        QCOMPARE(r.changed.count(), 2);
        QCOMPARE(r.lines.mid(0, 2),
            (QStringList{"Stop Recording",
                "Couldn't write the recording file: No space left on device (0 bytes written)"}));
        QCOMPARE(r.lines.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestRecording)
#include "tst_recording.moc"
