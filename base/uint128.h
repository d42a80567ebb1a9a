// A 128-bit unsigned number as two 64-bit halves: the NVMe health log counts
// in 16-byte fields, and every count is shown exactly. Portable C++ (no
// compiler extension), so that every build gets the same digits.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace qm {

struct UInt128 {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    friend bool operator==(const UInt128&, const UInt128&) = default;
    friend auto operator<=>(const UInt128& a, const UInt128& b) {
        return a.high != b.high ? a.high <=> b.high : a.low <=> b.low;
    }
};

// The 16 bytes at the start of `bytes`, least significant first; the caller
// makes sure there are 16.
UInt128 LoadLe128(std::span<const std::uint8_t> bytes);

// The number in decimal, without grouping or leading zeros: "0" to
// "340282366920938463463374607431768211455".
std::string ToDecimal(UInt128 value);

}  // namespace qm
