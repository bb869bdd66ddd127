#include <QtTest>

#include "decoder/FindSentence.h"
#include "decoder/Tables.h"

using namespace orvane;

class TestFindSentence : public QObject {
    Q_OBJECT
private slots:
    // The result and the sentence found, which starts out as "previous":
    // rejected arguments leave it alone, a search that finds nothing empties it.
    void results_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("talker");
        QTest::addColumn<int>("message");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("sentence");
        const QByteArray rmc = "$GPRMC,1*00";
        // A GGA that lost its "*" runs on across the line end to the next "*".
        QTest::newRow("across line end") << QByteArray("$GPGGA,1\r\n$GPRMC,1*12") << 0 << 0 << kGgaRow << 19
                                         << QByteArray("$GPGGA,1\r\n$GPRMC,1*");
        QTest::newRow("second of two") << rmc + "\r\n$GPRMC,2*00" << 11 << 0 << kRmcRow << 22
                                       << QByteArray("$GPRMC,2*");
        QTest::newRow("no star: text length") << QByteArray("xx$GPRMC,1,2") << 0 << 0 << kRmcRow << 12 << QByteArray();
        QTest::newRow("not present") << QByteArray("$GPGGA,1*00") << 0 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("seven-letter address")
            << QByteArray("$GNGGAH,1*00") << 0 << 7 << kGgaRow << 10 << QByteArray("$GNGGAH,1*");
        QTest::newRow("not at line start")
            << QByteArray("junk$GPZDA,1*") << 0 << 0 << kZdaRow << 13 << QByteArray("$GPZDA,1*");
        QTest::newRow("case-sensitive") << QByteArray("$gprmc,1*00") << 0 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("pattern cut by end") << QByteArray("abc$GPRM") << 0 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("start past the $") << rmc << 1 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("negative start") << rmc << -1 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("star at the very end")
            << QByteArray("$GPRMC*") << 0 << 0 << kRmcRow << 7 << QByteArray("$GPRMC*");
        QTest::newRow("start at length") << rmc << 11 << 0 << kRmcRow << -1 << QByteArray("previous");
        QTest::newRow("talker 8") << rmc << 0 << 8 << kRmcRow << -1 << QByteArray("previous");
        QTest::newRow("talker -1") << rmc << 0 << -1 << kRmcRow << -1 << QByteArray("previous");
        QTest::newRow("message 18") << rmc << 0 << 0 << 18 << -1 << QByteArray("previous");
        QTest::newRow("message -1") << rmc << 0 << 0 << -1 << -1 << QByteArray("previous");
    }
    void results()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, start);
        QFETCH(int, talker);
        QFETCH(int, message);
        QFETCH(int, result);
        QFETCH(QByteArray, sentence);
        std::string_view out = "previous";
        QCOMPARE(FindSentence(std::string_view(text.constData(), size_t(text.size())), start, talker, message, out),
            result);
        QCOMPARE(QByteArray(out.data(), qsizetype(out.size())), sentence);
    }
};

QTEST_APPLESS_MAIN(TestFindSentence)
#include "tst_findsentence.moc"
