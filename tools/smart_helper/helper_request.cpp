#include "tools/smart_helper/helper_request.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "smart/nvme_health.h"
#include "smart/power_mode.h"
#include "smart/smart_reader.h"

namespace qm {
namespace {

constexpr bool kNt = true;  // the helper serves the Linux drives, one device per slot

template <typename Block>
bool Empty(const Block& block) {
    return std::all_of(block.bytes.begin(), block.bytes.end(), [](std::uint8_t b) { return b == 0; });
}

// The ATA blocks the program sends for a kind and slot.
bool IsProgramBlock(HelperKind kind, DriveSlot slot, const CommandBlock& block) {
    switch (kind) {
        case HelperKind::Send:
            return block == EnableSmartBlock(slot, kNt);
        case HelperKind::Receive:
            return block == IdentifyBlock(slot, kNt) || block == ReadAttributesBlock(slot, kNt) ||
                   block == ReadThresholdsBlock(slot, kNt);
        case HelperKind::PowerMode:
            return block == CheckPowerModeBlock(slot, kNt);
        case HelperKind::Rights:
        case HelperKind::Version:
        case HelperKind::Geometry:
        case HelperKind::NvmeAdmin:
            return Empty(block);
    }
    return false;
}

// The NVMe commands the program sends: Identify Controller and the health log.
bool IsProgramNvmeCommand(HelperKind kind, const NvmeCommandBlock& command) {
    if (kind != HelperKind::NvmeAdmin) return Empty(command);
    return command == IdentifyControllerBlock() || command == HealthLogBlock();
}

// The disk class a kind works on.
DiskClass ClassOf(HelperKind kind) {
    switch (kind) {
        case HelperKind::Rights: return DiskClass::None;
        case HelperKind::NvmeAdmin: return DiskClass::Nvme;
        default: return DiskClass::Sd;
    }
}

bool IsNamedDisk(HelperKind kind, DiskName disk) {
    if (disk.diskClass != ClassOf(kind)) return false;
    if (disk.diskClass == DiskClass::None) return disk.number == 0;
    return NodeName(disk).has_value();
}

// One whole record from `fd`; false at the end of the input (a partial last
// record included) and on a read error.
bool ReadRecord(int fd, std::span<std::uint8_t> record) {
    std::size_t got = 0;
    while (got < record.size()) {
        const ssize_t n = ::read(fd, record.data() + got, record.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteRecord(int fd, std::span<const std::uint8_t> record) {
    while (!record.empty()) {
        const ssize_t n = ::write(fd, record.data(), record.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        record = record.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

HelperStatus StatusOf(bool done) { return done ? HelperStatus::Done : HelperStatus::Failed; }

// An accepted NVMe command on the controller: the first 512 bytes of its
// answer.
HelperAnswerRecord NvmeExchange(const HelperRequest& request, DriveProvider& drives) {
    const auto kind = static_cast<std::uint8_t>(request.kind);
    std::array<std::uint8_t, nvme::IdentifySize> data{};
    const std::optional<std::size_t> length = NvmeTransferLength(request.nvme);
    const std::unique_ptr<NvmeHandle> handle = drives.OpenNvme(request.slot);
    if (!handle || !length || *length > data.size()) return EncodeHelperAnswer(kind, HelperStatus::Failed);
    const std::span<std::uint8_t> buffer = std::span(data).first(*length);
    const bool done = handle->AdminCommand(request.nvme, buffer);
    if (!done) return EncodeHelperAnswer(kind, HelperStatus::Failed);
    return EncodeHelperAnswer(kind, HelperStatus::Done, buffer.first(std::min(buffer.size(), kHelperNvmeDataSize)));
}

HelperAnswerRecord Exchange(const HelperRequest& request, DriveProvider& drives) {
    const auto kind = static_cast<std::uint8_t>(request.kind);
    const bool send = request.kind == HelperKind::Send;
    std::array<std::uint8_t, kDataOutputSize> out{};
    const std::span<std::uint8_t> output = std::span(out).first(send ? kStatusOutputSize : kDataOutputSize);
    const std::unique_ptr<DriveHandle> handle = drives.OpenDrive(request.slot, DriverFamily::Nt);
    if (!handle) return EncodeHelperAnswer(kind, HelperStatus::Failed);
    const ControlCode code = send ? ControlCode::SendDriveCommand : ControlCode::ReceiveDriveData;
    const bool done = handle->Exchange(code, request.block, output);
    return EncodeHelperAnswer(kind, StatusOf(done), output);
}

}  // namespace

RequestCheck ParseHelperRequest(std::span<const std::uint8_t> record) {
    if (record.size() != kHelperRequestSize) return {std::nullopt, "not a 104-byte record"};
    const std::optional<HelperRequest> request = DecodeHelperRequest(record);
    if (!request) return {std::nullopt, "bad magic, unknown kind or disk class, slot outside 0..15"};
    if (request->kind == HelperKind::Rights && request->slot != 0) return {std::nullopt, "rights of a slot"};
    if (!IsNamedDisk(request->kind, request->disk)) return {std::nullopt, "not a disk of this kind of request"};
    if (!IsProgramBlock(request->kind, request->slot, request->block)) {
        return {std::nullopt, "not a command block this program sends"};
    }
    if (!IsProgramNvmeCommand(request->kind, request->nvme)) {
        return {std::nullopt, "not an NVMe command this program sends"};
    }
    return {request, {}};
}

HelperAnswerRecord AnswerHelperRequest(std::span<const std::uint8_t> record, HelperDrives& helperDrives,
                                       bool mayPassThrough) {
    const std::uint8_t kindByte = record.size() > 2 ? record[2] : 0;
    const RequestCheck check = ParseHelperRequest(record);
    if (!check.request) return EncodeHelperAnswer(kindByte, HelperStatus::Refused);
    const HelperRequest& request = *check.request;
    if (request.kind == HelperKind::Rights) return EncodeHelperAnswer(kindByte, StatusOf(mayPassThrough));
    DriveProvider& drives = helperDrives.For(request);
    switch (request.kind) {
        case HelperKind::Rights:
            break;
        case HelperKind::NvmeAdmin:
            return NvmeExchange(request, drives);
        case HelperKind::Version: {
            const std::unique_ptr<DriveHandle> handle = drives.OpenDrive(request.slot, DriverFamily::Nt);
            return EncodeHelperAnswer(kindByte, StatusOf(handle && handle->SmartGetVersion()));
        }
        case HelperKind::Send:
        case HelperKind::Receive:
            return Exchange(request, drives);
        case HelperKind::PowerMode: {
            const std::optional<PowerMode> mode = drives.QueryPowerMode(request.slot, request.block);
            const std::array<std::uint8_t, 1> payload{mode == PowerMode::Awake ? std::uint8_t{1} : std::uint8_t{0}};
            return EncodeHelperAnswer(kindByte, StatusOf(mode.has_value()), payload);
        }
        case HelperKind::Geometry: {
            const std::optional<DiskGeometry> geometry = drives.QueryDriveGeometry(request.slot);
            if (!geometry) return EncodeHelperAnswer(kindByte, HelperStatus::Failed);
            return EncodeHelperAnswer(kindByte, HelperStatus::Done, EncodeGeometry(*geometry));
        }
    }
    return EncodeHelperAnswer(kindByte, HelperStatus::Refused);
}

void ServeHelperRequests(int in, int out, HelperDrives& drives, bool mayPassThrough) {
    HelperRequestRecord request{};
    while (ReadRecord(in, request)) {
        if (!WriteRecord(out, AnswerHelperRequest(request, drives, mayPassThrough))) return;
    }
}

}  // namespace qm
