#include "drives/sim/skdump.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string_view>

#include "base/bytes.h"
#include "base/file_replace.h"

namespace qm {

namespace {

constexpr std::string_view kTagIdentify = "IDFY";
constexpr std::string_view kTagStatus = "SMST";
constexpr std::string_view kTagSmartData = "SMDT";
constexpr std::string_view kTagThresholds = "SMTH";

bool TagIs(std::span<const std::uint8_t> tag, std::string_view name) {
    return std::equal(tag.begin(), tag.end(), name.begin(), name.end(),
                      [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
}

// Stores `data` in `slot` when it has exactly the slot's size and the slot is
// still empty; counts a wrong length.
template <std::size_t N>
void Take(std::optional<std::array<std::uint8_t, N>>& slot, std::span<const std::uint8_t> data, SkDump& dump) {
    if (data.size() != N) {
        ++dump.badLengthSections;
        return;
    }
    if (slot) return;  // the first section of a tag counts
    std::array<std::uint8_t, N> copy{};
    std::copy(data.begin(), data.end(), copy.begin());
    slot = copy;
}

void AppendSection(std::vector<std::uint8_t>& out, std::string_view tag, std::span<const std::uint8_t> data) {
    out.insert(out.end(), tag.begin(), tag.end());
    std::array<std::uint8_t, 4> length{};
    StoreBigEndian(length, data.size());
    out.insert(out.end(), length.begin(), length.end());
    out.insert(out.end(), data.begin(), data.end());
}

}  // namespace

SkDump ParseSkDump(std::span<const std::uint8_t> bytes) {
    SkDump dump;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t left = bytes.size() - pos;
        if (left < kSkDumpHeaderSize) {
            dump.truncated = true;
            break;
        }
        const auto tag = bytes.subspan(pos, 4);
        const auto length = static_cast<std::uint32_t>(LoadBigEndian(bytes.subspan(pos + 4, 4)));
        // Compared without adding to pos, so a length near 2^32 cannot wrap.
        if (length > left - kSkDumpHeaderSize) {
            dump.truncated = true;
            break;
        }
        const auto data = bytes.subspan(pos + kSkDumpHeaderSize, length);
        if (TagIs(tag, kTagIdentify)) {
            Take(dump.identify, data, dump);
        } else if (TagIs(tag, kTagStatus)) {
            Take(dump.status, data, dump);
        } else if (TagIs(tag, kTagSmartData)) {
            Take(dump.smartData, data, dump);
        } else if (TagIs(tag, kTagThresholds)) {
            Take(dump.thresholds, data, dump);
        } else {
            ++dump.unknownSections;
        }
        pos += kSkDumpHeaderSize + length;
    }
    return dump;
}

std::optional<SkDump> LoadSkDump(const std::string& path) {
    // Opened without following a link and without waiting, and checked on
    // the opened descriptor: a FIFO or a device swapped in for the dump
    // cannot stall the read, a link cannot lead out of the drive set.
    const LoadedFile file = LoadRegularFile(path, kSkDumpReadLimit, FollowLink::No, OverLimit::Cut);
    if (file.status != LoadStatus::Loaded) return std::nullopt;
    return ParseSkDump(std::span(reinterpret_cast<const std::uint8_t*>(file.bytes.data()), file.bytes.size()));
}

std::vector<std::uint8_t> SerializeSkDump(const SkDump& dump) {
    std::vector<std::uint8_t> out;
    if (dump.identify) AppendSection(out, kTagIdentify, *dump.identify);
    if (dump.status) AppendSection(out, kTagStatus, *dump.status);
    if (dump.smartData) AppendSection(out, kTagSmartData, *dump.smartData);
    if (dump.thresholds) AppendSection(out, kTagThresholds, *dump.thresholds);
    return out;
}

bool SaveSkDump(const std::string& path, const SkDump& dump) {
    const std::vector<std::uint8_t> bytes = SerializeSkDump(dump);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace qm
