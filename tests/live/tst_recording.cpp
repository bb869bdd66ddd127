#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "live/LiveRecorder.h"
#include "live/Recording.h"

using namespace orvane;

class TestRecording : public QObject {
    Q_OBJECT
private slots:
    void fileName_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("name");
        QTest::newRow("padded") << QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)) << "[20260304] 050607.log";
        QTest::newRow("two digits") << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)) << "[20261231] 235959.log";
        QTest::newRow("midnight") << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0)) << "[20270101] 000000.log";
        QTest::newRow("early year") << QDateTime(QDate(999, 1, 2), QTime(3, 4, 5)) << "[09990102] 030405.log";
    }
    void fileName()
    {
        QFETCH(QDateTime, time);
        QFETCH(QString, name);
        QCOMPARE(RecordingFileName(time), name);
    }

    // Bytes land unchanged, each append after the last; size counts them.
    void appendsByteForByte()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.log");
        RecordingFile file;
        QString reason;
        QVERIFY(file.Open(path, reason));
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all += char(i);
        QVERIFY(file.Append(std::string_view(all.constData(), size_t(all.size())), reason));
        QVERIFY(file.Append("$GPRMC,1*00\r\n", reason));
        QCOMPARE(file.Size(), qint64(256 + 13));
        // Flushed: another reader sees everything while the file is still open.
        QFile reader(path);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        QCOMPARE(reader.readAll(), all + "$GPRMC,1*00\r\n");
        file.Close();
        QVERIFY(!file.IsOpen());
    }

    // Opening an existing file cuts it to zero length.
    void openTruncates()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("b.log");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        QCOMPARE(old.write("old content that must go"), qint64(24));
        old.close();
        RecordingFile file;
        QString reason;
        QVERIFY(file.Open(path, reason));
        QCOMPARE(file.Size(), qint64(0));
        QCOMPARE(QFileInfo(path).size(), qint64(0));
    }

    // A folder that is missing or a path under a regular file gives the system's reason.
    void openFailsWithReason_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "missing/x.log"
                                        << "No such file or directory";
        QTest::newRow("parent is a file") << "plain/x.log"
                                          << "Not a directory";
    }
    void openFailsWithReason()
    {
        QFETCH(QString, relative);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QFile plain(dir.filePath("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        RecordingFile file;
        QString got;
        QVERIFY(!file.Open(dir.filePath(relative), got));
        QCOMPARE(got, reason);
        QVERIFY(!file.IsOpen());
    }

    // A full device: the write fails with the system's reason and nothing is
    // counted that the device did not take.
    void fullDeviceFails()
    {
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("no /dev/full here");
        RecordingFile file;
        QString reason;
        QVERIFY(file.Open("/dev/full", reason));
        QVERIFY(!file.Append("$GPRMC*00\r\n", reason));
        QCOMPARE(reason, QString("No space left on device"));
        QCOMPARE(file.Size(), qint64(0));
    }

    void folderSeam()
    {
        SetRecordingFolder("/tmp/somewhere");
        QCOMPARE(RecordingFolder(), QString("/tmp/somewhere"));
        SetRecordingFolder(QString());
        QCOMPARE(RecordingFolder(), QCoreApplication::applicationDirPath());
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
