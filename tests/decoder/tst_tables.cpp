#include <QtTest>

#include "decoder/Tables.h"

using namespace orvane;

class TestTables : public QObject {
    Q_OBJECT
private slots:
    void talkerRowFromLabel_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("row");
        QTest::newRow("GPS") << "GPS (GP)" << 0;
        QTest::newRow("BeiDou GB") << "BeiDou (GB)" << 3;
        QTest::newRow("BeiDou BD") << "BeiDou (BD)" << 4;
        QTest::newRow("IMES") << "IMES (GN)" << 7;
        QTest::newRow("first row wins") << "xxGNxxGPxx" << 0;
        QTest::newRow("case-sensitive") << "gps (gp)" << kNoTalker;
        QTest::newRow("empty") << "" << kNoTalker;
        QTest::newRow("no id") << "Galileo" << kNoTalker;
    }
    void talkerRowFromLabel()
    {
        QFETCH(QString, label);
        QFETCH(int, row);
        QCOMPARE(TalkerRowFromLabel(label.toStdString()), row);
    }

    void labelsRoundTrip()
    {
        for (int row = 0; row < kTalkerCount; ++row)
            QCOMPARE(TalkerRowFromLabel(TalkerLabel(row)), row);
        QCOMPARE(TalkerLabel(0), std::string("GPS (GP)"));
        QCOMPARE(TalkerLabel(4), std::string("BeiDou (BD)"));
        QCOMPARE(TalkerLabel(7), std::string("IMES (GN)"));
        QCOMPARE(TalkerLabel(kNoTalker), std::string());
    }

    void messageRows()
    {
        QCOMPARE(MessageRowFromId("DTM"), 0);
        QCOMPARE(MessageRowFromId("RMC"), kRmcRow);
        QCOMPARE(MessageRowFromId("ZDA"), 17);
        QCOMPARE(MessageRowFromId("rmc"), -1);
        QCOMPARE(MessageTable[kDefaultMessageRow].display, std::string_view("RMC (Recommended Minimum Spec)"));
        for (int row = 1; row < kMessageCount; ++row)
            QVERIFY(MessageTable[row - 1].id < MessageTable[row].id);
    }
};

QTEST_APPLESS_MAIN(TestTables)
#include "tst_tables.moc"
