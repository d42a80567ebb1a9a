// Cost of the monitoring pass's drive reads: all sixteen slots of the sample
// set (present drives answer from memory, so this is the program's own share
// of a pass), and the empty-slot path alone.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "drives/sim/sim_drives.h"
#include "smart/smart_reader.h"

namespace {

void BM_ReadAllSlotsOfSampleSet(benchmark::State& state) {
    qm::SimDriveProvider provider(QM_SAMPLES_DIR);
    qm::SmartReader reader(provider);
    int present = 0;
    for (auto _ : state) {
        present = 0;
        for (qm::DriveSlot slot = 0; slot < qm::kSlotCount; ++slot) {
            const qm::DriveRecord record = reader.ReadDrive(slot);
            present += qm::IsPresentDrive(record) ? 1 : 0;
            benchmark::DoNotOptimize(record);
        }
    }
    state.counters["drives"] = present;
}
BENCHMARK(BM_ReadAllSlotsOfSampleSet)->Unit(benchmark::kMicrosecond);

void BM_ProbeAllSlotsOfSampleSet(benchmark::State& state) {
    qm::SimDriveProvider provider(QM_SAMPLES_DIR);
    qm::SmartReader reader(provider);
    for (auto _ : state) {
        for (qm::DriveSlot slot = 0; slot < qm::kSlotCount; ++slot) benchmark::DoNotOptimize(reader.ProbeDrive(slot));
    }
}
BENCHMARK(BM_ProbeAllSlotsOfSampleSet)->Unit(benchmark::kMicrosecond);

void BM_EmptySlot(benchmark::State& state) {
    qm::SimDriveProvider provider(QM_SAMPLES_DIR);
    qm::SmartReader reader(provider);
    const auto present = provider.PresentSlots();
    qm::DriveSlot empty = 0;
    while (std::find(present.begin(), present.end(), empty) != present.end()) ++empty;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reader.ReadDrive(empty));
    }
}
BENCHMARK(BM_EmptySlot);

}  // namespace

namespace {

// One drive of the sample set: the ATA disk of slot 0 and the NVMe drive of
// slot 5, each answering from memory (the program's own share of a read).
void BM_ReadOneDrive(benchmark::State& state) {
    qm::SimDriveProvider provider(QM_SAMPLES_DIR);
    qm::SmartReader reader(provider);
    const auto slot = static_cast<qm::DriveSlot>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(reader.ReadDrive(slot));
}
BENCHMARK(BM_ReadOneDrive)->Arg(0)->Arg(5);

}  // namespace
