// The simulated drive set: drives.ini and one dump file in a folder, read by
// SimDriveProvider and then read drive by drive, as --simulate does.
//
// Input: the bytes of drives.ini, then the line "%%", then the bytes of the
// dump file a.smart (without the line, the whole input is drives.ini and
// a.smart is empty). Checked: the set reads (the folder and drives.ini are
// there), every warning is showable text, every disk size fits a signed
// 64-bit number, and every slot reads into a record that keeps the layout
// rule, with every handle closed.
#include <cstdint>
#include <limits>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "fuzz/record_checks.h"
#include "drives/sim/sim_drives.h"
#include "smart/capacity.h"
#include "smart/smart_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using qm::fuzz::Require;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kSeparator = "\n%%\n";
    const std::size_t split = input.find(kSeparator);
    const std::string_view ini = input.substr(0, split);
    const std::string_view dump = split == std::string_view::npos ? "" : input.substr(split + kSeparator.size());

    const auto folder = qm::fuzz::ScratchFolder::Path() / "set";
    std::filesystem::create_directories(folder);
    qm::fuzz::WriteFile(folder / "drives.ini", qm::fuzz::Bytes(ini));
    qm::fuzz::WriteFile(folder / "a.smart", qm::fuzz::Bytes(dump));

    qm::SimDriveProvider provider(folder.string());
    Require(provider.ok(), "a folder with a drives.ini is a drive set");
    for (const std::string& warning : provider.warnings()) Require(qm::fuzz::IsShowable(warning), "warnings are showable");

    qm::SmartReader reader(provider);
    for (qm::DriveSlot slot = 0; slot < qm::kSlotCount; ++slot) {
        if (const qm::SimDrive* drive = provider.Drive(slot)) {
            Require(drive->dump.identify.has_value(), "a present drive has an identity");
            Require(drive->bytes <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()),
                    "a disk size fits a signed 64-bit number");
        }
        qm::fuzz::CheckRecord(reader.ReadDrive(slot));
        qm::DriveCapacityText(provider, slot);
        provider.VolumesOf(slot);
    }
    Require(provider.OpenHandles() == 0, "every handle is closed");
    return 0;
}
