// SPDX-License-Identifier: GPL-3.0-or-later
// The Satellites window's signal bars and the Sky View window (plot, table
// and fix panel), alone and through the main window.

#include <QtTest>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QSlider>
#include <QTableWidget>
#include <QTcpSocket>

#include "../common/LoopbackPort.h"
#include "AppTestSupport.h"
#include "FixStatusPanel.h"
#include "SatellitesDlg.h"
#include "SkyPlot.h"
#include "SkyViewDlg.h"

using namespace orvane;

namespace {

// One epoch: a fix, its GSA and a GPS GSV set of two sentences, then an RMC
// that a replay of GP RMC stops at.
const QByteArray kEpoch =
    "$GPGGA,120000.00,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*00\r\n"
    "$GPGSA,A,3,04,194,09,,,,,,,,,,2.5,1.3,2.1*00\r\n"
    "$GPGSV,2,1,05,04,90,000,45,194,00,090,30,09,45,180,,12,10,270,20*00\r\n"
    "$GPGSV,2,2,05,32,60,045,38*00\r\n"
    "$GLGSV,1,1,01,65,30,300,41*00\r\n"
    "$GPRMC,120000.00,A,4807.0380,N,01131.0000,E,0.0,0.0,010124,,,A*00\r\n";

QColor PixelAt(const QImage& image, QPointF point)
{
    return image.pixelColor(point.toPoint());
}

// The same colour but for the blending of an antialiased edge.
bool Near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
}

QList<int> Column(const QTableWidget& table, int column)
{
    QList<int> values;
    for (int row = 0; row < table.rowCount(); ++row)
        values << table.item(row, column)->data(Qt::DisplayRole).toInt();
    return values;
}

QAction* SkyViewAction(QMenu& menu)
{
    for (QAction* action : menu.actions()) {
        if (action->text() == QStringLiteral("&Sky View..."))
            return action;
    }
    return nullptr;
}

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

    QTemporaryDir m_Folder;

private slots:
    void initTestCase() { SetConfigFolder(m_Folder.path()); }

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

    // Through the main window: Show Signals shows the window, which has no
    // close box; a close request of the window manager leaves it shown, as
    // the main window's caption says. A replay fills the bars from the
    // log's GSV sentences; a 31st satellite is never shown. Show Signals
    // hides the window; Purge empties all 60 bars even so.
    void replayFillsAndPurgeEmpties()
    {
        QByteArray gsv = "$GPGSV,1,1,31";
        for (int prn = 1; prn <= 30; ++prn)
            gsv += "," + QByteArray::number(prn) + ",10,100,40";
        const QByteArray log = gsv + "*00\r\n$GPGSV,1,1,01,31,10,100,41*00\r\n" + Sentences("GP", "RMC", 12);
        COrvaneDlg dialog;
        dialog.show();
        dialog.DropFiles({WriteFile(m_Folder, "sats.nmea", log)});
        QVERIFY(dialog.State().m_Loaded);
        QPushButton* button = dialog.Button(IDC_SHOW_SIGNALS);
        button->click();
        CGNSS_SatellitesDlg& window = *dialog.SatellitesDlg();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.windowHandle()->close());
        QVERIFY(window.isVisible() && dialog.State().m_SignalsShown);
        QCOMPARE(button->text(), QString("Hide Signals"));
        dialog.Button(IDC_RUN)->click();
        dialog.OnTimer(kReplayTimerId);
        QCOMPARE(window.BarLabel(kUpperFirstBar)->text(), QString("1(40)"));
        QCOMPARE(window.BarLabel(kUpperFirstBar + 29)->text(), QString("30(40)"));
        QVERIFY(!Block(window, kUpperFirstBar, 30).contains("41/31(41)"));
        QVERIFY(!Block(window, kLowerFirstBar, 30).contains("41/31(41)"));
        dialog.Button(IDC_RUN)->click();  // stopped, the button works again
        button->click();
        QVERIFY(!window.isVisible() && !dialog.State().m_SignalsShown);
        QCOMPARE(button->text(), QString("Show Signals"));
        dialog.Button(IDC_PURGE)->click();
        QCOMPARE(Block(window, kUpperFirstBar, 30), QStringList(30, "0/REV."));
        QCOMPARE(Block(window, kLowerFirstBar, 30), QStringList(30, "0/REV."));
    }

    // The zenith is the centre, the horizon ring's east point is at the
    // right; a used satellite is filled in its constellation's colour, an
    // unused one is not.
    void plotPlacesByElevationAndAzimuth()
    {
        SkyPlot plot;
        plot.resize(400, 440);
        QCOMPARE(plot.Centre().x(), 200.0);
        const double radius = plot.HorizonRadius();
        QVERIFY(radius > 100);
        const auto mark = [](Constellation constellation, GsvSatellite satellite, bool used) {
            SkySatellite sky;
            sky.constellation = constellation;
            sky.satellite = satellite;
            sky.used = used;
            return sky;
        };
        plot.SetSatellites(
            {mark(Constellation::Gps, {1, 90, 0, 40}, true), mark(Constellation::Glonass, {2, 0, 90, 40}, true)});
        QImage image = plot.grab().toImage();
        const QPointF centre = plot.Centre();
        QCOMPARE(PixelAt(image, centre), ConstellationColour(Constellation::Gps));
        QCOMPARE(PixelAt(image, centre + QPointF(radius, 0)), ConstellationColour(Constellation::Glonass));
        // Nothing at the other ends of the horizon, where the ring is drawn.
        for (const QPointF other : {QPointF(-radius, 0), QPointF(0, -radius), QPointF(0, radius)}) {
            const QColor colour = PixelAt(image, centre + other);
            QVERIFY(colour != ConstellationColour(Constellation::Glonass) && colour != Qt::white);
        }

        plot.SetSatellites({mark(Constellation::Gps, {1, 90, 0, 40}, false)});
        image = plot.grab().toImage();
        QCOMPARE(PixelAt(image, centre), QColor(Qt::white));
        // The outline, at the mark's size for its signal (4 + 40 / 10 pixels).
        QVERIFY(Near(PixelAt(image, centre + QPointF(8, 0)), ConstellationColour(Constellation::Gps)));
    }

    // Opened from the window menu, the window follows the replay's ticks
    // whatever type the text view shows; Purge empties it.
    void followsReplayAndPurgeResets()
    {
        COrvaneDlg dialog;
        dialog.DropFiles({WriteFile(m_Folder, "epochs.nmea", kEpoch.repeated(20))});
        QVERIFY(dialog.State().m_Loaded);
        std::unique_ptr<QMenu> menu(dialog.CreateWindowMenu());
        QAction* open = SkyViewAction(*menu);
        QVERIFY(open);
        open->trigger();
        SkyViewDlg* sky = dialog.SkyView();
        QVERIFY(sky && sky->isVisible());
        QCOMPARE(sky->Table()->rowCount(), 0);

        dialog.Button(IDC_RUN)->click();
        dialog.HoldTimer(kReplayTimerId);
        dialog.OnTimer(kReplayTimerId);
        QTRY_COMPARE(sky->Table()->rowCount(), 6);
        QCOMPARE(sky->Plot()->Satellites().size(), size_t(6));
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Fix)->text(), QString("3D"));
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Time)->text(), QString("12:00:00.00"));
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Satellites)->text(), QString("3 used / 6 in view"));
        QVERIFY(sky->Panel()->Counters()->text().contains("GP: 5 decoded, 5 bad checksum, 0 parse errors"));

        // Sorted by PRN as numbers, and still so after the next tick.
        sky->Table()->sortByColumn(SkyViewDlg::PrnColumn, Qt::DescendingOrder);
        QCOMPARE(Column(*sky->Table(), SkyViewDlg::PrnColumn), (QList<int>{194, 65, 32, 12, 9, 4}));
        dialog.OnTimer(kReplayTimerId);
        QTRY_VERIFY(sky->Panel()->Counters()->text().contains("GP: 10 decoded"));
        QCOMPARE(Column(*sky->Table(), SkyViewDlg::PrnColumn), (QList<int>{194, 65, 32, 12, 9, 4}));
        QStringList used;
        for (int row = 0; row < sky->Table()->rowCount(); ++row)
            used << sky->Table()->item(row, SkyViewDlg::UsedColumn)->text();
        QCOMPARE(used, (QStringList{"yes", "no", "no", "no", "yes", "yes"}));

        dialog.Button(IDC_PURGE)->click();
        QCOMPARE(sky->Table()->rowCount(), 0);
        QVERIFY(sky->Plot()->Satellites().empty());
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Time)->text(), QString(QChar(0x2014)));
        QVERIFY(!dialog.State().m_FixSummary.Time().Known());
    }

    // The counters describe the log once: a replay that starts over from
    // the beginning (Repeat, Run after the end, another talker after the
    // end) starts them afresh, while a Run that goes on where the replay
    // stopped keeps counting from the load. Each epoch is 5 GP sentences
    // and one GL GSV, all with a wrong checksum; a pass of GP RMC ends after
    // the 20th epoch.
    void countersDescribeTheLogOnce_data()
    {
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<int>("ticksFirst");    // 0: until the pass ends
        QTest::addColumn<bool>("seekToStart");  // the thumb taken back to the start before the second Run
        QTest::addColumn<QString>("talker");    // the talker of the second Run
        QTest::addColumn<bool>("shown");        // the window shown during the replay
        QTest::addColumn<QString>("counters");
        const QString oneEpoch =
            "GP: 5 decoded, 5 bad checksum, 0 parse errors\n"
            "GL: 1 decoded, 1 bad checksum, 0 parse errors";
        const QString wholeLog =
            "GP: 100 decoded, 100 bad checksum, 0 parse errors\n"
            "GL: 20 decoded, 20 bad checksum, 0 parse errors";
        QTest::newRow("replayed again") << true << 0 << false << "GPS (GP)" << true << oneEpoch;
        QTest::newRow("replayed again, window closed") << true << 0 << false << "GPS (GP)" << false << oneEpoch;
        QTest::newRow("Run after the end") << false << 0 << false << "GPS (GP)" << true << oneEpoch;
        QTest::newRow("sought to the start and Run") << false << 3 << true << "GPS (GP)" << true << oneEpoch;
        // The log has no GL RMC: the tick reads the whole log and ends.
        QTest::newRow("talker changed and Run") << false << 0 << false << "GLONASS (GL)" << true << wholeLog;
        QTest::newRow("talker changed and Run, window closed")
            << false << 0 << false << "GLONASS (GL)" << false << wholeLog;
        QTest::newRow("talker changed in the middle and Run")
            << false << 3 << false << "GLONASS (GL)" << true << wholeLog;
    }
    void countersDescribeTheLogOnce()
    {
        QFETCH(bool, repeat);
        QFETCH(int, ticksFirst);
        QFETCH(bool, seekToStart);
        QFETCH(QString, talker);
        QFETCH(bool, shown);
        QFETCH(QString, counters);
        COrvaneDlg dialog;
        dialog.DropFiles({WriteFile(m_Folder, "epochs.nmea", kEpoch.repeated(20))});
        QVERIFY(dialog.State().m_Loaded);
        if (shown)
            dialog.OnSkyView();
        if (repeat)
            dialog.Button(IDC_REPEAT)->click();
        dialog.Button(IDC_RUN)->click();
        dialog.HoldTimer(kReplayTimerId);
        const QString end = repeat ? "Replay Log" : "Finish Parsing";
        for (int tick = 0; ticksFirst == 0 ? TopLine(dialog) != end : tick < ticksFirst; ++tick) {
            QVERIFY(tick <= 21);
            dialog.OnTimer(kReplayTimerId);
        }
        if (!repeat) {
            // Stopped (at the end or in the middle): another Run with the talker.
            if (dialog.State().m_Running)
                dialog.Button(IDC_RUN)->click();
            if (seekToStart) {
                QSlider* slider = dialog.Slider();
                slider->setSliderDown(true);
                slider->setSliderPosition(0);
                slider->setSliderDown(false);
                QCOMPARE(dialog.State().m_ParsePosition, 0);
            }
            QComboBox* talkers = dialog.Combo(IDC_SATELLITE_LIST);
            talkers->setCurrentIndex(talkers->findText(talker));
            QCOMPARE(talkers->currentText(), talker);
            dialog.Button(IDC_RUN)->click();
            dialog.HoldTimer(kReplayTimerId);
        }
        dialog.OnTimer(kReplayTimerId);
        if (!shown)
            dialog.OnSkyView();
        SkyViewDlg* sky = dialog.SkyView();
        QVERIFY(sky && sky->isVisible());
        QTRY_COMPARE(sky->Panel()->Counters()->text(), counters);
    }

    // Live: a TCP client's sentences reach the window; leaving online mode
    // empties it. Ctrl+K opens it.
    void followsLiveAndLeavingResets()
    {
        const quint16 port = FreePort();
        QVERIFY(UseConfig(m_Folder, TcpInputConfig(port)));
        COrvaneDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_K, Qt::ControlModifier);
        SkyViewDlg* sky = dialog.SkyView();
        QVERIFY(sky && sky->isVisible());
        GoLive(dialog);
        QTcpSocket client;
        QVERIFY(ConnectInput(dialog, client, port));
        client.write(kEpoch);
        QTRY_COMPARE(sky->Table()->rowCount(), 6);
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Latitude)->text(), QString::fromUtf8("48.1173000°N"));
        dialog.Button(IDC_ONLINE_MODE)->click();
        QVERIFY(!dialog.State().m_Online);
        QCOMPARE(sky->Table()->rowCount(), 0);
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Latitude)->text(), QString(QChar(0x2014)));
        QVERIFY(!dialog.State().m_FixSummary.Position().Known());
    }

    // A value greys 3 s after its last update; one never known does not.
    void staleValuesGrey()
    {
        FixStatusPanel panel;
        FixSummary summary;
        const std::string gga = kEpoch.left(kEpoch.indexOf('\n') + 1).toStdString();
        summary.Consume(gga, 0, gga.size());
        panel.Show(summary, 1000);
        QVERIFY(!panel.Stale(FixStatusPanel::Time));
        panel.Show(summary, 1000 + kStaleAfterMs);
        QVERIFY(!panel.Stale(FixStatusPanel::Time));
        panel.Show(summary, 1001 + kStaleAfterMs);
        QVERIFY(panel.Stale(FixStatusPanel::Time) && panel.Stale(FixStatusPanel::Altitude));
        QVERIFY(panel.Value(FixStatusPanel::Time)->styleSheet().contains("#a0a0a0"));
        QVERIFY(!panel.Stale(FixStatusPanel::Date) && !panel.Stale(FixStatusPanel::Speed));
        summary.Consume(gga, 0, gga.size());
        panel.Show(summary, 1002 + kStaleAfterMs);
        QVERIFY(!panel.Stale(FixStatusPanel::Time));
        QVERIFY(!panel.Value(FixStatusPanel::Time)->styleSheet().contains("#a0a0a0"));
        panel.Reset();
        QCOMPARE(panel.Value(FixStatusPanel::Fix)->text(), QString(QChar(0x2014)));
    }
};

ORVANE_PAGE_TEST_MAIN(TestSatellites)
#include "tst_satellites.moc"
