// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyRule.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

namespace orvane {

namespace {

constexpr char kProperty[] = "orvaneSwallowsEnterEscape";

// Sees every event of the application before its receiver does, as a
// message loop's pre-translation would.
class EnterEscapeFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape)
            return false;
        const QWidget* window = static_cast<QWidget*>(watched)->window();
        return window && window->property(kProperty).toBool();
    }
};

}  // namespace

void SwallowEnterAndEscape(QWidget* window)
{
    window->setProperty(kProperty, true);
    static QPointer<EnterEscapeFilter> filter;
    if (!filter) {
        filter = new EnterEscapeFilter(qApp);
        qApp->installEventFilter(filter);
    }
}

}  // namespace orvane
