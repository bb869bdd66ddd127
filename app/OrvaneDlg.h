// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: a fixed-size dialog that holds every control, owns the
// program state and routes each command to the part that does the work:
// ReplayEngine (replay), LiveSession (the live sources and their text),
// LiveRecorder (recording), PositionSender (forwarding and upload) and
// MapView (the map). Its own code is split by concern: OrvaneDlg.cpp
// (start-up, shutdown, keys, window menu, timers), OrvaneDlgLayout.cpp (the
// control table, the mode layout and the controls' states),
// OrvaneDlgText.cpp (the text view and the dispatcher's hooks),
// OrvaneDlgLoad.cpp (loading logs), OrvaneDlgReplay.cpp (the replay
// buttons), OrvaneDlgLive.cpp (online mode, recording button, developer
// codes), OrvaneDlgSender.cpp (forwarding and upload), OrvaneDlgMap.cpp
// (the map buttons), OrvaneDlgSky.cpp (the Sky View),
// OrvaneDlgExport.cpp (Save Track as GPX), OrvaneDlgCharts.cpp (the Charts
// window and the epoch exports) and OrvaneDlgNtrip.cpp (the NTRIP client
// and its window).

#include <QDialog>
#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ControlIds.h"
#include "WindowEpochs.h"
#include "decoder/FixSummary.h"
#include "live/LiveRecorder.h"
#include "live/LiveSession.h"
#include "live/PositionSender.h"
#include "live/TtffRunner.h"
#include "replay/DecodeCursor.h"
#include "replay/DispatchHooks.h"
#include "replay/LogCheck.h"
#include "replay/ReplayEngine.h"
#include "replay/TextView.h"
#include "replay/TrackCollect.h"
#include "settings/CommandsConfig.h"

class QComboBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSlider;

namespace orvane {

class CGNSS_SatellitesDlg;
class ChartsDlg;
class CWebBrowser2;
class MapView;
class CNetworkClient;
class CGNSS_SecondaryMapDlg;
class SkyViewDlg;
class NtripDlg;
class NtripClient;
class RtkProgress;
class UiSeam;
class ReceiverConsoleDlg;
class TtffDlg;

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

// What the window holds across its modes: the modes, from which each
// dispatcher call's options come, the live tick's text and the fix summary
// that the replay and the live ticks feed and the Sky View shows.
struct WindowState {
    bool m_Online = false;
    bool m_MapEnabled = false;
    bool m_SignalsShown = false;
    FixSummary m_FixSummary;
};

class COrvaneDlg : public QDialog {
    Q_OBJECT

public:
    // Creates the controls and runs the start-up (OnInitDialog). Message
    // boxes and file dialogs go through seam, or real ones without it.
    explicit COrvaneDlg(UiSeam* seam = nullptr, QWidget* parent = nullptr);
    ~COrvaneDlg() override;

    // The parts the window owns and keeps its controls in step with. The
    // controls are its children, each with its id as its object name;
    // benches and tests press them and read them as a user would.
    //
    // The replay of the loaded log, with timer 291. OnReplayTick is the
    // timer's handler: ReplayEngine::HoldTimer leaves the ticks to its
    // caller.
    const ReplayEngine& Replay() const { return m_Replay; }
    ReplayEngine& Replay() { return m_Replay; }
    // The sources of online mode and the text of the tick.
    const LiveSession& Live() const { return m_Live; }
    // Timer 801, the live tick, running while the live input is open.
    // OnLiveTick is its handler: stopped, the ticks are its caller's.
    const QTimer& LiveTimer() const { return m_LiveTimer; }
    QTimer& LiveTimer() { return m_LiveTimer; }
    // The recording of the live text, with its timer 546.
    const LiveRecorder& Recorder() const { return m_Recorder; }
    LiveRecorder& Recorder() { return m_Recorder; }
    // The forwarding server and the upload connection, as config.ini set
    // them up; nullptr once the window is closed.
    PositionSender* Sender() const { return m_Sender.get(); }
    // The text view's lines, newest first, separated by CR LF.
    const TextView& TextLines() const { return m_TextView; }
    // The fix summary that the replay and the live ticks feed and the Sky
    // View shows.
    const FixSummary& Summary() const { return m_State.m_FixSummary; }
    // The satellites window (Show Signals) and the secondary map window,
    // nullptr once the window is closed.
    CGNSS_SatellitesDlg* SatellitesDlg() const { return m_SatellitesDlg.get(); }
    CGNSS_SecondaryMapDlg* SecondaryMapDlg() const { return m_SecondaryMapDlg.get(); }
    // The Sky View window, nullptr until it is first opened.
    SkyViewDlg* SkyView() const { return m_SkyViewDlg.get(); }
    // Opens the Sky View window (window menu, Ctrl+K), or raises it.
    void OnSkyView();
    // The live session's epochs so far (the last session's once it ended).
    const EpochLog& LiveEpochs() const { return m_Epochs.LiveEpochs(); }
    // The Charts window, nullptr until it is first opened.
    ChartsDlg* Charts() const { return m_ChartsDlg.get(); }
    // Opens the Charts window (window menu, Ctrl+G), or raises it.
    void OnCharts();
    // The window menu's Save Epochs as CSV and as KML: the epochs of the
    // loaded log, or of the live session so far.
    enum class EpochFormat { Csv, Kml };
    void OnSaveEpochs(EpochFormat format);
    // The NTRIP window, nullptr until it is first opened, and the client,
    // nullptr while not connected.
    NtripDlg* Ntrip() const { return m_NtripDlg.get(); }
    NtripClient* NtripConnection() const { return m_Ntrip.get(); }
    // Opens the NTRIP window (window menu, Ctrl+N), or raises it.
    void OnNtrip();
    // The Send to Receiver window (window menu, Ctrl+R) and the TTFF Test
    // window (window menu, Ctrl+T), nullptr until first opened
    // (OrvaneDlgConsole.cpp, OrvaneDlgTtff.cpp).
    ReceiverConsoleDlg* ReceiverConsole() const { return m_ReceiverConsoleDlg.get(); }
    TtffDlg* TtffTest() const { return m_TtffDlg.get(); }
    void OnReceiverConsole();
    void OnTtffTest();
    // Sends a command, typed as in the console, to the open receiver: a
    // [Send] line in the text view and the command's mark in the recording.
    LiveSession::SendResult SendToReceiver(const QString& typed);
    // The TTFF series measured since the TTFF window was last cleared.
    const std::vector<TtffSeries>& TtffResults() const { return m_TtffSeries; }
    const TtffRunner* TtffRun() const { return m_TtffRunner.get(); }

    // The map view's browser (inside control 1000).
    CWebBrowser2* Browser() const;

    // Puts a line on top of the text view. The view shows the new text
    // once per event-loop turn, however many lines came in that turn.
    void AppendLine(const QString& line);
    // Shows m_DisplayText in the view now, if it changed.
    void FlushTextView();

    // Purges, then loads the first of the paths as a dropped file.
    void DropFiles(const QStringList& paths);

    // Timer 291's and timer 801's handlers: one replay tick, one live tick.
    void OnReplayTick();
    void OnLiveTick();
    // Seeks to a slider position, as releasing the thumb there does.
    void OnSeek(int value);

    // The window menu: ends with a separator and the About item
    // (command 16). The caller owns the menu.
    QMenu* CreateWindowMenu();
    // A command of the window menu by its id: the About box for 16.
    void OnSysCommand(int commandId);
    // The window menu's Save Track as GPX: the loaded log's track, or the
    // live session's so far (the last session's once it has ended).
    void OnSaveTrack();
    std::vector<TrackPoint> TrackToSave() const;
    // Writes a whole file at once, replacing it only once all is written;
    // a failure is told in a message box ("Cannot save the WHAT to ...").
    bool SaveText(const QString& path, const std::string& text, const QString& what);

    // Ends the dialog; the window's destruction order runs once.
    void done(int result) override;

    // The dispatcher's way into this window: the text view, the Message
    // list, the slider, the map, the sender and the satellites window.
    DispatchHooks& WindowHooks() { return m_WindowHooks; }
    // Puts decorator in front of WindowHooks() for every later dispatcher
    // call; it passes each call on (the soak runs count lines so). The
    // window keeps it.
    void DecorateHooks(std::unique_ptr<DispatchHooks> decorator);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The dispatcher's way into the window (WindowHooks()).
    class Hooks final : public DispatchHooks {
    public:
        explicit Hooks(COrvaneDlg& window) : m_Window(window) { }
        void AppendLine(std::string_view line) override;
        int SelectedMessageRow() const override;
        void MoveSlider(int32_t value) override;
        void UpdateMapPosition(double latitude, double longitude, double heading) override;
        void SendPosition(double latitude, double longitude, double heading) override;
        bool SatellitesWindowExists() const override;
        void UpdateSignals(int talkerRow, const SatelliteTable::Row& satellites) override;

    private:
        COrvaneDlg& m_Window;
    };

    // A dispatcher call's options, from the window's state.
    DispatchOptions Options();
    // Where the map and the sender take a position (OrvaneDlgMap.cpp,
    // OrvaneDlgSender.cpp).
    void UpdateMapPosition(double latitude, double longitude, double heading);
    void SendPosition(double latitude, double longitude, double heading);

    void Purge();

    // The enabled states and captions of the controls, from the state.
    // kept as is: Show Signals is enabled by the rule of the mode that the
    // last replay, load or map command ran in (Update); a change of mode,
    // of the live input or of the recording, and Show Signals itself, leave
    // that rule as it is (Keep). So after leaving Online Mode the button
    // stays enabled until such a command.
    enum class SignalsRule { Update, Keep };
    void UpdateControls(SignalsRule rule = SignalsRule::Update);
    void UpdateSpeedButtons();

    // Start-up and shutdown.
    void CreateLayout();
    void ConnectCommands();
    void OnInitDialog();
    void OnDestroy();

    // Loading.
    void OnLoadFile();
    void LoadLogFile(const QString& path, const QString& name);
    void FillLists();

    // Replay.
    void OnRun();
    // A line when the log holds no sentence of the talker and the chosen
    // decoded type, naming the talkers of the list that have the type.
    void NoteMissingSentences(int32_t talkerRow);
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
    void ShowTextUpdate(const std::optional<TextView::Update>& update);

    // The Sky View: its key, the redraw after a tick, the reset with the
    // fix summary (OrvaneDlgSky.cpp).
    void SetUpSkyView();
    void FollowSkyView();
    void ResetSkyView();

    // The Charts window (OrvaneDlgCharts.cpp): its key, the epochs it
    // shows, the cursor after a replay tick or the growth after a live
    // tick, a click that seeks the replay.
    void SetUpCharts();
    const EpochLog& EpochsToShow(QString& name);
    void ResetCharts(bool opening = false);
    void FollowCharts();
    void OnChartEpochClicked(qulonglong epoch);
    // The NTRIP client: its key, its start from config.ini (the stream, or
    // the source table), its end, and the latest fix handed to it after
    // each live tick (OrvaneDlgNtrip.cpp).
    void SetUpNtrip();
    void StartNtrip(bool sourceTable);
    void StopNtrip();
    void FollowNtrip(std::string_view text);
    // The receiver console and the TTFF test: their keys and the live
    // sources' taps, the answers after a tick, a series' start and end.
    void SetUpReceiverConsole();
    void ReadCommandPresets();
    void FollowReceiverConsole(std::string_view tickText);
    void StartTtff();
    void OnTtffFinished();
    void SaveTtffCsv();

    UiSeam& m_Seam;
    QHash<int, QWidget*> m_Controls;
    MainWindowControls m_Ui;

    WindowState m_State;
    bool m_SignalsRuleOnline = false;  // Show Signals follows the online rule
    TextView m_TextView;               // m_DisplayText
    LogSummary m_LogSummary;

    Hooks m_WindowHooks{*this};
    std::unique_ptr<DispatchHooks> m_HooksDecorator;
    DispatchHooks* m_Hooks = &m_WindowHooks;  // the decorator, else the window's own

    ReplayEngine m_Replay;      // the log, its cursor, m_Repeat, m_SpeedStep, timer 291
    DecodeCursor m_LiveCursor;  // the live ticks'

    // Windows and map.
    std::unique_ptr<CGNSS_SatellitesDlg> m_SatellitesDlg;
    std::unique_ptr<CGNSS_SecondaryMapDlg> m_SecondaryMapDlg;
    std::unique_ptr<SkyViewDlg> m_SkyViewDlg;
    std::unique_ptr<ChartsDlg> m_ChartsDlg;
    WindowEpochs m_Epochs;        // of the loaded log and of the live session
    QString m_LoadedName;         // the loaded log's file name
    QElapsedTimer m_ChartsClock;  // since the charts last grew online
    QTimer m_ChartsTimer;         // single shot: the growth held back by the second
    std::unique_ptr<NtripDlg> m_NtripDlg;
    std::unique_ptr<NtripClient> m_Ntrip;
    std::unique_ptr<RtkProgress> m_NtripRtk;  // the RTK figures while the client runs
    bool m_NtripUnsent = false;               // the last corrections found no receiver
    bool m_SecondaryMapShown = false;
    std::unique_ptr<MapView> m_Map;  // the browser inside control 1000

    // Online mode, recording, forwarding and upload.
    LiveSession m_Live;                        // the sources, m_SerialOpen, m_TcpInputOpen, m_LiveBusy, raw data
    LiveRecorder m_Recorder;                   // m_Recording, the file, timer 546, the size line
    TrackCollector m_LiveTrack;                // the positions of the live session
    std::unique_ptr<PositionSender> m_Sender;  // the forwarding server and the upload
    ForwardingConfig m_ForwardingConfig;       // config.ini's groups of the parts above
    UploadConfig m_UploadConfig;
    MapPagesConfig m_MapPagesConfig;

    QTimer m_LiveTimer;  // kLiveTimerId

    // Talking to the receiver.
    CommandPresetsConfig m_CommandPresets;  // [commands]
    std::unique_ptr<ReceiverConsoleDlg> m_ReceiverConsoleDlg;
    std::unique_ptr<TtffDlg> m_TtffDlg;
    std::unique_ptr<TtffRunner> m_TtffRunner;  // while a series runs
    SourceId m_TtffSource = kSerialSource;     // whose bytes the series reads
    std::vector<TtffSeries> m_TtffSeries;

    bool m_Destroyed = false;
};

}  // namespace orvane
