#include "smart/capacity.h"

#include <cstdint>
#include <limits>

namespace qm {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

// a x b, or the largest value when the product does not fit (16 EiB: far
// beyond any disk, so the text then stays in TB and is merely too small).
std::uint64_t SaturatingMultiply(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > kMax / a) return kMax;
    return a * b;
}

// Thousands grouped with ",", as the default number format writes them.
std::string Grouped(std::uint64_t v) {
    const std::string digits = std::to_string(v);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace

std::string FormatCapacity(const DiskGeometry& g) {
    // The sign comes from the cylinder count alone (the other three are unsigned).
    const bool negative = g.cylinders < 0;
    const std::uint64_t cylinders = negative ? 0 - static_cast<std::uint64_t>(g.cylinders)
                                             : static_cast<std::uint64_t>(g.cylinders);
    std::uint64_t size = SaturatingMultiply(cylinders, g.tracksPerCylinder);
    size = SaturatingMultiply(size, g.sectorsPerTrack);
    size = SaturatingMultiply(size, g.bytesPerSector);

    // Units by strict comparison; a negative size is below 2^20, so it is shown in KB.
    int shift = 40;
    const char* suffix = " TB";
    if (negative || size < (std::uint64_t{1} << 20)) {
        shift = 10;
        suffix = " KB";
    } else if (size < (std::uint64_t{1} << 30)) {
        shift = 20;
        suffix = " MB";
    } else if (size < (std::uint64_t{1} << 40)) {
        shift = 30;
        suffix = " GB";
    }

    // Hundredths of the unit, rounded half away from zero, in exact integers:
    // whole units times 100 plus the rounded hundredths of the remainder.
    const std::uint64_t unit = std::uint64_t{1} << shift;
    const std::uint64_t whole = size >> shift;
    const std::uint64_t rest = size & (unit - 1);
    const std::uint64_t hundredths = whole * 100 + ((rest * 100 + unit / 2) >> shift);

    std::string text = negative && hundredths != 0 ? "-" : "";
    text += Grouped(hundredths / 100);
    text += '.';
    const int cents = static_cast<int>(hundredths % 100);
    text += static_cast<char>('0' + cents / 10);
    text += static_cast<char>('0' + cents % 10);
    text += suffix;
    return text;
}

std::optional<std::string> DriveCapacityText(DriveProvider& provider, DriveSlot slot) {
    if (!IsValidSlot(slot)) return std::nullopt;
    const std::optional<DiskGeometry> geometry = provider.QueryDriveGeometry(slot);
    if (!geometry) return std::nullopt;
    return FormatCapacity(*geometry);
}

}  // namespace qm
