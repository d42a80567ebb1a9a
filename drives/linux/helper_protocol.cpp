#include "drives/linux/helper_protocol.h"

#include <algorithm>

#include "base/bytes.h"

namespace qm {
namespace {

constexpr std::array<std::uint8_t, 2> kRequestMagic{'Q', 'R'};
constexpr std::array<std::uint8_t, 2> kAnswerMagic{'Q', 'A'};

constexpr std::size_t kKindOffset = 2;
constexpr std::size_t kSlotOffset = 3;
constexpr std::size_t kDiskClassOffset = 4;
constexpr std::size_t kRequestReservedOffset = 5;
constexpr std::size_t kDiskNumberOffset = 6;
constexpr std::size_t kBlockOffset = 8;
constexpr std::size_t kNvmeOffset = kBlockOffset + kCommandBlockSize;
static_assert(kNvmeOffset + kNvmeCommandSize == kHelperRequestSize);
constexpr std::size_t kStatusOffset = 3;
constexpr std::size_t kReservedOffset = 4;
constexpr std::size_t kPayloadOffset = 8;

// Geometry payload offsets.
constexpr std::size_t kCylinders = 0;
constexpr std::size_t kTracks = 8;
constexpr std::size_t kSectors = 12;
constexpr std::size_t kBytesPerSector = 16;
constexpr std::size_t kDiskBytes = 20;

bool StartsWith(std::span<const std::uint8_t> record, const std::array<std::uint8_t, 2>& magic) {
    return std::equal(magic.begin(), magic.end(), record.begin());
}

}  // namespace

HelperRequestRecord EncodeHelperRequest(const HelperRequest& request) {
    HelperRequestRecord record{};
    std::copy(kRequestMagic.begin(), kRequestMagic.end(), record.begin());
    record[kKindOffset] = static_cast<std::uint8_t>(request.kind);
    record[kSlotOffset] = static_cast<std::uint8_t>(request.slot);
    record[kDiskClassOffset] = static_cast<std::uint8_t>(request.disk.diskClass);
    StoreLe16(record, kDiskNumberOffset, request.disk.number);
    std::copy(request.block.bytes.begin(), request.block.bytes.end(), record.begin() + kBlockOffset);
    std::copy(request.nvme.bytes.begin(), request.nvme.bytes.end(), record.begin() + kNvmeOffset);
    return record;
}

std::optional<HelperRequest> DecodeHelperRequest(std::span<const std::uint8_t> record) {
    if (record.size() != kHelperRequestSize || !StartsWith(record, kRequestMagic)) return std::nullopt;
    const std::uint8_t kind = record[kKindOffset];
    if (kind < static_cast<std::uint8_t>(HelperKind::Rights) || kind > static_cast<std::uint8_t>(HelperKind::NvmeAdmin)) {
        return std::nullopt;
    }
    const std::uint8_t diskClass = record[kDiskClassOffset];
    if (diskClass > static_cast<std::uint8_t>(DiskClass::Nvme) || record[kRequestReservedOffset] != 0) {
        return std::nullopt;
    }
    HelperRequest request;
    request.kind = static_cast<HelperKind>(kind);
    request.slot = record[kSlotOffset];
    if (!IsValidSlot(request.slot)) return std::nullopt;
    request.disk = {static_cast<DiskClass>(diskClass), LoadLe16(record, kDiskNumberOffset)};
    std::copy_n(record.begin() + kBlockOffset, kCommandBlockSize, request.block.bytes.begin());
    std::copy_n(record.begin() + kNvmeOffset, kNvmeCommandSize, request.nvme.bytes.begin());
    return request;
}

HelperAnswerRecord EncodeHelperAnswer(std::uint8_t kind, HelperStatus status, std::span<const std::uint8_t> payload) {
    HelperAnswerRecord record{};
    std::copy(kAnswerMagic.begin(), kAnswerMagic.end(), record.begin());
    record[kKindOffset] = kind;
    record[kStatusOffset] = static_cast<std::uint8_t>(status);
    std::copy_n(payload.begin(), std::min(payload.size(), kHelperPayloadSize), record.begin() + kPayloadOffset);
    return record;
}

std::optional<HelperAnswer> DecodeHelperAnswer(std::span<const std::uint8_t> record) {
    if (record.size() != kHelperAnswerSize || !StartsWith(record, kAnswerMagic)) return std::nullopt;
    if (LoadLe32(record, kReservedOffset) != 0) return std::nullopt;
    const std::uint8_t status = record[kStatusOffset];
    if (status > static_cast<std::uint8_t>(HelperStatus::Refused)) return std::nullopt;
    HelperAnswer answer;
    answer.kind = record[kKindOffset];
    answer.status = static_cast<HelperStatus>(status);
    std::copy_n(record.begin() + kPayloadOffset, kHelperPayloadSize, answer.payload.begin());
    return answer;
}

HelperPayload EncodeGeometry(const DiskGeometry& geometry) {
    HelperPayload payload{};
    StoreLittleEndian(std::span(payload).subspan(kCylinders, 8), static_cast<std::uint64_t>(geometry.cylinders));
    StoreLe32(payload, kTracks, geometry.tracksPerCylinder);
    StoreLe32(payload, kSectors, geometry.sectorsPerTrack);
    StoreLe32(payload, kBytesPerSector, geometry.bytesPerSector);
    StoreLittleEndian(std::span(payload).subspan(kDiskBytes, 8), geometry.diskBytes);
    return payload;
}

DiskGeometry DecodeGeometry(const HelperPayload& payload) {
    return DiskGeometry{static_cast<std::int64_t>(LoadLittleEndian(std::span(payload).subspan(kCylinders, 8))),
                        LoadLe32(payload, kTracks), LoadLe32(payload, kSectors), LoadLe32(payload, kBytesPerSector),
                        LoadLittleEndian(std::span(payload).subspan(kDiskBytes, 8))};
}

}  // namespace qm
