// The disk-information rows, the volumes text and the status marks.
#include <gtest/gtest.h>

#include "smart/drive_info.h"
#include "smart/smart_reader.h"
#include "smart/status_marks.h"
#include "tests/smart/fake_provider.h"

namespace qm {
namespace {

DriveRecord Identified(const std::string& model, const std::string& serial, const std::string& firmware) {
    DriveRecord record;
    record.driveType = 1;
    EXPECT_TRUE(DecodeIdentity(test::IdentitySector(model, serial, firmware, 16383, 16, 63), record));
    return record;
}

TEST(DriveInfoTest, NineRowsOfADrive) {
    const DriveRecord record = Identified("QM-HD1000A", "  QMA10H4K27Z1", "QA1.0200");
    const std::vector<InfoRow> expected = {
        {"モデル", "QM-HD1000A"},      {"シリアルNo", "QMA10H4K27Z1"}, {"ファームウェア", "QA1.0200"},
        {"シリンダ数", "16383"},        {"ヘッド/トラック", "16/63"},    {"ディスク容量", "931.51 GB"},
        {"ドライブレター", "/ /home"}, {"", ""},                       {"現在の温度", std::nullopt},
    };
    EXPECT_EQ(DriveInfoRows(record, std::string("931.51 GB"), std::string("/ /home")), expected);

    // Unknown capacity: an empty cell; unknown volumes: "未取得"; known but none: empty.
    const std::vector<InfoRow> unknown = DriveInfoRows(record, std::nullopt, std::nullopt);
    EXPECT_EQ(unknown[5], (InfoRow{"ディスク容量", ""}));
    EXPECT_EQ(unknown[kVolumesRow], (InfoRow{"ドライブレター", "未取得"}));
    EXPECT_EQ(DriveInfoRows(record, std::nullopt, std::string())[kVolumesRow], (InfoRow{"ドライブレター", ""}));

    DriveRecord negative = record;
    negative.heads = -1;  // geometry words are sign-extended
    EXPECT_EQ(DriveInfoRows(negative, std::nullopt, std::nullopt)[4].value, "-1/63");
}

TEST(DriveInfoTest, PlaceholderRowsBeforeTheFirstDrive) {
    const std::vector<InfoRow> rows = PlaceholderInfoRows();
    ASSERT_EQ(rows.size(), kInfoLabels.size());
    for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(rows[i], (InfoRow{std::string(kInfoLabels[i]), "Error"}));
    EXPECT_EQ(rows[7], (InfoRow{"", ""}));
    EXPECT_EQ(rows[kTemperatureRow], (InfoRow{"現在の温度", std::nullopt}));
}

TEST(DriveInfoTest, VolumesAreJoinedByOneBlank) {
    EXPECT_EQ(JoinVolumes({}), "");
    EXPECT_EQ(JoinVolumes({"/"}), "/");
    EXPECT_EQ(JoinVolumes({"/", "/media/disk two"}), "/ /media/disk two");
}

}  // namespace
}  // namespace qm
