// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The keyboard rule of the program's own windows: a key press of Enter or
// Escape anywhere in such a window does nothing, so neither key closes or
// activates anything. Other windows (the About box, message boxes, file
// dialogs) keep their usual keys.

class QWidget;

namespace orvane {

void SwallowEnterAndEscape(QWidget* window);

}  // namespace orvane
