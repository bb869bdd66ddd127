// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Room in a vector that grows for as long as a live session runs. It grows
// by an eighth rather than doubling: a session of days keeps at most an
// eighth more memory than its records need, for a few more copies while it
// grows (each element is copied about eight times over the session, a
// fraction of a second in a day).

#include <algorithm>
#include <cstddef>
#include <vector>

namespace orvane {

// Room for count more elements.
template <class T>
void ReserveForMore(std::vector<T>& records, size_t count)
{
    if (records.size() + count > records.capacity())
        records.reserve(std::max(records.size() + count, records.capacity() + records.capacity() / 8));
}

}  // namespace orvane
