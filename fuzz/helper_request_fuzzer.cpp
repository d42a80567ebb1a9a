// Fuzz target: the request parser of quillmoor-smart-helper and its answers.
// Any bytes are offered as one request record. The parser must never crash
// or read outside them; a record it accepts must be exactly the encoding of
// the request it read (one of the program's own); and the answer must be a
// well-formed record that says Refused exactly when the parser refused. The
// answers are given on a set without drives, so no device is ever touched.
#include <cstddef>
#include <cstdint>
#include <span>

#include "tools/smart_helper/helper_request.h"

namespace {

class NoDrives final : public qm::DriveProvider {
public:
    bool IsNtFamily(qm::DriveSlot) override { return true; }
    std::unique_ptr<qm::DriveHandle> OpenDrive(qm::DriveSlot, qm::DriverFamily) override { return nullptr; }
    qm::DriveKind KindOf(qm::DriveSlot) override { return qm::DriveKind::Ata; }
    std::unique_ptr<qm::NvmeHandle> OpenNvme(qm::DriveSlot) override { return nullptr; }
    std::optional<qm::NvmePublicInfo> NvmeInfo(qm::DriveSlot) override { return std::nullopt; }
    std::optional<qm::DiskGeometry> QueryDriveGeometry(qm::DriveSlot) override { return std::nullopt; }
    std::vector<std::string> VolumesOf(qm::DriveSlot) override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> record(data, size);
    const qm::RequestCheck check = qm::ParseHelperRequest(record);
    if (check.request) {
        const qm::HelperRequestRecord encoded = qm::EncodeHelperRequest(*check.request);
        if (size != encoded.size() || !std::equal(encoded.begin(), encoded.end(), data)) __builtin_trap();
    }
    NoDrives none;
    qm::SameDrives drives(none);
    const std::optional<qm::HelperAnswer> answer = qm::DecodeHelperAnswer(qm::AnswerHelperRequest(record, drives, false));
    if (!answer || (answer->status == qm::HelperStatus::Refused) == check.request.has_value()) __builtin_trap();
    return 0;
}
