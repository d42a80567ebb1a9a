// quillmoor-report: reads the drives with the program's own core and prints,
// per present slot, the disk-information rows and the attribute table with
// each row's status; with --csv --slot N, the exact bytes of the CSV export.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/csv_export.h"
#include "base/codepage.h"
#include "smart/capacity.h"
#include "smart/drive_info.h"
#include "smart/shown_rows.h"
#include "smart/status_marks.h"
#include "smart/slot_names.h"
#include "smart/smart_reader.h"
#include "drives/select/command_line.h"
#include "drives/select/select_provider.h"

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

void Emit(std::string_view utf8) {
    const std::string bytes = qm::ToSystemCodePage(utf8);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void PrintDrive(qm::SmartReader& reader, qm::DriveSlot slot) {
    const qm::DriveRecord record = reader.ReadDrive(slot);
    if (!IsPresentDrive(record)) return;
    qm::DriveProvider& provider = reader.provider();

    // The live volumes; the temperature row is filled here ("--" without a reading).
    std::vector<qm::InfoRow> rows = qm::DriveInfoRows(record, qm::DriveCapacityText(provider, slot),
                                                      qm::JoinVolumes(provider.VolumesOf(slot)));
    const std::optional<int> temperature = qm::DriveTemperature(record);
    rows[qm::kTemperatureRow].value = temperature ? std::to_string(*temperature) : "--";

    std::string out = "== slot " + std::to_string(slot) + " " + std::string(qm::SlotNames[static_cast<std::size_t>(slot)]) + " ==\n";
    for (const qm::InfoRow& row : rows) {
        if (!row.label.empty()) out += row.label + "\t" + qm::DisplayText(row.value.value_or("")) + "\n";
    }
    out += "状態\tID\t属性名\t現在値\t限界値\t最悪値\t生の値\n";
    for (const qm::ShownRow& row : qm::ShownRows(record)) {
        out += qm::MarkOf(row.status).word;
        for (const std::string_view cell : {std::string_view(row.idText), row.name, std::string_view(row.current),
                                            std::string_view(row.threshold), std::string_view(row.worst),
                                            std::string_view(row.raw)}) {
            out += '\t';
            out += cell;
        }
        out += '\n';
    }
    out += "\n";
    Emit(out);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const qm::CommandLineResult parsed = qm::ParseCommandLine(arguments, {.slot = true, .csv = true});
    if (!parsed.options) {
        Usage(stderr);
        return Fail(parsed.error);
    }
    const qm::CommandLine& line = *parsed.options;
    if (line.help) {
        Usage(stdout);
        return 0;
    }

    const qm::DriveSelection drives = qm::SelectDriveProvider(line.simulateFolder);
    if (!drives.provider) return Fail(drives.error);
    // A drive set with mistakes still runs; say what was ignored.
    for (const std::string& warning : drives.warnings) {
        std::fprintf(stderr, "quillmoor-report: %s\n", qm::DisplayText(warning).c_str());
    }
    if (!drives.mayReadDisks) {
        std::fputs("quillmoor-report: no rights to send commands to the disks (neither CAP_SYS_RAWIO nor a "
                   "quillmoor-smart-helper with its capabilities); drives may be missing\n",
                   stderr);
    }

    qm::SmartReader reader(*drives.provider);
    if (line.csv) {
        const std::string bytes = qm::AttributeCsvBytes(reader.ReadDrive(*line.slot));
        std::fwrite(bytes.data(), 1, bytes.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (line.slot) {
        PrintDrive(reader, *line.slot);
    } else {
        for (qm::DriveSlot s = 0; s < qm::kSlotCount; ++s) PrintDrive(reader, s);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
