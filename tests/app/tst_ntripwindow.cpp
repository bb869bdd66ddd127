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
    }
};

QTEST_MAIN(TestNtripWindow)
#include "tst_ntripwindow.moc"
