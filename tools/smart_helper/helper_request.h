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

// Accepts a record exactly when DecodeHelperRequest reads its frame and its
// command block is what the program sends for that kind and slot (NT path,
// drive-number byte = slot):
//   Send       EnableSmartBlock
//   Receive    IdentifyBlock, ReadAttributesBlock or ReadThresholdsBlock
//   PowerMode  CheckPowerModeBlock
//   Version, Geometry  an all-zero block;  Rights  slot 0 and an all-zero block.
// Any other command, feature, register, reserved byte or buffer size is
// refused, as is a slot outside 0..15 and a record that is not 36 bytes.
RequestCheck ParseHelperRequest(std::span<const std::uint8_t> record);

// The helper's answer to one record: Refused, without touching `drives`,
// unless ParseHelperRequest accepts it; otherwise the request carried out on
// `drives` (each opens and closes the device itself). `mayPassThrough` is the
// answer to Rights.
HelperAnswerRecord AnswerHelperRequest(std::span<const std::uint8_t> record, DriveProvider& drives,
                                       bool mayPassThrough);

// Reads request records from `in` and writes each answer to `out` until the
// input ends (a partial last record is dropped) or either side fails.
void ServeHelperRequests(int in, int out, DriveProvider& drives, bool mayPassThrough);

}  // namespace qm
