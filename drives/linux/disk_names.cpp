#include "drives/linux/disk_names.h"

#include <dirent.h>

#include <algorithm>

namespace qm {
namespace {

constexpr std::string_view kSdPrefix = "sd";
constexpr std::string_view kNvmePrefix = "nvme";
constexpr std::uint32_t kMaxNvmeNumber = 65535;

// sd letters to the number: the kernel counts sda..sdz, then sdaa..sdzz,
// then sdaaa..sdzzz (bijective base 26).
std::optional<std::uint16_t> SdNumber(std::string_view letters) {
    if (letters.empty() || letters.size() > 3) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : letters) {
        if (c < 'a' || c > 'z') return std::nullopt;
        value = value * 26 + static_cast<std::uint32_t>(c - 'a' + 1);
    }
    return static_cast<std::uint16_t>(value - 1);
}

std::optional<std::uint16_t> NvmeNumber(std::string_view digits) {
    if (digits.empty() || digits.size() > 5 || (digits.size() > 1 && digits[0] == '0')) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (value > kMaxNvmeNumber) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

// The disks of class `wanted` among the entries of `folder`.
void ListFolder(const std::string& folder, DiskClass wanted, std::vector<DiskName>& disks) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::optional<DiskName> disk = ParseDiskName(entry->d_name);
        if (disk && disk->diskClass == wanted) disks.push_back(*disk);
    }
    ::closedir(dir);
}

}  // namespace

std::optional<std::string> NodeName(DiskName disk) {
    switch (disk.diskClass) {
        case DiskClass::Sd: {
            if (disk.number > kMaxSdNumber) return std::nullopt;
            std::string letters;
            std::uint32_t n = disk.number + 1u;
            while (n > 0) {
                --n;
                letters.insert(letters.begin(), static_cast<char>('a' + n % 26));
                n /= 26;
            }
            return std::string(kSdPrefix) + letters;
        }
        case DiskClass::Nvme:
            return std::string(kNvmePrefix) + std::to_string(disk.number);
        case DiskClass::None:
            break;
    }
    return std::nullopt;
}

std::optional<DiskName> ParseDiskName(std::string_view name) {
    if (name.starts_with(kNvmePrefix)) {
        const auto number = NvmeNumber(name.substr(kNvmePrefix.size()));
        if (number) return DiskName{DiskClass::Nvme, *number};
        return std::nullopt;
    }
    if (name.starts_with(kSdPrefix)) {
        const auto number = SdNumber(name.substr(kSdPrefix.size()));
        if (number) return DiskName{DiskClass::Sd, *number};
    }
    return std::nullopt;
}

std::vector<DiskName> ListDisks(const std::filesystem::path& sysfsRoot) {
    std::vector<DiskName> disks;
    ListFolder(sysfsRoot.native() + "/block", DiskClass::Sd, disks);
    ListFolder(sysfsRoot.native() + "/class/nvme", DiskClass::Nvme, disks);
    std::sort(disks.begin(), disks.end());
    disks.erase(std::unique(disks.begin(), disks.end()), disks.end());
    return disks;
}

SlotMap::SlotMap(const std::vector<DiskName>& disks) { Grow(disks); }

SlotMap SlotMap::WithDiskIn(DriveSlot slot, DiskName disk) {
    SlotMap map;
    if (!IsValidSlot(slot)) return map;
    map.disks_[static_cast<std::size_t>(slot)] = disk;
    map.size_ = static_cast<std::size_t>(slot) + 1;
    return map;
}

std::optional<DiskName> SlotMap::DiskOf(DriveSlot slot) const {
    if (!IsValidSlot(slot) || static_cast<std::size_t>(slot) >= size_) return std::nullopt;
    const DiskName disk = disks_[static_cast<std::size_t>(slot)];
    if (disk.diskClass == DiskClass::None) return std::nullopt;
    return disk;
}

std::optional<DriveSlot> SlotMap::SlotOf(DiskName disk) const {
    for (std::size_t i = 0; i < size_; ++i)
        if (disks_[i] == disk) return static_cast<DriveSlot>(i);
    return std::nullopt;
}

void SlotMap::Grow(const std::vector<DiskName>& present) {
    for (const DiskName& disk : present) {
        if (size_ == disks_.size()) return;
        if (disk.diskClass == DiskClass::None || SlotOf(disk)) continue;
        disks_[size_++] = disk;
    }
}

}  // namespace qm
