// Which disk each drive slot is on Linux. The slots are the machine's whole
// disks in a stable order: the ATA/SCSI disks (sd + letters, in the kernel's
// naming order sda, ..., sdz, sdaa, ...) first, then the NVMe controllers
// (nvme0, nvme1, ...), at most sixteen. The map is made once and only grows:
// a disk that appears later takes the next free slot, and a slot never
// changes disk while the program runs.
//
// Disks are named by a class and a number, never by a path: a node's name
// is built from the two with a fixed pattern, so nothing read from a file or
// a request can make it name anything else.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "drives/device.h"

namespace qm {

enum class DiskClass : std::uint8_t { None = 0, Sd = 1, Nvme = 2 };

// Sd: number 0 is sda, 25 sdz, 26 sdaa, up to kMaxSdNumber (sdzzz).
// Nvme: the controller's number (nvme0 is 0).
struct DiskName {
    DiskClass diskClass = DiskClass::None;
    std::uint16_t number = 0;
    friend bool operator==(const DiskName&, const DiskName&) = default;
    // Slot order: every sd disk before every NVMe controller, each by number.
    friend auto operator<=>(const DiskName&, const DiskName&) = default;
};

inline constexpr std::uint16_t kMaxSdNumber = 26 + 26 * 26 + 26 * 26 * 26 - 1;  // sdzzz

// The node's name ("sda", "nvme0"); nullopt for DiskClass::None and for an
// sd number beyond kMaxSdNumber.
std::optional<std::string> NodeName(DiskName disk);

// The disk a node's name names, read strictly: "sd" and one to three
// lowercase letters, or "nvme" and a decimal number without leading zeros
// up to 65535. nullopt for anything else ("sda1", "nvme0n1", "nvme01").
std::optional<DiskName> ParseDiskName(std::string_view name);

// The whole disks the kernel reports, in slot order: the sd disks of
// sysfsRoot/block and the NVMe controllers of sysfsRoot/class/nvme. Empty
// when neither folder can be read.
std::vector<DiskName> ListDisks(const std::filesystem::path& sysfsRoot);

class SlotMap {
public:
    SlotMap() = default;
    // Slots 0, 1, ... on `disks` in the given order (at most sixteen).
    explicit SlotMap(const std::vector<DiskName>& disks);
    // `disk` in `slot` and no disk in the slots before it (empty outside
    // 0..15).
    static SlotMap WithDiskIn(DriveSlot slot, DiskName disk);

    // The disk of a slot; nullopt for a free slot and outside 0..15.
    std::optional<DiskName> DiskOf(DriveSlot slot) const;
    // The slot of a disk; nullopt when it has none.
    std::optional<DriveSlot> SlotOf(DiskName disk) const;
    // Number of slots taken: slots 0 .. size() - 1.
    std::size_t size() const { return size_; }

    // Gives every disk of `present` that has no slot yet the next free one,
    // in the order given, while slots are free. Slots taken keep their disk,
    // present or not.
    void Grow(const std::vector<DiskName>& present);

private:
    std::array<DiskName, kSlotCount> disks_{};
    std::size_t size_ = 0;
};

}  // namespace qm
