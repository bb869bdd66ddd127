// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What gpsd sends once it is asked for raw NMEA: its own JSON reports, one
// per line starting with "{", among the receiver's sentences. The stream
// passes the sentences on unchanged and keeps the JSON lines apart: they
// tell which receivers gpsd holds and what went wrong, and must not reach
// the decoder or the recording.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orvane {

// The request that makes gpsd send each receiver's sentences as they come.
inline constexpr char kGpsdWatchRequest[] = "?WATCH={\"enable\":true,\"nmea\":true}\n";

class GpsdStream {
public:
    // A JSON report longer than this is skipped without being read.
    static constexpr qsizetype kMaxReport = 64 * 1024;

    // Returns the bytes of bytes that are not part of a JSON report. The
    // reports are read as their lines end.
    QByteArray Filter(const QByteArray& bytes);

    // Sentence bytes were passed on since the connection began.
    bool SawNmea() const { return m_SawNmea; }
    // At least one JSON report arrived.
    bool SawJson() const { return m_SawJson; }
    // The last DEVICES report listed no receiver.
    bool NoDevices() const { return m_NoDevices; }
    // The message of each ERROR report, in order, taken away by the caller.
    QStringList TakeErrors();

    // A new connection: nothing seen yet.
    void Reset();

private:
    void ReadReport();

    bool m_AtLineStart = true;
    bool m_InReport = false;
    bool m_SawNmea = false;
    bool m_SawJson = false;
    bool m_NoDevices = false;
    QByteArray m_Report;
    QStringList m_Errors;
};

}  // namespace orvane
