// SPDX-License-Identifier: GPL-3.0-or-later
#include "Random.h"

namespace orvane::loggen {

uint64_t SplitMix64(uint64_t& state)
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double FixedFraction(uint64_t key)
{
    uint64_t state = key * 0x2545F4914F6CDD1DULL + 0x1234567ULL;
    return double(SplitMix64(state) >> 11) * 0x1.0p-53;
}

Rng::Rng(uint64_t seed)
{
    uint64_t mixer = seed;
    for (auto& word : m_State)
        word = SplitMix64(mixer);
}

}  // namespace orvane::loggen
