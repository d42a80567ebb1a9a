// Fuzz target: the NVMe requests of quillmoor-smart-helper, and the answers
// the program reads back.
//
// Input: 6 bytes that become the request's slot, disk class, reserved byte
// and disk number (little-endian, 2 bytes) and one byte of drive behaviour,
// then the 64-byte NVMe command of an NvmeAdmin request, then any bytes
// offered to the program as an answer record.
// Checked: the helper accepts exactly Identify Controller and the 512-byte
// health log of all namespaces on an NVMe controller in slots 0..15, and
// nothing else touches a drive; an accepted request is answered from the
// controller (its first 512 bytes) or Failed when the controller refuses; an
// answer record is read only when well formed, and then exactly.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/bytes.h"
#include "fuzz/fuzz_support.h"
#include "smart/nvme_health.h"
#include "tests/smart/fake_provider.h"
#include "tools/smart_helper/helper_request.h"

namespace {

using qm::fuzz::Require;

constexpr std::size_t kHeaderSize = 6;

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeaderSize + qm::kNvmeCommandSize) return 0;
    const std::span<const std::uint8_t> input(data, size);

    qm::HelperRequestRecord record{};
    record[0] = 'Q';
    record[1] = 'R';
    record[2] = static_cast<std::uint8_t>(qm::HelperKind::NvmeAdmin);
    std::copy_n(input.begin(), 5, record.begin() + 3);  // slot, class, reserved, number
    std::copy_n(input.begin() + kHeaderSize, qm::kNvmeCommandSize, record.begin() + 40);
    qm::NvmeCommandBlock command;
    std::copy_n(input.begin() + kHeaderSize, qm::kNvmeCommandSize, command.bytes.begin());

    const int slot = input[0];
    const bool programs = command == qm::IdentifyControllerBlock() || command == qm::HealthLogBlock();
    const bool accepted = slot < qm::kSlotCount && input[1] == static_cast<std::uint8_t>(qm::DiskClass::Nvme) &&
                          input[2] == 0 && programs;
    const qm::RequestCheck check = qm::ParseHelperRequest(record);
    Require(check.request.has_value() == accepted, "exactly the program's two NVMe commands are accepted");

    qm::test::FakeProvider provider;
    qm::test::FakeDrive& drive = provider.drives[slot];
    drive.nvme = true;
    drive.nvmeIdentify = Pattern(qm::nvme::IdentifySize, 1);
    drive.nvmeLog = Pattern(qm::nvme::HealthLogSize, 2);
    drive.failNvmeIdentify = input[5] & 1;
    drive.failNvmeLog = input[5] & 2;
    qm::SameDrives drives(provider);
    const auto answer = qm::DecodeHelperAnswer(qm::AnswerHelperRequest(record, drives, true));
    Require(answer.has_value(), "every answer is well formed");
    if (!accepted) {
        Require(answer->status == qm::HelperStatus::Refused && provider.log.empty(), "a refusal touches no drive");
    } else {
        const bool identify = command.opcode() == qm::nvme::Identify;
        const bool refuses = identify ? drive.failNvmeIdentify : drive.failNvmeLog;
        Require(answer->status == (refuses ? qm::HelperStatus::Failed : qm::HelperStatus::Done), "done unless refused");
        if (!refuses) {
            const auto& expected = identify ? drive.nvmeIdentify : drive.nvmeLog;
            Require(std::equal(expected.begin(), expected.begin() + qm::kHelperNvmeDataSize, answer->payload.begin()),
                    "the first 512 bytes of the answer");
        }
        Require(provider.openHandles == 0, "the controller is closed again");
    }

    // What the program reads as an answer.
    const auto tail = input.subspan(kHeaderSize + qm::kNvmeCommandSize);
    if (const auto read = qm::DecodeHelperAnswer(tail)) {
        const qm::HelperAnswerRecord again = qm::EncodeHelperAnswer(read->kind, read->status, read->payload);
        Require(std::equal(again.begin(), again.end(), tail.begin(), tail.end()), "an answer is read exactly");
    }
    return 0;
}
