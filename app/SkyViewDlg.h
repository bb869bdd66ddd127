// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Sky View window: the polar sky plot, the fix status panel beside it
// with the receiver's latest messages (TXT) under it and, beneath, a table
// of the same satellites (constellation, PRN, elevation, azimuth, used, and
// an SNR column per band group the epoch's signals fall in) that sorts by
// column. It shows the fix summary the main window's ticks keep; after each
// tick the window redraws once the tick is over, and while shown it
// rechecks each second which values have gone stale.

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdint>
#include <vector>

#include "decoder/FixSummary.h"

class QListWidget;
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

    // The table's fixed columns; the SNR columns follow them, one per band
    // group (SignalBand) some satellite of the epoch has a signal in, in
    // the groups' order, led by "SNR" for signals reported without an ID.
    enum Column { ConstellationColumn, PrnColumn, ElevationColumn, AzimuthColumn, UsedColumn, kFirstSnrColumn };

    SkyPlot* Plot() const { return m_Plot; }
    FixStatusPanel* Panel() const { return m_Panel; }
    QTableWidget* Table() const { return m_Table; }
    // The TXT messages the summary keeps, oldest first: "id text".
    QListWidget* Messages() const { return m_Messages; }
    // The single-shot timer of the redraw after a tick (for measurements).
    const QTimer& RefreshTimer() const { return m_RefreshTimer; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FillTable(const std::vector<SkySatellite>& satellites);
    // Sets the SNR columns to the band groups given (-1: no ID), keeping the
    // sort on the column of the same name where there still is one.
    void SetBandColumns(const std::vector<int>& bands);
    void FillMessages();

    const FixSummary& m_Summary;
    SkyPlot* m_Plot = nullptr;
    FixStatusPanel* m_Panel = nullptr;
    QTableWidget* m_Table = nullptr;
    QListWidget* m_Messages = nullptr;
    std::vector<int> m_Bands;  // the band group of each SNR column
    QTimer m_RefreshTimer;     // single shot: the redraw after a tick
    QTimer m_StaleTimer;       // each second while shown
    QElapsedTimer m_Clock;
    // The satellites' update counts as last drawn; the plot and the table
    // are redrawn only when they change.
    uint64_t m_DrawnSatelliteUpdates = UINT64_MAX;
    // The TXT sentences received as last listed.
    uint64_t m_ListedMessages = UINT64_MAX;
};

}  // namespace orvane
