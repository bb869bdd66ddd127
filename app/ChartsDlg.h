// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Charts window: time series of a log's or a live session's epochs
// (C/N0 of the chosen satellites and signals, satellites used and in view
// per constellation, HDOP and PDOP, the fix, height, speed, the error to
// the reference and GST's sigmas), all on one time axis, with a cursor at
// the replay's position; a click on a chart asks to replay from there.
// Beside them the deviation plot (east and north of each fix about the
// reference, coloured by fix, with the CEP50 and R95 circles) and the
// statistics as orvane-stats prints them. The reference is the mean of
// the fixes, a point, or a reference receiver's log whose epochs are
// matched by UTC time.
//
// The window keeps no copy of the points: each redraw samples the epochs
// in the shown range to the plot's width (SampleSeries), so a day at 10 Hz
// costs the window a time line and two error values per epoch.

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "analysis/ChartSeries.h"
#include "analysis/ReceiverStats.h"
#include "analysis/StatsReport.h"

class QComboBox;
class QCustomPlot;
class QCPItemEllipse;
class QCPItemStraightLine;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace orvane {

class ChartsDlg : public QDialog {
    Q_OBJECT

public:
    enum Chart { Cn0Chart, SatellitesChart, DopChart, FixChart, HeightChart, SpeedChart, ErrorChart, SigmaChart };
    static constexpr int kChartCount = 8;

    explicit ChartsDlg(QWidget* owner);
    ~ChartsDlg() override;

    // Shows log's epochs (none: nullptr) under name; the log must stay
    // until the next call. grown: the same log as before with epochs added (a live
    // session), so the view keeps its range, following the end when it
    // showed the end.
    void ShowEpochs(const EpochLog* log, const QString& name, bool grown);
    // The cursor at an epoch, or none.
    void SetCursorEpoch(std::optional<size_t> epoch);
    std::optional<size_t> CursorEpoch() const { return m_Cursor; }
    // The time axis's range, in seconds on the charts' axis.
    void SetTimeRange(double from, double to);

    // Seconds on the time axis of an epoch; the epoch nearest a time.
    double SecondsOf(size_t epoch) const;
    std::optional<size_t> EpochNear(double seconds) const;

    QCustomPlot* TimePlot(Chart chart) const { return m_Plots[size_t(chart)]; }
    QCustomPlot* DeviationPlot() const { return m_Deviation; }
    QPlainTextEdit* StatsView() const { return m_StatsView; }
    QLineEdit* ReferenceEdit() const { return m_Reference; }
    QComboBox* FixFilterBox() const { return m_Filter; }
    // The C/N0 chart's satellites and signals, checkable.
    QListWidget* SignalList() const { return m_Signals; }
    const ReceiverStats& Stats() const { return m_Stats; }
    // The statistics' options as the fields give them (the fixes counted,
    // and the reference: the mean of the fixes, a point, or a reference
    // log read once), and the reference log's name into context; a line for
    // the report when the reference field means nothing usable.
    QString ReadOptions(StatsOptions& options, ReportContext& context);
    // The epochs the charts show.
    size_t EpochCount() const { return m_Stats.timeLine.ms.size(); }

signals:
    // A click on a time chart at an epoch's time.
    void EpochClicked(qulonglong epoch);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QCustomPlot* AddTimePlot(const QString& title);
    void OnRangeChanged(QCustomPlot* source);
    // The statistics, the time line and the errors anew, then the plots.
    void Recompute();

    // The log grew: the time line and the plots; the statistics and the
    // errors stay as they were until the next Recompute.
    void Extend();
    void FillSignalList();
    void UpdateSeries();
    void ResampleTimePlots();
    void ResampleDeviation();
    void MoveCursor();
    void WireClick(QCustomPlot* plot);
    std::vector<SeriesId> SeriesOf(Chart chart) const;

    const EpochLog* m_Log = nullptr;
    QString m_Name;
    // A reference receiver's log named in the reference field, read once.
    QString m_ReferencePath;
    std::optional<EpochLog> m_ReferenceLog;
    ReceiverStats m_Stats;  // without its per-epoch errors: m_Errors holds them
    ErrorSeries m_Errors;
    int64_t m_OriginMs = 0;  // the time axis's zero: the first epoch's midnight
    std::optional<size_t> m_Cursor;
    // Online the statistics are computed anew at most once a second, and
    // at most a tenth of the time: a day of epochs takes a while.
    // A growth that left them as they were has them computed once the wait
    // is over, so that they catch up after the last growth too.
    QElapsedTimer m_StatsClock;
    qint64 m_StatsMs = 0;
    QTimer m_StatsTimer;
    bool m_Syncing = false;

    std::array<QCustomPlot*, kChartCount> m_Plots{};
    std::array<QCPItemStraightLine*, kChartCount> m_CursorLines{};
    std::array<std::vector<SeriesSampler>, kChartCount> m_Samplers;  // one per graph
    uint8_t m_Constellations = 0;     // bit per constellation the epochs show satellites of
    size_t m_ConstellationsRead = 0;  // the epochs looked at for them
    QCustomPlot* m_Deviation = nullptr;
    QCPItemEllipse* m_Cep50 = nullptr;
    QCPItemEllipse* m_R95 = nullptr;
    QPlainTextEdit* m_StatsView = nullptr;
    QLineEdit* m_Reference = nullptr;
    QComboBox* m_Filter = nullptr;
    QListWidget* m_Signals = nullptr;
};

}  // namespace orvane
