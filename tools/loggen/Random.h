// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pseudo-random numbers for the simulation: splitmix64 to seed, xoshiro256**
// to draw. Both are fixed integer recipes, so a seed gives the same numbers
// on every compiler and library.

#include <array>
#include <cstdint>

namespace orvane::loggen {

// One step of splitmix64: advances state and returns a well-mixed word.
uint64_t SplitMix64(uint64_t& state);

// A fixed pseudo-random fraction in [0, 1) for a key. Used for properties of
// the world that must not depend on the seed (satellite slots, receiver
// antenna gain per satellite).
double FixedFraction(uint64_t key);

class Rng {
public:
    explicit Rng(uint64_t seed);

    uint64_t Next()
    {
        const uint64_t result = Rotl(m_State[1] * 5, 7) * 9;
        const uint64_t t = m_State[1] << 17;
        m_State[2] ^= m_State[0];
        m_State[3] ^= m_State[1];
        m_State[1] ^= m_State[2];
        m_State[0] ^= m_State[3];
        m_State[2] ^= t;
        m_State[3] = Rotl(m_State[3], 45);
        return result;
    }

    // Uniform in [0, 1).
    double Uniform() { return double(Next() >> 11) * 0x1.0p-53; }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    int Below(int n) { return int(Next() % uint64_t(n)); }

    // Approximately standard normal: sum of four uniforms, rescaled. Bounded
    // to about +-3.5 sigma, which suits noise models, and needs no libm.
    double Gauss()
    {
        double sum = Uniform();  // one draw per statement: a fixed order
        sum += Uniform();
        sum += Uniform();
        sum += Uniform();
        return (sum - 2.0) * 1.7320508075688772;
    }

private:
    static uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::array<uint64_t, 4> m_State{};
};

}  // namespace orvane::loggen
