// The attribute dictionary, capacity texts, the rating and the CSV lines.
#include <gtest/gtest.h>

#include "commands/csv_export.h"
#include "smart/attribute_names.h"
#include "smart/capacity.h"
#include "smart/rating.h"
#include "smart/smart_reader.h"
#include "tests/smart/fake_provider.h"

namespace qm {
namespace {

TEST(AttributeNamesTest, FortyNineEntriesInTableOrder) {
    AttributeNames names;
    names.Build();
    ASSERT_EQ(names.size(), 49u);
    EXPECT_EQ(names.entries().front().first, "0");
    EXPECT_EQ(names.entries().front().second, "ATTR_INVALID");
    EXPECT_EQ(names.entries()[13].first, "13");
    EXPECT_EQ(names.entries()[14].first, "184");
    EXPECT_EQ(names.entries().back().first, "250");
    EXPECT_EQ(names.entries().back().second, "読み込みエラー頻度");
    EXPECT_EQ(*names.Lookup("194"), "現在の温度");
    EXPECT_EQ(*names.Lookup("4"), "スタート/ストップカウント");
    EXPECT_EQ(*names.Lookup("199"), "UltraDMA CRCエラー数");
    EXPECT_FALSE(names.Lookup("240").has_value());
    EXPECT_FALSE(names.Lookup("0194").has_value());  // keys have no leading zeros
    names.Build();
    EXPECT_EQ(names.size(), 49u);  // rebuilt, not appended
    // A name by id is the name stored under the id's decimal key.
    for (int id = 0; id <= 255; ++id) {
        EXPECT_EQ(AttributeName(static_cast<std::uint8_t>(id)),
                  names.Lookup(std::to_string(id)).value_or(kUnknownAttributeName))
            << id;
    }
}

TEST(AttributeNamesTest, DescriptionsByIdWithTheirGaps) {
    for (int id : {4, 13, 192, 6, 184, 191, 225, 231, 0, 255, -1}) EXPECT_EQ(AttributeDescription(id), "") << id;
    const std::string_view t = AttributeDescription(194);
    EXPECT_NE(t.find("55℃"), std::string_view::npos);
    EXPECT_NE(t.find("56℃"), std::string_view::npos);
    EXPECT_EQ(AttributeDescription(240), "生の値に磁気ヘッドが位置決めをしている時間を示す。");
    EXPECT_EQ(AttributeDescription(12), "生の値にハードディスクの電源をON/OFFした回数を示す。");
}

TEST(AttributeNamesTest, UnknownIdsGetTheUnknownNameButKeepTheirValues) {
    test::FakeProvider p;
    auto& d = p.drives[0];
    d.identify = test::IdentitySector("M", "S", "F");
    test::PutAttribute(d.data, 0, 240, 100, 100, {5, 1});
    SmartReader reader(p);
    const auto rows = AttributeRows(reader.ReadDrive(0));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "（不明な属性）");
    EXPECT_EQ(rows[0].raw, 261);
}

DiskGeometry Chs(std::int64_t c, std::uint32_t bytesPerSector = 512) { return {c, 255, 63, bytesPerSector}; }

TEST(CapacityTest, UnitsAndTwoDecimals) {
    EXPECT_EQ(FormatCapacity(Chs(500)), "3.83 GB");
    EXPECT_EQ(FormatCapacity(Chs(100)), "784.42 MB");
    EXPECT_EQ(FormatCapacity(Chs(8)), "62.75 MB");  // a 64 MiB disk
    EXPECT_EQ(FormatCapacity({1, 1, 1, 1u << 30}), "1.00 GB");
    EXPECT_EQ(FormatCapacity({1, 1, 1, 1u << 20}), "1.00 MB");
    EXPECT_EQ(FormatCapacity({1, 1, 1, (1u << 20) - 1}), "1,024.00 KB");  // rounds up but stays in KB
    EXPECT_EQ(FormatCapacity({}), "0.00 KB");
    EXPECT_EQ(FormatCapacity({1000, 1, 1, 1u << 30}), "1,000.00 GB");
    EXPECT_EQ(FormatCapacity({1024, 1024, 1, 1u << 20}), "1.00 TB");
    EXPECT_EQ(FormatCapacity(Chs(121601)), "931.51 GB");  // a "1 TB" disk
    EXPECT_EQ(FormatCapacity(Chs(60801, 4096)), "3.64 TB");
    EXPECT_EQ(FormatCapacity({1, 1, 1, 1536}), "1.50 KB");
    EXPECT_EQ(FormatCapacity({-1, 1, 1, 2048}), "-2.00 KB");
}

TEST(CapacityTest, HugeGeometriesDoNotOverflow) {
    const std::string t = FormatCapacity({INT64_MAX, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu});
    EXPECT_NE(t.find(" TB"), std::string::npos);
}

TEST(CapacityTest, DriveCapacityTextAsksTheDiskDriver) {
    test::FakeProvider p;
    p.drives[2].geometry = Chs(500);
    p.drives[3];  // opened, but the query fails: all-zero geometry
    EXPECT_EQ(DriveCapacityText(p, 2), "3.83 GB");
    EXPECT_EQ(DriveCapacityText(p, 3), "0.00 KB");
    EXPECT_EQ(DriveCapacityText(p, 4), std::nullopt);
    EXPECT_EQ(DriveCapacityText(p, -1), std::nullopt);  // nothing selected
}

TEST(RatingTest, DecisionTable) {
    using S = AttributeStatus;
    struct Case {
        int id, current, threshold;
        std::int64_t raw;
        S expected;
    };
    const Case cases[] = {
        {194, 100, 0, 55, S::Good},    {194, 100, 0, 56, S::Caution}, {194, 100, 0, 60, S::Caution},
        {194, 100, 0, 61, S::Bad},     {194, 30, 40, 40, S::Caution}, {5, 100, 36, 0, S::Good},
        {5, 100, 36, 1, S::Caution},   {5, 30, 36, 0, S::Bad},        {196, 100, 0, 3, S::Caution},
        {197, 100, 0, 2, S::Caution},  {198, 10, 20, 0, S::Bad},      {1, 50, 51, 0, S::Caution},
        {1, 51, 51, 0, S::Good},       {1, 0, 0, 65535, S::Good},     {10, 100, 97, 0, S::Good},
        {10, 96, 97, 0, S::Caution},   {9, 255, 255, 0, S::Good},
        // Full raw values: a large sector count is never hidden behind a 16-bit sign.
        {5, 100, 36, 40000, S::Caution}, {197, 100, 0, 65535, S::Caution}, {194, 100, 0, 40000, S::Bad},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RateAttribute(static_cast<std::uint8_t>(c.id), static_cast<std::uint8_t>(c.current),
                                static_cast<std::uint8_t>(c.threshold), c.raw),
                  c.expected)
            << c.id << " " << c.current << "/" << c.threshold << " raw " << c.raw;
    }
}

TEST(CsvTest, HeaderThenOneLinePerRowWithCrLf) {
    test::FakeProvider p;
    auto& d = p.drives[0];
    d.identify = test::IdentitySector("M", "S", "F");
    test::PutAttribute(d.data, 0, 1, 100, 99, {3});
    test::PutAttribute(d.data, 1, 9, 97, 97, {0x10, 0x27});
    test::PutAttribute(d.data, 2, 194, 62, 40, {38, 5});
    test::PutThreshold(d.thresholds, 0, 1, 6);
    SmartReader reader(p);
    EXPECT_EQ(AttributeCsvText(reader.ReadDrive(0)),
              "属性ID,属性名,値,限界値,最悪値,生の値\r\n"
              "1,読み込みエラー率,100,6,99,3\r\n"
              "9,ハードディスク使用時間,97,0,97,10000\r\n"
              "194,現在の温度,62,0,40,38\r\n");
    EXPECT_EQ(AttributeCsvText(reader.ReadDrive(7)), "属性ID,属性名,値,限界値,最悪値,生の値\r\n");
    EXPECT_EQ(AttributeCsvText(DriveRecord{}), AttributeCsvText(reader.ReadDrive(-1)));
}

}  // namespace
}  // namespace qm
