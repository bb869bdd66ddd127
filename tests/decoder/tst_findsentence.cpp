#include <QtTest>

#include "decoder/FindSentence.h"
#include "decoder/Tables.h"

using namespace orvane;

class TestFindSentence : public QObject {
    Q_OBJECT
private slots:
    void results_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("talker");
        QTest::addColumn<int>("message");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("sentence");
        // A GGA that lost its "*" runs on across the line end to the next "*".
        QTest::newRow("across line end") << QByteArray("$GPGGA,1\r\n$GPRMC,1*12") << 0 << 0 << kGgaRow << 19
                                         << QByteArray("$GPGGA,1\r\n$GPRMC,1*");
        QTest::newRow("second of two") << QByteArray("$GPRMC,1*00\r\n$GPRMC,2*00") << 11 << 0 << kRmcRow << 22
                                       << QByteArray("$GPRMC,2*");
        QTest::newRow("no star: text length") << QByteArray("xx$GPRMC,1,2") << 0 << 0 << kRmcRow << 12 << QByteArray();
        QTest::newRow("not present") << QByteArray("$GPGGA,1*00") << 0 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("seven-letter address")
            << QByteArray("$GNGGAH,1*00") << 0 << 7 << kGgaRow << 10 << QByteArray("$GNGGAH,1*");
        QTest::newRow("not at line start")
            << QByteArray("junk$GPZDA,1*") << 0 << 0 << kZdaRow << 13 << QByteArray("$GPZDA,1*");
        QTest::newRow("case-sensitive") << QByteArray("$gprmc,1*00") << 0 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("pattern cut by end") << QByteArray("abc$GPRM") << 0 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("start past the $") << QByteArray("$GPRMC,1*00") << 1 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("negative start") << QByteArray("$GPRMC,1*00") << -1 << 0 << kRmcRow << -1 << QByteArray();
        QTest::newRow("star at the very end")
            << QByteArray("$GPRMC*") << 0 << 0 << kRmcRow << 7 << QByteArray("$GPRMC*");
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

    // Rejected arguments leave the output as it was.
    void rejectedArguments_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("talker");
        QTest::addColumn<int>("message");
        QTest::newRow("start at length") << 11 << 0 << kRmcRow;
        QTest::newRow("talker 8") << 0 << 8 << kRmcRow;
        QTest::newRow("talker -1") << 0 << -1 << kRmcRow;
        QTest::newRow("message 18") << 0 << 0 << 18;
        QTest::newRow("message -1") << 0 << 0 << -1;
    }
    void rejectedArguments()
    {
        QFETCH(int, start);
        QFETCH(int, talker);
        QFETCH(int, message);
        const std::string_view text = "$GPRMC,1*00";
        std::string_view out = "previous";
        QCOMPARE(FindSentence(text, start, talker, message, out), -1);
        QCOMPARE(out, std::string_view("previous"));
    }

    // Following the results walks every sentence once and then ends.
    void walkToTheEnd()
    {
        const std::string_view text = "$GPRMC,1*0A\r\n$GPGGA,2*0B\r\n$GPRMC,3*0C\r\n$GPRMC,4";
        std::vector<std::string_view> found;
        int32_t position = 0;
        std::string_view out;
        while ((position = FindSentence(text, position, 0, kRmcRow, out)) >= 1) {
            found.push_back(out);
            if (out.empty())
                QCOMPARE(position, int32_t(text.size()));
        }
        QCOMPARE(found.size(), size_t(3));
        QCOMPARE(found[0], std::string_view("$GPRMC,1*"));
        QCOMPARE(found[1], std::string_view("$GPRMC,3*"));
        QVERIFY(found[2].empty());
    }
};

QTEST_APPLESS_MAIN(TestFindSentence)
#include "tst_findsentence.moc"
