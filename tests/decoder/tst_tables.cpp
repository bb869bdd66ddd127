// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include "decoder/Tables.h"

using namespace orvane;

class TestTables : public QObject {
    Q_OBJECT
private slots:
    // A label names its talker by id, case-sensitive: the first row whose id
    // occurs in it, so the two BeiDou talkers stay apart.
    void talkerRowFromLabel_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("row");
        QTest::newRow("BeiDou GB") << "BeiDou (GB)" << 3;
        QTest::newRow("BeiDou BD") << "BeiDou (BD)" << 4;
        QTest::newRow("first row wins") << "xxGNxxGPxx" << 0;
        QTest::newRow("case-sensitive") << "gps (gp)" << kNoTalker;
        QTest::newRow("no id") << "Galileo" << kNoTalker;
    }
    void talkerRowFromLabel()
    {
        QFETCH(QString, label);
        QFETCH(int, row);
        QCOMPARE(TalkerRowFromLabel(label.toStdString()), row);
    }

    // An id names its row exactly; GQ, the QZSS talker of NMEA 4.11, names
    // the QZSS row as QZ does.
    void talkerRowFromId_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("row");
        QTest::newRow("GP") << "GP" << 0;
        QTest::newRow("BD") << "BD" << 4;
        QTest::newRow("QZ") << "QZ" << 6;
        QTest::newRow("GQ") << "GQ" << 6;
        QTest::newRow("GN") << "GN" << 7;
        QTest::newRow("lower-case gq") << "gq" << -1;
        QTest::newRow("longer") << "GQS" << -1;
        QTest::newRow("shorter") << "G" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("unknown") << "XX" << -1;
    }
    void talkerRowFromId()
    {
        QFETCH(QString, id);
        QFETCH(int, row);
        QCOMPARE(TalkerRowFromId(id.toStdString()), row);
    }

    void labelsRoundTrip()
    {
        for (int row = 0; row < kTalkerCount; ++row)
            QCOMPARE(TalkerRowFromLabel(TalkerLabel(row)), row);
        QCOMPARE(TalkerLabel(0), std::string("GPS (GP)"));
        QCOMPARE(TalkerLabel(kNoTalker), std::string());
    }

    // The Message list: in order of the ids, RMC chosen at first.
    void messageRows()
    {
        QCOMPARE(MessageRowFromId("ZDA"), kZdaRow);
        QCOMPARE(MessageRowFromId("rmc"), -1);
        QCOMPARE(MessageTable[kDefaultMessageRow].id, std::string_view("RMC"));
        for (int row = 1; row < kMessageCount; ++row)
            QVERIFY(MessageTable[row - 1].id < MessageTable[row].id);
    }
};

QTEST_APPLESS_MAIN(TestTables)
#include "tst_tables.moc"
