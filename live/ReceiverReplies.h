// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which received sentences answer a command, and which of them refuse it.
// Standard library only.
//
// Answers: MediaTek's acknowledgement $PMTK001, Quectel's $PQTM... and
// $PAIR001, any talker's TXT (the receiver's own messages: restarts,
// versions, errors), and the types the user names: a whole address
// ("PUBX", "GPGSA"), or a three-letter type ("GSA") of any talker.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The address of a sentence line: the characters after "$" up to the
// first "," or "*"; empty when the line is no sentence.
std::string_view SentenceAddress(std::string_view line);

// Names the user adds, from a text such as "PUBX, gsa GPGSV": upper-cased,
// split at blanks and commas.
std::vector<std::string> ParseReplyTypes(std::string_view text);

bool IsReply(std::string_view line, const std::vector<std::string>& extraTypes);

// The reason when the line refuses a command: $PMTK001 with flag 0
// (invalid), 1 (unsupported) or 2 (failed); $PAIR001 with result 2
// (failed), 3 (unsupported), 4 (wrong parameters) or 5 (busy); a $PQTM
// answer with ERROR. The command it names comes first, as "PMTK 103".
std::optional<std::string> Refusal(std::string_view line);

}  // namespace orvane
