// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A value kept with the number of sentences that set it: a reader that
// notes the count sees when the value goes stale.

#include <cstdint>

namespace orvane {

// A value and how many sentences have set it; never set while updates is 0.
template <class T>
struct Latest {
    T value{};
    uint64_t updates = 0;

    bool Known() const { return updates != 0; }
    void Set(const T& newValue)
    {
        value = newValue;
        ++updates;
    }
    // The value to change in place, counted as an update.
    T& Update()
    {
        ++updates;
        return value;
    }
};

}  // namespace orvane
