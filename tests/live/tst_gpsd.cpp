// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include "../common/GpsdProcess.h"
#include "../common/PseudoTerminal.h"
#include "SourceSpies.h"
#include "live/GpsdStream.h"
#include "live/TcpFeed.h"

using namespace orvane;

namespace {

const QByteArray kVersion = R"({"class":"VERSION","release":"3.22","proto_major":3,"proto_minor":14})";
const QByteArray kRmc = "$GPRMC,235800.00,A,3733.32791,N,12658.29325,E,0.012,172.00,140326,,,A*6A\r\n";

}  // namespace

class TestGpsd : public QObject {
    Q_OBJECT
private slots:
    // gpsd's reports are kept apart from the sentences in whatever pieces
    // they arrive; the sentences pass unchanged.
    void streamSplitsReportsFromSentences_data()
    {
        QTest::addColumn<int>("pieceSize");
        for (int size : {1, 7, 4096})
            QTest::addRow("pieces of %d", size) << size;
    }
    void streamSplitsReportsFromSentences()
    {
        QFETCH(int, pieceSize);
        const QByteArray stream = kVersion + "\r\n" + R"({"class":"DEVICES","devices":[]})" + "\n" + kRmc +
                                  R"({"class":"ERROR","message":"unrecognized request"})" + "\n" + kRmc +
                                  "{not json at all\n" + kRmc;
        GpsdStream gpsd;
        QByteArray passed;
        for (qsizetype at = 0; at < stream.size(); at += pieceSize)
            passed += gpsd.Filter(stream.mid(at, pieceSize));
        QCOMPARE(passed, kRmc + kRmc + kRmc);
        QVERIFY(gpsd.SawJson() && gpsd.SawNmea() && gpsd.NoDevices());
        QCOMPARE(gpsd.TakeErrors(), QStringList{"unrecognized request"});
        QVERIFY(gpsd.TakeErrors().isEmpty());
        gpsd.Reset();
        QVERIFY(!gpsd.SawJson() && !gpsd.SawNmea() && !gpsd.NoDevices());
        QCOMPARE(gpsd.Filter(QByteArray(GpsdStream::kMaxReport * 2, '{') + "\n" + kRmc), kRmc);
    }

    // The real gpsd that answers with JSON only, because it holds no
    // receiver or because its receiver is silent, is named for it once
    // the quiet period has passed; no JSON reaches the window as data.
    void gpsdAnswersJsonOnly_data()
    {
        // gpsd answers a receiver's first client only after about two
        // seconds of probing the receiver.
        QTest::addColumn<bool>("withReceiver");
        QTest::addColumn<int>("quietMs");
        QTest::addColumn<QString>("why");
        QTest::newRow("no receiver") << false << 500 << "answers with JSON only: it holds no receiver";
        QTest::newRow("silent receiver") << true << 4000
                                         << "answers with JSON only: its receiver sent no NMEA sentence in 4 s";
    }
    void gpsdAnswersJsonOnly()
    {
        QFETCH(bool, withReceiver);
        QFETCH(int, quietMs);
        QFETCH(QString, why);
        if (GpsdProcess::Executable().isEmpty())
            QSKIP("gpsd is not installed (Debian package gpsd); the gpsd source is not tested");
        PseudoTerminal receiver;
        QVERIFY(receiver.Ok());
        GpsdProcess gpsd;
        QVERIFY(gpsd.Start(withReceiver ? QStringList{QString::fromStdString(receiver.SlavePath())} : QStringList{}));

        TcpFeed feed(TcpFeed::Kind::Gpsd, "127.0.0.1", gpsd.Port(), FeedTiming{.quietMs = quietMs});
        SourceSpies spies(&feed);
        QCOMPARE(feed.Label(), QString("[GPSD]"));
        feed.Open();
        const QString address = QString("127.0.0.1:%1").arg(gpsd.Port());
        QTRY_COMPARE_WITH_TIMEOUT(spies.status.size(), 2, 10000);
        QCOMPARE(spies.Lines(), (QStringList{"[GPSD] connected to " + address, "[GPSD] " + address + " " + why}));
        QVERIFY2(spies.received.isEmpty(), spies.Bytes().constData());
    }
};

QTEST_MAIN(TestGpsd)
#include "tst_gpsd.moc"
