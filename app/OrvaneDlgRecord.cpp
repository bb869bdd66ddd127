// Recording the live text, the position line to the forwarding clients
// and the upload server, and the developer codes.

#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>

#include "Config.h"
#include "OrvaneDlg.h"
#include "StatusWord.h"
#include "live/DeveloperCode.h"

namespace orvane {

namespace {

constexpr int kRecordingRestartMs = 1000;
// The reason of a failed open fills a field of this width, padded on the left.
constexpr int kReasonWidth = 1024;

}  // namespace

void COrvaneDlg::OnRecording()
{
    if (m_Recording) {
        m_Recording = false;
        m_RecordingFile.Close();
        AppendLine(QStringLiteral("Stop Recording"));
        m_Ui.recording->setChecked(false);
        UpdateWindow();
        return;
    }
    m_Recording = true;
    const QString path = RecordingFolder() + QChar('/') + RecordingFileName(QDateTime::currentDateTime());
    QString reason;
    if (!m_RecordingFile.Open(path, reason)) {
        AppendLine(QStringLiteral("Couldn't open source file: %1").arg(reason.left(kReasonWidth), kReasonWidth));
        m_Recording = false;
        // The click checked the button; the caption does not change.
        m_Ui.recording->setChecked(false);
        return;
    }
    AppendLine(QStringLiteral("NMEA Recording (%1)").arg(path));
    m_Ui.recording->setChecked(true);
    UpdateWindow();
    // What arrived since the previous file was rotated out comes first.
    if (!m_RotationHeld.empty()) {
        std::string held;
        held.swap(m_RotationHeld);
        WriteRecording(held);
    }
}

bool COrvaneDlg::WriteRecording(std::string_view bytes)
{
    QString reason;
    if (m_RecordingFile.Append(bytes, reason))
        return true;
    // What the system did not take is not counted as recorded.
    AppendLine(QStringLiteral("Couldn't write the recording file: %1 (%2 bytes written)")
                   .arg(reason, QString::number(m_RecordingFile.Size())));
    OnRecording();
    return false;
}

void COrvaneDlg::RecordingStep()
{
    if (m_LiveRecordText.empty())
        return;
    if (!m_Recording || !m_RecordingFile.IsOpen()) {
        // In the second between a rotated file and the next, the bytes wait
        // for the next file: every received byte lands in one file, in order.
        if (m_RecordingRestartTimer.isActive())
            m_RotationHeld.append(m_LiveRecordText);
        return;
    }
    if (!WriteRecording(m_LiveRecordText))
        return;
    const qint64 size = m_RecordingFile.Size();
    if (m_RecordingProgressVisible)
        AppendLine(QStringLiteral("Recording Size:  %1 / %2")
                       .arg(QString::number(int32_t(uint32_t(size))), QString::number(kRecordingSizeLimit)));
    if (size > kRecordingSizeLimit) {
        m_RotatedPath = m_RecordingFile.Path();
        OnRecording();
        m_RecordingRestartTimer.start(kRecordingRestartMs);
    }
}

void COrvaneDlg::FinishRotationGap()
{
    if (m_RotationHeld.empty())
        return;
    // The next file will not start: the held bytes go to the end of the
    // file they would have followed.
    std::string held;
    held.swap(m_RotationHeld);
    RecordingFile previous;
    QString reason;
    if (!previous.Open(m_RotatedPath, reason, RecordingFile::Mode::Append) || !previous.Append(held, reason))
        AppendLine(QStringLiteral("Couldn't write the recording file: %1 (%2 bytes written)")
                       .arg(reason, QString::number(previous.Size())));
}

void COrvaneDlg::OnRecordingRestart()
{
    m_RecordingRestartTimer.stop();
    OnRecording();
}

void COrvaneDlg::OnDeveloperCode()
{
    auto* edit = m_Ui.developerCodeEdit;
    const QString typed = edit->text();
    edit->clear();
    const DeveloperCode code = ParseDeveloperCode(typed);
    AppendLine(DeveloperCodeLine(code));
    switch (code) {
    case DeveloperCode::ShowRawData:
        m_RawDataVisible = true;
        break;
    case DeveloperCode::HideRawData:
        m_RawDataVisible = false;
        break;
    case DeveloperCode::ShowRecording:
        m_RecordingProgressVisible = true;
        break;
    case DeveloperCode::HideRecording:
        m_RecordingProgressVisible = false;
        break;
    case DeveloperCode::Invalid:
        break;
    }
}

void COrvaneDlg::SetUpForwardingAndUpload()
{
    m_Forwarding = false;
    m_Sender = std::make_unique<PositionSender>(this);
    if (ReadConfig(kConfigForwarding)) {
        m_Forwarding = m_Sender->StartForwarding(quint16(ConfigSettings.ServerOutputPort));
        AppendLine(QStringLiteral("[TCP] %1 to open the TCP port for data forwarding (%2)")
                       .arg(OkOrFail(m_Forwarding), QString::number(ConfigSettings.ServerOutputPort)));
    }

    m_Uploading = false;
    if (!ReadConfig(kConfigUpload))
        return;
    // The connection is made in the background; a server that cannot be
    // reached is tried again when a position is to be sent.
    m_Uploading = m_Sender->StartUpload(ConfigSettings.ClientUrl, quint16(ConfigSettings.ClientPort));
    AppendLine(QStringLiteral("[TCP] %1 to open the TCP port for data uploading: %2")
                   .arg(OkOrFail(m_Uploading), QString::number(ConfigSettings.ClientPort)));
}

void COrvaneDlg::ShutDownForwardingAndUpload()
{
    m_Forwarding = false;
    m_Uploading = false;
    m_Sender.reset();
}

void COrvaneDlg::SendPosition(double latitude, double longitude, double heading)
{
    if (!m_Sender || (!m_Forwarding && !m_Uploading))
        return;
    m_Sender->Send(PositionLine(ConfigSettings.ClientVin.toLatin1().toStdString(), latitude, longitude, heading));
}

}  // namespace orvane
