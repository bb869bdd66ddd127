// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The NTRIP window: the caster and the state of the connection, the bytes
// per second of the corrections, the RTCM messages by type with their
// counts and the age of the last of each, the bad frames, the receiver's
// RTK figures (correction age from GGA, fixed and float shares, the time
// from the first correction to the first RTK fixed epoch, the times to
// refix after correction gaps, and the fix-type timeline), and the
// caster's mountpoints once its source table was read (nearest first). Connect,
// Disconnect and Source Table ask the main window, which owns the client;
// the window only shows what the client counted, once a second while shown.

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <array>

#include "analysis/RtkProgress.h"
#include "live/NtripClient.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace orvane {

class FixTimeline;

class NtripDlg : public QDialog {
    Q_OBJECT

public:
    explicit NtripDlg(QWidget* owner);

    // The client shown; nullptr while there is none. The window offers
    // Connect while there is none or it has closed (after reading the
    // source table), Disconnect otherwise.
    void SetClient(NtripClient* client, const QString& caster);
    // The RTK figures shown, which must outlive the window or be unset.
    void SetRtk(const RtkProgress* rtk);
    // Reads the client's figures now.
    void Refresh();

    enum TypeColumn { MessageColumn, CountColumn, AgeColumn };
    enum MountpointColumn { NameColumn, FormatColumn, NavSystemsColumn, DistanceColumn };

    QLabel* CasterLabel() const { return m_Caster; }
    QLabel* StateLabel() const { return m_State; }
    QLabel* RateLabel() const { return m_Rate; }
    QLabel* FramesLabel() const { return m_Frames; }
    // The RTK rows' texts: correction age, shares, first fixed, refix.
    QStringList RtkTexts() const;
    FixTimeline* Timeline() const { return m_Timeline; }
    QTableWidget* Types() const { return m_Types; }
    QTableWidget* Mountpoints() const { return m_Mountpoints; }
    QPushButton* ConnectButton() const { return m_Connect; }
    QPushButton* SourceTableButton() const { return m_SourceTable; }

signals:
    void ConnectClicked();
    void DisconnectClicked();
    void SourceTableClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FillMountpoints(const QList<NtripMountpoint>& mountpoints);
    // A client that is connected or trying to be: the button disconnects.
    bool Running() const;

    QPointer<NtripClient> m_Client;
    QLabel* m_Caster = nullptr;
    QLabel* m_State = nullptr;
    QLabel* m_Rate = nullptr;
    QLabel* m_Frames = nullptr;
    std::array<QLabel*, 4> m_Rtk{};
    FixTimeline* m_Timeline = nullptr;
    const RtkProgress* m_RtkProgress = nullptr;
    QTableWidget* m_Types = nullptr;
    QTableWidget* m_Mountpoints = nullptr;
    QPushButton* m_Connect = nullptr;
    QPushButton* m_SourceTable = nullptr;
    QTimer m_RefreshTimer;  // each second while shown
    // The bytes counted at the last refresh and when, for the rate.
    qint64 m_RateBytes = 0;
    QElapsedTimer m_RateClock;
};

// "off", "connecting", ..., "streaming (NTRIP 2)".
QString NtripStateText(const NtripClient* client);
// The RTK figures, one text per row of the window; "-" for each without
// figures.
QStringList RtkFigures(const RtkProgress* rtk);

}  // namespace orvane
