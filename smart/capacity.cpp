#include "smart/capacity.h"

#include <limits>

namespace qm {
namespace {

using Wide = __int128;

constexpr Wide kWideMax = std::numeric_limits<Wide>::max();

Wide SaturatingMultiply(Wide a, Wide b) {
    Wide r = 0;
    if (__builtin_mul_overflow(a, b, &r)) return (a < 0) != (b < 0) ? -kWideMax : kWideMax;
    return r;
}

std::string Digits(unsigned __int128 v) {
    std::string s;
    do {
        s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
        v /= 10;
    } while (v != 0);
    return s;
}

// Thousands grouped with ",", as the default number format writes them.
std::string Grouped(unsigned __int128 v) {
    const std::string digits = Digits(v);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace

std::string FormatCapacity(const DiskGeometry& g) {
    Wide size = SaturatingMultiply(g.cylinders, g.tracksPerCylinder);
    size = SaturatingMultiply(size, g.sectorsPerTrack);
    size = SaturatingMultiply(size, g.bytesPerSector);

    int shift = 40;
    const char* suffix = " TB";
    if (size < (Wide{1} << 20)) {
        shift = 10;
        suffix = " KB";
    } else if (size < (Wide{1} << 30)) {
        shift = 20;
        suffix = " MB";
    } else if (size < (Wide{1} << 40)) {
        shift = 30;
        suffix = " GB";
    }

    // Hundredths of the unit, rounded half away from zero, in exact integers.
    const bool negative = size < 0;
    unsigned __int128 magnitude = negative ? static_cast<unsigned __int128>(-(size + 1)) + 1
                                           : static_cast<unsigned __int128>(size);
    unsigned __int128 hundredths;
    if (magnitude > std::numeric_limits<unsigned __int128>::max() / 100) {
        hundredths = (magnitude >> shift) * 100;  // too large for the exact route; cents lost
    } else {
        hundredths = (magnitude * 100 + (static_cast<unsigned __int128>(1) << (shift - 1))) >> shift;
    }
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
    if (slot < 0 || slot >= kSlotCount) return std::nullopt;
    const std::optional<DiskGeometry> geometry = provider.QueryDriveGeometry(slot);
    if (!geometry) return std::nullopt;
    return FormatCapacity(*geometry);
}

}  // namespace qm
