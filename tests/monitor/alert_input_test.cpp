// What the alert rules are given for the sample drives: the rows with a rule
// of their own (temperature, the watched counts, NVMe's warning) apart from
// the state.
#include <gtest/gtest.h>

#include "drives/sim/sim_drives.h"
#include "monitor/alert_input.h"
#include "smart/smart_reader.h"

namespace qm {
namespace {

using S = AttributeStatus;

struct Read {
    SimDriveProvider drives{QM_SAMPLES_DIR};
    SmartReader reader{drives};
    DriveRecord operator()(DriveSlot slot) { return reader.ReadDrive(slot); }
};

std::vector<std::pair<AlertReason, std::uint64_t>> Counts(const AlertInput& input) {
    std::vector<std::pair<AlertReason, std::uint64_t>> counts;
    for (const CounterReading& c : input.counters) counts.emplace_back(c.reason, c.value);
    return counts;
}

TEST(AlertInputTest, OwnRulesApartFromTheState) {
    Read read;
    const AlertInput healthy = AlertInputOf(read(0));
    EXPECT_EQ(healthy.outcome, PassOutcome::Read);
    EXPECT_EQ(healthy.state, S::Good);
    EXPECT_EQ(healthy.temperature, 38);
    EXPECT_EQ(healthy.temperatureMark, S::Good);

    // Failing: every watched count, the bad one red; the state has none of them.
    const AlertInput failing = AlertInputOf(read(2));
    EXPECT_EQ(Counts(failing), (std::vector<std::pair<AlertReason, std::uint64_t>>{
                                   {AlertReason::Reallocated, 1416}, {AlertReason::ReallocationEvents, 57},
                                   {AlertReason::Pending, 24}, {AlertReason::Uncorrectable, 24}}));
    EXPECT_EQ(failing.counters[0].mark, S::Bad);
    EXPECT_EQ(failing.state, S::Good);

    const AlertInput hot = AlertInputOf(read(4));
    EXPECT_EQ(hot.temperature, 59);
    EXPECT_EQ(hot.temperatureMark, S::Caution);
    EXPECT_EQ(hot.state, S::Good);  // the temperature alone

    // NVMe: media errors counted, the warning byte, life used in the state.
    const AlertInput worn = AlertInputOf(read(5));
    EXPECT_EQ(Counts(worn), (std::vector<std::pair<AlertReason, std::uint64_t>>{{AlertReason::MediaErrors, 2}}));
    EXPECT_EQ(worn.criticalWarning, 0);
    EXPECT_EQ(worn.temperature, 47);
    EXPECT_EQ(worn.state, S::Caution);
    ASSERT_EQ(worn.stateRows.size(), 1u);
    EXPECT_NE(worn.stateRows[0].find("93"), std::string::npos);

    EXPECT_EQ(AlertInputOf(read(3)).outcome, PassOutcome::Failed);  // no drive
}

}  // namespace
}  // namespace qm
