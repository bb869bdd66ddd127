// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's control table, its creation, the layout of the two
// modes, and the enabled states and captions of the controls.

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

#include "DialogTemplate.h"
#include "OrvaneDlg.h"

namespace orvane {

namespace {

// The main window in dialog units, with its dialog font.
constexpr int kWindowWidth = 602;
constexpr int kWindowHeight = 375;
constexpr int kFontPointSize = 9;

using K = ControlKind;

// In template order, which is also the keyboard focus order.
constexpr ControlTemplate kMainWindowControls[] = {
    {IDC_REPLAY_SLIDER, K::TrackBar, "", 1, 360, 599, 13},
    {IDC_LOAD_FILE, K::PushButton, "Load Flie", 77, 322, 75, 34},
    {IDC_PURGE, K::PushButton, "Purge", 152, 322, 75, 34},
    {IDC_EXIT, K::DefaultPushButton, "Exit", 227, 322, 75, 34},
    {IDC_SLOWER, K::PushButton, "Slower", 304, 322, 59, 34},
    {IDC_RUN, K::PushButton, "Run", 363, 322, 59, 34},
    {IDC_FASTER, K::PushButton, "Faster", 422, 322, 59, 34},
    {IDC_REPEAT, K::PushLikeCheckBox, "Repeat", 481, 322, 59, 34},
    {IDC_CLEAR, K::PushButton, "Clear", 540, 322, 60, 34},
    {IDC_ENABLE_MAP, K::PushLikeCheckBox, "Enable Map", 1, 2, 100, 17},
    {IDC_SECONDARY_MAP, K::PushLikeCheckBox, "Show a Secondary Map", 102, 2, 100, 17, true},
    {kNoControlId, K::RightLabel, "Satellite", 327, 7, 26, 8},
    {IDC_SATELLITE_LIST, K::DropDownCombo, "", 356, 5, 70, 94},
    {kNoControlId, K::RightLabel, "Message", 433, 7, 27, 8},
    {IDC_MESSAGE_LIST, K::DropDownCombo, "", 463, 5, 137, 91},
    {IDC_SHOW_SIGNALS, K::PushLikeCheckBox, "Show Signals", 203, 2, 100, 17},
    {IDC_MAP_VIEW, K::BrowserPlaceholder, "", 2, 21, 300, 299},
    {IDC_TEXT_VIEW, K::ReadOnlyTextView, "", 304, 21, 296, 299},
    {IDC_ONLINE_MODE, K::PushLikeCheckBox, "Online Mode", 2, 322, 75, 34},
    {IDC_LIVE_INPUT, K::PushLikeCheckBox, "Pause", 304, 322, 117, 34},
    {IDC_RECORDING, K::PushLikeCheckBox, "Recording NMEA", 422, 322, 117, 34},
    {IDC_DEVELOPER_CODE_EDIT, K::LineEdit, "", 78, 323, 148, 12},
    {IDC_DEVELOPER_CODE, K::PushButton, "Developer Code", 78, 336, 148, 20},
};

// The controls that only offline mode shows, and those that only online
// mode shows; both sets share one screen area.
constexpr int kOfflineOnly[] = {IDC_LOAD_FILE, IDC_PURGE, IDC_SLOWER, IDC_RUN, IDC_FASTER, IDC_REPEAT};
constexpr int kOnlineOnly[] = {IDC_LIVE_INPUT, IDC_RECORDING, IDC_DEVELOPER_CODE_EDIT, IDC_DEVELOPER_CODE};

}  // namespace

void COrvaneDlg::CreateLayout()
{
    setWindowTitle(QStringLiteral("Orvane"));
    const QFont font = DialogFont(kFontPointSize);
    setFont(font);
    const DialogUnits units(font);
    m_Controls = CreateControls(this, kMainWindowControls, units);
    m_Ui = MainWindowControls(m_Controls);
    setFixedSize(units.ToPixels(kWindowWidth, kWindowHeight));
    // A caption with the window menu and the close box, but no minimise or
    // maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setAcceptDrops(true);
}

namespace {

// The control of the id as its class; the table and the ids are one
// program, so a mismatch is a programming error caught at the first start.
template <typename Widget>
Widget* Typed(const QHash<int, QWidget*>& controls, int id)
{
    auto* widget = qobject_cast<Widget*>(controls.value(id));
    if (!widget)
        qFatal("main window control %d is missing or of another kind", id);
    return widget;
}

}  // namespace

MainWindowControls::MainWindowControls(const QHash<int, QWidget*>& c)
    : exit(Typed<QPushButton>(c, IDC_EXIT)), loadFile(Typed<QPushButton>(c, IDC_LOAD_FILE)),
      run(Typed<QPushButton>(c, IDC_RUN)), purge(Typed<QPushButton>(c, IDC_PURGE)),
      clear(Typed<QPushButton>(c, IDC_CLEAR)), faster(Typed<QPushButton>(c, IDC_FASTER)),
      slower(Typed<QPushButton>(c, IDC_SLOWER)), repeat(Typed<QPushButton>(c, IDC_REPEAT)),
      enableMap(Typed<QPushButton>(c, IDC_ENABLE_MAP)), secondaryMap(Typed<QPushButton>(c, IDC_SECONDARY_MAP)),
      showSignals(Typed<QPushButton>(c, IDC_SHOW_SIGNALS)), onlineMode(Typed<QPushButton>(c, IDC_ONLINE_MODE)),
      liveInput(Typed<QPushButton>(c, IDC_LIVE_INPUT)), recording(Typed<QPushButton>(c, IDC_RECORDING)),
      developerCode(Typed<QPushButton>(c, IDC_DEVELOPER_CODE)), talkers(Typed<QComboBox>(c, IDC_SATELLITE_LIST)),
      messages(Typed<QComboBox>(c, IDC_MESSAGE_LIST)), slider(Typed<QSlider>(c, IDC_REPLAY_SLIDER)),
      textView(Typed<QPlainTextEdit>(c, IDC_TEXT_VIEW)),
      developerCodeEdit(Typed<QLineEdit>(c, IDC_DEVELOPER_CODE_EDIT)), mapView(Typed<QWidget>(c, IDC_MAP_VIEW))
{ }

void COrvaneDlg::UpdateControls(SignalsRule rule)
{
    const bool online = m_State.m_Online;
    const bool loaded = m_Replay.Loaded();
    const bool running = m_Replay.Running();
    const bool stopped = loaded && !running;

    m_Ui.onlineMode->setText(online ? QStringLiteral("Offline Mode") : QStringLiteral("Online Mode"));
    for (const int id : kOfflineOnly)
        m_Controls.value(id)->setVisible(!online);
    for (const int id : kOnlineOnly)
        m_Controls.value(id)->setVisible(online);
    m_Ui.liveInput->setText(m_Live.IsOpen() ? QStringLiteral("Pause") : QStringLiteral("Start Parsing"));
    m_Ui.recording->setText(
        m_Recorder.Recording() ? QStringLiteral("Stop Recording") : QStringLiteral("Recording NMEA"));

    if (rule == SignalsRule::Update)
        m_SignalsRuleOnline = online;
    QPushButton* showSignals = m_Ui.showSignals;
    // kept as is: online, the rule is "either source closed", which holds
    // always (the two are never open together).
    showSignals->setEnabled(m_SignalsRuleOnline ? !m_Live.SerialOpen() || !m_Live.TcpInputOpen() : stopped);
    showSignals->setText(m_State.m_SignalsShown ? QStringLiteral("Hide Signals") : QStringLiteral("Show Signals"));

    m_Ui.run->setEnabled(loaded);
    m_Ui.run->setText(running ? QStringLiteral("Stop") : QStringLiteral("Run"));
    m_Ui.purge->setEnabled(loaded);
    UpdateSpeedButtons();
    m_Ui.repeat->setText(m_Replay.Repeat() ? QStringLiteral("Once") : QStringLiteral("Repeat"));
    // Online, the lists stay open for a new choice at any time.
    m_Ui.talkers->setEnabled(online || stopped);
    m_Ui.messages->setEnabled(online || stopped);
    m_Ui.slider->setEnabled(stopped);
    m_Ui.slider->setValue(m_Replay.SliderValue());
}

void COrvaneDlg::UpdateSpeedButtons()
{
    m_Ui.faster->setEnabled(m_Replay.SpeedStep() < kFastestSpeedStep);
    m_Ui.slower->setEnabled(m_Replay.SpeedStep() > kSlowestSpeedStep);
}

}  // namespace orvane
