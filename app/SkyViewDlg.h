// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Sky View window: the polar sky plot, the fix status panel beside it
// and, beneath, a table of the same satellites (talker, PRN, elevation,
// azimuth, SNR, used) that sorts by column. It shows the fix summary the
// main window's ticks keep; after each tick the window redraws once the
// tick is over, and while shown it rechecks each second which values have
// gone stale.

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdint>

#include "decoder/FixSummary.h"

class QTableWidget;

namespace orvane {

class FixStatusPanel;
class SkyPlot;

class SkyViewDlg : public QDialog {
    Q_OBJECT

public:
    // The window reads summary, which must outlive it.
    SkyViewDlg(const FixSummary& summary, QWidget* owner);

    // A tick changed the summary: the window redraws after the tick, once
    // however many ticks came in the same event-loop turn.
    void NoteTick();
    // Redraws from the summary now.
    void Refresh();
    // Empties the plot, the table and the panel (the summary was reset).
    void Reset();

    enum Column { TalkerColumn, PrnColumn, ElevationColumn, AzimuthColumn, SnrColumn, UsedColumn, kColumnCount };

    SkyPlot* Plot() const { return m_Plot; }
    FixStatusPanel* Panel() const { return m_Panel; }
    QTableWidget* Table() const { return m_Table; }
    // The single-shot timer of the redraw after a tick (for measurements).
    const QTimer& RefreshTimer() const { return m_RefreshTimer; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FillTable(const std::vector<SkySatellite>& satellites);

    const FixSummary& m_Summary;
    SkyPlot* m_Plot = nullptr;
    FixStatusPanel* m_Panel = nullptr;
    QTableWidget* m_Table = nullptr;
    QTimer m_RefreshTimer;  // single shot: the redraw after a tick
    QTimer m_StaleTimer;    // each second while shown
    QElapsedTimer m_Clock;
    // The satellites' update counts as last drawn; the plot and the table
    // are redrawn only when they change.
    uint64_t m_DrawnSatelliteUpdates = UINT64_MAX;
};

}  // namespace orvane
