#include "base/uint128.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "base/bytes.h"

namespace qm {

UInt128 LoadLe128(std::span<const std::uint8_t> bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        UInt128 value;
        std::memcpy(&value.low, bytes.data(), 8);
        std::memcpy(&value.high, bytes.data() + 8, 8);
        return value;
    }
    return UInt128{LoadLittleEndian(bytes.subspan(0, 8)), LoadLittleEndian(bytes.subspan(8, 8))};
}

std::string ToDecimal(UInt128 value) {
    // Long division by 10^9, one 32-bit limb at a time: a remainder below
    // 10^9 < 2^30 shifted by 32 bits plus a limb fits in 64 bits.
    constexpr std::uint64_t kChunk = 1'000'000'000;
    std::array<std::uint32_t, 4> limbs{static_cast<std::uint32_t>(value.high >> 32),
                                       static_cast<std::uint32_t>(value.high),
                                       static_cast<std::uint32_t>(value.low >> 32),
                                       static_cast<std::uint32_t>(value.low)};
    const auto isZero = [&limbs] { return std::all_of(limbs.begin(), limbs.end(), [](std::uint32_t l) { return l == 0; }); };
    std::string digits;  // least significant first
    do {
        std::uint64_t remainder = 0;
        for (std::uint32_t& limb : limbs) {
            const std::uint64_t current = remainder << 32 | limb;
            limb = static_cast<std::uint32_t>(current / kChunk);
            remainder = current % kChunk;
        }
        for (int i = 0; i < 9; ++i) {
            digits += static_cast<char>('0' + remainder % 10);
            remainder /= 10;
        }
    } while (!isZero());
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::reverse(digits.begin(), digits.end());
    return digits;
}

}  // namespace qm
