// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-measure: timings, peak memory and the README's pictures of the
// real viewer window. See MeasureModes.h for the modes.

#include <QApplication>

#include <cstdio>

#include "EmbeddedBrowser.h"
#include "MeasureModes.h"

int main(int argc, char** argv)
{
    orvane::PrepareEmbeddedBrowser();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    if (const std::optional<int> status = orvane::RunMeasureMode(QApplication::arguments()))
        return *status;
    std::fputs(
        "usage: orvane-measure --screenshot PNG FILE | --measure-ticks N FILE | --measure-map N |\n"
        "       --measure-first-position FILE | --map-screenshots DIR FILE N | --exit-after-load [FILE] |\n"
        "       --basemap-screenshot PNG FILE N\n"

        "       --sky-screenshot PNG FILE N\n",
        stderr);
    return 2;
}
