#pragma once
// Reading a log into NMEA text: one character per byte, with every zero
// byte left out. A logger that lost power often leaves a run of zero bytes
// where its last write was cut; the sentences around it stay readable.

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

// Reads the file at path. With regularFileOnly, anything but a regular file
// (a directory, a FIFO, a device) is refused without blocking. On failure
// returns false and sets reason to the system's explanation. The number of
// zero bytes left out goes to zeroBytes when it is given.
bool ReadLogFile(const std::string& path, bool regularFileOnly, std::string& text, std::string& reason,
    size_t* zeroBytes = nullptr);

// Reads an open descriptor to its end.
bool ReadLogStream(int fd, std::string& text, std::string& reason, size_t* zeroBytes = nullptr);

// Appends bytes to text without their zero bytes; returns how many were left out.
size_t AppendWithoutZeros(std::string& text, std::string_view bytes);

}  // namespace orvane
