// SPDX-License-Identifier: GPL-3.0-or-later
// Commands typed and answers received: the input as a typed command goes
// through the command rule, and each of its lines through the answer and
// refusal checks. A command made ends as its kind says, and its recording
// mark is one line without a "$".

#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "live/ReceiverCommand.h"
#include "live/ReceiverReplies.h"

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ReceiverCommand command = MakeReceiverCommand(text);
    if (command.Ok()) {
        if (command.bytes.empty())
            fuzz::Fail("a command without bytes");
        if (command.kind != ReceiverCommand::Kind::Hex && !command.bytes.ends_with("\r\n"))
            fuzz::Fail("a text command without CR LF");
        if (command.kind == ReceiverCommand::Kind::Nmea && command.bytes.front() != '$')
            fuzz::Fail("a sentence that does not start with $");
        const std::string mark = RecordingMark(command, "2026-12-08T00:00:00.000Z");
        if (mark.find('$') != std::string::npos || !mark.ends_with("\r\n") || mark.find('\n') != mark.size() - 1 ||
            mark.find('\r') != mark.size() - 2)
            fuzz::Fail("a mark that is not one line without $");
        CommandDisplayText(command);
    } else if (!command.bytes.empty()) {
        fuzz::Fail("a refused command with bytes");
    }
    const std::vector<std::string> types = ParseReplyTypes(text.substr(0, 64));
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        IsReply(line, types);
        Refusal(line);
        at = end + 1;
    }
    return 0;
}
