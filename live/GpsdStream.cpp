// SPDX-License-Identifier: GPL-3.0-or-later
#include "GpsdStream.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace orvane {

QByteArray GpsdStream::Filter(const QByteArray& bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        if (m_AtLineStart && c == '{') {
            m_InReport = true;
            m_Report.clear();
        }
        const bool lineEnd = c == '\n' || c == '\r';
        if (m_InReport) {
            // A report ends at its LF; the CR before it goes with it.
            if (c == '\n') {
                ReadReport();
                m_InReport = false;
            } else if (c != '\r' && m_Report.size() < kMaxReport) {
                m_Report.append(c);
            }
        } else {
            out.append(c);
            if (!lineEnd)
                m_SawNmea = true;
        }
        m_AtLineStart = lineEnd;
    }
    return out;
}

QStringList GpsdStream::TakeErrors()
{
    return std::exchange(m_Errors, {});
}

void GpsdStream::Reset()
{
    *this = GpsdStream();
}

void GpsdStream::ReadReport()
{
    m_SawJson = true;
    const QJsonObject report = QJsonDocument::fromJson(m_Report).object();
    const QString kind = report.value(QLatin1String("class")).toString();
    if (kind == QLatin1String("DEVICES"))
        m_NoDevices = report.value(QLatin1String("devices")).toArray().isEmpty();
    else if (kind == QLatin1String("ERROR"))
        m_Errors.append(report.value(QLatin1String("message")).toString());
}

}  // namespace orvane
