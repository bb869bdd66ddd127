// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dops.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "Earth.h"

namespace orvane::loggen {

namespace {

// The system time each group's ranges are measured in: GPS, GLONASS,
// Galileo, BeiDou, and GPS again for QZSS.
constexpr int kClockCount = 4;
constexpr int kClockOf[kGroupCount] = {0, 1, 2, 3, 0};

// Three position unknowns plus at most one clock per system time.
constexpr size_t kMaxUnknowns = 3 + kClockCount;
using Matrix = std::array<std::array<double, kMaxUnknowns>, kMaxUnknowns>;

// Symmetric positive definite inverse of the leading n x n block by
// Gauss-Jordan elimination; returns false if the matrix is singular.
bool Invert(Matrix& m, size_t n)
{
    Matrix inv{};
    for (size_t i = 0; i < n; ++i)
        inv[i][i] = 1.0;
    for (size_t col = 0; col < n; ++col) {
        size_t pivot = col;
        for (size_t r = col + 1; r < n; ++r)
            if (std::fabs(m[r][col]) > std::fabs(m[pivot][col]))
                pivot = r;
        if (std::fabs(m[pivot][col]) < 1e-12)
            return false;
        std::swap(m[pivot], m[col]);
        std::swap(inv[pivot], inv[col]);
        const double d = m[col][col];
        for (size_t c = 0; c < n; ++c) {
            m[col][c] /= d;
            inv[col][c] /= d;
        }
        for (size_t r = 0; r < n; ++r) {
            if (r == col)
                continue;
            const double f = m[r][col];
            if (f == 0.0)
                continue;
            for (size_t c = 0; c < n; ++c) {
                m[r][c] -= f * m[col][c];
                inv[r][c] -= f * inv[col][c];
            }
        }
    }
    m = inv;
    return true;
}

}  // namespace

Dops ComputeDops(const GroupLists& used)
{
    Matrix normal{};
    std::array<int, kClockCount> clockColumn;
    clockColumn.fill(-1);
    size_t columns = 3;
    for (int g = 0; g < kGroupCount; ++g)
        if (!used[g].empty() && clockColumn[kClockOf[g]] < 0)
            clockColumn[kClockOf[g]] = int(columns++);

    for (int g = 0; g < kGroupCount; ++g) {
        for (const Satellite* s : used[g]) {
            const double el = s->elevation * kDeg, az = s->azimuth * kDeg;
            std::array<double, kMaxUnknowns> row{};
            row[0] = -std::cos(el) * std::sin(az);
            row[1] = -std::cos(el) * std::cos(az);
            row[2] = -std::sin(el);
            row[size_t(clockColumn[kClockOf[g]])] = 1.0;
            for (size_t i = 0; i < columns; ++i)
                for (size_t j = 0; j < columns; ++j)
                    normal[i][j] += row[i] * row[j];
        }
    }
    Dops dops;
    if (!Invert(normal, columns)) {
        dops.pdop = dops.hdop = dops.vdop = 99.99;
        dops.qEast = dops.qNorth = 99.99 * 99.99 / 2.0;
        dops.qUp = 99.99 * 99.99;
        return dops;
    }
    dops.qEast = normal[0][0];
    dops.qNorth = normal[1][1];
    dops.qEastNorth = normal[0][1];
    dops.qUp = normal[2][2];
    dops.hdop = std::min(std::sqrt(normal[0][0] + normal[1][1]), 99.99);
    dops.vdop = std::min(std::sqrt(normal[2][2]), 99.99);
    dops.pdop = std::min(std::sqrt(normal[0][0] + normal[1][1] + normal[2][2]), 99.99);
    return dops;
}

}  // namespace orvane::loggen
