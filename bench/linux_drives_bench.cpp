// Cost of the real realisation's empty slots on Linux.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "drives/linux/linux_drives.h"
#include "smart/smart_reader.h"

namespace {

// A monitoring pass over sixteen empty slots of the real realisation: every
// slot must fail at the open. The device folder is an empty folder, so this
// never touches the machine's disks.
void BM_LinuxSixteenEmptySlots(benchmark::State& state) {
    const std::filesystem::path empty = std::filesystem::temp_directory_path() / "quillmoor-bench-no-devices";
    std::filesystem::create_directories(empty);
    qm::LinuxDriveProvider provider(empty);
    qm::SmartReader reader(provider);
    for (auto _ : state) {
        for (qm::DriveSlot slot = 0; slot < qm::kSlotCount; ++slot) benchmark::DoNotOptimize(reader.ReadDrive(slot));
    }
}
BENCHMARK(BM_LinuxSixteenEmptySlots)->Unit(benchmark::kMicrosecond);

}  // namespace
