// Multi-byte numbers in byte buffers: little-endian, as ATA sectors and the
// command block hold them, and big-endian, as the dump file's section
// lengths are written. The caller makes sure the bytes are there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace qm {

// The number in `bytes` (at most 8 of them), least significant byte first.
constexpr std::uint64_t LoadLittleEndian(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i > 0; --i) value = value << 8 | bytes[i - 1];
    return value;
}

// The low bytes.size() bytes of `value`, least significant byte first.
constexpr void StoreLittleEndian(std::span<std::uint8_t> bytes, std::uint64_t value) {
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
}

// The number in `bytes` (at most 8 of them), most significant byte first.
constexpr std::uint64_t LoadBigEndian(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (const std::uint8_t byte : bytes) value = value << 8 | byte;
    return value;
}

// The low bytes.size() bytes of `value`, most significant byte first.
constexpr void StoreBigEndian(std::span<std::uint8_t> bytes, std::uint64_t value) {
    for (std::size_t i = bytes.size(); i > 0; --i) {
        bytes[i - 1] = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
}

// The 16- and 32-bit little-endian fields at byte `offset`.
constexpr std::uint16_t LoadLe16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(LoadLittleEndian(bytes.subspan(offset, 2)));
}
constexpr std::uint32_t LoadLe32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(LoadLittleEndian(bytes.subspan(offset, 4)));
}
constexpr void StoreLe16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    StoreLittleEndian(bytes.subspan(offset, 2), value);
}
constexpr void StoreLe32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    StoreLittleEndian(bytes.subspan(offset, 4), value);
}

}  // namespace qm
