#include "drives/sim/sim_drives.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "base/bytes.h"

namespace qm {

// Everything the provider and its handles share: the drives and the record.
// The drives and the families are fixed at construction; everything else
// (the power modes, the dump each drive answers from, the record, the
// counts) changes under `mutex`.
struct SimDriveProvider::State {
    std::array<std::optional<SimDrive>, kSlotCount> drives;
    std::array<bool, kSlotCount> nineFamily{};  // family = 9x, also for slots without a drive
    bool recording = false;

    mutable std::mutex mutex;
    std::condition_variable interruption;
    bool interrupted = false;
    std::array<bool, kSlotCount> asleep{};      // power mode of each present drive
    std::array<int, kSlotCount> wakeUps{};
    std::array<std::size_t, kSlotCount> dumpIndex{};  // the dump each drive answers from (SimDrive::DumpAt)
    std::deque<SimEvent> events;
    int openHandles = 0;
    int familyTests = 0;

    void Record(const SimEvent& event) {
        if (!recording) return;
        const std::lock_guard lock(mutex);
        if (events.size() >= kSimEventLimit) events.pop_front();
        events.push_back(event);
    }

    // A command reaching `drive` takes its delay. False when the provider was
    // interrupted before or during it: the command is refused, as a timed-out
    // one is.
    bool Delay(const SimDrive& drive) {
        if (drive.delay.count() == 0) return true;
        std::unique_lock lock(mutex);
        return !interruption.wait_for(lock, drive.delay, [this] { return interrupted; });
    }

    const SimDrive* Drive(DriveSlot slot) const {
        if (!IsValidSlot(slot) || !drives[static_cast<std::size_t>(slot)]) return nullptr;
        return &*drives[static_cast<std::size_t>(slot)];
    }

    // The dump the present drive `drive` of `slot` answers from now. The
    // dumps are fixed, so the reference stays valid after the lock.
    const SkDump& CurrentDump(DriveSlot slot, const SimDrive& drive) {
        const std::lock_guard lock(mutex);
        return drive.DumpAt(dumpIndex[static_cast<std::size_t>(slot)]);
    }

    // A full read of the drive has ended: the next command is answered from
    // its next dump, if it has one.
    void NextDump(DriveSlot slot, const SimDrive& drive) {
        const std::lock_guard lock(mutex);
        std::size_t& index = dumpIndex[static_cast<std::size_t>(slot)];
        if (index + 1 < drive.DumpCount()) ++index;
    }

    // A command reached the present drive of `slot`.
    void Wake(DriveSlot slot) {
        const std::lock_guard lock(mutex);
        const auto s = static_cast<std::size_t>(slot);
        if (!asleep[s]) return;
        asleep[s] = false;
        ++wakeUps[s];
    }
};

namespace {

// The sector a S.M.A.R.T. or identity read asks for.
enum class SectorAsked { None, Identity, Values, Thresholds };

bool HasSmartSignature(const CommandBlock& in) {
    return in.command() == ata::Smart && in.cylLow() == ata::SmartCylLow && in.cylHigh() == ata::SmartCylHigh;
}

SectorAsked SectorOf(const CommandBlock& in) {
    if (in.command() == ata::IdentifyDevice) return SectorAsked::Identity;
    if (!HasSmartSignature(in)) return SectorAsked::None;
    if (in.features() == ata::SmartReadData) return SectorAsked::Values;
    if (in.features() == ata::SmartReadThresholds) return SectorAsked::Thresholds;
    return SectorAsked::None;
}

// Answers one command block as the drive `drive` would, from its dump
// `dump`. Validates the control code against the buffer sizes first; writes
// into `out` only on success.
bool Answer(const SimDrive& drive, const SkDump& dump, ControlCode code, const CommandBlock& in,
            std::span<std::uint8_t> out) {
    switch (code) {
        case ControlCode::SendDriveCommand: {
            if (out.size() != kStatusOutputSize || in.bufferSize() != 0) return false;
            if (!HasSmartSignature(in) || in.features() != ata::SmartEnable) return false;
            if (drive.Refuses(SimFault::Enable)) return false;
            std::fill(out.begin(), out.end(), std::uint8_t{0});  // buffer size 0, driver status all clear
            return true;
        }
        case ControlCode::ReceiveDriveData: {
            if (out.size() != kDataOutputSize || in.bufferSize() != kSectorSize) return false;
            const std::optional<Sector>* sector = nullptr;
            switch (SectorOf(in)) {
                case SectorAsked::Identity:
                    if (!drive.Refuses(SimFault::Identify)) sector = &dump.identify;
                    break;
                case SectorAsked::Values:
                    if (!drive.Refuses(SimFault::Attributes)) sector = &dump.smartData;
                    break;
                case SectorAsked::Thresholds:
                    if (!drive.Refuses(SimFault::Thresholds)) sector = &dump.thresholds;
                    break;
                case SectorAsked::None:
                    break;
            }
            if (sector == nullptr || !*sector) return false;
            StoreLe32(out, 0, static_cast<std::uint32_t>(kSectorSize));
            std::fill(out.begin() + 4, out.begin() + kDataOffset, std::uint8_t{0});
            std::copy((*sector)->begin(), (*sector)->end(), out.begin() + kDataOffset);
            return true;
        }
    }
    return false;  // a control code the driver does not know
}

// A read of the thresholds ends a full read (identity, values, thresholds,
// in that order): answered or refused, the drive moves on to its next dump
// after it, so the three answers of one read come from one dump and a read
// of the identity alone moves nothing.
bool EndsFullRead(ControlCode code, const CommandBlock& in) {
    return code == ControlCode::ReceiveDriveData && SectorOf(in) == SectorAsked::Thresholds;
}

// The NVMe commands the set answers: Identify Controller (CNS 01h) and the
// health log of all namespaces, each with its buffer of the right length;
// the answer's file, or nullptr for anything else.
const std::vector<std::uint8_t>* NvmeAnswer(const SimDrive& drive, const NvmeCommandBlock& command,
                                            std::size_t dataSize) {
    if (NvmeTransferLength(command) != dataSize) return nullptr;
    const std::uint8_t cnsOrLog = static_cast<std::uint8_t>(command.cdw(10));
    if (command.opcode() == nvme::Identify && cnsOrLog == nvme::IdentifyController && command.nsid() == 0) {
        return drive.Refuses(SimFault::Identify) ? nullptr : &drive.nvmeIdentify;
    }
    if (command.opcode() == nvme::GetLogPage && cnsOrLog == nvme::HealthLogId &&
        command.nsid() == nvme::AllNamespaces && !drive.Refuses(SimFault::Log) && drive.nvmeLog) {
        return &*drive.nvmeLog;
    }
    return nullptr;
}

// A handle on one NVMe controller of the set.
class SimNvmeHandle final : public NvmeHandle {
public:
    SimNvmeHandle(std::shared_ptr<SimDriveProvider::State> state, DriveSlot slot) : state_(std::move(state)), slot_(slot) {
        const std::lock_guard lock(state_->mutex);
        ++state_->openHandles;
    }
    ~SimNvmeHandle() override {
        {
            const std::lock_guard lock(state_->mutex);
            --state_->openHandles;
        }
        state_->Record({.kind = SimEventKind::Close, .slot = slot_, .result = true});
    }
    SimNvmeHandle(const SimNvmeHandle&) = delete;
    SimNvmeHandle& operator=(const SimNvmeHandle&) = delete;

    bool AdminCommand(const NvmeCommandBlock& command, std::span<std::uint8_t> data) override {
        const SimDrive* drive = state_->Drive(slot_);
        if (drive != nullptr) state_->Wake(slot_);
        const std::vector<std::uint8_t>* answer = drive != nullptr ? NvmeAnswer(*drive, command, data.size()) : nullptr;
        if (answer != nullptr) std::copy_n(answer->begin(), std::min(answer->size(), data.size()), data.begin());
        state_->Record({.kind = SimEventKind::NvmeCommand,
                        .slot = slot_,
                        .result = answer != nullptr,
                        .outSize = data.size(),
                        .nvme = command});
        return answer != nullptr;
    }

private:
    std::shared_ptr<SimDriveProvider::State> state_;
    DriveSlot slot_;
};

// The text of a fixed-size identity field with the blanks and NULs that pad
// it removed, as the kernel shows it in sysfs.
std::string PaddedField(const std::vector<std::uint8_t>& data, std::size_t offset, std::size_t length) {
    std::size_t end = offset + length;
    while (end > offset && (data[end - 1] == ' ' || data[end - 1] == 0)) --end;
    return std::string(data.begin() + static_cast<std::ptrdiff_t>(offset), data.begin() + static_cast<std::ptrdiff_t>(end));
}

// A handle on one drive (NT path) or on the shared 9x device.
class SimHandle final : public DriveHandle {
public:
    SimHandle(std::shared_ptr<SimDriveProvider::State> state, DriveSlot slot, DriverFamily family)
        : state_(std::move(state)), slot_(slot), family_(family) {
        const std::lock_guard lock(state_->mutex);
        ++state_->openHandles;
    }
    ~SimHandle() override {
        {
            const std::lock_guard lock(state_->mutex);
            --state_->openHandles;
        }
        state_->Record({.kind = SimEventKind::Close, .slot = slot_, .family = family_, .result = true});
    }
    SimHandle(const SimHandle&) = delete;
    SimHandle& operator=(const SimHandle&) = delete;

    bool SmartGetVersion() override {
        const SimDrive* drive = state_->Drive(slot_);
        const bool ok = drive != nullptr && !drive->Refuses(SimFault::Version);
        state_->Record({.kind = SimEventKind::Version, .slot = slot_, .family = family_, .result = ok});
        return ok;
    }

    bool Exchange(ControlCode code, const CommandBlock& in, std::span<std::uint8_t> out) override {
        // The NT device is one drive; the 9x device serves the drive that the
        // block's drive-number byte names.
        const DriveSlot target = family_ == DriverFamily::Nt ? slot_ : static_cast<DriveSlot>(in.driveNumber());
        const SimDrive* drive = state_->Drive(target);
        const bool reached = drive != nullptr && state_->Delay(*drive);
        if (reached) state_->Wake(target);
        const bool ok = reached && Answer(*drive, state_->CurrentDump(target, *drive), code, in, out);
        if (reached && EndsFullRead(code, in)) state_->NextDump(target, *drive);
        state_->Record({.kind = SimEventKind::Exchange,
                        .slot = slot_,
                        .family = family_,
                        .result = ok,
                        .code = code,
                        .block = in,
                        .outSize = out.size()});
        return ok;
    }

private:
    std::shared_ptr<SimDriveProvider::State> state_;
    DriveSlot slot_;
    DriverFamily family_;
};

}  // namespace

SimDriveProvider::SimDriveProvider(const std::string& folder, SimRecording recording)
    : state_(std::make_shared<State>()) {
    DriveSetFile set = ReadDriveSetFile(folder);
    error_ = std::move(set.error);
    warnings_ = std::move(set.warnings);
    state_->drives = std::move(set.drives);
    state_->nineFamily = set.nineFamily;
    for (DriveSlot s = 0; s < kSlotCount; ++s) {
        if (const SimDrive* drive = state_->Drive(s)) state_->asleep[static_cast<std::size_t>(s)] = drive->standby;
    }
    state_->recording = recording == SimRecording::On;
}

SimDriveProvider::~SimDriveProvider() = default;

const SimDrive* SimDriveProvider::Drive(DriveSlot slot) const { return state_->Drive(slot); }

std::vector<DriveSlot> SimDriveProvider::PresentSlots() const {
    std::vector<DriveSlot> slots;
    for (DriveSlot s = 0; s < kSlotCount; ++s)
        if (state_->Drive(s)) slots.push_back(s);
    return slots;
}

bool SimDriveProvider::IsNtFamily(DriveSlot slot) {
    {
        const std::lock_guard lock(state_->mutex);
        ++state_->familyTests;
    }
    return !IsValidSlot(slot) || !state_->nineFamily[static_cast<std::size_t>(slot)];
}

std::unique_ptr<DriveHandle> SimDriveProvider::OpenDrive(DriveSlot slot, DriverFamily family) {
    std::unique_ptr<DriveHandle> handle;
    const SimDrive* drive = state_->Drive(slot);
    if (drive != nullptr && drive->kind == DriveKind::Ata && !drive->Refuses(SimFault::Open) &&
        drive->nineFamily == (family == DriverFamily::Nine)) {
        handle = std::make_unique<SimHandle>(state_, slot, family);
    }
    state_->Record({.kind = SimEventKind::Open, .slot = slot, .family = family, .result = handle != nullptr});
    return handle;
}

DriveKind SimDriveProvider::KindOf(DriveSlot slot) {
    const SimDrive* drive = state_->Drive(slot);
    return drive != nullptr ? drive->kind : DriveKind::Ata;
}

std::unique_ptr<NvmeHandle> SimDriveProvider::OpenNvme(DriveSlot slot) {
    std::unique_ptr<NvmeHandle> handle;
    const SimDrive* drive = state_->Drive(slot);
    if (drive != nullptr && drive->kind == DriveKind::Nvme && !drive->Refuses(SimFault::Open)) {
        handle = std::make_unique<SimNvmeHandle>(state_, slot);
    }
    state_->Record({.kind = SimEventKind::Open, .slot = slot, .result = handle != nullptr});
    return handle;
}

std::optional<NvmePublicInfo> SimDriveProvider::NvmeInfo(DriveSlot slot) {
    const SimDrive* drive = state_->Drive(slot);
    if (drive == nullptr || drive->kind != DriveKind::Nvme) return std::nullopt;
    const auto& id = drive->nvmeIdentify;
    NvmePublicInfo info{PaddedField(id, nvme_id::Model, nvme_id::ModelLength),
                        PaddedField(id, nvme_id::Serial, nvme_id::SerialLength),
                        PaddedField(id, nvme_id::Firmware, nvme_id::FirmwareLength), std::nullopt};
    // The composite temperature as the kernel's hwmon device gives it.
    const std::uint16_t kelvin = drive->nvmeLog ? LoadLe16(*drive->nvmeLog, nvme_log::CompositeTemperature) : 0;
    if (kelvin != 0) info.milliCelsius = std::int64_t{kelvin} * 1000 - 273150;
    return info;
}

std::optional<DiskGeometry> SimDriveProvider::QueryDriveGeometry(DriveSlot slot) {
    std::optional<DiskGeometry> geometry;
    const SimDrive* drive = state_->Drive(slot);
    // An NVMe drive's size is what the system tells every user: fail = open does not hide it.
    if (drive != nullptr && (!drive->Refuses(SimFault::Open) || drive->kind == DriveKind::Nvme)) {
        geometry = GeometryFromSize(drive->bytes, kSectorSize);
    }
    state_->Record({.kind = SimEventKind::Geometry, .slot = slot, .result = geometry.has_value()});
    return geometry;
}

std::vector<std::string> SimDriveProvider::VolumesOf(DriveSlot slot) {
    const SimDrive* drive = state_->Drive(slot);
    return drive != nullptr ? drive->volumes : std::vector<std::string>{};
}

std::string SimDriveProvider::DeviceName(DriveSlot slot) {
    return state_->Drive(slot) != nullptr ? "sim" + std::to_string(slot) : std::string();
}

std::optional<PowerMode> SimDriveProvider::QueryPowerMode(DriveSlot slot, const CommandBlock& query) {
    std::optional<PowerMode> mode;
    const SimDrive* drive = state_->Drive(slot);
    const bool isQuery = query.command() == ata::CheckPowerMode && query.bufferSize() == 0 &&
                         query.driveNumber() == static_cast<std::uint8_t>(slot);
    if (drive != nullptr && (!drive->Refuses(SimFault::Open) || drive->kind == DriveKind::Nvme) && isQuery &&
        state_->Delay(*drive)) {
        mode = Asleep(slot) ? PowerMode::Standby : PowerMode::Awake;
        // An NVMe controller is never asked: only a suspended one is known to sleep.
        if (drive->kind == DriveKind::Nvme && mode == PowerMode::Awake) mode.reset();
    }
    state_->Record({.kind = SimEventKind::PowerMode, .slot = slot, .result = mode.has_value(), .block = query});
    return mode;
}

bool SimDriveProvider::Asleep(DriveSlot slot) const {
    const std::lock_guard lock(state_->mutex);
    return state_->Drive(slot) != nullptr && state_->asleep[static_cast<std::size_t>(slot)];
}

int SimDriveProvider::WakeUps(DriveSlot slot) const {
    const std::lock_guard lock(state_->mutex);
    return IsValidSlot(slot) ? state_->wakeUps[static_cast<std::size_t>(slot)] : 0;
}

void SimDriveProvider::PutToSleep(DriveSlot slot) {
    const std::lock_guard lock(state_->mutex);
    if (state_->Drive(slot) != nullptr) state_->asleep[static_cast<std::size_t>(slot)] = true;
}

void SimDriveProvider::Interrupt() {
    {
        const std::lock_guard lock(state_->mutex);
        state_->interrupted = true;
    }
    state_->interruption.notify_all();
}

std::vector<SimEvent> SimDriveProvider::Events() const {
    const std::lock_guard lock(state_->mutex);
    return std::vector<SimEvent>(state_->events.begin(), state_->events.end());
}

std::vector<SimEvent> SimDriveProvider::Events(SimEventKind kind) const {
    const std::lock_guard lock(state_->mutex);
    std::vector<SimEvent> out;
    for (const SimEvent& e : state_->events)
        if (e.kind == kind) out.push_back(e);
    return out;
}

int SimDriveProvider::OpenHandles() const {
    const std::lock_guard lock(state_->mutex);
    return state_->openHandles;
}

int SimDriveProvider::FamilyTests() const {
    const std::lock_guard lock(state_->mutex);
    return state_->familyTests;
}

void SimDriveProvider::Clear() {
    const std::lock_guard lock(state_->mutex);
    state_->events.clear();
    state_->familyTests = 0;
}

}  // namespace qm
