// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Line settings of a serial device: raw 8N1 at any speed.

namespace orvane {

// Applies raw mode, 8 data bits, no parity, one stop bit, no flow control
// and the speed (standard rates directly, others as a custom rate).
// Returns false when the device refuses them.
bool ApplySerialLineSettings(int fd, int bitsPerSecond);

// Raises DTR. Devices without modem lines (a pseudo-terminal) refuse it,
// which does not matter for a receiver that only sends.
void RaiseDtr(int fd);

}  // namespace orvane
