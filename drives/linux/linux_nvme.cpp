#include "drives/linux/linux_nvme.h"

#include <dirent.h>
#include <linux/nvme_ioctl.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <limits>
#include <memory>

#include "drives/linux/linux_drives.h"
#include "drives/linux/sysfs_files.h"

namespace qm {
namespace {

// Folders and files that are not worth more than this many entries.
constexpr int kMaxEntries = 4096;

// A run of decimal digits at the start of `text` (at most 9); consumes it.
std::optional<unsigned> TakeNumber(std::string_view& text) {
    std::size_t n = 0;
    while (n < text.size() && n < 9 && text[n] >= '0' && text[n] <= '9') ++n;
    if (n == 0 || (n < text.size() && text[n] >= '0' && text[n] <= '9')) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = 0; i < n; ++i) value = value * 10 + static_cast<unsigned>(text[i] - '0');
    text.remove_prefix(n);
    return value;
}

bool TakePrefix(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) return false;
    text.remove_prefix(prefix.size());
    return true;
}

// A namespace entry of a controller's folder: "nvmeSnN" or "nvmeScCnN".
struct NamespaceEntry {
    unsigned subsystem = 0;
    unsigned number = 0;
};
std::optional<NamespaceEntry> ParseNamespaceEntry(std::string_view name) {
    NamespaceEntry entry;
    if (!TakePrefix(name, "nvme")) return std::nullopt;
    const auto subsystem = TakeNumber(name);
    if (!subsystem) return std::nullopt;
    if (TakePrefix(name, "c") && !TakeNumber(name)) return std::nullopt;
    if (!TakePrefix(name, "n")) return std::nullopt;
    const auto number = TakeNumber(name);
    if (!number || !name.empty()) return std::nullopt;
    entry.subsystem = *subsystem;
    entry.number = *number;
    return entry;
}

// The first entry of `folder` whose name starts with `prefix`, in folder order.
std::optional<std::string> FirstEntryStartingWith(const std::string& folder, std::string_view prefix) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    for (int i = 0; dir && i < kMaxEntries; ++i) {
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) break;
        const std::string_view name = entry->d_name;
        if (name.starts_with(prefix) && IsPlainName(name)) return std::string(name);
    }
    return std::nullopt;
}

}  // namespace

bool SendNvmeAdminCommand(int fd, const NvmeCommandBlock& block, std::span<std::uint8_t> data) {
    const std::optional<std::size_t> length = NvmeTransferLength(block);
    if (!length || *length != data.size()) return false;
    nvme_admin_cmd command{};
    command.opcode = block.opcode();
    command.flags = block.flags();
    command.nsid = block.nsid();
    command.cdw2 = block.cdw(2);
    command.cdw3 = block.cdw(3);
    command.addr = reinterpret_cast<std::uintptr_t>(data.data());
    command.data_len = static_cast<std::uint32_t>(data.size());
    command.cdw10 = block.cdw(10);
    command.cdw11 = block.cdw(11);
    command.cdw12 = block.cdw(12);
    command.cdw13 = block.cdw(13);
    command.cdw14 = block.cdw(14);
    command.cdw15 = block.cdw(15);
    command.timeout_ms = static_cast<std::uint32_t>(kPassThroughTimeout.count());
    // Negative: the call failed (rights, a bad buffer); positive: the
    // controller's status for a command it did not complete.
    return ::ioctl(fd, NVME_IOCTL_ADMIN_CMD, &command) == 0;
}

bool LinuxNvmeHandle::AdminCommand(const NvmeCommandBlock& command, std::span<std::uint8_t> data) {
    return SendNvmeAdminCommand(fd_.get(), command, data);
}

std::optional<NvmePublicInfo> ReadNvmePublicInfo(const std::filesystem::path& sysfsRoot, std::string_view controller) {
    if (!IsPlainName(controller)) return std::nullopt;
    const std::string folder = sysfsRoot.native() + "/class/nvme/" + std::string(controller);
    std::optional<std::string> model = ReadAttributeLine(folder + "/model");
    std::optional<std::string> serial = ReadAttributeLine(folder + "/serial");
    std::optional<std::string> firmware = ReadAttributeLine(folder + "/firmware_rev");
    if (!model && !serial && !firmware) return std::nullopt;
    NvmePublicInfo info{model.value_or(""), serial.value_or(""), firmware.value_or(""), std::nullopt};
    if (const auto hwmon = FirstEntryStartingWith(folder, "hwmon")) {
        if (const auto text = ReadSmallFile(folder + "/" + *hwmon + "/temp1_input")) {
            info.milliCelsius = ParseAttributeNumber(*text);
        }
    }
    return info;
}

std::optional<std::string> FirstNamespace(const std::filesystem::path& sysfsRoot, std::string_view controller) {
    if (!IsPlainName(controller)) return std::nullopt;
    const std::string folder = sysfsRoot.native() + "/class/nvme/" + std::string(controller);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    std::optional<NamespaceEntry> first;
    for (int i = 0; dir && i < kMaxEntries; ++i) {
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) break;
        const auto found = ParseNamespaceEntry(entry->d_name);
        if (found && (!first || found->number < first->number)) first = found;
    }
    if (!first) return std::nullopt;
    return "nvme" + std::to_string(first->subsystem) + "n" + std::to_string(first->number);
}

std::optional<DiskGeometry> SysfsGeometry(const std::filesystem::path& sysfsRoot, std::string_view blockName) {
    if (!IsPlainName(blockName)) return std::nullopt;
    const std::string folder = sysfsRoot.native() + "/block/" + std::string(blockName);
    const auto size = ReadSmallFile(folder + "/size");
    const auto blockSize = ReadSmallFile(folder + "/queue/logical_block_size");
    if (!size || !blockSize) return std::nullopt;
    const auto units = ParseAttributeNumber(*size);         // 512-byte units, whatever the block size
    const auto logical = ParseAttributeNumber(*blockSize);
    if (!units || !logical || *units < 0 || *logical <= 0 || *logical > 65536 ||
        *units > std::numeric_limits<std::int64_t>::max() / 512) {
        return DiskGeometry{};
    }
    return GeometryFromSize(static_cast<std::uint64_t>(*units) * 512, static_cast<std::uint32_t>(*logical));
}

}  // namespace qm
