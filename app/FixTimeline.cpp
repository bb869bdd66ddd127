// SPDX-License-Identifier: GPL-3.0-or-later
#include "FixTimeline.h"

#include <QPainter>

#include <algorithm>
#include <utility>

namespace orvane {

namespace {

constexpr int kBarHeight = 18;

}  // namespace

FixTimeline::FixTimeline(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(kBarHeight + fontMetrics().height() + 6);
}

QSize FixTimeline::sizeHint() const
{
    return {400, kBarHeight + fontMetrics().height() + 6};
}

QColor FixTimeline::ColourOf(FixClass fix)
{
    switch (fix) {
    case FixClass::RtkFixed:
        return QColor(0x2e, 0xa0, 0x43);
    case FixClass::RtkFloat:
        return QColor(0xf0, 0x8c, 0x00);
    case FixClass::Dgps:
        return QColor(0x1f, 0x6f, 0xd0);
    case FixClass::None:
        return QColor(0xd0, 0x30, 0x30);
    default:
        return QColor(0x90, 0x90, 0x90);
    }
}

void FixTimeline::SetStretches(std::vector<FixStretch> stretches)
{
    m_Stretches = std::move(stretches);
    update();
}

void FixTimeline::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect bar(0, 0, width() - 1, kBarHeight);
    painter.fillRect(bar, palette().base());
    if (!m_Stretches.empty()) {
        const int64_t from = m_Stretches.front().fromMs;
        // A stretch lasts until the next one starts; the last one a second
        // past its last epoch, so that a lone epoch shows.
        const int64_t to = std::max(m_Stretches.back().toMs + 1000, from + 1);
        const auto x = [&](int64_t ms) { return int(double(ms - from) / double(to - from) * bar.width()); };
        for (size_t k = 0; k < m_Stretches.size(); ++k) {
            const int64_t end = k + 1 < m_Stretches.size() ? m_Stretches[k + 1].fromMs : to;
            const int left = x(m_Stretches[k].fromMs);
            painter.fillRect(QRect(left, 0, std::max(1, x(end) - left), kBarHeight), ColourOf(m_Stretches[k].fix));
        }
    }
    painter.setPen(palette().windowText().color());
    painter.drawRect(bar);
    int left = 0;
    const int top = kBarHeight + 4;
    for (const auto& [fix, name] : {std::pair{FixClass::RtkFixed, "RTK fixed"}, std::pair{FixClass::RtkFloat, "float"},
             std::pair{FixClass::Dgps, "DGPS"}, std::pair{FixClass::ThreeD, "other fix"},
             std::pair{FixClass::None, "no fix"}}) {
        const int box = fontMetrics().height() - 4;
        painter.fillRect(QRect(left, top + 2, box, box), ColourOf(fix));
        left += box + 4;
        painter.drawText(QPoint(left, top + fontMetrics().ascent()), QString::fromLatin1(name));
        left += fontMetrics().horizontalAdvance(QString::fromLatin1(name)) + 12;
    }
}

}  // namespace orvane
