// SPDX-License-Identifier: GPL-3.0-or-later
#include "DialogTemplate.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include <cmath>

#include "AppIcon.h"

namespace orvane {

namespace {

// Rounds a * b / c to the nearest integer, as dialog unit conversion does.
int MulDiv(int a, int b, int c)
{
    return int(std::lround(double(a) * double(b) / double(c)));
}

QWidget* CreateControl(QWidget* parent, const ControlTemplate& t)
{
    const QString caption = QString::fromUtf8(t.caption);
    switch (t.kind) {
    case ControlKind::TrackBar: {
        auto* slider = new QSlider(Qt::Horizontal, parent);
        slider->setTickPosition(QSlider::TicksBelow);
        return slider;
    }
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::PushLikeCheckBox: {
        auto* button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        button->setDefault(t.kind == ControlKind::DefaultPushButton);
        button->setCheckable(t.kind == ControlKind::PushLikeCheckBox);
        return button;
    }
    case ControlKind::RightLabel:
    case ControlKind::CentredLabel: {
        auto* label = new QLabel(caption, parent);
        label->setAlignment(Qt::AlignVCenter | (t.kind == ControlKind::RightLabel ? Qt::AlignRight : Qt::AlignHCenter));
        return label;
    }
    case ControlKind::DropDownCombo:
        return new QComboBox(parent);
    case ControlKind::BrowserPlaceholder: {
        auto* frame = new QFrame(parent);
        frame->setFrameShape(QFrame::StyledPanel);
        frame->setFrameShadow(QFrame::Sunken);
        return frame;
    }
    case ControlKind::ReadOnlyTextView: {
        auto* view = new QPlainTextEdit(parent);
        view->setReadOnly(true);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        view->setUndoRedoEnabled(false);
        return view;
    }
    case ControlKind::LineEdit:
        return new QLineEdit(parent);
    case ControlKind::VerticalProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setOrientation(Qt::Vertical);
        bar->setTextVisible(false);
        return bar;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(caption, parent);
    case ControlKind::Icon: {
        auto* label = new QLabel(parent);
        label->setPixmap(AppIcon().pixmap(32, 32));
        label->setAlignment(Qt::AlignCenter);
        return label;
    }
    }
    return nullptr;
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font)
{
    // The average width of the 52 Latin letters, as the dialog manager
    // measures it.
    const QFontMetricsF metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_BaseX = std::max(1, int(std::lround(metrics.horizontalAdvance(letters) / letters.size())));
    m_BaseY = std::max(1, int(std::lround(metrics.height())));
}

QRect DialogUnits::ToPixels(int x, int y, int w, int h) const
{
    const int left = MulDiv(x, m_BaseX, 4);
    const int top = MulDiv(y, m_BaseY, 8);
    return QRect(left, top, MulDiv(x + w, m_BaseX, 4) - left, MulDiv(y + h, m_BaseY, 8) - top);
}

QSize DialogUnits::ToPixels(int w, int h) const
{
    return QSize(MulDiv(w, m_BaseX, 4), MulDiv(h, m_BaseY, 8));
}

QFont DialogFont(int pointSize)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(pointSize);
    return font;
}

QHash<int, QWidget*> CreateControls(QWidget* parent, std::span<const ControlTemplate> controls,
    const DialogUnits& units)
{
    QHash<int, QWidget*> byId;
    for (const ControlTemplate& t : controls) {
        QWidget* control = CreateControl(parent, t);
        QRect place = units.ToPixels(t.x, t.y, t.w, t.h);
        // A drop-down combo's height in the table includes its open list;
        // closed it is as tall as its font needs.
        if (t.kind == ControlKind::DropDownCombo)
            place.setHeight(control->sizeHint().height());
        // A label whose text is wider than its place here grows away from
        // its alignment edge, so its text is never cut.
        if (t.kind == ControlKind::RightLabel || t.kind == ControlKind::CentredLabel) {
            const int extra = control->sizeHint().width() - place.width();
            if (extra > 0) {
                if (t.kind == ControlKind::RightLabel)
                    place.setLeft(place.left() - extra);
                else
                    place.adjust(-extra / 2, 0, extra - extra / 2, 0);
            }
        }
        control->setGeometry(place);
        control->setEnabled(!t.disabled);
        if (t.id != kNoControlId) {
            control->setObjectName(QString::number(t.id));
            byId.insert(t.id, control);
        }
    }
    return byId;
}

QHash<int, QWidget*> SetUpTemplateWindow(QWidget* window, const QString& title, int pointSize, QSize size,
    std::span<const ControlTemplate> controls)
{
    window->setWindowTitle(title);
    const QFont font = DialogFont(pointSize);
    window->setFont(font);
    const DialogUnits units(font);
    window->setFixedSize(units.ToPixels(size.width(), size.height()));
    return CreateControls(window, controls, units);
}

}  // namespace orvane
