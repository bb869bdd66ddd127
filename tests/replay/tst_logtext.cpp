// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include "replay/LogText.h"

using namespace orvane;

class TestLogText : public QObject {
    Q_OBJECT
private slots:
    // A power cut leaves runs of zero bytes where a write was cut; the
    // text around them loads whole, across read chunks too.
    void zeroBytesAreLeftOutNotTheRest()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("log.nmea");
        QByteArray bytes = QByteArray("$GPRMC,1*00\r\n") + '\0' + QByteArray("$GPRMC,2*00\r\n");
        bytes += QByteArray(300000, 'x') + QByteArray(70000, '\0') + "$GPRMC,3*00\r\n" + '\0';
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        std::string text, reason;
        size_t zeros = 0;
        QVERIFY(ReadLogFile(path.toStdString(), true, text, reason, &zeros));
        QCOMPARE(zeros, size_t(70002));
        QCOMPARE(text, QByteArray(bytes).replace('\0', "").toStdString());
    }

    void refusals()
    {
        QTemporaryDir dir;
        std::string text = "kept?", reason;
        QVERIFY(!ReadLogFile(dir.filePath("missing").toStdString(), true, text, reason));
        QCOMPARE(reason, std::string("No such file or directory"));
        QVERIFY(!ReadLogFile(dir.path().toStdString(), false, text, reason));
        QCOMPARE(reason, std::string("Is a directory"));
    }
};

QTEST_APPLESS_MAIN(TestLogText)
#include "tst_logtext.moc"
