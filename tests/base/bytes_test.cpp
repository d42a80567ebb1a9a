// Byte-order loads and stores: the field widths the sectors, the command
// block and the dump file use.
#include <gtest/gtest.h>

#include <array>

#include "base/bytes.h"

namespace qm {
namespace {

constexpr std::array<std::uint8_t, 8> kBytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0xF8};
static_assert(LoadLe16(kBytes, 0) == 0x0201);
static_assert(LoadLe32(kBytes, 4) == 0xF8070605);
static_assert(LoadLittleEndian(kBytes) == 0xF807060504030201);
static_assert(LoadBigEndian(std::span(kBytes).first(4)) == 0x01020304);
static_assert(LoadLittleEndian(std::span(kBytes).first(0)) == 0);

TEST(BytesTest, StoresWriteExactlyTheirBytesAndReadBack) {
    std::array<std::uint8_t, 10> b{};
    b.fill(0xEE);
    StoreLe32(b, 1, 0x00000200);  // the 512 of a command block's buffer size
    EXPECT_EQ(b, (std::array<std::uint8_t, 10>{0xEE, 0x00, 0x02, 0x00, 0x00, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
    StoreLe16(b, 5, 0xC837);
    EXPECT_EQ(LoadLe16(b, 5), 0xC837);
    EXPECT_EQ(b[7], 0xEE);

    // A 48-bit raw counter keeps its low six bytes; a larger value is cut.
    std::array<std::uint8_t, 6> raw{};
    StoreLittleEndian(raw, 0x1122334455667788);
    EXPECT_EQ(raw, (std::array<std::uint8_t, 6>{0x88, 0x77, 0x66, 0x55, 0x44, 0x33}));

    std::array<std::uint8_t, 4> length{};
    StoreBigEndian(length, 0x00000200);
    EXPECT_EQ(length, (std::array<std::uint8_t, 4>{0x00, 0x00, 0x02, 0x00}));
    EXPECT_EQ(LoadBigEndian(length), 512u);
}

}  // namespace
}  // namespace qm
