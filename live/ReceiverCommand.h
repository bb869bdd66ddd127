// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a typed command line sends to a receiver, and how a sent command is
// marked in a recording. Standard library only.
//
//   "$PMTK101"        -> "$PMTK101*32\r\n": the checksum and CR LF added
//   "$PMTK101*32"     -> "$PMTK101*32\r\n": a checksum given is kept as typed
//   "hex: B5 62 06 04" -> the bytes B5 62 06 04, nothing added (UBX and other
//                        binary commands); blanks between bytes are optional
//   any other text    -> the text and CR LF
//
// Line ends typed or pasted at the end of the text are dropped first and CR
// LF added once. A command that cannot be made (empty, bad hex, a "*" not
// followed by two hex digits) sends nothing and says why.

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

struct ReceiverCommand {
    enum class Kind : uint8_t { Nmea, Hex, Text };

    Kind kind = Kind::Text;
    std::string bytes;  // exactly what goes to the receiver
    std::string error;  // empty when bytes can be sent

    bool Ok() const { return error.empty(); }
};

ReceiverCommand MakeReceiverCommand(std::string_view typed);

// How a command reads in the text view: the sentence without its line end,
// "hex: B5 62 ..." for bytes, or the text.
std::string CommandDisplayText(const ReceiverCommand& command);

// The line a recording gets for a sent command, CR LF included:
//   "# 2026-12-07T23:59:01.123Z sent NMEA PMTK101*32"
//   "# 2026-12-07T23:59:01.123Z sent hex B5 62 06 04"
//   "# 2026-12-07T23:59:01.123Z sent text RESET"
// The sentence's "$" is left out, and a text holding a "$" or a control
// byte is written as hex, so that no reader of the recording ever finds a
// sentence in the line: a replay decodes exactly what was received.
// utcTime is the time of the send, as written.
std::string RecordingMark(const ReceiverCommand& command, std::string_view utcTime);

}  // namespace orvane
