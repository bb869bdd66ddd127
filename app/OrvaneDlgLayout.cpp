// The main window's control table, its creation, and the layout of the two
// modes.

#include <QComboBox>
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
    setFixedSize(units.ToPixels(kWindowWidth, kWindowHeight));
    // A caption with the window menu and the close box, but no minimise or
    // maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setAcceptDrops(true);
}

QPushButton* COrvaneDlg::Button(int id) const
{
    return qobject_cast<QPushButton*>(Control(id));
}

QComboBox* COrvaneDlg::Combo(int id) const
{
    return qobject_cast<QComboBox*>(Control(id));
}

QSlider* COrvaneDlg::Slider() const
{
    return qobject_cast<QSlider*>(Control(IDC_REPLAY_SLIDER));
}

void COrvaneDlg::UpdateWindow()
{
    const bool online = m_State.m_Online;
    Button(IDC_ONLINE_MODE)->setText(online ? QStringLiteral("Offline Mode") : QStringLiteral("Online Mode"));
    for (const int id : kOfflineOnly)
        Control(id)->setVisible(!online);
    Combo(IDC_SATELLITE_LIST)->setEnabled(online);
    Combo(IDC_MESSAGE_LIST)->setEnabled(online);
    for (const int id : kOnlineOnly)
        Control(id)->setVisible(online);
    Button(IDC_LIVE_INPUT)
        ->setText(m_SerialOpen || m_TcpInputOpen ? QStringLiteral("Pause") : QStringLiteral("Start Parsing"));
    Button(IDC_RECORDING)->setText(m_Recording ? QStringLiteral("Stop Recording") : QStringLiteral("Recording NMEA"));
}

}  // namespace orvane
