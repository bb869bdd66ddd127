// SPDX-License-Identifier: GPL-3.0-or-later
#include "LiveRecorder.h"

#include <QDateTime>

namespace orvane {

namespace {

constexpr int kRestartMs = 1000;
// The reason of a failed open fills a field of this width, padded on the left.
constexpr int kReasonWidth = 1024;

QString WriteFailureLine(const QString& reason, qint64 written)
{
    return QStringLiteral("Couldn't write the recording file: %1 (%2 bytes written)")
        .arg(reason, QString::number(written));
}

}  // namespace

LiveRecorder::LiveRecorder(LineSink appendLine, QObject* parent) : QObject(parent), m_AppendLine(std::move(appendLine))
{
    m_RestartTimer.setSingleShot(true);
    connect(&m_RestartTimer, &QTimer::timeout, this, &LiveRecorder::OnRestartTimer);
}

void LiveRecorder::Toggle()
{
    if (m_Recording) {
        Stop();
        return;
    }
    m_Recording = true;
    const QString folder = PrepareRecordingFolder();
    const QString name = RecordingFileName(QDateTime::currentDateTime());
    const QString path = folder + QChar('/') + name;
    QString reason;
    if (!m_File.Open(path, reason)) {
        m_AppendLine(QStringLiteral("Couldn't open source file: %1").arg(reason.left(kReasonWidth), kReasonWidth));
        // The line above keeps its form; this one says which file in which
        // folder, and that nothing is being recorded.
        m_AppendLine(QStringLiteral("Recording is off: the recording %1 cannot be created in %2 (%3)")
                         .arg(name, folder, reason));
        m_Recording = false;
        return;
    }
    m_AppendLine(QStringLiteral("NMEA Recording (%1)").arg(path));
    emit Changed();
    // What arrived since the previous file was rotated out comes first.
    if (!m_Held.empty()) {
        std::string held;
        held.swap(m_Held);
        Write(held);
    }
}

void LiveRecorder::Stop()
{
    m_Recording = false;
    m_File.Close();
    m_AppendLine(QStringLiteral("Stop Recording"));
    emit Changed();
}

bool LiveRecorder::Write(std::string_view bytes)
{
    QString reason;
    if (m_File.Append(bytes, reason))
        return true;
    // What the system did not take is not counted as recorded.
    m_AppendLine(WriteFailureLine(reason, m_File.Size()));
    Stop();
    return false;
}

void LiveRecorder::Step(std::string_view bytes, bool showProgress)
{
    if (bytes.empty())
        return;
    if (!m_Recording || !m_File.IsOpen()) {
        // In the second between a rotated file and the next, the bytes wait
        // for the next file: every received byte lands in one file, in order.
        if (m_RestartTimer.isActive())
            m_Held.append(bytes);
        return;
    }
    if (!Write(bytes))
        return;
    const qint64 size = m_File.Size();
    if (showProgress)
        m_AppendLine(QStringLiteral("Recording Size:  %1 / %2")
                         .arg(QString::number(int32_t(uint32_t(size))), QString::number(kRecordingSizeLimit)));
    if (size > kRecordingSizeLimit) {
        m_RotatedPath = m_File.Path();
        Stop();
        m_RestartTimer.start(kRestartMs);
    }
}

void LiveRecorder::OnRestartTimer()
{
    m_RestartTimer.stop();
    Toggle();
}

void LiveRecorder::CancelRestart()
{
    m_RestartTimer.stop();
    if (m_Held.empty())
        return;
    std::string held;
    held.swap(m_Held);
    RecordingFile previous;
    QString reason;
    if (!previous.Open(m_RotatedPath, reason, RecordingFile::Mode::Append) || !previous.Append(held, reason))
        m_AppendLine(WriteFailureLine(reason, previous.Size()));
}

}  // namespace orvane
