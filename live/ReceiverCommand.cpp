// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReceiverCommand.h"

#include "decoder/FieldConvert.h"
#include "decoder/SentenceChecksum.h"

namespace orvane {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r' || text.front() == '\n'))
        text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

bool StartsWithHexPrefix(std::string_view text)
{
    if (text.size() < 4 || text[3] != ':')
        return false;
    for (size_t i = 0; i < 3; ++i) {
        const char c = char(text[i] | 0x20);
        if (c != "hex"[i])
            return false;
    }
    return true;
}

std::string HexOf(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += kHexDigits[(uint8_t(c) >> 4) & 0xf];
        out += kHexDigits[uint8_t(c) & 0xf];
    }
    return out;
}

ReceiverCommand Failed(ReceiverCommand::Kind kind, std::string error)
{
    ReceiverCommand command;
    command.kind = kind;
    command.error = std::move(error);
    return command;
}

ReceiverCommand HexCommand(std::string_view digits)
{
    ReceiverCommand command;
    command.kind = ReceiverCommand::Kind::Hex;
    int high = -1;
    for (size_t i = 0; i < digits.size(); ++i) {
        const char c = digits[i];
        if (IsBlank(c)) {
            if (high >= 0)
                return Failed(command.kind,
                    "hex: a byte needs two digits (at character " + std::to_string(i + 4) + ")");
            continue;
        }
        const int value = HexValue(c);
        if (value < 0)
            return Failed(command.kind,
                std::string("hex: '") + c + "' is not a hex digit (at character " + std::to_string(i + 5) + ")");
        if (high < 0) {
            high = value;
        } else {
            command.bytes += char(high << 4 | value);
            high = -1;
        }
    }
    if (high >= 0)
        return Failed(command.kind, "hex: an odd number of digits");
    if (command.bytes.empty())
        return Failed(command.kind, "hex: no bytes given");
    return command;
}

ReceiverCommand NmeaCommand(std::string_view text)
{
    ReceiverCommand command;
    command.kind = ReceiverCommand::Kind::Nmea;
    const size_t star = text.find('*');
    if (star == std::string_view::npos || star + 1 == text.size()) {
        const std::string_view body = text.substr(0, star);
        if (body.size() < 2)
            return Failed(command.kind, "nothing after the $");
        command.bytes.assign(body);
        AppendChecksum(command.bytes, body.substr(1));
    } else {
        if (text.size() != star + 3 || HexValue(text[star + 1]) < 0 || HexValue(text[star + 2]) < 0)
            return Failed(command.kind, "a '*' must end the sentence or be followed by its two hex checksum digits");
        command.bytes.assign(text);
    }
    command.bytes += "\r\n";
    return command;
}

}  // namespace

ReceiverCommand MakeReceiverCommand(std::string_view typed)
{
    const std::string_view text = Trimmed(typed);
    if (text.empty())
        return Failed(ReceiverCommand::Kind::Text, "nothing to send");
    if (StartsWithHexPrefix(text))
        return HexCommand(text.substr(4));
    if (text.front() == '$')
        return NmeaCommand(text);
    ReceiverCommand command;
    command.bytes.assign(text);
    command.bytes += "\r\n";
    return command;
}

std::string CommandDisplayText(const ReceiverCommand& command)
{
    switch (command.kind) {
    case ReceiverCommand::Kind::Hex:
        return "hex: " + HexOf(command.bytes);
    case ReceiverCommand::Kind::Nmea:
    case ReceiverCommand::Kind::Text:
        break;
    }
    return std::string(Trimmed(command.bytes));
}

std::string RecordingMark(const ReceiverCommand& command, std::string_view utcTime)
{
    std::string mark = "# ";
    mark.append(utcTime);
    mark += " sent ";
    const std::string_view line = Trimmed(command.bytes);
    const auto plain = [](std::string_view text) {
        for (const char c : text) {
            if (c == '$' || uint8_t(c) < 0x20 || uint8_t(c) >= 0x7f)
                return false;
        }
        return true;
    };
    if (command.kind == ReceiverCommand::Kind::Nmea && plain(line.substr(1)))
        mark += "NMEA " + std::string(line.substr(1));
    else if (command.kind == ReceiverCommand::Kind::Text && plain(line))
        mark += "text " + std::string(line);
    else
        mark += "hex " + HexOf(command.bytes);
    mark += "\r\n";
    return mark;
}

}  // namespace orvane
