// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A log is read through a read-only mapping of its file. Should another
// program cut the file short while it is mapped, reading the lost pages
// would raise SIGBUS and end the program. The guard answers that signal for
// the mapped logs it knows: the lost page is replaced by a page of zero
// bytes and the read goes on. A SIGBUS anywhere else takes its usual course.

#include <cstddef>

namespace orvane {

// Registers [address, address + size) while a log is mapped there; false
// when the guard's table is full (the mapping is then not used).
bool GuardMappedLog(const void* address, size_t size);
void ReleaseMappedLog(const void* address);

}  // namespace orvane
