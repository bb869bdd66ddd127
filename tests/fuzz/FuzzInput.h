// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Takes the choices of a fuzz run (modes, rows, lengths) from the front of
// its input and leaves the rest as the bytes under test.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace orvane::fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_Rest(reinterpret_cast<const char*>(data), size) { }

    // The next byte, 0 once the input is used up.
    uint8_t Byte()
    {
        if (m_Rest.empty())
            return 0;
        const auto byte = static_cast<uint8_t>(m_Rest.front());
        m_Rest.remove_prefix(1);
        return byte;
    }

    // Up to count bytes from the front.
    std::string_view Bytes(size_t count)
    {
        const std::string_view taken = m_Rest.substr(0, count);
        m_Rest.remove_prefix(taken.size());
        return taken;
    }

    std::string_view Rest() const { return m_Rest; }
    bool Empty() const { return m_Rest.empty(); }

private:
    std::string_view m_Rest;
};

// A scratch file or folder of this process in TMPDIR (or /tmp), removed
// when the process ends.
struct ScratchFile {
    explicit ScratchFile(const char* stem)
    {
        const char* folder = std::getenv("TMPDIR");
        path = std::string(folder && *folder ? folder : "/tmp") + "/orvane-fuzz-" + stem + std::to_string(::getpid());
    }
    ~ScratchFile()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

// Stops the run with a report the fuzzer records as a crash.
[[noreturn]] void Fail(const char* what);

}  // namespace orvane::fuzz
