// The drives through quillmoor-smart-helper: the same records as the drive
// set gives directly, the kernel's suspend state read without a request, the
// choice among installed helpers, and helpers that die, hang or talk nonsense,
// which give the refused result within the answer timeout.
#include "drives/linux/helper_drives.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>
#include <fstream>
#include <future>
#include <thread>

#include "drives/sim/sim_drives.h"
#include "smart/power_mode.h"
#include "smart/smart_reader.h"
#include "tests/support/temp_folder.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The wait for helpers that misbehave; a working helper gets the long one, so
// that a slow start (a sanitizer build on a busy machine) is no failure.
constexpr std::chrono::milliseconds kTestTimeout{300};
constexpr std::chrono::milliseconds kWorkingTimeout{10'000};
constexpr DiskName kSda{DiskClass::Sd, 0};

// An answer record of `kind` and `status` with an empty payload, as sh writes it.
std::string PrintAnswer(int kind, int status) {
    return "printf 'QA\\" + std::to_string(kind) + "\\" + std::to_string(status) +
           "\\0\\0\\0\\0'; /usr/bin/head -c 528 /dev/zero\n";
}

class HelperTest : public ::testing::Test {
protected:
    // A drive set (the samples: ATA drives in slots 0, 1, 2 and 4, an NVMe
    // drive in slot 5, and a sleeping ATA drive in slot 3) with the
    // stand-in helper beside it, and a machine whose slot map matches it:
    // sda to sde and nvme0 with their nodes, and nvme1 (slot 6) without one.
    void SetUp() override {
        for (const auto& entry : fs::directory_iterator(QM_SAMPLES_DIR)) fs::copy(entry.path(), folder.path());
        std::ofstream(folder / "drives.ini", std::ios::app) << "\n[3]\ndump = qm-hd1000a.smart\npower = standby\n";
        fs::copy_file(QM_FAKE_HELPER_BIN, helper);
        for (const char* disk : {"sda", "sdb", "sdc", "sdd", "sde"}) {
            fs::create_directories(folder.path() / "sys/block" / disk);
            std::ofstream(folder / disk);
        }
        fs::create_directories(folder.path() / "sys/class/nvme/nvme0");
        fs::create_directories(folder.path() / "sys/class/nvme/nvme1");
        std::ofstream(folder / "nvme0");
        // nvme0's namespace, as large as the sample NVMe drive says it is.
        fs::create_directories(folder.path() / "sys/class/nvme/nvme0/nvme0n1");
        fs::create_directories(folder.path() / "sys/block/nvme0n1/queue");
        std::ofstream(folder / "sys/block/nvme0n1/size") << SimDriveProvider(folder.str()).Drive(5)->bytes / 512 << "\n";
        std::ofstream(folder / "sys/block/nvme0n1/queue/logical_block_size") << "512\n";
    }

    // A helper written as a shell script.
    fs::path Script(const std::string& name, const std::string& body) const {
        const fs::path path = folder.path() / name;
        std::ofstream(path) << "#!/bin/sh\n" << body;
        ::chmod(path.c_str(), 0755);
        return path;
    }

    std::unique_ptr<HelperDriveProvider> Provider(const fs::path& program,
                                                  std::chrono::milliseconds timeout = kTestTimeout) const {
        return std::make_unique<HelperDriveProvider>(std::make_unique<HelperConnection>(program, timeout),
                                                     LinuxDriveProvider(folder.path(), LinuxVolumes(), folder.path() / "sys"));
    }

    test::TempFolder folder;
    fs::path helper = folder.path() / kHelperFileName;
};

TEST_F(HelperTest, DrivesReadThroughTheHelperAsDirectly) {
    const auto compare = [&](DriveSlot slot, HelperDriveProvider& through, DriveProvider& direct) {
        SCOPED_TRACE(slot);
        SmartReader helperReader(through);
        SmartReader directReader(direct);
        EXPECT_EQ(through.QueryPowerMode(slot, CheckPowerModeBlock(slot, true)),
                  direct.QueryPowerMode(slot, CheckPowerModeBlock(slot, true)));
        EXPECT_EQ(helperReader.ReadDrive(slot), directReader.ReadDrive(slot));
        EXPECT_EQ(helperReader.ProbeDrive(slot), directReader.ProbeDrive(slot));
        EXPECT_EQ(through.QueryDriveGeometry(slot), direct.QueryDriveGeometry(slot));
    };
    {
        SimDriveProvider direct(folder.str());
        const auto through = Provider(helper, kWorkingTimeout);
        ASSERT_TRUE(through->HelperHasRights());
        for (DriveSlot slot = 0; slot < kSlotCount; ++slot) compare(slot, *through, direct);
        EXPECT_EQ(through->OpenDrive(16, DriverFamily::Nt), nullptr);
        EXPECT_EQ(through->OpenDrive(0, DriverFamily::Nine), nullptr);
    }
    // A drive that refuses one exchange: the refusal through the helper reads
    // as it does directly.
    for (const char* fault : {"open", "version", "enable", "identify", "attributes", "thresholds"}) {
        SCOPED_TRACE(fault);
        std::ofstream(folder / "drives.ini") << "[0]\ndump = qm-hd1000a.smart\nfail = " << fault << "\n";
        SimDriveProvider direct(folder.str());
        const auto through = Provider(helper, kWorkingTimeout);
        compare(0, *through, direct);
    }
}

TEST_F(HelperTest, ASleepingDriveIsToldAndAKernelSuspendedOneIsNotEvenAsked) {
    const auto through = Provider(helper, kWorkingTimeout);
    EXPECT_TRUE(DriveSleeps(*through, 3));
    EXPECT_FALSE(DriveSleeps(*through, 0));

    // A helper that dies at every request would show any request made.
    const fs::path power = folder.path() / "sys/class/block/sdb/device/power";
    fs::create_directories(power);
    std::ofstream(power / "runtime_status") << "suspended\n";
    const auto dying = Provider(Script("dies", "exit 3\n"));
    for (int i = 0; i < kHelperMaxFailures + 1; ++i) EXPECT_TRUE(DriveSleeps(*dying, 1));
    EXPECT_FALSE(DriveSleeps(*dying, 0));  // asked: the helper died
    EXPECT_NE(dying->OpenDrive(0, DriverFamily::Nt), nullptr);  // one failure only: not given up
}

TEST_F(HelperTest, ASlotWithoutADeviceNodeCostsNoRequest) {
    // A helper that dies at every request would be given up on after a few.
    const auto dying = Provider(Script("dies", "exit 3\n"));
    for (int i = 0; i < kHelperMaxFailures + 1; ++i) {
        EXPECT_EQ(dying->OpenNvme(6), nullptr);
        EXPECT_EQ(dying->QueryDriveGeometry(6), std::nullopt);
        EXPECT_EQ(dying->QueryPowerMode(6, CheckPowerModeBlock(6, true)), std::nullopt);
        EXPECT_EQ(dying->OpenDrive(7, DriverFamily::Nt), nullptr);
        EXPECT_EQ(dying->QueryPowerMode(5, CheckPowerModeBlock(5, true)), std::nullopt);  // NVMe: never asked
    }
    EXPECT_NE(dying->OpenDrive(0, DriverFamily::Nt), nullptr);
}

TEST_F(HelperTest, TheFirstHelperThatHoldsItsRightsIsUsed) {
    const fs::path noRights = Script("no-rights", "/usr/bin/head -c 104 >/dev/null\n" + PrintAnswer(1, 1) + "exec /bin/cat >/dev/null\n");
    const fs::path missing = folder.path() / "missing";
    EXPECT_EQ(ConnectHelper({missing, noRights}, kTestTimeout), nullptr);
    const auto chosen = ConnectHelper({missing, noRights, helper}, kWorkingTimeout);
    ASSERT_NE(chosen, nullptr);
    EXPECT_TRUE(chosen->HelperHasRights());  // the working one: the other says it has none

    EXPECT_EQ(HelperCandidates("/opt/q/bin"),
              (std::vector<fs::path>{"/opt/q/bin/quillmoor-smart-helper", "/opt/q/libexec/quillmoor/quillmoor-smart-helper"}));
    EXPECT_TRUE(HelperCandidates("").empty());
    EXPECT_TRUE(HelperCandidates("bin").empty());
    EXPECT_TRUE(ExecutableFolder().is_absolute());
}

// Each of these gives the refused result, within the answer timeout, and
// never a signal: a helper that has gone away makes the send fail with EPIPE.
TEST_F(HelperTest, HelpersThatDieHangOrTalkNonsenseGiveTheRefusedResultInTime) {
    const std::vector<std::pair<std::string, std::string>> helpers = {
        {"dies at once", "exit 3\n"},
        {"closes its input and output", "exec 0<&- 1>&-\nexec /bin/sleep 30\n"},
        {"hangs", "exec /bin/sleep 30\n"},
        {"answers garbage", "/usr/bin/head -c 104 >/dev/null\n/usr/bin/head -c 536 /dev/zero | /usr/bin/tr '\\0' x\n"
                            "exec /bin/cat >/dev/null\n"},
        {"answers half a record", "/usr/bin/head -c 104 >/dev/null\n/usr/bin/head -c 300 /dev/zero\nexec /bin/sleep 30\n"},
        {"answers another kind", "/usr/bin/head -c 104 >/dev/null\n" + PrintAnswer(1, 0) + "exec /bin/cat >/dev/null\n"},
        {"is not executable", ""},
    };
    int n = 0;
    for (const auto& [what, body] : helpers) {
        SCOPED_TRACE(what);
        const fs::path program = Script("helper" + std::to_string(n++), body);
        if (body.empty()) ::chmod(program.c_str(), 0644);
        const auto provider = Provider(program);
        const auto start = Clock::now();
        const auto handle = provider->OpenDrive(0, DriverFamily::Nt);
        ASSERT_NE(handle, nullptr);
        EXPECT_FALSE(handle->SmartGetVersion());
        EXPECT_LT(Clock::now() - start, kTestTimeout + std::chrono::seconds(1));
    }
}

// Only failures in a row count: a good answer between them starts the count
// again, so a helper that fails now and then is never given up on.
TEST_F(HelperTest, AGoodAnswerStartsTheFailureCountAgain) {
    // Answers one request, then ends: the next request fails, the one after
    // starts it again.
    HelperConnection connection(Script("answers-once", "/usr/bin/head -c " + std::to_string(kHelperRequestSize) +
                                                           " | '" + helper.string() + "'\n"),
                                kWorkingTimeout);
    int answered = 0;
    for (int i = 0; i < 4 * kHelperMaxFailures; ++i) answered += connection.Ask({HelperKind::Version, 0, {}}) ? 1 : 0;
    EXPECT_EQ(answered, 2 * kHelperMaxFailures);
    EXPECT_FALSE(connection.GivenUp());
}

TEST_F(HelperTest, AFailingHelperIsStartedAgainAndThenGivenUpOn) {
    // Dies at its first start, works from the second on.
    const fs::path flag = folder.path() / "started";
    const fs::path flaky = Script("flaky", "if [ ! -e '" + flag.string() + "' ]; then : >'" + flag.string() +
                                               "'; exit 1; fi\nexec '" + helper.string() + "'\n");
    HelperConnection connection(flaky, kWorkingTimeout);
    EXPECT_FALSE(connection.Ask({HelperKind::Version, 0, {}, kSda}));
    EXPECT_EQ(connection.Ask({HelperKind::Version, 0, {}, kSda})->status, HelperStatus::Done);

    HelperConnection hanging(Script("hangs", "exec /bin/sleep 30\n"), kTestTimeout);
    for (int i = 0; i < kHelperMaxFailures; ++i) EXPECT_FALSE(hanging.Ask({HelperKind::Version, 0, {}, kSda}));
    EXPECT_TRUE(hanging.GivenUp());
    const auto start = Clock::now();
    EXPECT_FALSE(hanging.Ask({HelperKind::Version, 0, {}, kSda}));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50));  // no new start, no wait
}

// Reads of different drives from two threads take turns on the one helper:
// every answer is the one its request asked for.
TEST_F(HelperTest, RequestsFromTwoThreadsTakeTurns) {
    SimDriveProvider direct(folder.str());
    const DriveRecord first = SmartReader(direct).ReadDrive(0);
    const DriveRecord second = SmartReader(direct).ReadDrive(2);
    const auto through = Provider(helper, kWorkingTimeout);
    const auto readMany = [&](DriveSlot slot, const DriveRecord& expected) {
        SmartReader reader(*through);
        int same = 0;
        for (int i = 0; i < 20; ++i) same += reader.ReadDrive(slot) == expected;
        return same;
    };
    auto other = std::async(std::launch::async, readMany, 2, second);
    EXPECT_EQ(readMany(0, first), 20);
    EXPECT_EQ(other.get(), 20);
}

// The end of the program: the helper is killed at once, the request waiting
// on it fails long before its timeout, and no helper starts again.
TEST_F(HelperTest, AnInterruptionKillsTheHelperAndEndsTheRequestWaitingOnIt) {
    const fs::path pids = folder.path() / "pids";
    HelperConnection hanging(Script("hangs", "echo $$ >>'" + pids.string() + "'\nexec /bin/sleep 30\n"),
                             std::chrono::seconds(30));
    auto asked = std::async(std::launch::async, [&] { return hanging.Ask({HelperKind::Version, 0, {}}); });
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!fs::exists(pids) && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    pid_t pid = 0;
    std::ifstream(pids) >> pid;
    ASSERT_GT(pid, 0);

    hanging.Interrupt();
    ASSERT_EQ(asked.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(asked.get());
    EXPECT_EQ(::kill(pid, 0), -1);  // killed and reaped
    EXPECT_FALSE(hanging.Ask({HelperKind::Version, 0, {}}));
    std::ifstream lines(pids);
    EXPECT_EQ(std::count(std::istreambuf_iterator<char>(lines), std::istreambuf_iterator<char>(), '\n'), 1);
}

}  // namespace
}  // namespace qm
