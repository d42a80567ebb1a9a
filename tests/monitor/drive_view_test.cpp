// The rows of the drive view and the explanation of the selected attribute.
#include <gtest/gtest.h>

#include "monitor/drive_view.h"
#include "drives/sim/sim_drives.h"
#include "smart/attribute_names.h"
#include "smart/capacity.h"
#include "smart/smart_reader.h"
#include "tests/monitor/test_drive_set.h"

namespace qm {
namespace {

class SampleDriveViewTest : public ::testing::Test {
protected:
    DriveViewContent View(DriveSlot slot, const std::optional<std::string>& letters = std::nullopt) {
        return BuildDriveView(reader_.ReadDrive(slot), DriveCapacityText(drives_, slot), letters);
    }
    static std::vector<int> Statuses(const DriveViewContent& view) {
        std::vector<int> statuses;
        for (const auto& row : view.attributes) statuses.push_back(row.status);
        return statuses;
    }
    static const AttributeListRow* Row(const DriveViewContent& view, int id) {
        for (const auto& row : view.attributes)
            if (row.id == RowKey{DriveKind::Ata, id}) return &row;
        return nullptr;
    }

    SimDriveProvider drives_{test::SamplesFolder()};
    SmartReader reader_{drives_};
};

TEST_F(SampleDriveViewTest, HealthyDriveShowsNineInformationRows) {
    const DriveViewContent view = View(0);
    ASSERT_TRUE(view.present);
    const std::vector<InfoRow> expected = {
        {"モデル", "QM-HD1000A"},      {"シリアルNo", "QMA10H4K27Z1"}, {"ファームウェア", "QA1.0200"},
        {"シリンダ数", "16383"},        {"ヘッド/トラック", "16/63"},    {"ディスク容量", "931.51 GB"},
        {"ドライブレター", "未取得"},  {"", ""},                       {"現在の温度", std::nullopt},
    };
    EXPECT_EQ(view.info, expected);
    EXPECT_EQ(view.model, "QM-HD1000A");
    EXPECT_EQ(view.serial, "QMA10H4K27Z1");
    EXPECT_EQ(view.volumes, "未取得");
    ASSERT_EQ(view.attributes.size(), 17u);
    EXPECT_EQ(view.attributes[0].cells, (std::array<std::string, 7>{"", "1", "読み込みエラー率", "200", "51", "200", "0"}));
    EXPECT_EQ(Row(view, 194)->cells[6], "38");  // byte 0 of the temperature's raw value
    for (int status : Statuses(view)) EXPECT_EQ(status, 0);
}

TEST_F(SampleDriveViewTest, RecordedLettersAreShownAndKept) {
    const DriveViewContent view = View(0, "/ /home");
    EXPECT_EQ(view.info[6], (InfoRow{"ドライブレター", "/ /home"}));
    EXPECT_EQ(view.volumes, "/ /home");
}

TEST_F(SampleDriveViewTest, FailingDriveIsMarkedRedAndYellow) {
    const DriveViewContent view = View(2);
    EXPECT_EQ(Row(view, 5)->status, 2);    // current 30 below threshold 36
    EXPECT_EQ(Row(view, 196)->status, 1);  // 57 reallocation events
    EXPECT_EQ(Row(view, 197)->status, 1);  // 24 pending sectors
    EXPECT_EQ(Row(view, 198)->status, 1);  // 24 uncorrectable sectors
    EXPECT_EQ(Row(view, 194)->status, 0);  // 44 degrees
    EXPECT_EQ(Row(view, 5)->cells, (std::array<std::string, 7>{"", "5", Row(view, 5)->cells[2], "30", "36", "30", "1416"}));
}

TEST_F(SampleDriveViewTest, HotDriveIsMarkedYellow) {
    const DriveViewContent view = View(4);
    EXPECT_EQ(Row(view, 194)->status, 1);  // 59 degrees
    EXPECT_EQ(Row(view, 194)->cells[6], "59");
}

TEST_F(SampleDriveViewTest, WideCountersShowTheirLowSixteenBits) {
    const DriveViewContent view = View(1);
    EXPECT_EQ(view.info[1].value, "QF24B3800917C5");  // serial trimmed of its leading blanks
    EXPECT_EQ(Row(view, 241)->cells[6], std::to_string(9119731768ULL & 0xFFFF));
}

TEST(DriveViewTest, NoDriveLeavesEverythingEmpty) {
    const DriveViewContent view = BuildDriveView(DriveRecord{}, std::string("1 GB"), "/");
    EXPECT_FALSE(view.present);
    EXPECT_TRUE(view.info.empty());
    EXPECT_TRUE(view.attributes.empty());
    EXPECT_EQ(view.model, "");
    EXPECT_EQ(view.volumes, "未取得");
}

TEST(DriveViewTest, DriveWithoutAttributesHasNineRowsAndAnEmptyTable) {
    test::TestDrive drive = test::HealthyDrive(0, "NO-ATTRIBUTES", std::nullopt);
    drive.fail = "attributes";
    test::TestDriveSet set({drive});
    SimDriveProvider drives(set.folder());
    SmartReader reader(drives);
    const DriveViewContent view = BuildDriveView(reader.ReadDrive(0), std::nullopt, std::nullopt);
    EXPECT_TRUE(view.present);
    EXPECT_EQ(view.info.size(), 9u);
    EXPECT_EQ(view.info[5], (InfoRow{"ディスク容量", ""}));  // capacity unknown: empty cell
    EXPECT_TRUE(view.attributes.empty());
}

TEST(DriveViewTest, PlaceholderRowsBeforeTheFirstDrive) {
    const std::vector<InfoRow> rows = PlaceholderInfoRows();
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[0], (InfoRow{"モデル", "Error"}));
    EXPECT_EQ(rows[6], (InfoRow{"ドライブレター", "Error"}));
    EXPECT_EQ(rows[7], (InfoRow{"", ""}));
    EXPECT_EQ(rows[8], (InfoRow{"現在の温度", std::nullopt}));
}

TEST(DriveViewTest, RowIdsAreWrittenForTheShownRowsOnly) {
    AttributeRowIds ids{};
    ids[5] = {DriveKind::Ata, 99};
    std::vector<AttributeListRow> rows(3);
    rows[0].id = {DriveKind::Ata, 1};
    rows[1].id = {DriveKind::Ata, 5};
    rows[2].id = {DriveKind::Ata, 194};
    StoreAttributeRowIds(ids, rows);
    EXPECT_EQ(ids[0], (RowKey{DriveKind::Ata, 1}));
    EXPECT_EQ(ids[1], (RowKey{DriveKind::Ata, 5}));
    EXPECT_EQ(ids[2], (RowKey{DriveKind::Ata, 194}));
    EXPECT_EQ(ids[5], (RowKey{DriveKind::Ata, 99}));  // beyond the rows: kept from an earlier drive
}

TEST(DescriptionTest, FirstRowStandsForRowZeroAndForNoSelection) {
    EXPECT_EQ(DescriptionRowNumber({}), 1);
    const int zero[] = {0};
    EXPECT_EQ(DescriptionRowNumber(zero), 1);
    const int third[] = {2};
    EXPECT_EQ(DescriptionRowNumber(third), 3);
    const int several[] = {0, 4, 7};
    EXPECT_EQ(DescriptionRowNumber(several), 5);  // the first selected after row 0
}

TEST(DescriptionTest, TextComesFromTheIdOfTheRow) {
    AttributeRowIds ids{};
    ids[0] = {DriveKind::Ata, 1};
    ids[1] = {DriveKind::Ata, 6};
    ids[2] = {DriveKind::Ata, 194};
    ids[3] = {DriveKind::Ata, 184};
    EXPECT_EQ(DescriptionText({}, 4, ids), AttributeDescription(1));
    const int row2[] = {2};
    EXPECT_EQ(DescriptionText(row2, 4, ids), AttributeDescription(194));
    EXPECT_FALSE(DescriptionText(row2, 4, ids).empty());
    const int row1[] = {1};
    EXPECT_EQ(DescriptionText(row1, 4, ids), "");  // id 6 has no explanation
    const int row3[] = {3};
    EXPECT_EQ(DescriptionText(row3, 4, ids), "");  // nor has 184
}

TEST(DescriptionTest, EmptyListOrRowBeyond254GivesNoText) {
    AttributeRowIds ids{};
    ids[0] = {DriveKind::Ata, 1};  // left over from an earlier drive
    EXPECT_EQ(DescriptionText({}, 0, ids), "");
    ids[254] = {DriveKind::Ata, 1};
    const int row255[] = {254};
    EXPECT_EQ(DescriptionText(row255, 255, ids), "");
    const int row254[] = {253};
    ids[253] = {DriveKind::Ata, 1};
    EXPECT_EQ(DescriptionText(row254, 255, ids), AttributeDescription(1));
}

TEST(DriveCaptionTest, ModelAndLettersInParentheses) {
    EXPECT_EQ(DriveCaption("QM-HD1000A", "/ /home"), "QM-HD1000A(/ /home)");
    EXPECT_EQ(DriveCaption("", "未取得"), "(未取得)");
}

}  // namespace
}  // namespace qm
