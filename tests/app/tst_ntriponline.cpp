// SPDX-License-Identifier: GPL-3.0-or-later
// The NTRIP client in the main window: the window menu's entry and Ctrl+N,
// Connect from config.ini's [ntrip] group, the receiver's fix going to the
// tests' caster as GGA while a receiver sends on the TCP input, the
// corrections counted in the window, the RTK figures from the live text,
// and Disconnect.

#include <QtTest>

#include <QLabel>
#include <QMenu>
#include <QTableWidget>

#include "../common/LoopbackPort.h"
#include "../common/NtripTestCaster.h"
#include "../common/PseudoTerminal.h"
#include "../common/RtcmFrameBuilder.h"
#include "AppTestSupport.h"
#include "NtripDlg.h"

using namespace orvane;

namespace {

// GGA lines of seconds first.. with fix quality 4 and correction age 1.0
// (no GSA: the satellites used stay unknown).
QByteArray FixedGga(int first, int count)
{
    QByteArray out;
    for (int second = first; second < first + count; ++second)
        out += WithChecksum("GPGGA,1200" + QByteArray::number(second).rightJustified(2, '0') +
                            ".00,4807.03800,N,01131.00000,E,4,12,0.8,545.4,M,46.9,M,1.0,0001");
    return out;
}

}  // namespace

class TestNtripOnline : public QObject {
    Q_OBJECT
private slots:
    void connectFromTheWindow()
    {
        QTemporaryDir dir;
        NtripTestCaster caster;
        const quint16 input = FreePort();
        QVERIFY(
            UseConfig(dir, TcpInputConfig(input) + "[ntrip]\ncaster=127.0.0.1:" + QByteArray::number(caster.Port()) +
                               "\nmountpoint=MOUNT\nuser=ann\npassword=s3cret\nggainterval=1\n"));
        COrvaneDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));

        // The entry follows the other windows' entries; Ctrl+N opens the same window.
        std::unique_ptr<QMenu> menu(dialog.CreateWindowMenu());
        QStringList entries;
        for (const QAction* action : menu->actions())
            entries << action->text();
        QCOMPARE(entries.indexOf("&NTRIP..."), entries.indexOf("&Charts...") + 1);
        QTest::keyClick(&dialog, Qt::Key_N, Qt::ControlModifier);
        NtripDlg* window = dialog.Ntrip();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->StateLabel()->text(), QString("off"));

        window->ConnectButton()->click();
        const QString address = QString("127.0.0.1:%1/MOUNT").arg(caster.Port());
        QTRY_VERIFY(DisplayText(dialog).contains("[NTRIP] connected to " + address + " (NTRIP 2)"));
        QVERIFY(DisplayText(dialog).contains("[Config] ntrip/password = (hidden) (ok)"));
        QVERIFY(!DisplayText(dialog).contains("s3cret"));
        QCOMPARE(window->CasterLabel()->text(), address);

        // A receiver on the TCP input: its fix reaches the caster as GGA.
        GoLive(dialog);
        QTcpSocket receiver;
        QVERIFY(ConnectInput(dialog, receiver, input));
        receiver.write(FixedGga(0, 3));
        QTRY_VERIFY_WITH_TIMEOUT(!caster.sentLines.isEmpty(), 10000);
        const QByteArray gga = caster.sentLines.constFirst();
        QVERIFY2(gga.startsWith("$GPGGA,12000") && gga.contains(",4807.03800,N,01131.00000,E,4,,0.8,545.4,M,"), gga);

        caster.Send(RtcmFrame(1005, 19) + RtcmFrame(1077, 200) + RtcmFrame(1077, 210));
        QTRY_COMPARE(window->Types()->rowCount(), 2);
        QCOMPARE(window->Types()->item(1, NtripDlg::MessageColumn)->text(), QString("1077"));
        QCOMPARE(window->Types()->item(1, NtripDlg::CountColumn)->text(), QString("2"));
        receiver.write(FixedGga(3, 3));
        QTRY_COMPARE(window->RtkTexts().mid(0, 2), (QStringList{"1.0 s", "fixed 100.0 %, float 0.0 % of 5 epochs"}));

        window->ConnectButton()->click();
        QTRY_VERIFY(DisplayText(dialog).contains("[NTRIP] closed " + address));
        QVERIFY(!dialog.NtripConnection());
        QCOMPARE(window->StateLabel()->text(), QString("off"));
    }

    // The corrections reach the receiver on the serial port byte for byte,
    // bad frames and junk too; with no receiver open, one line says so.
    void correctionsReachTheReceiver()
    {
        QTemporaryDir dir;
        NtripTestCaster caster;
        PseudoTerminal receiver;
        QVERIFY(receiver.Ok());
        QVERIFY(UseConfig(dir, "[uart]\nport=" + QByteArray::fromStdString(receiver.SlavePath()) +
                                   "\nbaudrate=115200\n[ntrip]\ncaster=127.0.0.1:" + QByteArray::number(caster.Port()) +
                                   "\nmountpoint=MOUNT\nuser=ann\npassword=s3cret\n"));
        COrvaneDlg dialog;
        dialog.OnNtrip();
        NtripDlg* window = dialog.Ntrip();
        window->ConnectButton()->click();
        QTRY_VERIFY(DisplayText(dialog).contains("[NTRIP] connected to "));
        caster.Send(RtcmFrame(1005, 19));
        QTRY_VERIFY(
            DisplayText(dialog).contains("[NTRIP] corrections not passed to the receiver: no receiver is open"));

        GoLive(dialog);
        QTRY_VERIFY(DisplayText(dialog).contains("[UART]"));
        QByteArray bad = RtcmFrame(1077, 120);
        bad[40] = char(bad[40] ^ 0x55);
        const QByteArray stream = RtcmFrame(1005, 19) + "junk" + bad + RtcmFrame(1230, 8) + RtcmFrame(1094, 300);
        caster.Send(stream.left(50));
        caster.Send(stream.mid(50));
        std::string reached;
        QTRY_VERIFY((reached += receiver.Drain()).size() >= size_t(stream.size()));
        QCOMPARE(QByteArray::fromStdString(reached), stream);
        QTRY_VERIFY(DisplayText(dialog).contains("[NTRIP] corrections passed to [UART] "));
        QCOMPARE(DisplayText(dialog).count("corrections not passed"), 1);
    }
};

QTEST_MAIN(TestNtripOnline)
#include "tst_ntriponline.moc"
