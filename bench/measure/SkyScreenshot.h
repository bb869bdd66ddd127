// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// orvane-measure --sky-screenshot PNG FILE N: replays N ticks of FILE with
// the Sky View window open and saves the window's picture to PNG.

#include <QString>

namespace orvane {

int SkyViewScreenshot(const QString& png, const QString& file, int ticks);

}  // namespace orvane
