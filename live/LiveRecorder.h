// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Recording of the live data: the recording file of the moment, its
// rotation past 3072000 bytes with the one-second pause before the next
// file (timer 546), and the bytes that arrive in that pause, held for the
// next file so that every received byte lands in exactly one file.
// Status lines go to the sink the owner gives.

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <string>
#include <string_view>

#include "Recording.h"

namespace orvane {

class LiveRecorder : public QObject {
    Q_OBJECT

public:
    using LineSink = std::function<void(const QString&)>;

    explicit LiveRecorder(LineSink appendLine, QObject* parent = nullptr);

    // m_Recording: a file is open and takes each tick's bytes.
    bool Recording() const { return m_Recording; }
    const RecordingFile& File() const { return m_File; }
    // Timer 546: one shot, started by a rotation; starts the next file.
    const QTimer& RestartTimer() const { return m_RestartTimer; }

    // Stops a running recording, or starts a new file named after the
    // local time. Emits Changed when the recording started or stopped.
    void Toggle();

    // One live tick's bytes: written and flushed to the open file, or held
    // while a rotation waits for the next file. With showProgress a line
    // gives the file's size. A file past the limit is rotated.
    void Step(std::string_view bytes, bool showProgress);
    // Whether the owner's ticks ask Step for the size line (a developer
    // code turns it on and off).
    void SetProgressShown(bool shown) { m_ProgressShown = shown; }
    bool ProgressShown() const { return m_ProgressShown; }

    // Timer 546's work; the timer calls it by itself.
    void OnRestartTimer();

    // Leaving online mode cancels the next file: held bytes go to the end
    // of the file they would have followed.
    void CancelRestart();

signals:
    void Changed();

private:
    bool Write(std::string_view bytes);
    void Stop();

    LineSink m_AppendLine;
    bool m_Recording = false;
    bool m_ProgressShown = false;
    RecordingFile m_File;   // open exactly while m_Recording is on
    QTimer m_RestartTimer;  // kRecordingRestartTimerId
    std::string m_Held;     // bytes waiting for the next file
    QString m_RotatedPath;  // the file the last rotation closed
};

}  // namespace orvane
