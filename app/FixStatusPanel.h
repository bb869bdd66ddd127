// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fix status panel: the fix summary's fields in large type, the fix as
// "No fix", "2D", "3D", "DGPS", "RTK fixed", "RTK float", "Estimated",
// "Manual" or "Simulated", what GNS, GST, GBS, THS and RMC's late fields
// add (mode per constellation, navigational status, accuracy, integrity,
// true heading), each value greyed once it has gone 3 s without an update,
// and the per-talker checksum and parse-error counters.

#include <QElapsedTimer>
#include <QWidget>

#include <cstdint>
#include <vector>

#include "decoder/FixSummary.h"

class QLabel;

namespace orvane {

inline constexpr qint64 kStaleAfterMs = 3000;

class FixStatusPanel : public QWidget {
    Q_OBJECT

public:
    // The fields of the panel, in the order shown.
    enum Field {
        Fix,
        Mode,
        NavStatus,
        Time,
        Date,
        Latitude,
        Longitude,
        Altitude,
        Speed,
        Course,
        TrueHeading,
        Satellites,
        GnsSatellites,  // shown only while GNS counts other satellites used than the GSAs list
        Dop,
        Accuracy,
        Raim,
        PositionAge,
        kFieldCount
    };

    explicit FixStatusPanel(QWidget* parent = nullptr);

    // Shows the summary as it is at nowMs (any steady clock in milliseconds):
    // a field whose update count has not changed for kStaleAfterMs is greyed.
    void Show(const FixSummary& summary, qint64 nowMs);
    // Forgets when each field last changed and empties the panel.
    void Reset();

    QLabel* Value(Field field) const { return m_Values[size_t(field)]; }
    QLabel* Name(Field field) const { return m_Names[size_t(field)]; }
    bool Stale(Field field) const { return m_Stale[size_t(field)]; }
    QLabel* Counters() const { return m_Counters; }

private:
    void SetField(Field field, const QString& text, uint64_t updates, qint64 nowMs);
    // The fields of GNS, GST, GBS, THS and RMC's status.
    void ShowReports(const FixSummary& summary, qint64 nowMs);

    std::vector<QLabel*> m_Names;
    std::vector<QLabel*> m_Values;
    std::vector<uint64_t> m_Updates;
    std::vector<qint64> m_ChangedAt;
    std::vector<bool> m_Stale;
    QLabel* m_Counters = nullptr;
};

}  // namespace orvane
