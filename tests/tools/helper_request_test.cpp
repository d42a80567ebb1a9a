// What quillmoor-smart-helper accepts: the table of requests it refuses (each
// answered Refused without the drives hearing of it), the program's own
// requests for every slot, the answers it gives from a simulated set, and the
// helper program itself on its standard input and output.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "drives/linux/helper_connection.h"
#include "drives/linux/linux_rights.h"
#include "drives/sim/sim_drives.h"
#include "smart/nvme_health.h"
#include "smart/power_mode.h"
#include "smart/smart_reader.h"
#include "tests/support/temp_folder.h"
#include "tools/smart_helper/helper_request.h"

namespace qm {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr DiskName Sd(std::uint16_t n) { return {DiskClass::Sd, n}; }
constexpr DiskName Nvme(std::uint16_t n) { return {DiskClass::Nvme, n}; }

// An ATA request on sd disk `disk` (by default the slot's letter).
Bytes Record(HelperKind kind, int slot, const CommandBlock& block, std::optional<DiskName> disk = std::nullopt) {
    const HelperRequestRecord r = EncodeHelperRequest({kind, slot, block, disk.value_or(Sd(static_cast<std::uint16_t>(slot)))});
    return Bytes(r.begin(), r.end());
}

// An NVMe request on controller `disk`.
Bytes NvmeRecord(const NvmeCommandBlock& command, DiskName disk = Nvme(0), int slot = 2) {
    const HelperRequestRecord r = EncodeHelperRequest({HelperKind::NvmeAdmin, slot, {}, disk, command});
    return Bytes(r.begin(), r.end());
}

NvmeCommandBlock WithDword(NvmeCommandBlock block, std::size_t n, std::uint32_t value) {
    block.setCdw(n, value);
    return block;
}

NvmeCommandBlock WithByte(NvmeCommandBlock block, std::size_t offset, std::uint8_t value) {
    block.bytes[offset] = value;
    return block;
}

// The health log command with another log id (and the matching length).
NvmeCommandBlock LogPage(std::uint8_t id, std::uint32_t dwords = 128) {
    return WithDword(HealthLogBlock(), 10, (dwords - 1) << 16 | id);
}

Bytes With(Bytes bytes, std::size_t offset, std::uint8_t value) {
    bytes[offset] = value;
    return bytes;
}

CommandBlock With(CommandBlock block, std::size_t offset, std::uint8_t value) {
    block.bytes[offset] = value;
    return block;
}

// A SMART command with the program's registers but another feature.
CommandBlock SmartFeature(std::uint8_t feature, std::uint32_t bufferSize) {
    CommandBlock block = ReadAttributesBlock(0, true);
    block.setBufferSize(bufferSize);
    return With(block, cb::Features, feature);
}

struct Refused {
    std::string what;
    Bytes record;
};

std::vector<Refused> RefusedRequests() {
    const CommandBlock identify = IdentifyBlock(0, true);
    const Bytes good = Record(HelperKind::Receive, 0, identify);
    CommandBlock write = identify;  // WRITE SECTORS, one sector at LBA 1
    write.bytes[cb::Command] = 0x30;
    CommandBlock noBuffer = identify;
    noBuffer.setBufferSize(0);
    Bytes longer = good;
    longer.push_back(0);
    return {
        {"empty record", {}},
        {"one byte short", Bytes(good.begin(), good.end() - 1)},
        {"one byte too many", longer},
        {"two records at once", [&] { Bytes b = good; b.insert(b.end(), good.begin(), good.end()); return b; }()},
        {"bad magic", With(good, 0, 'X')},
        {"kind 0", With(good, 2, 0)},
        {"kind 8", With(good, 2, 8)},
        {"slot 16", Record(HelperKind::Receive, 16, IdentifyBlock(16, true))},
        {"slot 255", With(good, 3, 255)},
        {"write sectors", Record(HelperKind::Receive, 0, write)},
        {"SMART disable operations", Record(HelperKind::Send, 0, SmartFeature(0xD9, 0))},
        {"SMART execute off-line (self-test)", Record(HelperKind::Send, 0, SmartFeature(0xD4, 0))},
        {"SMART write log", Record(HelperKind::Send, 0, SmartFeature(0xD6, 0))},
        {"SMART return status", Record(HelperKind::Send, 0, SmartFeature(0xDA, 0))},
        {"SMART read log", Record(HelperKind::Receive, 0, SmartFeature(0xD5, 512))},
        {"identify packet device", Record(HelperKind::Receive, 0, IdentifyBlock(0, true, 0xA1))},
        {"identify of two sectors", Record(HelperKind::Receive, 0, With(identify, cb::SectorCount, 2))},
        {"identify at another LBA", Record(HelperKind::Receive, 0, With(identify, cb::CylHigh, 1))},
        {"identify without its buffer size", Record(HelperKind::Receive, 0, noBuffer)},
        {"drive number of another slot", Record(HelperKind::Receive, 0, With(identify, cb::DriveNumber, 1))},
        {"drive/head of the 9x path", Record(HelperKind::Receive, 1, IdentifyBlock(1, false))},
        {"a reserved byte set", Record(HelperKind::Receive, 0, With(identify, 20, 1))},
        {"enable as a data-in request", Record(HelperKind::Receive, 0, EnableSmartBlock(0, true))},
        {"read data as a non-data request", Record(HelperKind::Send, 0, ReadAttributesBlock(0, true))},
        {"power mode as a non-data request", Record(HelperKind::Send, 0, CheckPowerModeBlock(0, true))},
        {"power mode with a sector count", Record(HelperKind::PowerMode, 0, With(CheckPowerModeBlock(0, true), 5, 1))},
        {"standby immediate", Record(HelperKind::PowerMode, 0, With(CheckPowerModeBlock(0, true), 10, 0xE0))},
        {"rights for slot 1", Record(HelperKind::Rights, 1, {})},
        {"version with a command block", Record(HelperKind::Version, 0, identify)},
        {"geometry with a command block", Record(HelperKind::Geometry, 0, identify)},
        // The disk a request names.
        {"an ATA request without a disk", Record(HelperKind::Receive, 0, identify, DiskName{})},
        {"an ATA request on an NVMe controller", Record(HelperKind::Receive, 0, identify, Nvme(0))},
        {"a disk beyond the names", Record(HelperKind::Version, 0, {}, Sd(kMaxSdNumber + 1))},
        {"an unknown disk class", With(good, 4, 3)},
        {"the reserved byte after the class", With(good, 5, 1)},
        {"rights with a disk", Record(HelperKind::Rights, 0, {}, Sd(0))},
        {"an NVMe command in an ATA request",
         [&] { Bytes b = good; b[40] = nvme::Identify; b[80] = 1; return b; }()},
        // NVMe: only Identify Controller and the 512-byte health log of all namespaces.
        {"NVMe on an sd disk", NvmeRecord(IdentifyControllerBlock(), Sd(0))},
        {"NVMe without a disk", NvmeRecord(IdentifyControllerBlock(), DiskName{})},
        {"NVMe with an ATA block", [] {
             const HelperRequestRecord r = EncodeHelperRequest(
                 {HelperKind::NvmeAdmin, 2, IdentifyBlock(2, true), Nvme(0), IdentifyControllerBlock()});
             return Bytes(r.begin(), r.end());
         }()},
        {"NVMe without a command", NvmeRecord(NvmeCommandBlock{})},
        {"error information log", NvmeRecord(LogPage(0x01))},
        {"firmware slot log", NvmeRecord(LogPage(0x03))},
        {"telemetry log", NvmeRecord(LogPage(0x07))},
        {"health log of 1024 bytes", NvmeRecord(LogPage(0x02, 256))},
        {"health log of 4 bytes", NvmeRecord(LogPage(0x02, 1))},
        {"health log with the upper length dword", NvmeRecord(WithDword(HealthLogBlock(), 11, 1))},
        {"health log at an offset", NvmeRecord(WithDword(HealthLogBlock(), 12, 512))},
        {"health log of namespace 1", NvmeRecord(WithDword(HealthLogBlock(), 1, 1))},
        {"health log of namespace 0", NvmeRecord(WithDword(HealthLogBlock(), 1, 0))},
        {"health log retaining the event", NvmeRecord(WithDword(HealthLogBlock(), 10, 127u << 16 | 1u << 15 | 2))},
        {"health log with a UUID index", NvmeRecord(WithDword(HealthLogBlock(), 14, 1))},
        {"identify namespace", NvmeRecord(WithDword(IdentifyControllerBlock(), 10, 0x00))},
        {"identify namespace list", NvmeRecord(WithDword(IdentifyControllerBlock(), 10, 0x02))},
        {"identify of a namespace", NvmeRecord(WithDword(IdentifyControllerBlock(), 1, 1))},
        {"identify of another controller id", NvmeRecord(WithDword(IdentifyControllerBlock(), 10, 1u << 16 | 1))},
        {"identify as a fused command", NvmeRecord(WithByte(IdentifyControllerBlock(), nvme_cb::Flags, 0x01))},
        {"identify with SGL data", NvmeRecord(WithByte(IdentifyControllerBlock(), nvme_cb::Flags, 0x40))},
        {"identify with a command id", NvmeRecord(WithByte(IdentifyControllerBlock(), 2, 7))},
        {"identify with a data pointer", NvmeRecord(WithByte(IdentifyControllerBlock(), 24, 1))},
        {"set features", NvmeRecord(WithByte(IdentifyControllerBlock(), nvme_cb::Opcode, 0x09))},
        {"get features", NvmeRecord(WithByte(IdentifyControllerBlock(), nvme_cb::Opcode, 0x0A))},
        {"format NVM", NvmeRecord(WithByte(WithDword(NvmeCommandBlock{}, 1, 1), nvme_cb::Opcode, 0x80))},
        {"sanitize", NvmeRecord(WithByte(NvmeCommandBlock{}, nvme_cb::Opcode, 0x84))},
        {"firmware commit", NvmeRecord(WithByte(NvmeCommandBlock{}, nvme_cb::Opcode, 0x10))},
        {"device self-test", NvmeRecord(WithByte(WithDword(NvmeCommandBlock{}, 10, 1), nvme_cb::Opcode, 0x14))},
        {"namespace write (I/O opcode 01h, namespace 1)",
         NvmeRecord(WithByte(WithDword(NvmeCommandBlock{}, 1, 1), nvme_cb::Opcode, 0x01))},
        {"a vendor command", NvmeRecord(WithByte(IdentifyControllerBlock(), nvme_cb::Opcode, 0xC0))},
    };
}

TEST(HelperRefusals, EveryRequestOutsideTheListIsRefusedWithoutTouchingADrive) {
    SimDriveProvider set(QM_SAMPLES_DIR, SimRecording::On);
    SameDrives drives(set);
    for (const Refused& r : RefusedRequests()) {
        SCOPED_TRACE(r.what);
        const RequestCheck check = ParseHelperRequest(r.record);
        EXPECT_FALSE(check.request);
        EXPECT_FALSE(check.refusal.empty());
        const std::optional<HelperAnswer> answer = DecodeHelperAnswer(AnswerHelperRequest(r.record, drives, true));
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, HelperStatus::Refused);
        EXPECT_EQ(answer->payload, HelperPayload{});
    }
    EXPECT_TRUE(set.Events().empty());
    EXPECT_EQ(set.OpenHandles(), 0);
}

TEST(HelperRefusals, TheProgramsOwnRequestsAreAcceptedForEverySlot) {
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        const DiskName sd = Sd(static_cast<std::uint16_t>(slot * 1000));
        const DiskName nvme = Nvme(static_cast<std::uint16_t>(slot * 4000));
        const std::vector<HelperRequest> accepted = {
            {HelperKind::Send, slot, EnableSmartBlock(slot, true), sd},
            {HelperKind::Receive, slot, IdentifyBlock(slot, true), sd},
            {HelperKind::Receive, slot, ReadAttributesBlock(slot, true), sd},
            {HelperKind::Receive, slot, ReadThresholdsBlock(slot, true), sd},
            {HelperKind::PowerMode, slot, CheckPowerModeBlock(slot, true), sd},
            {HelperKind::Version, slot, {}, sd},
            {HelperKind::Geometry, slot, {}, sd},
            {HelperKind::NvmeAdmin, slot, {}, nvme, IdentifyControllerBlock()},
            {HelperKind::NvmeAdmin, slot, {}, nvme, HealthLogBlock()},
        };
        for (const HelperRequest& request : accepted) {
            const HelperRequestRecord record = EncodeHelperRequest(request);
            EXPECT_EQ(ParseHelperRequest(record).request, request) << slot << " kind " << int(record[2]);
        }
    }
    EXPECT_EQ(ParseHelperRequest(EncodeHelperRequest({HelperKind::Rights, 0, {}})).request,
              (HelperRequest{HelperKind::Rights, 0, {}}));
}

std::optional<HelperAnswer> Answer(DriveProvider& drives, const HelperRequest& request, bool rights = true) {
    SameDrives same(drives);
    return DecodeHelperAnswer(AnswerHelperRequest(EncodeHelperRequest(request), same, rights));
}

TEST(HelperAnswers, AcceptedRequestsAreCarriedOutOnTheDrives) {
    SimDriveProvider drives(QM_SAMPLES_DIR);  // ATA drives in slots 0, 1, 2 and 4, NVMe in 5
    EXPECT_EQ(Answer(drives, {HelperKind::Rights, 0, {}}, false)->status, HelperStatus::Failed);
    EXPECT_EQ(Answer(drives, {HelperKind::Rights, 0, {}}, true)->status, HelperStatus::Done);
    EXPECT_EQ(Answer(drives, {HelperKind::Version, 0, {}, Sd(0)})->status, HelperStatus::Done);
    EXPECT_EQ(Answer(drives, {HelperKind::Version, 3, {}, Sd(3)})->status, HelperStatus::Failed);

    // NVMe: the first 512 bytes of Identify Controller, the whole health log.
    const auto controller = Answer(drives, {HelperKind::NvmeAdmin, 5, {}, Nvme(0), IdentifyControllerBlock()});
    ASSERT_EQ(controller->status, HelperStatus::Done);
    const std::vector<std::uint8_t>& controllerData = drives.Drive(5)->nvmeIdentify;
    EXPECT_TRUE(std::equal(controllerData.begin(), controllerData.begin() + kHelperNvmeDataSize, controller->payload.begin()));
    EXPECT_TRUE(std::all_of(controller->payload.begin() + kHelperNvmeDataSize, controller->payload.end(),
                            [](std::uint8_t b) { return b == 0; }));
    const auto log = Answer(drives, {HelperKind::NvmeAdmin, 5, {}, Nvme(0), HealthLogBlock()});
    ASSERT_EQ(log->status, HelperStatus::Done);
    EXPECT_TRUE(std::equal(drives.Drive(5)->nvmeLog->begin(), drives.Drive(5)->nvmeLog->end(), log->payload.begin()));
    EXPECT_EQ(Answer(drives, {HelperKind::NvmeAdmin, 0, {}, Nvme(0), HealthLogBlock()})->status, HelperStatus::Failed);

    const auto identify = Answer(drives, {HelperKind::Receive, 2, IdentifyBlock(2, true), Sd(2)});
    ASSERT_TRUE(identify);
    EXPECT_EQ(identify->kind, static_cast<std::uint8_t>(HelperKind::Receive));
    EXPECT_EQ(identify->status, HelperStatus::Done);
    std::array<std::uint8_t, kDataOutputSize> direct{};
    ASSERT_TRUE(drives.OpenDrive(2, DriverFamily::Nt)->Exchange(ControlCode::ReceiveDriveData, IdentifyBlock(2, true), direct));
    EXPECT_EQ(identify->payload, direct);
    EXPECT_EQ(Answer(drives, {HelperKind::Send, 0, EnableSmartBlock(0, true), Sd(0)})->status, HelperStatus::Done);
    EXPECT_EQ(Answer(drives, {HelperKind::Send, 3, EnableSmartBlock(3, true), Sd(3)})->status, HelperStatus::Failed);

    const auto geometry = Answer(drives, {HelperKind::Geometry, 0, {}, Sd(0)});
    EXPECT_EQ(DecodeGeometry(geometry->payload), drives.QueryDriveGeometry(0));
    EXPECT_EQ(Answer(drives, {HelperKind::Geometry, 3, {}, Sd(3)})->status, HelperStatus::Failed);
    const auto awake = Answer(drives, {HelperKind::PowerMode, 0, CheckPowerModeBlock(0, true), Sd(0)});
    EXPECT_EQ(awake->status, HelperStatus::Done);
    EXPECT_EQ(awake->payload[0], 1);
}

// The helper program: its answers on its standard output, and its end at the
// end of its input (a partial last record is dropped). No request here
// reaches a device of this machine.
TEST(HelperProgram, AnswersOnItsOutputAndEndsWithItsInput) {
    HelperConnection helper(QM_SMART_HELPER_BIN, std::chrono::seconds(10));
    const auto rights = helper.Ask({HelperKind::Rights, 0, {}});
    ASSERT_TRUE(rights);
    EXPECT_EQ(rights->status, MayServeAsHelper(::geteuid(), EffectiveCapabilities()) ? HelperStatus::Done
                                                                                      : HelperStatus::Failed);
    CommandBlock disable = EnableSmartBlock(0, true);
    disable.bytes[cb::Features] = 0xD9;
    EXPECT_EQ(helper.Ask({HelperKind::Send, 0, disable})->status, HelperStatus::Refused);

    test::TempFolder folder;
    {
        std::ofstream in(folder / "in", std::ios::binary);
        const HelperRequestRecord one = EncodeHelperRequest({HelperKind::Rights, 0, {}});
        in.write(reinterpret_cast<const char*>(one.data()), one.size());
        in.write(reinterpret_cast<const char*>(one.data()), 20);
    }
    const std::string command = std::string(QM_SMART_HELPER_BIN) + " <" + (folder / "in") + " >" + (folder / "out");
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream out(folder / "out", std::ios::binary);
    const Bytes answers{std::istreambuf_iterator<char>(out), std::istreambuf_iterator<char>()};
    ASSERT_EQ(answers.size(), kHelperAnswerSize);
    EXPECT_TRUE(DecodeHelperAnswer(answers));
}

}  // namespace
}  // namespace qm
