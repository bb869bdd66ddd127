// SPDX-License-Identifier: GPL-3.0-or-later
// The NTRIP window on a real client of the tests' caster: the state, the
// message types with their counts and ages, the bad frames, the rate and
// the source table, as the window shows them.

#include <QtTest>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "../common/NtripTestCaster.h"
#include "../common/RtcmFrameBuilder.h"
#include "FixTimeline.h"
#include "NtripDlg.h"

using namespace orvane;

namespace {

QStringList Row(const QTableWidget& table, int row)
{
    QStringList cells;
    for (int column = 0; column < table.columnCount(); ++column)
        cells << (table.item(row, column) ? table.item(row, column)->text() : QString());
    return cells;
}

// A GGA line of second `second` with fix quality and correction age.
QByteArray Gga(int second, int quality, const char* age)
{
    const QByteArray body = QString("GPGGA,1200%1.00,4807.03800,N,01131.00000,E,%2,12,0.8,545.4,M,46.9,M,%3,0001")
                                .arg(second, 2, 10, QChar('0'))
                                .arg(quality)
                                .arg(age)
                                .toLatin1();
    char sum = 0;
    for (const char c : body)
        sum ^= c;
    return "$" + body + "*" + QByteArray::number(uint8_t(sum), 16).rightJustified(2, '0').toUpper() + "\r\n";
}

NtripSettings Settings(quint16 port, const QString& mountpoint)
{
    return NtripSettings{.caster = "127.0.0.1",
        .port = port,
        .mountpoint = mountpoint,
        .user = "ann",
        .password = "s3cret"};
}

}  // namespace

class TestNtripWindow : public QObject {
    Q_OBJECT
private slots:
    void showsTheStream()
    {
        NtripTestCaster caster;
        NtripDlg window(nullptr);
        QCOMPARE(window.StateLabel()->text(), QString("off"));
        QCOMPARE(window.ConnectButton()->text(), QString("&Connect"));
        QSignalSpy connectClicked(&window, &NtripDlg::ConnectClicked);
        window.ConnectButton()->click();
        QCOMPARE(connectClicked.size(), 1);

        NtripClient client(Settings(caster.Port(), "MOUNT"), NtripTiming{.retryMs = 200});
        const QString address = QString("127.0.0.1:%1/MOUNT").arg(caster.Port());
        window.SetClient(&client, client.Address());
        window.show();
        client.Open();
        QCOMPARE(window.CasterLabel()->text(), address);
        QTRY_COMPARE(window.StateLabel()->text(), QString("streaming (NTRIP 2)"));
        QCOMPARE(window.ConnectButton()->text(), QString("&Disconnect"));

        QByteArray badCrc = RtcmFrame(1084, 50);
        badCrc[10] = char(badCrc[10] ^ 0x40);
        caster.Send(
            RtcmFrame(1005, 19) + RtcmFrame(1074, 100) + RtcmFrame(1074, 120) + badCrc + "zz" + RtcmFrame(1230, 6));
        QTRY_COMPARE(client.Frames().Counts().frames, uint64_t(4));
        window.Refresh();
        QCOMPARE(window.Types()->rowCount(), 3);
        QCOMPARE(Row(*window.Types(), 0).mid(0, 2), (QStringList{"1005", "1"}));
        QCOMPARE(Row(*window.Types(), 1).mid(0, 2), (QStringList{"1074", "2"}));
        QCOMPARE(Row(*window.Types(), 2).mid(0, 2), (QStringList{"1230", "1"}));
        QVERIFY(Row(*window.Types(), 0)[2].endsWith(" s"));
        QCOMPARE(window.FramesLabel()->text(), QString("4 good, 2 bad (wrong CRC 1, cut 0, junk 1 in 2 bytes)"));
        // The age of the last of a type grows while none comes.
        const double age = Row(*window.Types(), 0)[2].chopped(2).toDouble();
        QTRY_VERIFY(Row(*window.Types(), 0)[2].chopped(2).toDouble() >= age + 1.0);
        QTRY_VERIFY(window.RateLabel()->text().endsWith(
            QString(" bytes in all").prepend(QString::number(client.BytesReceived()))));

        QSignalSpy disconnectClicked(&window, &NtripDlg::DisconnectClicked);
        window.ConnectButton()->click();
        QCOMPARE(disconnectClicked.size(), 1);
        window.SetClient(nullptr, QString());
        QCOMPARE(window.StateLabel()->text(), QString("off"));
        QCOMPARE(window.Types()->rowCount(), 0);
    }

    void showsTheSourceTable()
    {
        NtripTestCaster caster;
        caster.table = "STR;FAR;;RTCM 3.3;;2;GPS;;;10.0;10.0;0;\r\nSTR;NEAR;;RTCM 3.2;;2;GPS+GLO;;;0.0;1.0;1;\r\n";
        NtripDlg window(nullptr);
        NtripClient client(Settings(caster.Port(), ""));
        client.SetLatestFix("$GPGGA,...", 0.0, 0.0);
        window.SetClient(&client, client.Address());
        client.ReadSourceTable();
        QTRY_COMPARE(window.Mountpoints()->rowCount(), 2);
        QCOMPARE(Row(*window.Mountpoints(), 0), (QStringList{"NEAR", "RTCM 3.2", "GPS+GLO", "111.3 km"}));
        QCOMPARE(Row(*window.Mountpoints(), 1).mid(0, 3), (QStringList{"FAR", "RTCM 3.3", "GPS"}));
        QCOMPARE(window.StateLabel()->text(), QString("closed"));
        QCOMPARE(window.ConnectButton()->text(), QString("&Connect"));
    }

    // The RTK figures and the timeline, from a session's epochs: three
    // float, then fixed, with the corrections from the start.
    void showsTheRtkFigures()
    {
        RtkProgress rtk;
        NtripDlg window(nullptr);
        window.SetRtk(&rtk);
        QCOMPARE(window.RtkTexts(),
            (QStringList{"-", "fixed 0.0 %, float 0.0 % of 0 epochs", "-", "no correction gap"}));
        rtk.NoteCorrections(0);
        const int qualities[] = {5, 5, 5, 4, 4, 4, 4, 4, 1};
        for (int second = 0; second < 9; ++second) {
            const QByteArray line = Gga(second, qualities[second], second < 8 ? "1.2" : "");
            rtk.FeedText(std::string_view(line.constData(), size_t(line.size())), 1000 * second);
        }
        window.Refresh();
        QCOMPARE(window.RtkTexts(), (QStringList{"1.2 s", "fixed 62.5 %, float 37.5 % of 8 epochs",
                                        "4.0 s after the first correction", "no correction gap"}));
        // Corrections come back after 20 s without; fixed again 2 s later.
        rtk.NoteCorrections(20000);
        for (int second = 9; second < 11; ++second) {
            const QByteArray line = Gga(second, 4, "0.5");
            rtk.FeedText(std::string_view(line.constData(), size_t(line.size())), 12000 + 1000 * second);
        }
        window.Refresh();
        QCOMPARE(window.RtkTexts().at(3), QString("1 correction gap(s), fixed again after 2.0 s"));
        const std::vector<FixStretch>& stretches = window.Timeline()->Stretches();
        QCOMPARE(stretches.size(), size_t(4));
        QCOMPARE(stretches[0].fix, FixClass::RtkFloat);
        QCOMPARE(stretches[1].fix, FixClass::RtkFixed);
        QCOMPARE(stretches[1].epochs, size_t(5));
        QCOMPARE(stretches[2].fix, FixClass::ThreeD);
        QCOMPARE(stretches[3].fix, FixClass::RtkFixed);
        window.SetRtk(nullptr);
        QVERIFY(window.Timeline()->Stretches().empty());
    }
};

QTEST_MAIN(TestNtripWindow)
#include "tst_ntripwindow.moc"
