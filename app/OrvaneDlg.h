// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: a fixed-size dialog that holds every control, owns the
// program state and routes each command to the part that does the work:
// ReplayEngine (replay), LiveSession (the live sources and their text),
// LiveRecorder (recording), PositionSender (forwarding and upload) and
// MapView (the map). Its own code is split by concern: OrvaneDlg.cpp
// (start-up, shutdown, keys, window menu, timers), OrvaneDlgLayout.cpp (the
// control table and the mode layout), OrvaneDlgText.cpp (the text view and
// the dispatcher's hooks), OrvaneDlgLoad.cpp (loading logs),
// OrvaneDlgReplay.cpp (the replay buttons), OrvaneDlgLive.cpp (online mode,
// recording button, developer codes), OrvaneDlgSender.cpp (forwarding and
// upload) and OrvaneDlgMap.cpp (the map buttons).

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <vector>

#include "ControlIds.h"
#include "live/LiveRecorder.h"
#include "live/LiveSession.h"
#include "live/PositionSender.h"
#include "replay/DispatchHooks.h"
#include "replay/DispatchState.h"
#include "replay/LogCheck.h"
#include "replay/ReplayEngine.h"
#include "replay/TextViewBuffer.h"
#include "replay/TrackCollect.h"

class QComboBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSlider;

namespace orvane {

class CGNSS_SatellitesDlg;
class CWebBrowser2;
class MapView;
class CNetworkClient;
class CGNSS_SecondaryMapDlg;
class SkyViewDlg;
class UiSeam;

// The main window's controls by kind, built once from the control table.
struct MainWindowControls {
    MainWindowControls() = default;
    explicit MainWindowControls(const QHash<int, QWidget*>& controls);

    QPushButton* exit = nullptr;
    QPushButton* loadFile = nullptr;
    QPushButton* run = nullptr;
    QPushButton* purge = nullptr;
    QPushButton* clear = nullptr;
    QPushButton* faster = nullptr;
    QPushButton* slower = nullptr;
    QPushButton* repeat = nullptr;
    QPushButton* enableMap = nullptr;
    QPushButton* secondaryMap = nullptr;
    QPushButton* showSignals = nullptr;
    QPushButton* onlineMode = nullptr;
    QPushButton* liveInput = nullptr;
    QPushButton* recording = nullptr;
    QPushButton* developerCode = nullptr;
    QComboBox* talkers = nullptr;   // the Satellite list
    QComboBox* messages = nullptr;  // the Message list
    QSlider* slider = nullptr;
    QPlainTextEdit* textView = nullptr;
    QLineEdit* developerCodeEdit = nullptr;
    QWidget* mapView = nullptr;  // holds the map browser
};

class COrvaneDlg : public QDialog, public DispatchHooks {
    Q_OBJECT

public:
    // Creates the controls and runs the start-up (OnInitDialog). Message
    // boxes and file dialogs go through seam, or real ones without it.
    explicit COrvaneDlg(UiSeam* seam = nullptr, QWidget* parent = nullptr);
    ~COrvaneDlg() override;

    // Test seam. The controls by id, nullptr when there is none: tests press
    // them as a user would; the program itself uses the typed members.
    // Below them, read-only views of the state and of the parts; a test
    // ticks a timer with OnTimer (after HoldTimer) and answers the modal
    // boxes through the UiSeam it passes in.
    QWidget* Control(int id) const { return m_Controls.value(id); }
    QPushButton* Button(int id) const;
    QComboBox* Combo(int id) const;
    QSlider* Slider() const;
    const DispatchState& State() const { return m_State; }
    const QString& DisplayText() const { return m_TextView.Text(); }
    const ReplayEngine& Replay() const { return m_Replay; }
    bool SecondaryMapShown() const { return m_SecondaryMapShown; }
    const QTimer& LiveTimer() const { return m_LiveTimer; }
    const LiveRecorder& Recorder() const { return m_Recorder; }
    bool RawDataVisible() const { return m_RawDataVisible; }
    bool RecordingProgressVisible() const { return m_RecordingProgressVisible; }
    bool Forwarding() const { return m_Forwarding; }
    bool Uploading() const { return m_Uploading; }
    PositionSender* Sender() const { return m_Sender.get(); }
    const LiveSession& Live() const { return m_Live; }
    CGNSS_SatellitesDlg* SatellitesDlg() const { return m_SatellitesDlg.get(); }
    CGNSS_SecondaryMapDlg* SecondaryMapDlg() const { return m_SecondaryMapDlg.get(); }
    // The Sky View window, nullptr until it is first opened.
    SkyViewDlg* SkyView() const { return m_SkyViewDlg.get(); }
    // Opens the Sky View window (window menu, Ctrl+K), or raises it.
    void OnSkyView();
    // The map view's browser (inside control 1000).
    CWebBrowser2* Browser() const;

    // Puts a line on top of the text view. The view shows the new text
    // once per event-loop turn, however many lines came in that turn.
    void AppendLine(const QString& line);
    // Shows m_DisplayText in the view now, if it changed.
    void FlushTextView();

    // Purges, then loads the first of the paths as a dropped file.
    void DropFiles(const QStringList& paths);

    // The window's timers, by id.
    void OnTimer(int timerId);
    // Test seam: keeps a running timer from firing by itself until it is
    // started again, so that a test ticks it with OnTimer at its own moments.
    void HoldTimer(int timerId);
    // Seeks to a slider position, as releasing the thumb there does.
    void OnSeek(int value);

    // The window menu: ends with a separator and the About item
    // (command 16). The caller owns the menu.
    QMenu* CreateWindowMenu();
    void OnSysCommand(int commandId);
    // The window menu's Save Track as GPX: the loaded log's track, or the
    // live session's so far (the last session's once it has ended).
    void OnSaveTrack();
    std::vector<TrackPoint> TrackToSave() const;

    // Ends the dialog; the window's destruction order runs once.
    void done(int result) override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // DispatchHooks; a harness that counts the lines may override them.
    void AppendLine(std::string_view line) override;
    int SelectedMessageRow() const override;
    void MoveSlider(int32_t value) override;
    void UpdateMapPosition(double latitude, double longitude, double heading) override;
    void SendPosition(double latitude, double longitude, double heading) override;
    bool SatellitesWindowExists() const override;
    void UpdateSignals(int talkerRow, const SatelliteTable::Row& satellites) override;

private:
    void Purge();
    void UpdateButtons();

    // Start-up and shutdown.
    void CreateLayout();
    void ConnectCommands();
    void OnInitDialog();
    void OnDestroy();
    void UpdateWindow();

    // Loading.
    void OnLoadFile();
    void LoadLogFile(const QString& path, const QString& name);
    void FillLists();

    // Replay.
    void OnRun();
    // A line when the log holds no sentence of the talker and the chosen
    // decoded type, naming the talkers of the list that have the type.
    void NoteMissingSentences(int32_t talkerRow);
    void OnReplayTick();
    void OnFaster();
    void OnSlower();
    void OnRepeat();
    void OnClear();
    void ChangeSpeed(int delta);

    // Map, windows and live input: their commands arrive here and are
    // served by the parts that own them.
    void OnShowSignals();
    void OnEnableMap();
    void OnSecondaryMap();
    void OnOnlineMode();
    void OnLiveInput();
    void OnRecording();
    void OnDeveloperCode();
    void OnLiveTick();
    // A live source's status line, without its line ends, into the view.
    void OnStatusLine(QString line);
    // The serial queue dropped a chunk: the message, then the reader goes on.
    void OnQueueFull();
    // The recording started or stopped: the button follows.
    void OnRecordingChanged();
    // The forwarding server and the upload connection, from config.ini.
    void SetUpForwardingAndUpload();
    void ShutDownForwardingAndUpload();
    // The last live tick before the sources close: what was received and
    // not yet decoded is decoded, forwarded and recorded.
    void FinalLiveTick();

    void RefreshTextView();

    // The Sky View: its key, the redraw after a tick, the reset with the
    // fix summary (OrvaneDlgSky.cpp).
    void SetUpSkyView();
    void FollowSkyView();
    void ResetSkyView();

    UiSeam& m_Seam;
    QHash<int, QWidget*> m_Controls;
    MainWindowControls m_Ui;

    DispatchState m_State;
    TextViewBuffer m_TextView;      // m_DisplayText
    qsizetype m_NewHeadLength = 0;  // length of the lines the view does not show yet
    bool m_TextViewReset = false;   // the view must be rewritten whole
    bool m_TextRefreshQueued = false;
    LogSummary m_LogSummary;

    ReplayEngine m_Replay;  // m_Repeat, m_SpeedStep, m_ReplayInterval, timer 291

    // Windows and map.
    std::unique_ptr<CGNSS_SatellitesDlg> m_SatellitesDlg;
    std::unique_ptr<CGNSS_SecondaryMapDlg> m_SecondaryMapDlg;
    std::unique_ptr<SkyViewDlg> m_SkyViewDlg;
    bool m_SecondaryMapShown = false;
    std::unique_ptr<MapView> m_Map;  // the browser inside control 1000

    // Online mode, recording, forwarding and upload.
    bool m_RawDataVisible = false;
    bool m_RecordingProgressVisible = false;
    bool m_Forwarding = false;
    bool m_Uploading = false;
    LiveSession m_Live;                        // the sources, m_SerialOpen, m_TcpInputOpen, m_LiveBusy
    LiveRecorder m_Recorder;                   // m_Recording, the file and timer 546
    TrackCollector m_LiveTrack;                // the positions of the live session
    std::unique_ptr<PositionSender> m_Sender;  // the forwarding server and the upload
    ForwardingConfig m_ForwardingConfig;       // config.ini's groups of the parts above
    UploadConfig m_UploadConfig;
    MapPagesConfig m_MapPagesConfig;

    QTimer m_LiveTimer;  // kLiveTimerId

    bool m_Destroyed = false;
};

}  // namespace orvane
