// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Buffered output of lines held one character per byte (Latin-1), written
// as UTF-8, each ended by "\n".

#include <cstdio>
#include <string>
#include <string_view>

namespace orvane {

class LineWriter {
public:
    explicit LineWriter(std::FILE* stream) : m_Stream(stream) { m_Buffer.reserve(kFlushSize + 4096); }
    ~LineWriter() { Finish(); }

    void WriteLine(std::string_view latin1);

    // Writes out what is buffered; false when any write failed.
    bool Finish();

private:
    // Written in large blocks: few write calls, each far beyond stdio's buffer.
    static constexpr size_t kFlushSize = 1 << 20;
    void Flush();

    std::FILE* m_Stream;
    std::string m_Buffer;
    bool m_Failed = false;
};

}  // namespace orvane
