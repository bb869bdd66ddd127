// SPDX-License-Identifier: GPL-3.0-or-later
// The log check and the log reading: the input as a log file on disk. The
// file's text is its bytes without their zero bytes, and the check offers a
// talker only when its "$" + id and "$" + alias occur more than ten times.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzInput.h"
#include "replay/LogCheck.h"
#include "replay/LogText.h"

using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string expected;
    const size_t zeros = AppendWithoutZeros(expected, bytes);
    if (expected.size() + zeros != size || expected.find('\0') != std::string::npos)
        fuzz::Fail("zero bytes counted wrong");

    static const fuzz::ScratchFile scratch("log-");
    const std::string& path = scratch.path;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        fuzz::Fail("cannot write the scratch log");
    LoadedLog log;
    std::string reason;
    size_t zeroBytes = 0;
    if (!ReadLogFile(path, true, log, reason, &zeroBytes))
        fuzz::Fail("a regular file was refused");
    if (log.View() != expected || zeroBytes != zeros)
        fuzz::Fail("the loaded text differs from the bytes without zeros");

    LogSummary summary;
    const int32_t length = CheckLogText(log.View(), summary);
    if (length != (expected.size() > size_t(kMinimumLogLength) ? int32_t(expected.size()) : 0))
        fuzz::Fail("the check returned a wrong length");
    for (int row = 0; row < kTalkerCount; ++row) {
        size_t count = 0;
        for (const std::string_view id : {TalkerTable[size_t(row)].id, TalkerTable[size_t(row)].alias}) {
            if (id.empty())
                continue;
            std::string pattern(1, '$');
            pattern.append(id);
            for (size_t at = expected.find(pattern); at != std::string::npos; at = expected.find(pattern, at + 1))
                ++count;
        }
        const bool offered = length != 0 && count > size_t(kTalkerOccurrenceThreshold);
        if (summary.present[size_t(row)] != offered)
            fuzz::Fail("a talker offered against its count");
    }
    return 0;
}
