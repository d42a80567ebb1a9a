// quillmoor-real-path-bench: the cost of reading a real drive, meant to run
// inside the test VM (bench/run-in-vm.sh) where /dev/sda is an emulated disk.
//
//   steady SLOT DEVICE RUNS [--path NAME]
//       RUNS rounds, each one bare read of DEVICE (bench/bare_smart_read.h;
//       for an NVMe slot bench/bare_nvme_read.h), the same commands through
//       the read path NAME's device seam without decoding, and one
//       SmartReader::ReadDrive(SLOT) over that path, after a few untimed
//       rounds. Prints, in microseconds:
//         STEADY bare:NAME <median> <min> <max>   (measured beside NAME)
//         STEADY exchanges:NAME <median> <min> <max>
//         STEADY read:NAME <median> <min> <max>
//         RATIO read:NAME <median> <min> <max>     (ReadDrive / bare, per round)
//       with "NAME/nvme" in place of NAME for an NVMe slot.
//   first WHAT SLOT [--path NAME]
//       The first and the second call of WHAT in this process, which must be
//       fresh (nothing of the read path has run yet):
//         FIRST WHAT:NAME <first> <second>
//       WHAT is read (ReadDrive), volumes (VolumesOf), capacity
//       (DriveCapacityText) or convert (FromSystemCodePage of an identity
//       string; needs no drive).
//   trips SLOT RUNS
//       What one request to the helper costs, apart from the drive: RUNS
//       rounds of a Rights request (a round trip that touches no device), a
//       version query through the helper (round trip, open, SG_GET_VERSION_NUM
//       and close of the node in the helper) and the same query in this
//       process (open, ioctl, close). Prints STEADY trip:rights,
//       STEADY trip:version and STEADY trip:version-direct like above.
//   --tag TEXT  (with any) prints "@TEXT" after each label, to tell the
//       builds apart when two are measured in one run.
//
// The read paths are the providers in kReadPaths; a new way to reach the
// drives is measured by adding a line there.
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bare_nvme_read.h"
#include "bench/bare_smart_read.h"
#include "base/codepage.h"
#include "drives/linux/helper_drives.h"
#include "drives/linux/linux_drives.h"
#include "smart/capacity.h"
#include "smart/nvme_health.h"
#include "smart/smart_reader.h"

namespace {

struct ReadPath {
    std::string_view name;
    std::function<std::unique_ptr<qm::DriveProvider>()> make;
};

std::unique_ptr<qm::HelperDriveProvider> HelperBesideThisProgram() {
    return qm::ConnectHelper(qm::HelperCandidates(qm::ExecutableFolder()));
}

// direct: SG_IO from this process; helper: every request through
// quillmoor-smart-helper found beside this program (a pipe round trip and an
// open and close of the device per request).
const ReadPath kReadPaths[] = {
    {"direct", [] { return std::make_unique<qm::LinuxDriveProvider>(); }},
    {"helper", HelperBesideThisProgram},
};

using Clock = std::chrono::steady_clock;

std::string tag;  // "@TEXT" after every label, or nothing

double MicrosecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

template <typename F>
double Time(F&& f) {
    const auto start = Clock::now();
    f();
    return MicrosecondsSince(start);
}

void PrintSpread(const char* kind, const std::string& label, std::vector<double> t) {
    std::sort(t.begin(), t.end());
    std::printf("%s %s%s %.3f %.3f %.3f\n", kind, label.c_str(), tag.c_str(), t[t.size() / 2], t.front(), t.back());
}

int Number(std::string_view text) {
    int value = -1;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

int Usage() {
    std::fputs("usage: quillmoor-real-path-bench steady SLOT DEVICE RUNS [--path NAME] [--tag TEXT]\n"
               "       quillmoor-real-path-bench first read|volumes|capacity|convert SLOT [--path NAME] [--tag TEXT]\n"
               "       quillmoor-real-path-bench trips SLOT RUNS [--tag TEXT]\n",
               stderr);
    return 2;
}

int NoPath(std::string_view name) {
    std::fprintf(stderr, "quillmoor-real-path-bench: the read path %s is not available\n", std::string(name).c_str());
    return 1;
}

// A handle on the slot's drive once its version query succeeded, as
// ReadDrive opens it; nullptr otherwise.
std::unique_ptr<qm::DriveHandle> OpenChecked(qm::DriveProvider& provider, qm::DriveSlot slot) {
    auto handle = provider.OpenDrive(slot, qm::DriverFamily::Nt);
    return handle && handle->SmartGetVersion() ? std::move(handle) : nullptr;
}

// The NVMe read's calls on the seam: open, Identify Controller, the health log.
bool NvmeExchangesOnly(qm::DriveProvider& provider, qm::DriveSlot slot) {
    static const qm::NvmeCommandBlock kIdentify = qm::IdentifyControllerBlock();
    static const qm::NvmeCommandBlock kLog = qm::HealthLogBlock();
    const auto handle = provider.OpenNvme(slot);
    if (!handle) return false;
    alignas(qm::nvme::IdentifySize) std::array<std::uint8_t, qm::nvme::IdentifySize> identify;
    alignas(qm::nvme::HealthLogSize) std::array<std::uint8_t, qm::nvme::HealthLogSize> log;
    return handle->AdminCommand(kIdentify, identify) && handle->AdminCommand(kLog, log);
}

// The provider's share of a read: the same calls ReadDrive makes on the
// device seam, with the command blocks made beforehand and nothing decoded.
bool ExchangesOnly(qm::DriveProvider& provider, qm::DriveSlot slot) {
    if (provider.KindOf(slot) == qm::DriveKind::Nvme) return NvmeExchangesOnly(provider, slot);
    static const qm::CommandBlock kBlocks[] = {qm::IdentifyBlock(slot, true), qm::ReadAttributesBlock(slot, true),
                                                qm::ReadThresholdsBlock(slot, true)};
    const auto handle = OpenChecked(provider, slot);
    if (!handle) return false;
    std::array<std::uint8_t, qm::kStatusOutputSize> status{};
    bool ok = handle->Exchange(qm::ControlCode::SendDriveCommand, qm::EnableSmartBlock(slot, true), status);
    for (const qm::CommandBlock& block : kBlocks) {
        std::array<std::uint8_t, qm::kDataOutputSize> out{};
        ok = handle->Exchange(qm::ControlCode::ReceiveDriveData, block, out) && ok;
    }
    return ok;
}

// A whole read: the drive answered, and an NVMe drive's health log came.
bool WholeRead(const qm::DriveRecord& record) {
    return IsPresentDrive(record) && (record.kind == qm::DriveKind::Ata || (record.nvme && record.nvme->health));
}

int Steady(const ReadPath& path, qm::DriveSlot slot, const char* device, int runs) {
    const auto provider = path.make();
    if (!provider) return NoPath(path.name);
    qm::SmartReader reader(*provider);
    const bool nvme = provider->KindOf(slot) == qm::DriveKind::Nvme;
    const auto bareRead = nvme ? qm::bench::BareNvmeRead : qm::bench::BareSmartRead;
    const std::string name = std::string(path.name) + (nvme ? "/nvme" : "");
    bool ok = true;
    for (int i = 0; i < 5; ++i) ok = bareRead(device) && WholeRead(reader.ReadDrive(slot)) && ok;
    std::vector<double> bare, exchanges, read;
    for (int i = 0; i < runs; ++i) {
        bare.push_back(Time([&] { ok = bareRead(device) && ok; }));
        exchanges.push_back(Time([&] { ok = ExchangesOnly(*provider, slot) && ok; }));
        read.push_back(Time([&] { ok = WholeRead(reader.ReadDrive(slot)) && ok; }));
    }
    PrintSpread("STEADY", "bare:" + name, bare);
    PrintSpread("STEADY", "exchanges:" + name, exchanges);
    PrintSpread("STEADY", "read:" + name, read);
    // Each round's two figures were taken back to back: their ratio is
    // robust against a machine whose speed drifts.
    std::vector<double> ratios;
    for (int i = 0; i < runs; ++i) ratios.push_back(read[i] / bare[i]);
    PrintSpread("RATIO", "read:" + name, ratios);
    if (!ok) std::fputs("quillmoor-real-path-bench: a read failed\n", stderr);
    return ok ? 0 : 1;
}

int Trips(qm::DriveSlot slot, int runs) {
    const auto helper = HelperBesideThisProgram();
    if (!helper) return NoPath("helper");
    qm::LinuxDriveProvider direct;
    const auto version = [slot](qm::DriveProvider& provider) { return OpenChecked(provider, slot) != nullptr; };
    bool ok = true;
    std::vector<double> rights, viaHelper, inProcess;
    for (int i = 0; i < runs; ++i) {
        rights.push_back(Time([&] { ok = helper->HelperHasRights() && ok; }));
        viaHelper.push_back(Time([&] { ok = version(*helper) && ok; }));
        inProcess.push_back(Time([&] { ok = version(direct) && ok; }));
    }
    PrintSpread("STEADY", "trip:rights", rights);
    PrintSpread("STEADY", "trip:version", viaHelper);
    PrintSpread("STEADY", "trip:version-direct", inProcess);
    return ok ? 0 : 1;
}

int First(std::string_view what, const ReadPath& path, qm::DriveSlot slot) {
    std::function<bool()> call;
    std::unique_ptr<qm::DriveProvider> provider;
    std::unique_ptr<qm::SmartReader> reader;
    if (what == "convert") {
        static constexpr std::uint8_t kModel[] = "QEMU HARDDISK                           ";
        call = [] { return !qm::FromSystemCodePage(std::span(kModel, 40)).empty(); };
    } else {
        provider = path.make();
        if (!provider) return NoPath(path.name);
        reader = std::make_unique<qm::SmartReader>(*provider);
        if (what == "read") {
            call = [&] { return IsPresentDrive(reader->ReadDrive(slot)); };
        } else if (what == "volumes") {
            call = [&] { return provider->VolumesOf(slot).size() < 1000; };
        } else if (what == "capacity") {
            call = [&] { return qm::DriveCapacityText(*provider, slot).has_value(); };
        } else {
            return Usage();
        }
    }
    bool ok = true;
    const double first = Time([&] { ok = call() && ok; });
    const double second = Time([&] { ok = call() && ok; });
    std::printf("FIRST %s:%s%s %.1f %.1f\n", std::string(what).c_str(), std::string(path.name).c_str(), tag.c_str(),
                first, second);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (const auto option = std::find(args.begin(), args.end(), "--tag"); option != args.end()) {
        if (option + 1 == args.end()) return Usage();
        tag = "@" + std::string(*(option + 1));
        args.erase(option, option + 2);
    }
    const ReadPath* path = &kReadPaths[0];
    if (const auto option = std::find(args.begin(), args.end(), "--path"); option != args.end()) {
        if (option + 1 == args.end()) return Usage();
        const auto named = std::find_if(std::begin(kReadPaths), std::end(kReadPaths),
                                        [&](const ReadPath& p) { return p.name == *(option + 1); });
        if (named == std::end(kReadPaths)) return Usage();
        path = named;
        args.erase(option, option + 2);
    }
    if (args.size() == 4 && args[0] == "steady") {
        return Steady(*path, Number(args[1]), std::string(args[2]).c_str(), Number(args[3]));
    }
    if (args.size() == 3 && args[0] == "first") return First(args[1], *path, Number(args[2]));
    if (args.size() == 3 && args[0] == "trips") return Trips(Number(args[1]), Number(args[2]));
    return Usage();
}
