#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>

#include "AppTestSupport.h"
#include "SatellitesDlg.h"

using namespace orvane;

namespace {

SatelliteTable::Row Satellites(int count, int firstPrn, int snr)
{
    SatelliteTable::Row row{};
    for (int k = 0; k < count; ++k)
        row[size_t(k)] = {firstPrn + k, 45, 180, snr};
    return row;
}

// "bar value/label" of the first n bars of a block.
QStringList Block(const CGNSS_SatellitesDlg& window, int firstBar, int n)
{
    QStringList shown;
    for (int k = 0; k < n; ++k)
        shown << QString("%1/%2").arg(window.Bar(firstBar + k)->value()).arg(window.BarLabel(firstBar + k)->text());
    return shown;
}

}  // namespace

class TestSatellites : public QObject {
    Q_OBJECT
private slots:
    // GPS fills the upper block, and the lower one too while it is chosen;
    // another choice clears only the lower block until the next update.
    void blocksFollowTheChoice()
    {
        CGNSS_SatellitesDlg window(nullptr);
        window.Constellations()->setCurrentIndex(0);
        window.UpdateSignals(0, Satellites(2, 5, 33));
        window.UpdateSignals(1, Satellites(3, 65, 20));
        QCOMPARE(Block(window, kUpperFirstBar, 3), (QStringList{"33/5(33)", "33/6(33)", "0/REV."}));
        QCOMPARE(Block(window, kLowerFirstBar, 3), (QStringList{"33/5(33)", "33/6(33)", "0/REV."}));

        window.Constellations()->setCurrentIndex(1);
        QCOMPARE(Block(window, kLowerFirstBar, 2), QStringList(2, "0/REV."));
        QCOMPARE(Block(window, kUpperFirstBar, 1), QStringList{"33/5(33)"});
        window.UpdateSignals(1, Satellites(3, 65, 20));
        QCOMPARE(Block(window, kLowerFirstBar, 4), (QStringList{"20/65(20)", "20/66(20)", "20/67(20)", "0/REV."}));

        // Slots after the last used one keep what they showed.
        window.UpdateSignals(1, Satellites(1, 70, 0));
        QCOMPARE(Block(window, kLowerFirstBar, 3), (QStringList{"0/70(0)", "20/66(20)", "20/67(20)"}));
    }

    // A new window shows GLONASS and no satellite; a full row fills all 30
    // bars, a strong signal reaching the top; a reset without the labels
    // keeps them.
    void fullRowAndStrongSignal()
    {
        CGNSS_SatellitesDlg window(nullptr);
        QCOMPARE(window.Constellations()->count(), 8);
        QCOMPARE(window.Constellations()->currentIndex(), 1);
        QCOMPARE(window.Bar(kLowerFirstBar + 29)->maximum(), kBarMaximum);
        QCOMPARE(Block(window, kUpperFirstBar, 30) + Block(window, kLowerFirstBar, 30), QStringList(60, "0/REV."));
        window.UpdateSignals(0, Satellites(30, 1, 60));
        QCOMPARE(Block(window, kUpperFirstBar, 30).last(), QString("50/30(60)"));
        QCOMPARE(window.BarLabel(kUpperFirstBar)->text(), QString("1(60)"));
        window.ResetSignals(false);
        QCOMPARE(window.BarLabel(kUpperFirstBar + 29)->text(), QString("30(60)"));
        window.ResetSignals(true);
        QCOMPARE(Block(window, kUpperFirstBar, 30), QStringList(30, "0/REV."));
    }

    // Through the main window: a replay with the signals shown fills the
    // bars from the log's GSV sentences; a 31st satellite is never shown;
    // Purge empties all 60 bars.
    void replayFillsAndPurgeEmpties()
    {
        QTemporaryDir folder;
        SetConfigFolder(folder.path());
        QByteArray log;
        QByteArray gsv = "$GPGSV,1,1,31";
        for (int prn = 1; prn <= 30; ++prn)
            gsv += "," + QByteArray::number(prn) + ",10,100,40";
        log += gsv + "*00\r\n$GPGSV,1,1,01,31,10,100,41*00\r\n";
        log += Sentences("GP", "RMC", 12);
        COrvaneDlg dialog;
        dialog.DropFiles({WriteFile(folder, "sats.nmea", log)});
        QVERIFY(dialog.State().m_Loaded);
        dialog.Button(IDC_SHOW_SIGNALS)->click();
        QCOMPARE(dialog.Button(IDC_SHOW_SIGNALS)->text(), QString("Hide Signals"));
        dialog.Button(IDC_RUN)->click();
        dialog.OnTimer(kReplayTimerId);
        CGNSS_SatellitesDlg& window = *dialog.SatellitesDlg();
        QCOMPARE(window.BarLabel(kUpperFirstBar)->text(), QString("1(40)"));
        QCOMPARE(window.BarLabel(kUpperFirstBar + 29)->text(), QString("30(40)"));
        QVERIFY(!Block(window, kUpperFirstBar, 30).contains("41/31(41)"));
        QVERIFY(!Block(window, kLowerFirstBar, 30).contains("41/31(41)"));
        dialog.Button(IDC_PURGE)->click();
        QCOMPARE(Block(window, kUpperFirstBar, 30), QStringList(30, "0/REV."));
        QCOMPARE(Block(window, kLowerFirstBar, 30), QStringList(30, "0/REV."));
    }

    // Show Signals shows and hides the window. It has no close box; a close
    // request of the window manager leaves it shown, as the main window's
    // caption says.
    void closeRequestLeavesItShown()
    {
        QTemporaryDir folder;
        SetConfigFolder(folder.path());
        COrvaneDlg dialog;
        dialog.show();
        dialog.DropFiles({WriteFile(folder, "log.nmea", Sentences("GP", "RMC", 12))});
        QPushButton* button = dialog.Button(IDC_SHOW_SIGNALS);
        button->click();
        CGNSS_SatellitesDlg& window = *dialog.SatellitesDlg();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.windowHandle()->close());
        QVERIFY(window.isVisible() && dialog.State().m_SignalsShown);
        QCOMPARE(button->text(), QString("Hide Signals"));
        button->click();
        QVERIFY(!window.isVisible() && !dialog.State().m_SignalsShown);
        QCOMPARE(button->text(), QString("Show Signals"));
    }
};

QTEST_MAIN(TestSatellites)
#include "tst_satellites.moc"
