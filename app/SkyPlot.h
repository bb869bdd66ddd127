// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The polar sky plot: the zenith at the centre, rings at 0, 30 and 60
// degrees of elevation, north up and east to the right, one mark per
// satellite placed by azimuth and elevation, coloured by constellation,
// filled when used in the fix and sized by signal strength, its PRN beside
// it, and a legend of the constellations.

#include <QColor>
#include <QPointF>
#include <QWidget>

#include <vector>

#include "decoder/FixSummary.h"

namespace orvane {

// The colour of a talker row's constellation (both BeiDou talkers share one).
QColor ConstellationColour(Constellation constellation);

class SkyPlot : public QWidget {
    Q_OBJECT

public:
    explicit SkyPlot(QWidget* parent = nullptr);

    void SetSatellites(std::vector<SkySatellite> satellites);
    const std::vector<SkySatellite>& Satellites() const { return m_Satellites; }

    // The plot's geometry in widget pixels: the centre (the zenith), the
    // radius of the horizon ring, and where a direction lies.
    QPointF Centre() const;
    double HorizonRadius() const;
    QPointF PointAt(double elevation, double azimuth) const;

    QSize sizeHint() const override { return {420, 420}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<SkySatellite> m_Satellites;
};

}  // namespace orvane
