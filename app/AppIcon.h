// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application icon: the title bar, the task bar and the About box.

#include <QIcon>

namespace orvane {

QIcon AppIcon();

}  // namespace orvane
