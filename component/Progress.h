// The arithmetic of a generation's progress: rounding half to even, the schema share of the
// progress range, the relayed transfer percentages and the per-table values; 16-bit sums.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "component/ComError.h"

namespace korva::detail {

[[noreturn]] inline void throwOverflow(const std::string& what) {
    throw ComError(errors::Overflow, kComponentSource, "Overflow: " + what + ".");
}

// To the nearest integer, an exact half to the even neighbour (2.5 gives 2, 3.5 gives 4).
inline std::int32_t roundHalfEven(double x) {
    double f = std::floor(x);
    double d = x - f;
    if (d > 0.5 || (d == 0.5 && std::fmod(f, 2.0) != 0.0)) f += 1.0;
    if (!(f >= std::numeric_limits<std::int32_t>::min() && f <= std::numeric_limits<std::int32_t>::max()))
        throwOverflow("the value " + std::to_string(x) + " does not fit in 32 bits");
    return static_cast<std::int32_t>(f);
}

// Sum of two 16-bit counts, as a 16-bit value.
inline std::int16_t add16(std::int16_t a, std::int16_t b) {
    int sum = a + b;
    if (sum > 32767 || sum < -32768) throwOverflow("more than 32,767 objects are listed");
    return static_cast<std::int16_t>(sum);
}

// Share of the progress range given to schema scripting, in percent. Nothing at all to do
// (no objects and no Dependencies entries) is 0 / 0.
inline std::int32_t transferShare(std::int32_t objectTotal, std::int32_t entries) {
    std::int64_t all = static_cast<std::int64_t>(objectTotal) + entries;
    if (all == 0)
        throw ComError(errors::DivisionByZero, kComponentSource,
                       "Division by zero: no objects are listed and Dependencies is empty, so there is "
                       "nothing to script.");
    return roundHalfEven(static_cast<double>(objectTotal) / static_cast<double>(all) * 100.0);
}

// A transfer percentage p as reported: 5 plus p's part of the schema share (of 95 without
// data). The product is a 32-bit integer, the division and the addition floating point.
inline std::int32_t relayedPercent(std::int32_t p, bool dataWanted, std::int32_t share) {
    std::int64_t product = static_cast<std::int64_t>(p) * (dataWanted ? share : 95);
    if (product > std::numeric_limits<std::int32_t>::max() || product < std::numeric_limits<std::int32_t>::min())
        throwOverflow("the transfer reported " + std::to_string(p) + " percent");
    return roundHalfEven(static_cast<double>(product) / 100.0 + 5.0);
}

// After `done` of `total` tables: from the schema phase's last value towards 100, in
// proportion to the tables done.
inline std::int32_t tablePercent(std::int32_t lastPercent, std::int32_t done, std::int32_t total) {
    if (total <= 0) return lastPercent;
    return roundHalfEven(lastPercent + (100.0 - lastPercent) * done / total);
}

}  // namespace korva::detail
