// SPDX-License-Identifier: GPL-3.0-or-later
#include "CloseRule.h"

#include <QEvent>
#include <QWidget>

namespace orvane {

namespace {

class CloseRequestFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Close || watched != parent())
            return false;
        event->ignore();
        return true;
    }
};

}  // namespace

void IgnoreCloseRequests(QWidget* window)
{
    window->installEventFilter(new CloseRequestFilter(window));
}

}  // namespace orvane
