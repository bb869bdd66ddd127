// SPDX-License-Identifier: GPL-3.0-or-later
// The Charts window on the real main window: the loaded log's epochs and
// statistics, the cursor and a click that seeks the replay, the reference
// the user types, the epoch exports, and the growth of a live session.

#include <qcustomplot.h>

#include <QListWidget>
#include <QMenu>
#include <QTcpSocket>

#include <cmath>
#include <cstdio>

#include "../common/LoopbackPort.h"
#include "AppTestSupport.h"
#include "ChartsDlg.h"
#include "decoder/Epochs.h"

using namespace orvane;

namespace {

constexpr int kSeconds = 60;
constexpr int kGapFrom = 30, kGapTo = 36;  // no epochs in [30, 36): as many fixes north as south
constexpr int kEpochs = kSeconds - (kGapTo - kGapFrom);

// A receiver standing at 37.5 N 127 E whose fixes lie alternately 1e-5
// degrees north and south of it (centred: on it), at 12:00:ss on 2026-03-14, each epoch with
// RMC, GGA, GSA and GSV.
QByteArray StaticLog(bool centred = false)
{
    std::string log;
    char body[160];
    for (int s = 0; s < kSeconds; ++s) {
        if (s >= kGapFrom && s < kGapTo)
            continue;
        const char* latitude = centred ? "3730.000000" : s % 2 ? "3730.000600" : "3729.999400";
        std::snprintf(body, sizeof body, "GPRMC,1200%02d.00,A,%s,N,12700.000000,E,0.0,0.0,140326,,,A", s, latitude);
        log += Nmea(body);
        std::snprintf(body, sizeof body, "GPGGA,1200%02d.00,%s,N,12700.000000,E,1,04,0.9,50.0,M,20.0,M,,", s, latitude);
        log += Nmea(body);
        log += Nmea("GPGSA,A,3,01,02,03,04,,,,,,,,,1.8,0.9,1.5");
        log += Nmea("GPGSV,1,1,04,01,40,050,45,02,30,100,40,03,20,150,38,04,60,200,47");
    }
    return QByteArray::fromStdString(log);
}

QAction* MenuAction(QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

// Seconds on the charts' axis of 12:00:ss.
double AxisSeconds(int second)
{
    return 12 * 3600 + second;
}

}  // namespace

class TestCharts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_Folder.isValid()); }

    void showsTheLoadedLog()
    {
        COrvaneDlg dialog;
        QVERIFY(DropLog(dialog, m_Folder, "static.nmea", StaticLog()));
        std::unique_ptr<QMenu> menu(dialog.CreateWindowMenu());
        QAction* open = MenuAction(*menu, "&Charts...");
        QVERIFY(open);
        open->trigger();
        ChartsDlg* charts = dialog.Charts();
        QVERIFY(charts && charts->isVisible());
        QCOMPARE(charts->windowTitle(), QString("Charts - static.nmea"));

        const ReceiverStats& stats = charts->Stats();
        QCOMPARE(stats.availability.epochs, size_t(kEpochs));
        QCOMPARE(stats.accuracy.n, size_t(kEpochs));
        // Every fix lies 1e-5 degrees of latitude (1.11 m) from the mean.
        QVERIFY2(std::fabs(stats.accuracy.cep50 - 1.1096) < 0.005, qPrintable(QString::number(stats.accuracy.cep50)));
        QCOMPARE(stats.availability.gaps.size(), size_t(1));
        // The charts keep the errors as floats only: the full per-epoch
        // records are let go, memory and all, as a day-long session needs.
        QCOMPARE(stats.errors.capacity(), size_t(0));
        QVERIFY(charts->StatsView()->toPlainText().contains("static.nmea"));
        // The deviation plot: the two places the fixes take, as 3D fixes.
        auto* threeD = static_cast<QCPCurve*>(charts->DeviationPlot()->plottable(int(FixClass::ThreeD)));
        QCOMPARE(threeD->dataCount(), 2);
        QCOMPARE(charts->DeviationPlot()->plottable(int(FixClass::TwoD))->interface1D()->dataCount(), 0);

        // The whole log is shown; the error line breaks over the gap.
        QCustomPlot* errors = charts->TimePlot(ChartsDlg::ErrorChart);
        QCOMPARE(errors->xAxis->range().lower, AxisSeconds(0));
        QCOMPARE(errors->xAxis->range().upper, AxisSeconds(kSeconds - 1));
        QCPGraph* horizontal = errors->graph(0);
        QCOMPARE(horizontal->name(), QString("horizontal"));
        int breaks = 0;
        for (auto point = horizontal->data()->constBegin(); point != horizontal->data()->constEnd(); ++point) {
            if (std::isnan(point->value)) {
                ++breaks;
                QVERIFY(point->key >= AxisSeconds(kGapFrom - 1) && point->key <= AxisSeconds(kGapTo));
            } else {
                QVERIFY(std::fabs(point->value - 1.1096) < 0.005);
            }
        }
        QCOMPARE(breaks, 1);
        // Four satellites' C/N0, the first signals checked.
        QCOMPARE(charts->SignalList()->count(), 4);
        QCOMPARE(charts->TimePlot(ChartsDlg::Cn0Chart)->graphCount(), 4);
        QCOMPARE(charts->TimePlot(ChartsDlg::Cn0Chart)->graph(0)->data()->constBegin()->value, 45.0);

        // A zoom shows only the epochs of the range; the others follow.
        charts->SetTimeRange(AxisSeconds(10), AxisSeconds(20));
        QCOMPARE(charts->TimePlot(ChartsDlg::DopChart)->xAxis->range().lower, AxisSeconds(10));
        const auto fixes = charts->TimePlot(ChartsDlg::FixChart)->graph(0)->data();
        QVERIFY(fixes->size() <= 13);
        QCOMPARE(fixes->constBegin()->key, AxisSeconds(9));
    }

    void clickSeeksTheReplay_data()
    {
        QTest::addColumn<int>("second");
        QTest::newRow("first") << 0;
        QTest::newRow("before the gap") << 29;
        QTest::newRow("after the gap") << 40;
    }

    void clickSeeksTheReplay()
    {
        QFETCH(int, second);
        COrvaneDlg dialog;
        QVERIFY(DropLog(dialog, m_Folder, "static.nmea", StaticLog()));
        RunByHand(dialog);
        dialog.OnCharts();
        ChartsDlg* charts = dialog.Charts();
        QCustomPlot* plot = charts->TimePlot(ChartsDlg::HeightChart);
        QVERIFY(QTest::qWaitForWindowExposed(charts));
        plot->replot();
        const QPoint at(int(std::lround(plot->xAxis->coordToPixel(AxisSeconds(second)))), plot->height() / 2);
        QTest::mouseClick(plot, Qt::LeftButton, {}, at);

        const size_t epoch = size_t(second < kGapFrom ? second : second - (kGapTo - kGapFrom));
        QCOMPARE(charts->CursorEpoch(), std::optional<size_t>(epoch));
        QCOMPARE(Find<QSlider>(dialog, IDC_REPLAY_SLIDER)->value(), dialog.Replay().SliderValue());
        // The replay goes on from there: the cursor moves on from the epoch.
        dialog.OnReplayTick();
        QVERIFY(charts->CursorEpoch() >= epoch);
        const QString shown = DisplayText(dialog);
        QVERIFY2(shown.contains(QString("12:00:%1").arg(second, 2, 10, QChar('0'))), qPrintable(shown.left(200)));
    }

    void referenceTheUserGives()
    {
        COrvaneDlg dialog;
        QVERIFY(DropLog(dialog, m_Folder, "static.nmea", StaticLog()));
        dialog.OnCharts();
        ChartsDlg* charts = dialog.Charts();
        // 1e-4 degrees north of the receiver: every fix about 11.1 m south.
        charts->ReferenceEdit()->setText("37.5001,127.0,50");
        emit charts->ReferenceEdit()->editingFinished();
        const AccuracyStats& accuracy = charts->Stats().accuracy;
        QVERIFY2(std::fabs(accuracy.bias[1] + 11.096) < 0.02, qPrintable(QString::number(accuracy.bias[1])));
        QVERIFY(std::fabs(accuracy.bias[0]) < 0.01 && std::fabs(accuracy.bias[2]) < 0.01);

        charts->ReferenceEdit()->setText("north of here");
        emit charts->ReferenceEdit()->editingFinished();
        QVERIFY(charts->StatsView()->toPlainText().startsWith("Reference \"north of here\" is neither"));
        QVERIFY(std::fabs(charts->Stats().accuracy.bias[1]) < 0.01);

        // A reference receiver on the point: its epochs matched by time,
        // every fix 1e-5 degrees (1.11 m) off.
        charts->ReferenceEdit()->setText(WriteFile(m_Folder, "reference.nmea", StaticLog(true)));
        emit charts->ReferenceEdit()->editingFinished();
        QVERIFY(charts->Stats().pair.has_value());
        QCOMPARE(charts->Stats().pair->matched, size_t(kEpochs));
        QVERIFY(std::fabs(charts->Stats().pair->horizontal.p50 - 1.1096) < 0.005);
        QVERIFY(std::fabs(charts->Stats().pair->horizontal.max - 1.1096) < 0.005);
        QVERIFY(charts->StatsView()->toPlainText().contains("reference.nmea"));
    }

    // A closed Charts window lets go of the log it showed; opened again it
    // shows the log loaded since.
    void reopenedAfterAnotherLog()
    {
        COrvaneDlg dialog;
        QVERIFY(DropLog(dialog, m_Folder, "static.nmea", StaticLog()));
        dialog.OnCharts();
        ChartsDlg* charts = dialog.Charts();
        QCOMPARE(charts->EpochCount(), size_t(kEpochs));
        charts->close();
        QVERIFY(DropLog(dialog, m_Folder, "short.nmea", StaticLog().left(StaticLog().indexOf("$GPRMC,120010"))));
        QCOMPARE(charts->EpochCount(), size_t(0));
        charts->resize(charts->width() + 10, charts->height());
        dialog.OnCharts();
        QVERIFY(charts->isVisible());
        QCOMPARE(charts->windowTitle(), QString("Charts - short.nmea"));
        QCOMPARE(charts->EpochCount(), size_t(10));
    }

    void savesEpochs()
    {
        SavingSeam seam;
        COrvaneDlg dialog(&seam);
        QVERIFY(DropLog(dialog, m_Folder, "static.nmea", StaticLog()));
        seam.saveAnswer = m_Folder.filePath("epochs.csv");
        dialog.OnSaveEpochs(COrvaneDlg::EpochFormat::Csv);
        const QList<QByteArray> rows = ReadFile(seam.saveAnswer).split('\n');
        QCOMPARE(rows.size(), kEpochs + 2);  // the header, and the empty rest after the last LF
        QVERIFY(rows[0].startsWith("time,latitude,longitude,"));
        QVERIFY(rows[1].startsWith("2026-03-14T12:00:00.000Z,37.499990000,127.000000000,50.000,3d,1,3,"));

        seam.saveAnswer = m_Folder.filePath("track.kml");
        dialog.OnSaveEpochs(COrvaneDlg::EpochFormat::Kml);
        const QByteArray kml = ReadFile(seam.saveAnswer);
        QVERIFY(kml.contains("<name>track</name>"));
        QCOMPARE(kml.count("127.000000000,37."), qsizetype(kEpochs));
        QCOMPARE(seam.captions, QStringList({"Save Epochs as CSV *.csv", "Save Epochs as KML *.kml"}));
        QVERIFY(DisplayText(dialog).contains(QString("Epochs saved: %1 epochs").arg(kEpochs)));

        seam.saveAnswer = m_Folder.filePath("no/such/folder/epochs.csv");
        dialog.OnSaveEpochs(COrvaneDlg::EpochFormat::Csv);
        QCOMPARE(seam.messages.size(), 1);
        QVERIFY(seam.messages[0].startsWith("Cannot save the epochs to"));
    }

    void growsWithTheLiveSession()
    {
        const quint16 port = FreePort();
        QVERIFY(UseConfig(m_Folder, TcpInputConfig(port)));
        COrvaneDlg dialog;
        GoLive(dialog);
        QTcpSocket client;
        QVERIFY(ConnectInput(dialog, client, port));
        dialog.OnCharts();
        ChartsDlg* charts = dialog.Charts();
        QCOMPARE(charts->windowTitle(), QString("Charts - live session"));
        const QByteArray log = StaticLog();
        const qsizetype half = log.indexOf("$GPRMC,120020");
        client.write(log.left(half));
        // The epoch that is still open waits for the next time.
        QTRY_COMPARE(charts->Stats().availability.epochs, size_t(20 - 1));
        client.write(log.mid(half));
        QTRY_COMPARE(charts->Stats().availability.epochs, size_t(kEpochs - 1));
        // The view showed the end and follows it.
        QCOMPARE(charts->TimePlot(ChartsDlg::FixChart)->xAxis->range().upper, AxisSeconds(kSeconds - 2));
        QVERIFY(!charts->CursorEpoch());
    }

private:
    QTemporaryDir m_Folder;
};

ORVANE_PAGE_TEST_MAIN(TestCharts)
#include "tst_charts.moc"
