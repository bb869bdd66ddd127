// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a log into NMEA text: one character per byte, with every zero
// byte left out. A logger that lost power often leaves a run of zero bytes
// where its last write was cut; the sentences around it stay readable.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace orvane {

// Reads the file at path. With regularFileOnly, anything but a regular file
// (a directory, a FIFO, a device) is refused without blocking. On failure
// returns false and sets reason to the system's explanation. The number of
// zero bytes left out goes to zeroBytes when it is given.
bool ReadLogFile(const std::string& path, bool regularFileOnly, std::string& text, std::string& reason,
    size_t* zeroBytes = nullptr);

// A log's text as loaded from its file: a read-only mapping of the file
// when its bytes are the text as they are (a regular file without zero
// bytes), otherwise a copy without its zero bytes. A mapping costs neither
// a copy nor a written page; the text never grows, so it needs neither.
// Copies share one mapping.
class LoadedLog {
public:
    std::string_view View() const;
    bool Mapped() const { return m_Mapping != nullptr; }
    bool Empty() const { return View().empty(); }
    // Gives the mapping or the copy's memory back.
    void Clear();

private:
    friend bool ReadLogFile(const std::string&, bool, LoadedLog&, std::string&, size_t*);
    struct Mapping;
    std::shared_ptr<const Mapping> m_Mapping;
    std::string m_Copy;
};

// As above, into a LoadedLog: maps the file when it can be used as it is.
bool ReadLogFile(const std::string& path, bool regularFileOnly, LoadedLog& log, std::string& reason,
    size_t* zeroBytes = nullptr);

// Reads an open descriptor to its end.
bool ReadLogStream(int fd, std::string& text, std::string& reason, size_t* zeroBytes = nullptr);

// Appends bytes to text without their zero bytes; returns how many were left out.
size_t AppendWithoutZeros(std::string& text, std::string_view bytes);

}  // namespace orvane
