// The helper's answer records as the program reads them: only a whole record
// with the magic, a known status and zero reserved bytes is an answer.
#include "drives/linux/helper_protocol.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(HelperAnswerRecord, AnythingButAWellFormedRecordIsGarbage) {
    const HelperAnswerRecord good = EncodeHelperAnswer(3, HelperStatus::Done);
    ASSERT_TRUE(DecodeHelperAnswer(good));
    struct Damage {
        const char* what;
        std::size_t offset;
        std::uint8_t value;
    };
    for (const Damage& damage : {Damage{"magic", 0, 'X'}, Damage{"magic", 1, 'R'}, Damage{"status", 3, 3},
                                 Damage{"reserved byte 4", 4, 1}, Damage{"reserved byte 5", 5, 0x80},
                                 Damage{"reserved byte 6", 6, 1}, Damage{"reserved byte 7", 7, 0xFF}}) {
        HelperAnswerRecord record = good;
        record[damage.offset] = damage.value;
        EXPECT_FALSE(DecodeHelperAnswer(record)) << damage.what;
    }
    EXPECT_FALSE(DecodeHelperAnswer(std::span(good).first(kHelperAnswerSize - 1)));
    // The kind byte and the payload are the request's business, not the frame's.
    HelperAnswerRecord other = good;
    other[2] = 0;
    other[kHelperAnswerSize - 1] = 0xFF;
    EXPECT_TRUE(DecodeHelperAnswer(other));
}

}  // namespace
}  // namespace qm
