// The choice of drives: a simulated set, its warnings, or why there is none.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "drives/select/select_provider.h"

namespace qm {
namespace {

TEST(SelectDriveProviderTest, AFolderGivesItsSetWithItsWarnings) {
    const DriveSelection samples = SelectDriveProvider(std::string(QM_SAMPLES_DIR));
    ASSERT_TRUE(samples.provider) << samples.error;
    EXPECT_TRUE(samples.error.empty());
    EXPECT_TRUE(samples.warnings.empty());
    EXPECT_TRUE(samples.mayReadDisks);  // simulated drives need no rights
    EXPECT_TRUE(samples.provider->OpenDrive(0, DriverFamily::Nt));

    const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "qm-select-set";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "drives.ini") << "[banana]\n";
    const DriveSelection odd = SelectDriveProvider(folder.string());
    ASSERT_TRUE(odd.provider);
    ASSERT_EQ(odd.warnings.size(), 1u);
    EXPECT_NE(odd.warnings[0].find("banana"), std::string::npos);
    std::filesystem::remove_all(folder);

    const DriveSelection none = SelectDriveProvider(std::string("/nonexistent/quillmoor-set"));
    EXPECT_FALSE(none.provider);
    EXPECT_NE(none.error.find("/nonexistent/quillmoor-set"), std::string::npos) << none.error;
}

}  // namespace
}  // namespace qm
