// What quillmoor-smart-helper accepts, and its answer to one request record.
// Pure apart from the drives it is handed, so the whole list of refusals can
// be tested (and fuzzed) without a device.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "drives/device.h"
#include "drives/linux/helper_protocol.h"

namespace qm {

struct RequestCheck {
    std::optional<HelperRequest> request;  // set exactly when the request is accepted
    std::string_view refusal;              // otherwise why not, in a few words
};

// Accepts a record exactly when DecodeHelperRequest reads its frame, its disk
// is one the helper can name (NodeName) of the class the kind needs, and its
// commands are what the program sends for that kind and slot (NT path,
// drive-number byte = slot), the other command area all zero:
//   Send       sd disk, EnableSmartBlock
//   Receive    sd disk, IdentifyBlock, ReadAttributesBlock or ReadThresholdsBlock
//   PowerMode  sd disk, CheckPowerModeBlock
//   Version, Geometry  sd disk, no command
//   NvmeAdmin  NVMe controller, IdentifyControllerBlock or HealthLogBlock
//   Rights     slot 0, no disk, no command.
// Any other command, opcode, log page, namespace, length, flag, feature,
// register, reserved byte or buffer size is refused, as is a slot outside
// 0..15, a disk of the wrong class or beyond the names, and a record that is
// not 104 bytes.
RequestCheck ParseHelperRequest(std::span<const std::uint8_t> record);

// The drives the helper serves: the provider that reaches the disk an
// accepted request names, in the request's slot.
class HelperDrives {
public:
    virtual ~HelperDrives() = default;
    virtual DriveProvider& For(const HelperRequest& request) = 0;
};

// One provider for every request, whatever disk it names (tests, and the
// tests' stand-in helper over a simulated set).
class SameDrives final : public HelperDrives {
public:
    explicit SameDrives(DriveProvider& drives) : drives_(drives) {}
    DriveProvider& For(const HelperRequest&) override { return drives_; }

private:
    DriveProvider& drives_;
};

// The helper's answer to one record: Refused, without touching `drives`,
// unless ParseHelperRequest accepts it; otherwise the request carried out on
// drives.For(request) (each opens and closes the device itself).
// `mayPassThrough` is the answer to Rights.
HelperAnswerRecord AnswerHelperRequest(std::span<const std::uint8_t> record, HelperDrives& drives,
                                       bool mayPassThrough);

// Reads request records from `in` and writes each answer to `out` until the
// input ends (a partial last record is dropped) or either side fails.
void ServeHelperRequests(int in, int out, HelperDrives& drives, bool mayPassThrough);

}  // namespace qm
