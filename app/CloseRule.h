// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The closing rule of the secondary windows, which have no close box.

class QWidget;

namespace orvane {

// The window stays open when the window manager asks it to close (Alt+F4,
// a taskbar's close): only the program's buttons show and hide it, so
// their captions and flags always tell the truth.
void IgnoreCloseRequests(QWidget* window);

}  // namespace orvane
