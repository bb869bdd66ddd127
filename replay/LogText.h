#pragma once
// Reading a log into NMEA text: one character per byte, ending at the first
// zero byte. Nothing past that byte is read.

#include <string>

namespace orvane {

// Reads the file at path. With regularFileOnly, anything but a regular file
// (a directory, a FIFO, a device) is refused without blocking. On failure
// returns false and sets reason to the system's explanation.
bool ReadLogFile(const std::string& path, bool regularFileOnly, std::string& text, std::string& reason);

// Reads an open descriptor to its end (or its first zero byte).
bool ReadLogStream(int fd, std::string& text, std::string& reason);

}  // namespace orvane
