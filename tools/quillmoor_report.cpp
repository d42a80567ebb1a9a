// quillmoor-report: reads the drives with the program's own core and prints,
// per present slot, the disk-information rows and the attribute table with
// each row's status; with --csv --slot N, the exact bytes of the CSV export;
// with --json one JSON document; with --prometheus (or --textfile DIR, into
// DIR/quillmoor.prom) Prometheus's text format. What is printed comes from
// tools/report/.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/codepage.h"
#include "base/file_replace.h"
#include "base/text.h"
#include "commands/csv_export.h"
#include "drives/select/command_line.h"
#include "drives/select/select_provider.h"
#include "smart/smart_reader.h"
#include "tools/report/drive_reading.h"
#include "tools/report/json_report.h"
#include "monitor/state_files.h"
#include "settings/program_folder.h"
#include "tools/report/prometheus_report.h"
#include "tools/report/text_report.h"

namespace {

constexpr int kUsageError = 2;

void Usage(std::FILE* to) {
    std::fputs(
        "usage: quillmoor-report [--simulate FOLDER] [--slot N] [--csv | --history | --json | --prometheus | --textfile DIR]\n"
        "  --simulate FOLDER  read the simulated drive set in FOLDER instead of the real disks\n"
        "  --slot N           only drive slot N (0..15)\n"
        "  --csv              write the CSV export of the slot given with --slot\n"
        "  --history          print the temperature samples the program keeps for the slot given with --slot\n"
        "  --json             write one JSON document (UTF-8) of the drives\n"
        "  --prometheus       write the drives in Prometheus's text format; a sleeping drive is not woken\n"
        "  --textfile DIR     the same into DIR/quillmoor.prom, replaced whole (node_exporter's textfile folder)\n",
        to);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "quillmoor-report: %s\n", message.c_str());
    return kUsageError;
}

int Write(std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// The metrics into DIR/quillmoor.prom: a temporary beside it, synced, then
// renamed over it, so node_exporter never reads half a file.
int WriteTextfile(const std::string& folderPath, std::string_view bytes) {
    const qm::WriteFolder folder(folderPath);
    std::error_code error = folder.Error();
    if (!error) error = qm::ReplaceFileAt(folder, qm::kTextfileName, bytes);
    if (!error) return 0;
    std::fprintf(stderr, "quillmoor-report: cannot write %s/%s: %s\n", qm::DisplayText(folderPath).c_str(),
                 std::string(qm::kTextfileName).c_str(), error.message().c_str());
    return 1;
}

// The samples the window kept for the slot's drive (its identity read with
// a probe), one line each as the file holds them: UTC time and °C.
int PrintHistory(qm::SmartReader& reader, qm::DriveSlot slot) {
    const qm::DriveRecord record = reader.ProbeDrive(slot);
    const std::string model = qm::TrimBlanks(record.modelNumber);
    if (!qm::IsPresentDrive(record) || model.empty()) {
        std::fprintf(stderr, "quillmoor-report: no drive in slot %d\n", slot);
        return 1;
    }
    const qm::HistoryStore store(qm::StateFolderOf(qm::ProcessStateHome()));
    std::string lines;
    for (const qm::StoredSample& sample : store.Stored(model, qm::TrimBlanks(record.serialNumber)))
        lines += qm::HistoryLine(sample);
    return Write(lines);
}

int PrintReadings(qm::SmartReader& reader, const qm::CommandLine& line) {
    if (!line.machine) {
        std::string text;
        for (const qm::DriveReading& reading :
             qm::ReadSlots(reader, line.slot, qm::SleepingDrive::Read, qm::SystemUnixTime)) {
            text += qm::TextReport(reading);
        }
        return Write(qm::ToSystemCodePage(text));
    }
    if (*line.machine == qm::MachineOutput::Json) {
        const auto readings = qm::ReadSlots(reader, line.slot, qm::SleepingDrive::Read, qm::SystemUnixTime);
        return Write(qm::JsonReport(readings, {QM_VERSION_MAJOR, QM_VERSION_MINOR, QM_VERSION_REVISION}));
    }
    const auto readings = qm::ReadSlots(reader, line.slot, qm::SleepingDrive::LeaveAlone, qm::SystemUnixTime);
    const std::string metrics = qm::PrometheusReport(readings);
    return line.textfileFolder ? WriteTextfile(*line.textfileFolder, metrics) : Write(metrics);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const qm::CommandLineResult parsed =
        qm::ParseCommandLine(arguments, {.slot = true, .csv = true, .machine = true, .history = true});
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
    if (line.csv) return Write(qm::AttributeCsvBytes(reader.ReadDrive(*line.slot)));
    if (line.history) return PrintHistory(reader, *line.slot);
    return PrintReadings(reader, line);
}
