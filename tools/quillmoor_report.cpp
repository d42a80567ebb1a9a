// quillmoor-report: reads the drives with the program's own core and prints,
// per present slot, the disk-information rows and the attribute table with
// each row's status; with --csv --slot N, the exact bytes of the CSV export.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

#include "commands/csv_export.h"
#include "commands/volume_text.h"
#include "platform/codepage.h"
#include "smart/capacity.h"
#include "smart/rating.h"
#include "smart/slot_names.h"
#include "smart/smart_reader.h"
#include "platform/select/select_provider.h"
#include "platform/sim/sim_drives.h"

namespace {

constexpr int kUsageError = 2;

void Usage(std::FILE* to) {
    std::fputs(
        "usage: quillmoor-report [--simulate FOLDER] [--slot N] [--csv]\n"
        "  --simulate FOLDER  read the simulated drive set in FOLDER instead of the real disks\n"
        "  --slot N           only drive slot N (0..15)\n"
        "  --csv              write the CSV export of the slot given with --slot\n",
        to);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "quillmoor-report: %s\n", message.c_str());
    return kUsageError;
}

std::string_view StatusWord(qm::AttributeStatus status) {
    switch (status) {
        case qm::AttributeStatus::Good: return "良好";
        case qm::AttributeStatus::Caution: return "注意";
        case qm::AttributeStatus::Bad: return "危険";
    }
    return "良好";
}

void Emit(std::string_view utf8) {
    const std::string bytes = qm::ToSystemCodePage(utf8);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void PrintDrive(qm::SmartReader& reader, qm::DriveSlot slot) {
    const qm::DriveRecord record = reader.ReadDrive(slot);
    if (record.driveType != 1) return;
    qm::DriveProvider& provider = reader.provider();

    const std::string volumes = qm::JoinVolumes(provider.VolumesOf(slot));
    const int temperature = qm::DriveTemperature(record);

    std::string out = "== slot " + std::to_string(slot) + " " + std::string(qm::SlotNames[static_cast<std::size_t>(slot)]) + " ==\n";
    out += "モデル\t" + qm::DisplayText(qm::TrimBlanks(record.modelNumber)) + "\n";
    out += "シリアルNo\t" + qm::DisplayText(qm::TrimBlanks(record.serialNumber)) + "\n";
    out += "ファームウェア\t" + qm::DisplayText(qm::TrimBlanks(record.firmwareRevision)) + "\n";
    out += "シリンダ数\t" + std::to_string(record.cylinders) + "\n";
    out += "ヘッド/トラック\t" + std::to_string(record.heads) + "/" + std::to_string(record.sectorsPerTrack) + "\n";
    out += "ディスク容量\t" + qm::DriveCapacityText(provider, slot).value_or("") + "\n";
    out += "ドライブレター\t" + qm::DisplayText(volumes) + "\n";
    out += "現在の温度\t" + (temperature > 1 ? std::to_string(temperature) : std::string("--")) + "\n";
    out += "状態\tID\t属性名\t現在値\t限界値\t最悪値\t生の値\n";
    for (const qm::AttributeRow& row : qm::AttributeRows(record)) {
        out += StatusWord(qm::RateAttribute(row.id, row.current, row.threshold, row.raw));
        out += "\t" + std::to_string(row.id) + "\t" + row.name + "\t" + std::to_string(row.current) + "\t" +
               std::to_string(row.threshold) + "\t" + std::to_string(row.worst) + "\t" + std::to_string(row.raw) + "\n";
    }
    out += "\n";
    Emit(out);
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<std::string> folder;
    std::optional<int> slot;
    bool csv = false;

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        }
        if (arg == "--csv") {
            csv = true;
        } else if (arg == "--simulate" || arg == "--slot") {
            if (i + 1 >= argc) return Fail(std::string(arg) + " needs a value");
            const std::string_view value = argv[++i];
            if (arg == "--simulate") {
                folder = std::string(value);
            } else {
                int n = -1;
                const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
                if (ec != std::errc() || end != value.data() + value.size() || n < 0 || n >= qm::kSlotCount) {
                    return Fail("slot must be a number from 0 to 15, not \"" + qm::DisplayText(value) + "\"");
                }
                slot = n;
            }
        } else {
            Usage(stderr);
            return Fail("unknown option \"" + qm::DisplayText(arg) + "\"");
        }
    }
    if (csv && !slot) return Fail("--csv needs --slot N");

    std::string error;
    std::unique_ptr<qm::DriveProvider> provider = qm::SelectDriveProvider(folder, error);
    if (!provider) return Fail(error);

    // A drive set with mistakes still runs; say what was ignored.
    if (const auto* sim = dynamic_cast<const qm::SimDriveProvider*>(provider.get())) {
        for (const std::string& warning : sim->warnings()) {
            std::fprintf(stderr, "quillmoor-report: %s\n", qm::DisplayText(warning).c_str());
        }
    }
    if (!qm::SelectRightsProbe(folder.has_value())->IsAdministrator()) {
        std::fputs("quillmoor-report: reading the disks needs root or CAP_SYS_RAWIO; drives may be missing\n", stderr);
    }

    qm::SmartReader reader(*provider);
    if (csv) {
        const std::string bytes = qm::AttributeCsvBytes(reader.ReadDrive(*slot));
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (slot) {
        PrintDrive(reader, *slot);
    } else {
        for (qm::DriveSlot s = 0; s < qm::kSlotCount; ++s) PrintDrive(reader, s);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
