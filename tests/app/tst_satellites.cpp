// SPDX-License-Identifier: GPL-3.0-or-later
// The Satellites window's signal bars and the Sky View window (plot, table,
// fix panel and receiver messages), alone and through the main window.

#include <QtTest>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
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

// The sentences of the bodies, each with its checksum.
QByteArray WithChecksums(const QList<QByteArray>& bodies)
{
    QByteArray text;
    for (const QByteArray& body : bodies)
        text += WithChecksum(body);
    return text;
}

// One epoch of a receiver that reports two signals per constellation
// (NMEA 4.11): GPS L1 C/A and L2C-L, GLONASS G1 and G2, Galileo E1 and E5b,
// BeiDou B1I and B2I, QZSS L1 C/A and L2C-L; 10 used of 15 in view, no two
// marks close.
QByteArray MultiBandEpoch(const QByteArray& time)
{
    return WithChecksums({"GNRMC," + time + ",A,4809.0000,N,01135.0000,E,0.010,,140326,,,A,V",
        "GNGGA," + time + ",4809.0000,N,01135.0000,E,1,12,0.60,500.0,M,47.0,M,,",
        "GNGSA,A,3,13,21,05,,,,,,,,,,1.00,0.60,0.80,1", "GNGSA,A,3,70,,,,,,,,,,,,1.00,0.60,0.80,2",
        "GNGSA,A,3,12,19,,,,,,,,,,,1.00,0.60,0.80,3", "GNGSA,A,3,13,12,21,,,,,,,,,,1.00,0.60,0.80,4",
        "GNGSA,A,3,02,,,,,,,,,,,,1.00,0.60,0.80,5",
        "GPGSV,1,1,04,13,40,050,45,21,60,100,44,05,30,200,41,30,05,300,09,1",
        "GPGSV,1,1,03,13,40,050,38,21,60,100,,05,30,200,36,6", "GLGSV,1,1,02,70,50,150,40,71,10,250,,1",
        "GLGSV,1,1,01,70,50,150,35,3", "GAGSV,1,1,03,12,20,020,42,19,25,160,39,27,08,330,,7",
        "GAGSV,1,1,02,12,20,020,40,19,25,160,37,2",
        "GBGSV,1,1,04,13,70,010,46,12,35,220,43,21,55,120,44,10,15,280,30,1",
        "GBGSV,1,1,03,13,70,010,44,12,35,220,,21,55,120,41,B", "GQGSV,1,1,02,02,80,170,47,03,20,190,33,1",
        "GQGSV,1,1,01,02,80,170,45,6"});
}

FixSummary Summarise(const QByteArray& text)
{
    FixSummary summary;
    const std::string bytes = text.toStdString();
    summary.Consume(bytes, 0, bytes.size());
    return summary;
}

void Add(FixSummary& summary, const QByteArray& text)
{
    const std::string bytes = text.toStdString();
    summary.Consume(bytes, 0, bytes.size());
}

QStringList Headers(const QTableWidget& table)
{
    QStringList headers;
    for (int column = 0; column < table.columnCount(); ++column)
        headers << table.horizontalHeaderItem(column)->text();
    return headers;
}

// Each row's cells as shown, joined by "|".
QStringList Rows(const QTableWidget& table)
{
    QStringList rows;
    for (int row = 0; row < table.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table.columnCount(); ++column)
            cells << table.item(row, column)->text();
        rows << cells.join('|');
    }
    return rows;
}

int ColumnNamed(const QTableWidget& table, const QString& header)
{
    return int(Headers(table).indexOf(header));
}

// The row of a constellation's PRN, or -1.
int RowOf(const QTableWidget& table, const QString& constellation, int prn)
{
    for (int row = 0; row < table.rowCount(); ++row) {
        if (table.item(row, SkyViewDlg::ConstellationColumn)->text() == constellation &&
            table.item(row, SkyViewDlg::PrnColumn)->text().toInt() == prn)
            return row;
    }
    return -1;
}

// Where a label lies beside its mark.
QString Side(const QRectF& label, QPointF mark)
{
    if (label.isNull())
        return QStringLiteral("none");
    const QPointF d = label.center() - mark;
    const QString horizontal = std::abs(d.x()) < 0.01 ? QString() : d.x() > 0 ? "right" : "left";
    const QString vertical = std::abs(d.y()) < 0.01 ? QString() : d.y() > 0 ? "below" : "above";
    if (vertical.isEmpty())
        return horizontal;
    if (horizontal.isEmpty())
        return vertical;
    return (vertical == "above" ? "upper " : "lower ") + horizontal;
}

// The distance from a point to a rectangle (0 inside).
double Distance(QPointF point, const QRectF& rect)
{
    const double dx = point.x() - std::clamp(point.x(), rect.left(), rect.right());
    const double dy = point.y() - std::clamp(point.y(), rect.top(), rect.bottom());
    return std::hypot(dx, dy);
}

// What every placement must hold: a placed label lies within bounds, next
// to its own mark, clear of every mark and of every other label.
void VerifyPlacement(const std::vector<LabelRequest>& labels, const std::vector<QRectF>& placed, const QRectF& bounds)
{
    QCOMPARE(placed.size(), labels.size());
    for (size_t k = 0; k < placed.size(); ++k) {
        if (placed[k].isNull())
            continue;
        QVERIFY2(bounds.contains(placed[k]), qPrintable(QString("label %1 out of bounds").arg(k)));
        QCOMPARE(placed[k].size(), labels[k].size);
        QVERIFY2(Distance(labels[k].mark, placed[k]) <= labels[k].markRadius + 3 + 1e-9,
            qPrintable(QString("label %1 away from its mark").arg(k)));
        for (size_t j = 0; j < labels.size(); ++j) {
            QVERIFY2(Distance(labels[j].mark, placed[k]) >= labels[j].markRadius - 1e-9,
                qPrintable(QString("label %1 covers mark %2").arg(k).arg(j)));
            if (j != k && !placed[j].isNull())
                QVERIFY2(!placed[k].intersects(placed[j]),
                    qPrintable(QString("labels %1 and %2 overlap").arg(k).arg(j)));
        }
    }
}

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
        QVERIFY(DropLog(dialog, m_Folder, "sats.nmea", log));
        QPushButton* button = Button(dialog, IDC_SHOW_SIGNALS);
        button->click();
        CGNSS_SatellitesDlg& window = *dialog.SatellitesDlg();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.windowHandle()->close());
        QVERIFY(window.isVisible());
        QCOMPARE(button->text(), QString("Hide Signals"));
        Button(dialog, IDC_RUN)->click();
        dialog.OnReplayTick();
        QCOMPARE(window.BarLabel(kUpperFirstBar)->text(), QString("1(40)"));
        QCOMPARE(window.BarLabel(kUpperFirstBar + 29)->text(), QString("30(40)"));
        QVERIFY(!Block(window, kUpperFirstBar, 30).contains("41/31(41)"));
        QVERIFY(!Block(window, kLowerFirstBar, 30).contains("41/31(41)"));
        Button(dialog, IDC_RUN)->click();  // stopped, the button works again
        button->click();
        QVERIFY(!window.isVisible());
        QCOMPARE(button->text(), QString("Show Signals"));
        Button(dialog, IDC_PURGE)->click();
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
        QVERIFY(DropLog(dialog, m_Folder, "epochs.nmea", kEpoch.repeated(20)));
        std::unique_ptr<QMenu> menu(dialog.CreateWindowMenu());
        QAction* open = SkyViewAction(*menu);
        QVERIFY(open);
        open->trigger();
        SkyViewDlg* sky = dialog.SkyView();
        QVERIFY(sky && sky->isVisible());
        QCOMPARE(sky->Table()->rowCount(), 0);

        RunByHand(dialog);
        dialog.OnReplayTick();
        QTRY_COMPARE(sky->Table()->rowCount(), 6);
        QCOMPARE(sky->Plot()->Satellites().size(), size_t(6));
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Fix)->text(), QString("3D"));
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Time)->text(), QString("12:00:00.00"));
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Satellites)->text(), QString("3 used / 6 in view"));
        QVERIFY(sky->Panel()->Counters()->text().contains("GP: 5 decoded, 5 bad checksum, 0 parse errors"));

        // Sorted by PRN as numbers, and still so after the next tick.
        sky->Table()->sortByColumn(SkyViewDlg::PrnColumn, Qt::DescendingOrder);
        QCOMPARE(Column(*sky->Table(), SkyViewDlg::PrnColumn), (QList<int>{194, 65, 32, 12, 9, 4}));
        dialog.OnReplayTick();
        QTRY_VERIFY(sky->Panel()->Counters()->text().contains("GP: 10 decoded"));
        QCOMPARE(Column(*sky->Table(), SkyViewDlg::PrnColumn), (QList<int>{194, 65, 32, 12, 9, 4}));
        QStringList used;
        for (int row = 0; row < sky->Table()->rowCount(); ++row)
            used << sky->Table()->item(row, SkyViewDlg::UsedColumn)->text();
        QCOMPARE(used, (QStringList{"yes", "no", "no", "no", "yes", "yes"}));

        Button(dialog, IDC_PURGE)->click();
        QCOMPARE(sky->Table()->rowCount(), 0);
        QVERIFY(sky->Plot()->Satellites().empty());
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Time)->text(), QString(QChar(0x2014)));
        QVERIFY(!dialog.Summary().Time().Known());
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
        QVERIFY(DropLog(dialog, m_Folder, "epochs.nmea", kEpoch.repeated(20)));
        if (shown)
            dialog.OnSkyView();
        if (repeat)
            Button(dialog, IDC_REPEAT)->click();
        RunByHand(dialog);
        const QString end = repeat ? "Replay Log" : "Finish Parsing";
        for (int tick = 0; ticksFirst == 0 ? TopLine(dialog) != end : tick < ticksFirst; ++tick) {
            QVERIFY(tick <= 21);
            dialog.OnReplayTick();
        }
        if (!repeat) {
            // Stopped (at the end or in the middle): another Run with the talker.
            if (dialog.Replay().Running())
                Button(dialog, IDC_RUN)->click();
            if (seekToStart) {
                QSlider* slider = Find<QSlider>(dialog, IDC_REPLAY_SLIDER);
                slider->setSliderDown(true);
                slider->setSliderPosition(0);
                slider->setSliderDown(false);
                QCOMPARE(dialog.Replay().Cursor().m_ParsePosition, 0);
            }
            QComboBox* talkers = Combo(dialog, IDC_SATELLITE_LIST);
            talkers->setCurrentIndex(talkers->findText(talker));
            QCOMPARE(talkers->currentText(), talker);
            RunByHand(dialog);
        }
        dialog.OnReplayTick();
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
        Button(dialog, IDC_ONLINE_MODE)->click();
        QCOMPARE(Button(dialog, IDC_ONLINE_MODE)->text(), QString("Online Mode"));
        QCOMPARE(sky->Table()->rowCount(), 0);
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Latitude)->text(), QString(QChar(0x2014)));
        QVERIFY(!dialog.Summary().Position().Known());
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

    // One SNR column per band group the epoch's signals fall in, and only
    // those; a log without signal IDs has the one "SNR" column, and signals
    // without an ID beside ones with get it too. A satellite without a
    // signal in a band has an empty cell.
    void snrColumnsPerBand_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QStringList>("rows");
        const QStringList fixed{"Constellation", "PRN", "Elevation", "Azimuth", "Used"};
        QTest::newRow("three band groups")
            << MultiBandEpoch("120000.00") << fixed + QStringList{"L1/E1/B1", "L2/G2", "E5b/B2I"}
            << QStringList{"GPS|13|40|50|yes|45|38|", "GPS|21|60|100|yes|44|0|", "GPS|5|30|200|yes|41|36|",
                   "GPS|30|5|300|no|9||", "GLONASS|70|50|150|yes|40|35|", "GLONASS|71|10|250|no|0||",
                   "Galileo|12|20|20|yes|42||40", "Galileo|19|25|160|yes|39||37", "Galileo|27|8|330|no|0||",
                   "BeiDou|13|70|10|yes|46||44", "BeiDou|12|35|220|yes|43||0", "BeiDou|21|55|120|yes|44||41",
                   "BeiDou|10|15|280|no|30||", "QZSS|2|80|170|yes|47|45|", "QZSS|3|20|190|no|33||"};
        QTest::newRow("L5 and E6") << WithChecksums({"GPGSV,1,1,01,10,35,187,43,1", "GPGSV,1,1,01,10,35,187,44,8",
                                          "GAGSV,1,1,01,04,46,306,43,7", "GAGSV,1,1,01,04,46,306,40,5"})
                                   << fixed + QStringList{"L1/E1/B1", "L5/E5a/B2a", "other"}
                                   << QStringList{"GPS|10|35|187|no|43|44|", "Galileo|4|46|306|no|43||40"};
        QTest::newRow("no signal IDs") << kEpoch << fixed + QStringList{"SNR"}
                                       << QStringList{"GPS|4|90|0|yes|45", "GPS|9|45|180|yes|0", "GPS|12|10|270|no|20",
                                              "GPS|32|60|45|no|38", "GLONASS|65|30|300|no|41", "QZSS|194|0|90|yes|30"};
        QTest::newRow("IDs beside none") << WithChecksums({"GPGSV,1,1,01,10,35,187,43,1", "GLGSV,1,1,01,65,30,300,41"})
                                         << fixed + QStringList{"SNR", "L1/E1/B1"}
                                         << QStringList{"GPS|10|35|187|no||43", "GLONASS|65|30|300|no|41|"};
    }
    void snrColumnsPerBand()
    {
        QFETCH(QByteArray, log);
        QFETCH(QStringList, headers);
        QFETCH(QStringList, rows);
        const FixSummary summary = Summarise(log);
        SkyViewDlg sky(summary, nullptr);
        sky.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sky));
        QCOMPARE(Headers(*sky.Table()), headers);
        QCOMPARE(Rows(*sky.Table()), rows);
    }

    // An SNR cell's tooltip names each signal of its band; the cell shows
    // the best of them.
    void snrCellsNameTheirSignals()
    {
        const FixSummary summary = Summarise(MultiBandEpoch("120000.00") + WithChecksums({"GPGSV,1,1,01,08,50,300,40,7",
                                                                               "GPGSV,1,1,01,08,50,300,47,8"}));
        SkyViewDlg sky(summary, nullptr);
        sky.Refresh();
        const QTableWidget& table = *sky.Table();
        const auto tip = [&](const QString& constellation, int prn, const QString& band) {
            return table.item(RowOf(table, constellation, prn), ColumnNamed(table, band))->toolTip();
        };
        QCOMPARE(tip("GPS", 13, "L2/G2"), QString("L2C-L: 38 dB-Hz"));
        QCOMPARE(tip("Galileo", 12, "L1/E1/B1"), QString("E1: 42 dB-Hz"));
        QCOMPARE(tip("BeiDou", 21, "E5b/B2I"), QString("B2I: 41 dB-Hz"));
        QCOMPARE(tip("GLONASS", 70, "L2/G2"), QString("G2 C/A: 35 dB-Hz"));
        QCOMPARE(tip("GPS", 8, "L5/E5a/B2a"), QString("L5-I: 40 dB-Hz\nL5-Q: 47 dB-Hz"));
        QCOMPARE(table.item(RowOf(table, "GPS", 8), ColumnNamed(table, "L5/E5a/B2a"))->text(), QString("47"));
        QCOMPARE(tip("GPS", 30, "L2/G2"), QString());
    }

    // A band's column sorts by number, the empty cells last when
    // descending; the sort stays on that column when the next epoch adds a
    // column before it, and goes back to the constellations when the next
    // epoch has no signal in its band.
    void bandSortFollowsItsColumn()
    {
        FixSummary summary = Summarise(MultiBandEpoch("120000.00"));
        SkyViewDlg sky(summary, nullptr);
        sky.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sky));
        QTableWidget& table = *sky.Table();
        table.sortByColumn(ColumnNamed(table, "L2/G2"), Qt::DescendingOrder);
        const QStringList l2 = {"45", "38", "36", "35", "0", "", "", "", "", "", "", "", "", "", ""};
        const auto column = [&](const QString& header) {
            QStringList cells;
            for (int row = 0; row < table.rowCount(); ++row)
                cells << table.item(row, ColumnNamed(table, header))->text();
            return cells;
        };
        QCOMPARE(column("L2/G2"), l2);
        table.sortByColumn(ColumnNamed(table, "L1/E1/B1"), Qt::DescendingOrder);
        QCOMPARE(column("L1/E1/B1"),
            (QStringList{"47", "46", "45", "44", "44", "43", "42", "41", "40", "39", "33", "30", "9", "0", "0"}));
        table.sortByColumn(ColumnNamed(table, "L2/G2"), Qt::DescendingOrder);

        // A satellite without signal IDs puts "SNR" before the bands.
        Add(summary, MultiBandEpoch("120001.00") + WithChecksums({"GPGSV,1,1,01,47,33,229,37"}));
        sky.Refresh();
        QCOMPARE(ColumnNamed(table, "SNR"), int(SkyViewDlg::kFirstSnrColumn));
        QCOMPARE(table.horizontalHeader()->sortIndicatorSection(), ColumnNamed(table, "L2/G2"));
        QCOMPARE(table.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(column("L2/G2"), l2 + QStringList{""});

        // After a purge, a log without L2: sorted by constellation, in the
        // order reported.
        summary.Reset();
        sky.Reset();
        Add(summary, WithChecksums({"GPGSV,1,1,02,13,40,050,45,21,60,100,44,1", "GAGSV,1,1,01,12,20,020,42,7"}));
        sky.Refresh();
        QCOMPARE(Headers(table).mid(SkyViewDlg::kFirstSnrColumn), QStringList{"L1/E1/B1"});
        QCOMPARE(table.horizontalHeader()->sortIndicatorSection(), int(SkyViewDlg::ConstellationColumn));
        QCOMPARE(table.horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(Rows(table), (QStringList{"GPS|13|40|50|no|45", "GPS|21|60|100|no|44", "Galileo|12|20|20|no|42"}));
    }

    // Through the main window, a multi-band log: the panel's "used / in
    // view" counts the plot's filled marks and all its marks, as drawn.
    void panelCountsAreThePlotsMarks()
    {
        COrvaneDlg dialog;
        QVERIFY(DropLog(dialog, m_Folder, "bands.nmea", MultiBandEpoch("120000.00") + MultiBandEpoch("120001.00")));
        SkyViewDlg* sky = (dialog.OnSkyView(), dialog.SkyView());
        QVERIFY(sky && QTest::qWaitForWindowExposed(sky));
        RunByHand(dialog);
        // Each tick stops after a GN RMC, the first of its epoch: the last
        // tick reads the second epoch's satellites.
        for (int tick = 0; tick < 3; ++tick)
            dialog.OnReplayTick();
        QTRY_COMPARE(sky->Table()->rowCount(), 15);

        const QImage image = sky->Plot()->grab().toImage();
        int filled = 0;
        int all = 0;
        for (const SkySatellite& satellite : sky->Plot()->Satellites()) {
            const QColor centre =
                PixelAt(image, sky->Plot()->PointAt(satellite.satellite.elevation, satellite.satellite.azimuth));
            const bool isFilled = centre == ConstellationColour(satellite.constellation);
            QVERIFY(isFilled || centre == QColor(Qt::white));
            filled += isFilled;
            ++all;
        }
        QCOMPARE(filled, 10);
        QCOMPARE(all, 15);
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Satellites)->text(),
            QString("%1 used / %2 in view").arg(filled).arg(all));
        QCOMPARE(sky->Table()->rowCount(), all);
    }

    // The fields of GNS, GST, GBS, THS and RMC's late fields, from
    // sentences; a GNS or RMC alone, GNS first where both came.
    void reportFields_data()
    {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        const QByteArray gga = WithChecksums({"GNGGA,120000.00,4809.0000,N,01135.0000,E,1,12,0.60,500.0,M,47.0,M,,"});
        const QByteArray gns = WithChecksums({"GNGNS,120000.00,4809.0000,N,01135.0000,E,AAAAN,14,0.60,500.0,47.0,,,U"});
        const QByteArray rmc = WithChecksums({"GNRMC,120000.00,A,4809.0000,N,01135.0000,E,0.0,,140326,,,D,C"});
        const QString dash(QChar(0x2014));
        QTest::newRow("GST") << gga + WithChecksums({"GNGST,120000.00,1.03,0.50,0.41,93.8,0.43,0.49,0.96"})
                             << int(FixStatusPanel::Accuracy) << "0.43 / 0.49 / 0.96 m";
        QTest::newRow("GST without the altitude") << WithChecksums({"GNGST,120000.00,1.03,0.50,0.41,93.8,0.43,0.49,"})
                                                  << int(FixStatusPanel::Accuracy) << "0.43 / 0.49 / " + dash + " m";
        QTest::newRow("no GST") << gga << int(FixStatusPanel::Accuracy) << dash;
        QTest::newRow("GNS modes") << rmc + gns << int(FixStatusPanel::Mode)
                                   << "GPS A, GLONASS A, Galileo A, BeiDou A, QZSS N";
        QTest::newRow("RMC mode") << rmc << int(FixStatusPanel::Mode) << "Differential (D)";
        QTest::newRow("no mode") << gga << int(FixStatusPanel::Mode) << dash;
        QTest::newRow("GNS status") << gns + rmc << int(FixStatusPanel::NavStatus) << "Unsafe (U)";
        QTest::newRow("RMC status") << rmc << int(FixStatusPanel::NavStatus) << "Caution (C)";
        QTest::newRow("THS") << WithChecksums({"GNTHS,123.46,A"}) << int(FixStatusPanel::TrueHeading) << "123.5\u00b0";
        QTest::newRow("THS estimated") << WithChecksums({"GNTHS,8.00,E"}) << int(FixStatusPanel::TrueHeading)
                                       << "8.0\u00b0 estimated";
        QTest::newRow("GBS, none failed") << WithChecksums({"GNGBS,120000.00,0.5,0.6,1.2,,,,,,"})
                                          << int(FixStatusPanel::Raim) << "0.50 / 0.60 / 1.20 m";
        QTest::newRow("GBS, a failed signal")
            << WithChecksums({"GNGBS,120000.00,0.5,0.6,1.2,12,0.01,12.3,2.1,3,7"}) << int(FixStatusPanel::Raim)
            << "0.50 / 0.60 / 1.20 m\nfailed: Galileo 12 E1, bias 12.30 m";
        QTest::newRow("GBS without a system ID")
            << WithChecksums({"GPGBS,120000.00,0.5,,1.2,70,,,"}) << int(FixStatusPanel::Raim)
            << "0.50 / " + dash + " / 1.20 m\nfailed: GLONASS 70";
    }
    void reportFields()
    {
        QFETCH(QByteArray, log);
        QFETCH(int, field);
        QFETCH(QString, text);
        FixStatusPanel panel;
        panel.Show(Summarise(log), 1000);
        QCOMPARE(panel.Value(FixStatusPanel::Field(field))->text(), text);
    }

    // A report's field greys once its sentence stops, while the others
    // keep updating.
    void reportFieldsGrey()
    {
        FixStatusPanel panel;
        FixSummary summary;
        const QByteArray gga = WithChecksums({"GNGGA,120000.00,4809.0000,N,01135.0000,E,1,12,0.60,500.0,M,47.0,M,,"});
        Add(summary, gga + WithChecksums({"GNGST,120000.00,1.03,0.50,0.41,93.8,0.43,0.49,0.96", "GNTHS,10.0,A"}));
        panel.Show(summary, 1000);
        QVERIFY(!panel.Stale(FixStatusPanel::Accuracy) && !panel.Stale(FixStatusPanel::TrueHeading));
        Add(summary, gga);
        panel.Show(summary, 1001 + kStaleAfterMs);
        QVERIFY(panel.Stale(FixStatusPanel::Accuracy) && panel.Stale(FixStatusPanel::TrueHeading));
        QVERIFY(panel.Value(FixStatusPanel::Accuracy)->styleSheet().contains("#a0a0a0"));
        QVERIFY(!panel.Stale(FixStatusPanel::Time));
        QVERIFY(!panel.Stale(FixStatusPanel::Raim) && !panel.Stale(FixStatusPanel::Mode));
        Add(summary, WithChecksums({"GNGST,120001.00,1.03,0.50,0.41,93.8,0.40,0.49,0.96"}));
        panel.Show(summary, 1002 + kStaleAfterMs);
        QVERIFY(!panel.Stale(FixStatusPanel::Accuracy) && panel.Stale(FixStatusPanel::TrueHeading));
        QCOMPARE(panel.Value(FixStatusPanel::Accuracy)->text(), QString("0.40 / 0.49 / 0.96 m"));
    }

    // GNS's count of satellites used shows only where it differs from the
    // GSAs' (here 10).
    void gnsCountOnlyWhereItAdds_data()
    {
        QTest::addColumn<QByteArray>("gns");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("text");
        QTest::newRow("the same") << WithChecksums(
                                         {"GNGNS,120000.00,4809.0000,N,01135.0000,E,AAAAA,10,0.60,500.0,47.0,,,S"})
                                  << false << "";
        QTest::newRow("more") << WithChecksums(
                                     {"GNGNS,120000.00,4809.0000,N,01135.0000,E,AAAAA,14,0.60,500.0,47.0,,,S"})
                              << true << "14 used";
        QTest::newRow("none sent") << WithChecksums(
                                          {"GNGNS,120000.00,4809.0000,N,01135.0000,E,AAAAA,,0.60,500.0,47.0,,,S"})
                                   << false << "";
        QTest::newRow("no GNS") << QByteArray() << false << "";
    }
    void gnsCountOnlyWhereItAdds()
    {
        QFETCH(QByteArray, gns);
        QFETCH(bool, shown);
        QFETCH(QString, text);
        FixStatusPanel panel;
        panel.Show(Summarise(MultiBandEpoch("120000.00") + gns), 1000);
        QCOMPARE(panel.Value(FixStatusPanel::Satellites)->text(), QString("10 used / 15 in view"));
        QCOMPARE(!panel.Value(FixStatusPanel::GnsSatellites)->isHidden(), shown);
        QCOMPARE(!panel.Name(FixStatusPanel::GnsSatellites)->isHidden(), shown);
        if (shown)
            QCOMPARE(panel.Value(FixStatusPanel::GnsSatellites)->text(), text);
    }

    // Through the main window: the receiver's TXT messages, the last 8
    // with the newest last, and the GST accuracy; Purge empties both.
    void replayListsMessagesAndAccuracy()
    {
        QByteArray log = MultiBandEpoch("120000.00");
        for (int k = 1; k <= 10; ++k)
            log += WithChecksum("GNTXT,01,01," + QByteArray::number(k % 3).rightJustified(2, '0') + ",message " +
                                QByteArray::number(k));
        log += WithChecksums({"GNGST,120000.00,1.03,0.50,0.41,93.8,0.43,0.49,0.96"});
        COrvaneDlg dialog;
        QVERIFY(DropLog(dialog, m_Folder, "messages.nmea", log));
        SkyViewDlg* sky = (dialog.OnSkyView(), dialog.SkyView());
        QVERIFY(sky && sky->isVisible());
        QCOMPARE(sky->Messages()->count(), 0);
        RunByHand(dialog);
        // The first tick stops after the GN RMC; the second reads the rest.
        dialog.OnReplayTick();
        dialog.OnReplayTick();
        QTRY_COMPARE(sky->Messages()->count(), 8);
        QStringList shown;
        for (int row = 0; row < sky->Messages()->count(); ++row)
            shown << sky->Messages()->item(row)->text();
        QCOMPARE(shown, (QStringList{"00 message 3", "01 message 4", "02 message 5", "00 message 6", "01 message 7",
                            "02 message 8", "00 message 9", "01 message 10"}));
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Accuracy)->text(), QString("0.43 / 0.49 / 0.96 m"));

        Button(dialog, IDC_PURGE)->click();
        QCOMPARE(sky->Messages()->count(), 0);
        QCOMPARE(sky->Panel()->Value(FixStatusPanel::Accuracy)->text(), QString(QChar(0x2014)));
    }

    // Labels go beside their marks on the first free side; a label with no
    // free side is left out; none overlaps a mark or another label.
    void labelPlacement_data()
    {
        QTest::addColumn<QList<QPointF>>("marks");
        QTest::addColumn<QStringList>("sides");
        QTest::newRow("one mark") << QList<QPointF>{{100, 100}} << QStringList{"right"};
        QTest::newRow("side by side") << QList<QPointF>{{100, 100}, {112, 100}} << QStringList{"left", "right"};
        QTest::newRow("one over the other") << QList<QPointF>{{100, 100}, {100, 104}} << QStringList{"right", "left"};
        QTest::newRow("three in a row") << QList<QPointF>{{100, 100}, {100, 104}, {100, 108}}
                                        << QStringList{"right", "left", "below"};
        QTest::newRow("at the right edge") << QList<QPointF>{{190, 100}} << QStringList{"left"};
        QTest::newRow("in the top right corner") << QList<QPointF>{{195, 3}} << QStringList{"lower left"};
        QTest::newRow("on the same spot") << QList<QPointF>{{100, 100}, {100, 100}} << QStringList{"right", "left"};
        QTest::newRow("boxed in") << QList<QPointF>{{100, 100}, {112, 100}, {88, 100}, {100, 110}, {100, 90}, {110, 88},
                                         {90, 88}, {110, 112}, {90, 112}}
                                  << QStringList{"none"};
    }
    void labelPlacement()
    {
        QFETCH(QList<QPointF>, marks);
        QFETCH(QStringList, sides);
        const QRectF bounds(0, 0, 200, 200);
        std::vector<LabelRequest> labels;
        for (const QPointF mark : marks)
            labels.push_back({mark, 5, QSizeF(14, 9)});
        const std::vector<QRectF> placed = PlaceLabels(labels, bounds);
        VerifyPlacement(labels, placed, bounds);
        for (qsizetype k = 0; k < sides.size(); ++k)
            QCOMPARE(Side(placed[size_t(k)], marks[k]), sides[k]);
    }

    // On the plot: a crowded sky's labels overlap nothing, every label of
    // a sky without close marks is placed, and each is drawn where placed.
    void plotLabelsDoNotOverlap()
    {
        SkyPlot plot;
        plot.resize(420, 460);
        std::vector<SkySatellite> crowded = Summarise(MultiBandEpoch("120000.00")).Satellites();
        QVERIFY(crowded.size() == 15);
        std::vector<SkySatellite> spread = crowded;
        for (int k = 0; k < 30; ++k) {
            SkySatellite sky;
            sky.constellation = Constellation::BeiDou;
            sky.satellite = {100 + k, 40 + k % 5 * 2, 100 + k / 5 * 3, 20 + k};
            sky.used = k % 2 == 0;
            crowded.push_back(sky);
        }
        for (const auto& satellites : {spread, crowded}) {
            plot.SetSatellites(satellites);
            const std::vector<QRectF> placed = plot.LabelRects();
            // A mark's outline reaches a pixel beyond its radius.
            std::vector<LabelRequest> labels;
            for (const SkySatellite& sky : satellites)
                labels.push_back(
                    {plot.PointAt(sky.satellite.elevation, sky.satellite.azimuth), SkyPlot::MarkRadius(sky) + 1,
                        placed[labels.size()].isNull() ? QSizeF(1, 1) : placed[labels.size()].size()});
            VerifyPlacement(labels, placed, QRectF(0, 0, plot.width(), plot.height()));
            const QImage image = plot.grab().toImage();
            for (const QRectF& label : placed) {
                if (label.isNull())
                    continue;
                bool ink = false;
                for (int y = int(label.top()); y < int(label.bottom()) && !ink; ++y) {
                    for (int x = int(label.left()); x < int(label.right()) && !ink; ++x)
                        ink = qGray(image.pixel(x, y)) < 100;
                }
                QVERIFY(ink);
            }
        }
        plot.SetSatellites(spread);
        const std::vector<QRectF> placed = plot.LabelRects();
        QVERIFY(std::none_of(placed.begin(), placed.end(), [](const QRectF& label) { return label.isNull(); }));
    }

    // The legend names the constellations, SBAS among them and no talker,
    // each in its colour.
    void legendByConstellation()
    {
        QCOMPARE(SkyPlot::LegendNames(),
            (QStringList{"GPS", "GLONASS", "Galileo", "BeiDou", "QZSS", "NavIC", "SBAS", "not used"}));
        SkyPlot plot;
        plot.resize(420, 460);
        const QImage image = plot.grab().toImage();
        const QImage legend = image.copy(0, image.height() - 40, image.width(), 40);
        for (const Constellation constellation : {Constellation::Gps, Constellation::Glonass, Constellation::Galileo,
                 Constellation::BeiDou, Constellation::Qzss, Constellation::NavIC, Constellation::Sbas}) {
            bool found = false;
            for (int y = 0; y < legend.height() && !found; ++y) {
                for (int x = 0; x < legend.width() && !found; ++x)
                    found = legend.pixelColor(x, y) == ConstellationColour(constellation);
            }
            QVERIFY2(found, ConstellationName(constellation).data());
        }
    }
};

ORVANE_PAGE_TEST_MAIN(TestSatellites)
#include "tst_satellites.moc"
