// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A strip of the fix kinds over the session: time runs left to right over
// the whole span of the timeline's stretches, each stretch drawn in its
// fix kind's colour (RTK fixed green, RTK float orange, DGPS blue, the
// other fixes grey, no fix red), with a legend beneath.

#include <QWidget>

#include <vector>

#include "analysis/RtkProgress.h"

namespace orvane {

class FixTimeline : public QWidget {
    Q_OBJECT
public:
    explicit FixTimeline(QWidget* parent);
    void SetStretches(std::vector<FixStretch> stretches);
    const std::vector<FixStretch>& Stretches() const { return m_Stretches; }
    static QColor ColourOf(FixClass fix);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<FixStretch> m_Stretches;
};

}  // namespace orvane
