// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <fstream>

#include "replay/LogText.h"

using namespace orvane;

class TestLoadedLog : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = m_Folder.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

private slots:
    void loads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("mapped");
        QTest::addColumn<int>("zeros");
        QTest::newRow("plain text is mapped") << QByteArray("$GPRMC,1*00\r\n").repeated(100) << true << 0;
        QTest::newRow("zero bytes are left out of a copy")
            << QByteArray("$GP\0\0RMC,1*00\r\n\0", 16).repeated(50) << false << 150;
        QTest::newRow("empty file") << QByteArray() << false << 0;
    }

    // The text is the file's bytes without zero bytes, mapped when they
    // are the text as they are.
    void loads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, mapped);
        QFETCH(int, zeros);
        const std::string path = Write("log", bytes.toStdString());
        LoadedLog log;
        std::string reason;
        size_t skipped = 99;
        QVERIFY(ReadLogFile(path, true, log, reason, &skipped));
        QCOMPARE(log.Mapped(), mapped);
        QCOMPARE(int(skipped), zeros);
        QCOMPARE(QByteArray(log.View().data(), qsizetype(log.View().size())), QByteArray(bytes).replace('\0', ""));
        // A copy shares the text, which outlives the original.
        const LoadedLog copy = log;
        log.Clear();
        QVERIFY(log.Empty());
        QCOMPARE(QByteArray(copy.View().data(), qsizetype(copy.View().size())), QByteArray(bytes).replace('\0', ""));
    }

    void refusesWhatIsNoFile()
    {
        const std::string fifo = m_Folder.filePath("fifo").toStdString();
        QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
        LoadedLog log;
        std::string reason;
        QVERIFY(!ReadLogFile(fifo, true, log, reason));
        QCOMPARE(reason, std::string("Not a regular file"));
        QVERIFY(!ReadLogFile(m_Folder.path().toStdString(), true, log, reason));
        QVERIFY(log.Empty());
    }

    // Another program cuts the mapped log short: the lost part reads as
    // zero bytes instead of ending the program, what is left reads as it
    // was, and a log mapped afterwards is guarded as well.
    void fileCutShortReadsAsZeros()
    {
        const std::string line = "$GPRMC,1*00\r\n";
        std::string bytes;
        while (bytes.size() < 64 * 1024)
            bytes += line;
        for (int round = 0; round < 2; ++round) {
            const std::string path = Write("cut" + std::to_string(round) + ".nmea", bytes);
            LoadedLog log;
            std::string reason;
            QVERIFY2(ReadLogFile(path, true, log, reason), reason.c_str());
            QVERIFY(log.Mapped());
            QCOMPARE(::truncate(path.c_str(), 4096), 0);
            const std::string_view text = log.View();
            QCOMPARE(text.size(), bytes.size());
            QCOMPARE(text.substr(0, 4096), std::string_view(bytes).substr(0, 4096));
            QVERIFY(std::all_of(text.begin() + 8192, text.end(), [](char c) { return c == '\0'; }));
        }
    }
};

QTEST_MAIN(TestLoadedLog)
#include "tst_loadedlog.moc"
