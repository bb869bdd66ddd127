// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's start-up and shutdown, its keys and window menu, and
// the routing of its commands and timers.

#include "OrvaneDlg.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QSlider>

#include "AboutDlg.h"
#include "AppIcon.h"
#include "ChartsDlg.h"
#include "KeyRule.h"
#include "MapView.h"
#include "NtripDlg.h"
#include "ReceiverConsoleDlg.h"
#include "SatellitesDlg.h"
#include "SecondaryMapDlg.h"
#include "SkyViewDlg.h"
#include "TtffDlg.h"
#include "UiSeam.h"
#include "decoder/GsvPass.h"
#include "live/NetworkServer.h"
#include "settings/Config.h"

namespace orvane {

namespace {
// The text of the About item of the window menu.
const char kAboutItemText[] = "Orvane 정보(&A)...";
}  // namespace

COrvaneDlg::COrvaneDlg(UiSeam* seam, QWidget* parent)
    : QDialog(parent), m_Seam(seam ? *seam : DefaultUiSeam()),
      m_Live([this](const QString& line) { AppendLine(line); }),
      m_Recorder([this](const QString& line) { AppendLine(line); })
{
    CreateLayout();
    ConnectCommands();
    SwallowEnterAndEscape(this);
    OnInitDialog();
}

COrvaneDlg::~COrvaneDlg()
{
    OnDestroy();
}

void COrvaneDlg::ConnectCommands()
{
    const auto onClick = [this](QPushButton* button, void (COrvaneDlg::*handler)()) {
        connect(button, &QPushButton::clicked, this, handler);
    };
    connect(m_Ui.exit, &QPushButton::clicked, this, &QDialog::accept);
    onClick(m_Ui.loadFile, &COrvaneDlg::OnLoadFile);
    onClick(m_Ui.run, &COrvaneDlg::OnRun);
    onClick(m_Ui.purge, &COrvaneDlg::Purge);
    onClick(m_Ui.clear, &COrvaneDlg::OnClear);
    onClick(m_Ui.faster, &COrvaneDlg::OnFaster);
    onClick(m_Ui.slower, &COrvaneDlg::OnSlower);
    onClick(m_Ui.repeat, &COrvaneDlg::OnRepeat);
    onClick(m_Ui.enableMap, &COrvaneDlg::OnEnableMap);
    onClick(m_Ui.secondaryMap, &COrvaneDlg::OnSecondaryMap);
    onClick(m_Ui.showSignals, &COrvaneDlg::OnShowSignals);
    onClick(m_Ui.onlineMode, &COrvaneDlg::OnOnlineMode);
    onClick(m_Ui.liveInput, &COrvaneDlg::OnLiveInput);
    onClick(m_Ui.recording, &COrvaneDlg::OnRecording);
    onClick(m_Ui.developerCode, &COrvaneDlg::OnDeveloperCode);

    // Every move by the user seeks, except a drag in progress, which seeks
    // when the thumb is let go: a click or key that moves a step or a page,
    // and the wheel (a move action while the thumb is not held).
    QSlider* slider = m_Ui.slider;
    connect(slider, &QSlider::sliderReleased, this, [this, slider] { OnSeek(slider->value()); });
    connect(slider, &QSlider::actionTriggered, this, [this, slider](int action) {
        if (action == QAbstractSlider::SliderNoAction)
            return;
        if (action == QAbstractSlider::SliderMove && slider->isSliderDown())
            return;
        OnSeek(slider->sliderPosition());
    });

    connect(&m_Replay.Timer(), &QTimer::timeout, this, &COrvaneDlg::OnReplayTick);
    connect(&m_LiveTimer, &QTimer::timeout, this, &COrvaneDlg::OnLiveTick);
    connect(&m_Recorder, &LiveRecorder::Changed, this, &COrvaneDlg::OnRecordingChanged);
    connect(&m_Live, &LiveSession::Status, this, &COrvaneDlg::OnStatusLine);
    // An unplugged receiver closes the port as the live-input button would;
    // it can be started again when it is back.
    connect(&m_Live, &LiveSession::SerialPortLost, this, &COrvaneDlg::OnLiveInput);
    connect(&m_Live, &LiveSession::QueueFull, this, &COrvaneDlg::OnQueueFull);
}

void COrvaneDlg::OnInitDialog()
{
    // The window menu's About item is offered through CreateWindowMenu.
    // The start position, the replay defaults and the flags of online mode
    // are the members' initial values.
    setWindowIcon(AppIcon());

    QSlider* slider = m_Ui.slider;
    slider->setRange(0, kSliderMaximum);
    slider->setPageStep(kSliderMaximum / 10);
    slider->setTickInterval(kSliderMaximum / 10);

    // The map browser is silent; it and the secondary-map button follow the
    // map switch.
    m_Map = std::make_unique<MapView>(m_Ui.mapView);
    m_Ui.mapView->setEnabled(m_State.m_MapEnabled);
    m_Ui.secondaryMap->setEnabled(m_State.m_MapEnabled);

    m_SatellitesDlg = std::make_unique<CGNSS_SatellitesDlg>(this);
    m_SatellitesDlg->ResetSignals(true);
    m_SecondaryMapDlg = std::make_unique<CGNSS_SecondaryMapDlg>(this, m_Seam);

    // Which config.ini the start-up reads, and every later read.
    AppendLine(ConfigFileLine());
    SetUpForwardingAndUpload();
    SetUpSkyView();
    SetUpCharts();
    SetUpNtrip();
    SetUpReceiverConsole();

    // Offline, nothing loaded yet: Run, Purge, the lists and the slider
    // start disabled.
    UpdateControls();
}

void COrvaneDlg::done(int result)
{
    QDialog::done(result);
    OnDestroy();
}

void COrvaneDlg::OnDestroy()
{
    if (m_Destroyed)
        return;
    m_Destroyed = true;
    if (m_State.m_Online)
        OnOnlineMode();
    else
        Purge();
    m_SatellitesDlg.reset();
    m_SecondaryMapDlg.reset();
    m_SkyViewDlg.reset();
    m_ChartsDlg.reset();
    m_NtripDlg.reset();
    m_Ntrip.reset();
    m_NtripRtk.reset();
    m_TtffRunner.reset();
    m_TtffDlg.reset();
    m_ReceiverConsoleDlg.reset();
    ShutDownForwardingAndUpload();
}

QMenu* COrvaneDlg::CreateWindowMenu()
{
    auto* menu = new QMenu(this);
    menu->addAction(QStringLiteral("&Close"), this, &QWidget::close);
    menu->addAction(QStringLiteral("&Sky View..."), this, &COrvaneDlg::OnSkyView);
    menu->addAction(QStringLiteral("&Charts..."), this, &COrvaneDlg::OnCharts);
    menu->addAction(QStringLiteral("&NTRIP..."), this, &COrvaneDlg::OnNtrip);
    menu->addAction(QStringLiteral("Send to &Receiver..."), this, &COrvaneDlg::OnReceiverConsole);
    menu->addAction(QStringLiteral("&TTFF Test..."), this, &COrvaneDlg::OnTtffTest);
    menu->addAction(QStringLiteral("Save Track as GPX..."), this, &COrvaneDlg::OnSaveTrack);
    menu->addAction(QStringLiteral("Save Epochs as CSV..."), this, [this] { OnSaveEpochs(EpochFormat::Csv); });
    menu->addAction(QStringLiteral("Save Epochs as KML..."), this, [this] { OnSaveEpochs(EpochFormat::Kml); });
    menu->addSeparator();
    QAction* about = menu->addAction(QString::fromUtf8(kAboutItemText));
    about->setData(IDM_ABOUTBOX);
    connect(about, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
    return menu;
}

void COrvaneDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = CreateWindowMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void COrvaneDlg::OnSysCommand(int commandId)
{
    if ((commandId & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        m_Seam.RunModal(about);
    }
}

void COrvaneDlg::OnShowSignals()
{
    if (!m_SatellitesDlg)
        return;
    m_State.m_SignalsShown = !m_State.m_SignalsShown;
    m_SatellitesDlg->setVisible(m_State.m_SignalsShown);
    UpdateControls(SignalsRule::Keep);
}

void COrvaneDlg::DecorateHooks(std::unique_ptr<DispatchHooks> decorator)
{
    m_HooksDecorator = std::move(decorator);
    m_Hooks = m_HooksDecorator ? m_HooksDecorator.get() : &m_WindowHooks;
}

}  // namespace orvane
