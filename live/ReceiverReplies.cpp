// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReceiverReplies.h"

namespace orvane {

namespace {

// The fields of a sentence line after its address, without the checksum.
std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    const size_t star = line.find('*');
    std::string_view body = line.substr(0, star);
    while (!body.empty() && (body.back() == '\r' || body.back() == '\n'))
        body.remove_suffix(1);
    for (size_t at = body.find(','); at != std::string_view::npos;) {
        const size_t next = body.find(',', at + 1);
        fields.push_back(body.substr(at + 1, next == std::string_view::npos ? next : next - at - 1));
        at = next;
    }
    return fields;
}

std::string Refused(std::string_view family, std::string_view command, std::string_view why)
{
    return std::string(family) + ' ' + std::string(command) + ": " + std::string(why);
}

}  // namespace

std::string_view SentenceAddress(std::string_view line)
{
    const size_t dollar = line.find('$');
    if (dollar == std::string_view::npos)
        return {};
    line.remove_prefix(dollar + 1);
    size_t end = 0;
    while (end < line.size() && line[end] != ',' && line[end] != '*' && line[end] != '\r' && line[end] != '\n')
        ++end;
    return line.substr(0, end);
}

std::vector<std::string> ParseReplyTypes(std::string_view text)
{
    std::vector<std::string> types;
    std::string name;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ' ';
        if (c == ' ' || c == ',' || c == '\t' || c == ';') {
            if (!name.empty())
                types.push_back(std::move(name));
            name.clear();
        } else {
            name += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
        }
    }
    return types;
}

bool IsReply(std::string_view line, const std::vector<std::string>& extraTypes)
{
    const std::string_view address = SentenceAddress(line);
    if (address.empty())
        return false;
    if (address == "PMTK001" || address == "PAIR001" || address.starts_with("PQTM"))
        return true;
    if (address.size() == 5 && address.substr(2) == "TXT")
        return true;
    for (const std::string& type : extraTypes) {
        if (address == type || (type.size() == 3 && address.size() == 5 && address.substr(2) == type))
            return true;
    }
    return false;
}

std::optional<std::string> Refusal(std::string_view line)
{
    const std::string_view address = SentenceAddress(line);
    if (address.empty())
        return std::nullopt;
    const std::vector<std::string_view> fields = Fields(line.substr(line.find('$')));
    if (address == "PMTK001" && fields.size() >= 2) {
        if (fields[1] == "0")
            return Refused("PMTK", fields[0], "invalid command");
        if (fields[1] == "1")
            return Refused("PMTK", fields[0], "unsupported command");
        if (fields[1] == "2")
            return Refused("PMTK", fields[0], "valid command, but the action failed");
        return std::nullopt;
    }
    if (address == "PAIR001" && fields.size() >= 2) {
        static constexpr std::string_view kWhy[] = {"failed", "not supported", "parameter error", "busy"};
        if (fields[1].size() == 1 && fields[1][0] >= '2' && fields[1][0] <= '5')
            return Refused("PAIR", fields[0], kWhy[fields[1][0] - '2']);
        return std::nullopt;
    }
    if (address.starts_with("PQTM") && !fields.empty() && fields[0] == "ERROR") {
        std::string why(address);
        why += ": error";
        if (fields.size() > 1) {
            why += ' ';
            why.append(fields[1]);
        }
        return why;
    }
    return std::nullopt;
}

}  // namespace orvane
