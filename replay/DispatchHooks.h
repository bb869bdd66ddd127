// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything the dispatcher reaches outside its own state. The main window
// implements these with its widgets, map and sockets; the batch decoder
// prints the lines and ignores the rest.

#include <cstdint>
#include <string_view>

#include "decoder/Records.h"

namespace orvane {

class DispatchHooks {
public:
    virtual ~DispatchHooks() = default;

    // Puts one line on top of the text view. One character per byte.
    virtual void AppendLine(std::string_view line) = 0;

    // The selected row of the Message list, -1 when none is selected.
    virtual int SelectedMessageRow() const = 0;

    // Moves the replay slider (0 to 10000).
    virtual void MoveSlider(int32_t /*value*/) { }

    // Moves the map to a position in signed degrees with a heading.
    virtual void UpdateMapPosition(double /*latitude*/, double /*longitude*/, double /*heading*/) { }

    // Sends the position line to the upload server and the forwarding clients.
    virtual void SendPosition(double /*latitude*/, double /*longitude*/, double /*heading*/) { }

    // The satellites window exists and takes one talker row's slots.
    virtual bool SatellitesWindowExists() const { return false; }
    virtual void UpdateSignals(int /*talkerRow*/, const SatelliteTable::Row& /*slots*/) { }
};

}  // namespace orvane
