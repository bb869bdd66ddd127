// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The dispatcher's way out, recorded: every call it makes, in order, as
// text ("slider N", "map LAT LON HEADING", "send ...", "signals ROW PRN
// ELEVATION AZIMUTH SNR ..." and each line as it came), and the lines alone.

#include <QString>
#include <QStringList>

#include "decoder/Tables.h"
#include "replay/DispatchHooks.h"

class RecordingHooks : public orvane::DispatchHooks {
public:
    explicit RecordingHooks(int row = orvane::kRmcRow, bool window = false) : messageRow(row), windowExists(window) { }
    void AppendLine(std::string_view line) override
    {
        lines << QString::fromLatin1(line.data(), qsizetype(line.size()));
        events << lines.last();
    }
    int SelectedMessageRow() const override { return messageRow; }
    void MoveSlider(int32_t value) override { events << QString("slider %1").arg(value); }
    void UpdateMapPosition(double lat, double lon, double h) override { events << "map " + Place(lat, lon, h); }
    void SendPosition(double lat, double lon, double h) override { events << "send " + Place(lat, lon, h); }
    bool SatellitesWindowExists() const override { return windowExists; }
    void UpdateSignals(int talkerRow, const orvane::SatelliteTable::Row& row) override
    {
        QString event = QString("signals %1").arg(talkerRow);
        for (const orvane::GsvSatellite& s : row)
            event += QString(" %1 %2 %3 %4").arg(s.prn).arg(s.elevation).arg(s.azimuth).arg(s.snr);
        events << event;
    }

    static QString Place(double latitude, double longitude, double heading)
    {
        return QString("%1 %2 %3").arg(latitude, 0, 'g', 10).arg(longitude, 0, 'g', 10).arg(heading, 0, 'g', 10);
    }

    int messageRow;
    bool windowExists;
    QStringList events;
    QStringList lines;
};
