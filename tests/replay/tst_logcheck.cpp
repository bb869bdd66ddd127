// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include "decoder/Tables.h"
#include "replay/LogCheck.h"

using namespace orvane;

namespace {

QByteArray Times(int count, const QByteArray& sentence)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += sentence;
    return text;
}

const QByteArray kQz = "$QZGSV,1,1,01,193,40,100,45*00\r\n";
const QByteArray kGq = "$GQGSV,1,1,01,193,40,100,45,1*00\r\n";
const QByteArray kGp = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";

}  // namespace

class TestLogCheck : public QObject {
    Q_OBJECT
private slots:
    // The talkers a loaded log offers in the Satellite list: QZSS counts
    // its sentences under either id, QZ or GQ (NMEA 4.11), together.
    void offeredTalkers_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("offered");
        QTest::newRow("eleven QZ") << Times(11, kQz) << "QZ";
        QTest::newRow("eleven GQ") << Times(11, kGq) << "QZ";
        QTest::newRow("ten GQ") << Times(10, kGq) << "";
        QTest::newRow("six QZ and five GQ") << Times(6, kQz) + Times(5, kGq) << "QZ";
        QTest::newRow("five QZ and five GQ") << Times(5, kQz) + Times(5, kGq) << "";
        QTest::newRow("GQ beside GPS") << Times(11, kGq) + Times(11, kGp) << "GP QZ";
        QTest::newRow("lower-case gq") << Times(11, kGq.toLower()) << "";
    }
    void offeredTalkers()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, offered);
        LogSummary summary;
        QCOMPARE(CheckLogText(std::string_view(text.constData(), size_t(text.size())), summary), int32_t(text.size()));
        QStringList ids;
        for (int row = 0; row < kTalkerCount; ++row) {
            if (summary.present[size_t(row)])
                ids << QString::fromLatin1(TalkerTable[size_t(row)].id.data(), 2);
        }
        QCOMPARE(ids.join(' '), offered);
    }
};

QTEST_APPLESS_MAIN(TestLogCheck)
#include "tst_logcheck.moc"
