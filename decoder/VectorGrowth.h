// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Room in a vector that grows for as long as a live session runs. It grows
// by a quarter rather than doubling: a session of days keeps at most a
// quarter more memory than its records need, for a few more copies while
// it grows.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace orvane {

// Room for count more elements.
template <class T>
void ReserveForMore(std::vector<T>& records, size_t count)
{
    if (records.size() + count > records.capacity())
        records.reserve(std::max(records.size() + count, records.capacity() + records.capacity() / 4));
}

}  // namespace orvane
