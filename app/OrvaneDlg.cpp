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
#include "Config.h"
#include "KeyRule.h"
#include "live/NetworkServer.h"
#include "SatellitesDlg.h"
#include "SecondaryMapDlg.h"
#include "UiSeam.h"
#include "decoder/GsvPass.h"

namespace orvane {

namespace {
// The text of the About item of the window menu.
const char kAboutItemText[] = "Orvane 정보(&A)...";
}  // namespace

COrvaneDlg::COrvaneDlg(UiSeam* seam, QWidget* parent) : QDialog(parent), m_Seam(seam ? *seam : DefaultUiSeam())
{
    CreateLayout();
    m_RecordingRestartTimer.setSingleShot(true);
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
    const auto onClick = [this](int id, void (COrvaneDlg::*handler)()) {
        connect(Button(id), &QPushButton::clicked, this, handler);
    };
    connect(Button(IDC_EXIT), &QPushButton::clicked, this, &QDialog::accept);
    onClick(IDC_LOAD_FILE, &COrvaneDlg::OnLoadFile);
    onClick(IDC_RUN, &COrvaneDlg::OnRun);
    onClick(IDC_PURGE, &COrvaneDlg::Purge);
    onClick(IDC_CLEAR, &COrvaneDlg::OnClear);
    onClick(IDC_FASTER, &COrvaneDlg::OnFaster);
    onClick(IDC_SLOWER, &COrvaneDlg::OnSlower);
    onClick(IDC_REPEAT, &COrvaneDlg::OnRepeat);
    onClick(IDC_ENABLE_MAP, &COrvaneDlg::OnEnableMap);
    onClick(IDC_SECONDARY_MAP, &COrvaneDlg::OnSecondaryMap);
    onClick(IDC_SHOW_SIGNALS, &COrvaneDlg::OnShowSignals);
    onClick(IDC_ONLINE_MODE, &COrvaneDlg::OnOnlineMode);
    onClick(IDC_LIVE_INPUT, &COrvaneDlg::OnLiveInput);
    onClick(IDC_RECORDING, &COrvaneDlg::OnRecording);
    onClick(IDC_DEVELOPER_CODE, &COrvaneDlg::OnDeveloperCode);

    // Every move by the user seeks, except a drag in progress, which seeks
    // when the thumb is let go: a click or key that moves a step or a page,
    // and the wheel (a move action while the thumb is not held).
    QSlider* slider = Slider();
    connect(slider, &QSlider::sliderReleased, this, [this, slider] { OnSeek(slider->value()); });
    connect(slider, &QSlider::actionTriggered, this, [this, slider](int action) {
        if (action == QAbstractSlider::SliderNoAction)
            return;
        if (action == QAbstractSlider::SliderMove && slider->isSliderDown())
            return;
        OnSeek(slider->sliderPosition());
    });

    connect(&m_ReplayTimer, &QTimer::timeout, this, [this] { OnTimer(kReplayTimerId); });
    connect(&m_LiveTimer, &QTimer::timeout, this, [this] { OnTimer(kLiveTimerId); });
    connect(&m_RecordingRestartTimer, &QTimer::timeout, this, [this] { OnTimer(kRecordingRestartTimerId); });
}

bool COrvaneDlg::OnInitDialog()
{
    // The window menu's About item is offered through CreateWindowMenu.
    setWindowIcon(AppIcon());

    m_State.m_Latitude = kStartLatitude;
    m_State.m_Longitude = kStartLongitude;
    m_State.m_Heading = 0.0;
    m_State.m_TalkerRow = kNoTalker;
    m_SecondaryMapShown = false;
    m_State.m_MapEnabled = false;
    m_Repeat = false;
    m_State.m_SignalsShown = false;

    QSlider* slider = Slider();
    slider->setRange(0, kSliderMaximum);
    slider->setPageStep(kSliderMaximum / 10);
    slider->setTickInterval(kSliderMaximum / 10);

    m_SpeedStep = kSlowestSpeedStep;
    m_ReplayInterval = ReplayIntervalFor(m_SpeedStep);

    // The map browser is silent; it and the secondary-map button follow the
    // map switch.
    CreateMapBrowser();
    Control(IDC_MAP_VIEW)->setEnabled(m_State.m_MapEnabled);
    Button(IDC_SECONDARY_MAP)->setEnabled(m_State.m_MapEnabled);

    m_SatellitesDlg = std::make_unique<CGNSS_SatellitesDlg>(this);
    m_SatellitesDlg->ResetSignals(true);
    m_SecondaryMapDlg = std::make_unique<CGNSS_SecondaryMapDlg>(this, m_Seam);

    m_State.m_Online = false;
    m_SerialOpen = false;
    m_TcpInputOpen = false;
    m_Recording = false;
    m_LiveBusy = false;
    UpdateWindow();

    m_RawDataVisible = false;
    m_RecordingProgressVisible = false;
    SetUpForwardingAndUpload();

    // Nothing is loaded yet: Run, Purge, the lists and the slider start
    // disabled.
    UpdateButtons();
    return true;
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
    ShutDownForwardingAndUpload();
}

bool COrvaneDlg::ReadConfig(int group)
{
    return orvane::ReadConfig(group, [this](const QString& line) { AppendLine(line); });
}

QMenu* COrvaneDlg::CreateWindowMenu()
{
    auto* menu = new QMenu(this);
    menu->addAction(QStringLiteral("&Close"), this, &QWidget::close);
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
    Button(IDC_SHOW_SIGNALS)
        ->setText(m_State.m_SignalsShown ? QStringLiteral("Hide Signals") : QStringLiteral("Show Signals"));
    m_SatellitesDlg->setVisible(m_State.m_SignalsShown);
}

void COrvaneDlg::OnTimer(int timerId)
{
    switch (timerId) {
    case kReplayTimerId:
        OnReplayTick();
        break;
    case kLiveTimerId:
        OnLiveTick();
        break;
    case kRecordingRestartTimerId:
        OnRecordingRestart();
        break;
    default:
        break;
    }
}

}  // namespace orvane
