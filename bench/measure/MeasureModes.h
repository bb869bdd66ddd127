// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// orvane-measure: modes for measuring and documenting the viewer, each
// running the real main window:
//   --screenshot PNG FILE   loads FILE, replays a few ticks, saves the
//                           window's picture to PNG and exits;
//   --measure-ticks N FILE  loads FILE and times N replay ticks at the
//                           fastest step with the signals shown, at the
//                           start, the middle and the end of the log;
//   --measure-map N         switches the map on, fills the track page with
//                           100 000 points and times N position updates;
//   --measure-first-position FILE  times the start until the first
//                           position of FILE is on the map page;
//   --map-screenshots DIR FILE N  replays N ticks of FILE with the map on
//                           and the satellites window shown, and saves
//                           both windows as PNG files in DIR;
//   --basemap-screenshot PNG FILE N  the same with maps/osm.html over
//                           test tiles (BaseMapShot.h);
//   --sky-screenshot PNG FILE N  replays N ticks of FILE with the Sky View
//                           open and saves that window's picture to PNG;
//   --exit-after-load [FILE] builds the window, loads FILE if given, and
//                           exits (for measuring peak memory).

#include <QStringList>
#include <QWidget>

#include <optional>

namespace orvane {

class COrvaneDlg;

// A control of the main window by its id, which is its object name.
template <class T>
T* Find(const QWidget& window, int id)
{
    return window.findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

// Runs the mode named in arguments, if any, and returns its exit status.
std::optional<int> RunMeasureMode(const QStringList& arguments);

// Presses Run, runs up to ticks replay ticks by hand and presses Run again
// when the replay still runs: the screenshots' way through a log.
void ReplayTicks(COrvaneDlg& dialog, int ticks);

}  // namespace orvane
