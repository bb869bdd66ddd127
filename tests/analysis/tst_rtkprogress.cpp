// SPDX-License-Identifier: GPL-3.0-or-later
// The RTK figures of a live session: GGA lines handed in tick by tick with
// corrections noted between them, and what the figures must then be.

#include <QtTest>

#include "analysis/RtkProgress.h"

using namespace orvane;

namespace {

// A GGA line of second `second` with fix quality and correction age
// (empty: none), its checksum worked out here.
QByteArray Gga(int second, int quality, const QByteArray& age)
{
    const QByteArray body = QString("GPGGA,1200%1.00,4807.03800,N,01131.00000,E,%2,12,0.8,545.4,M,46.9,M,%3,%4")
                                .arg(second, 2, 10, QChar('0'))
                                .arg(quality)
                                .arg(QString::fromLatin1(age), age.isEmpty() ? QString() : QString("0001"))
                                .toLatin1();
    char sum = 0;
    for (const char c : body)
        sum ^= c;
    return "$" + body + "*" + QByteArray::number(uint8_t(sum), 16).rightJustified(2, '0').toUpper() + "\r\n";
}

}  // namespace

class TestRtkProgress : public QObject {
    Q_OBJECT
private slots:
    // Qualities one per second, each handed in at second*1000 ms; the
    // corrections come at the seconds listed.
    void figures_data()
    {
        QTest::addColumn<QList<int>>("qualities");
        QTest::addColumn<QList<int>>("corrections");
        QTest::addColumn<double>("fixedShare");
        QTest::addColumn<double>("floatShare");
        QTest::addColumn<double>("firstFixed");  // -1: none
        QTest::addColumn<QList<double>>("refix");
        QTest::addColumn<int>("stretches");
        // An epoch is closed, and counted at that time, by the next one.
        QTest::newRow("float then fixed") << QList<int>{1, 1, 5, 5, 5, 4, 4, 4, 4, 4, 1} << QList<int>{1, 2, 3, 4, 5}
                                          << 0.5 << 0.3 << 5.0 << QList<double>{} << 3;
        QTest::newRow("no corrections") << QList<int>{1, 1, 4, 4, 1} << QList<int>{} << 0.5 << 0.0 << -1.0
                                        << QList<double>{} << 2;
        // Corrections stop after second 4 and return at second 11 (a gap of
        // 7 s); the fix falls back to float and is fixed again at second 14,
        // counted at 15.
        QTest::newRow("refix after a gap")
            << QList<int>{1, 5, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 5, 4, 4, 1} << QList<int>{1, 2, 3, 4, 11, 12, 13}
            << 5.0 / 16 << 10.0 / 16 << 2.0 << QList<double>{4.0} << 5;
        QTest::newRow("never fixed") << QList<int>{0, 0, 1, 2, 5, 5, 5} << QList<int>{1, 2, 3} << 0.0 << 2.0 / 6 << -1.0
                                     << QList<double>{} << 4;
    }
    void figures()
    {
        QFETCH(QList<int>, qualities);
        QFETCH(QList<int>, corrections);
        QFETCH(double, fixedShare);
        QFETCH(double, floatShare);
        QFETCH(double, firstFixed);
        QFETCH(QList<double>, refix);
        QFETCH(int, stretches);
        RtkProgress progress;
        for (int second = 0; second < qualities.size(); ++second) {
            if (corrections.contains(second))
                progress.NoteCorrections(second * 1000);
            const QByteArray line = Gga(second, qualities[second], qualities[second] >= 2 ? "1.5" : "");
            progress.FeedText(std::string_view(line.constData(), size_t(line.size())), second * 1000);
        }
        QCOMPARE(progress.Epochs(), size_t(qualities.size() - 1));
        QCOMPARE(progress.FixedShare(), fixedShare);
        QCOMPARE(progress.FloatShare(), floatShare);
        QCOMPARE(progress.FirstFixedSeconds().value_or(-1.0), firstFixed);
        QCOMPARE(QList<double>(progress.RefixSeconds().begin(), progress.RefixSeconds().end()), refix);
        QCOMPARE(int(progress.Timeline().size()), stretches);
        size_t epochs = 0;
        for (const FixStretch& stretch : progress.Timeline())
            epochs += stretch.epochs;
        QCOMPARE(epochs, progress.Epochs());
    }

    // The age is the latest GGA's; an epoch without one clears it.
    void correctionAge()
    {
        RtkProgress progress;
        const QByteArray text = Gga(0, 4, "2.5") + Gga(1, 4, "0.5") + Gga(2, 1, "");
        progress.FeedText(std::string_view(text.constData(), size_t(text.size())), 0);
        QCOMPARE(progress.CorrectionAge().value_or(-1), 0.5);
        const QByteArray more = Gga(3, 1, "");
        progress.FeedText(std::string_view(more.constData(), size_t(more.size())), 1000);
        QVERIFY(!progress.CorrectionAge());
        // The timeline's stretches: fixed from 0 (two epochs), then single.
        QCOMPARE(progress.Timeline().size(), size_t(2));
        QCOMPARE(progress.Timeline()[0].fix, FixClass::RtkFixed);
        QCOMPARE(progress.Timeline()[0].epochs, size_t(2));
        QCOMPARE(progress.Timeline()[1].toMs, int64_t(1000));
        progress.Reset();
        QCOMPARE(progress.Epochs(), size_t(0));
        QVERIFY(progress.Timeline().empty());
    }
};

QTEST_APPLESS_MAIN(TestRtkProgress)
#include "tst_rtkprogress.moc"
