// A drive's health as a whole: the worst mark of the rated rows and the rows
// that are not good; unrated rows count for nothing.
#include <gtest/gtest.h>

#include "smart/health.h"

namespace qm {
namespace {

ShownRow Row(int id, std::optional<AttributeStatus> status, std::string raw = "0") {
    ShownRow row;
    row.key = {DriveKind::Ata, id};
    row.idText = std::to_string(id);
    row.name = "name";
    row.raw = std::move(raw);
    row.status = status;
    return row;
}

TEST(DriveHealthTest, TheWorstMarkAndTheRowsThatMakeIt) {
    using S = AttributeStatus;
    EXPECT_EQ(HealthOf(std::vector<ShownRow>{}).state, std::nullopt);
    EXPECT_EQ(HealthOf(std::vector<ShownRow>{Row(1, std::nullopt)}).state, std::nullopt);
    EXPECT_EQ(HealthOf(std::vector<ShownRow>{Row(1, S::Good), Row(2, std::nullopt)}), (DriveHealth{S::Good, {}}));

    const DriveHealth mixed = HealthOf(std::vector<ShownRow>{Row(5, S::Caution, "8"), Row(9, S::Good), Row(197, S::Bad, "3")});
    EXPECT_EQ(mixed.state, S::Bad);
    ASSERT_EQ(mixed.reasons.size(), 2u);
    EXPECT_EQ(mixed.reasons[0].idText, "5");
    EXPECT_EQ(mixed.reasons[1].status, S::Bad);
    EXPECT_EQ(ReasonText(mixed.reasons[0]), "name 8");
}

}  // namespace
}  // namespace qm
