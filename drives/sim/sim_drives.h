// The simulated drive set: a folder with a drives.ini and the dump files it
// names, served through the same seams as the real disks. Used by both
// programs with --simulate FOLDER, by demos and by the tests.
//
// drives.ini has one section per slot, named by the slot number in decimal
// ("0" to "15"; any other section is ignored, and of repeated sections only
// the first counts):
//
//   [0]
//   dump = healthy.smart   ; a dump file inside the folder (a plain file name)
//   dumps = a.smart b.smart ; instead of dump=: up to 64 dumps, blank-separated,
//                          ;   answered from in turn (below); not with dump=
//   kind = nvme            ; optional: an NVMe drive, whose files are instead
//   identify = x.identify  ;   Identify Controller (4096 bytes) and
//   log = x.log            ;   its health log (512 bytes; without it the log is refused)
//   bytes = 1000204886016  ; disk size; default: from the identity sector's LBA count
//   volumes = / /home      ; mount points of its volumes, separated by blanks
//   fail = enable          ; optional: open, version, enable, identify,
//                          ;   attributes, thresholds or (NVMe) log (that exchange
//                          ;   is refused)
//   family = 9x            ; optional: answer the family test with the 9x family
//   power = standby        ; optional: the drive sleeps (CHECK POWER MODE answers
//                          ;   standby) until a command other than that wakes it
//   delay = 20             ; optional: every command that reaches the drive (each
//                          ;   exchange and the power-mode question) takes this
//                          ;   many seconds before it is answered: a stalled disk
//
// A slot is present when its dump (each dump of dumps=) can be read and has
// an identity section; every other slot has no device. Everything is read
// once, at construction.
//
// A drive with dumps= answers from the first dump. A read of the thresholds
// (the last exchange of a full read, answered or refused) moves it to the
// next dump, and it stays on the last: read after read the drive changes,
// while the identity, values and thresholds of one read come from one dump
// and a read of the identity alone (a probe) moves nothing. Each drive keeps
// its own place; reads of one drive are expected one at a time, as the drive
// worker makes them.
//
// A test can have the provider record every open, version query, exchange
// (with the whole command block), close and geometry query, to check the
// registers byte by byte. The record is off unless asked for, so a program
// running on the set (--simulate) does not grow with every read; the counts
// of open handles, family tests and wake-ups are always kept.
//
// The provider may be used from several threads at once (the drive worker
// reads different drives side by side); Interrupt may come from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "drives/device.h"
#include "drives/sim/drive_set_file.h"

namespace qm {

// What the provider recorded.
enum class SimEventKind {
    Open,      // OpenDrive: slot and family asked for; result = a handle was returned
    Version,   // SmartGetVersion on a handle; result = its answer
    Exchange,  // Exchange on a handle: code, block, outSize; result = its answer
    Close,     // a handle was destroyed; result = true
    Geometry,  // QueryDriveGeometry: slot asked for; result = a geometry was returned
    PowerMode, // QueryPowerMode: slot and block; result = a mode was returned
    NvmeCommand,  // AdminCommand on an NVMe handle: nvme, outSize; result = its answer
};

struct SimEvent {
    SimEventKind kind = SimEventKind::Open;
    DriveSlot slot = -1;  // the slot asked for, or the slot the handle was opened for
    DriverFamily family = DriverFamily::Nt;  // the path asked for / of the handle
    bool result = false;
    ControlCode code = ControlCode::SendDriveCommand;  // Exchange only
    CommandBlock block{};                               // Exchange, PowerMode: the block as received
    std::size_t outSize = 0;                            // Exchange, NvmeCommand: the caller's buffer size
    NvmeCommandBlock nvme{};                            // NvmeCommand: the command as received
    friend bool operator==(const SimEvent&, const SimEvent&) = default;
};

// Most events kept while recording; older ones are dropped, so a long test
// does not grow without bound.
inline constexpr std::size_t kSimEventLimit = 65536;

enum class SimRecording : bool { Off, On };

class SimDriveProvider final : public DriveProvider {
public:
    // Reads FOLDER/drives.ini and the dumps it names. A missing or unreadable
    // folder or drives.ini gives a set without drives and an error text (see
    // error()); an empty drives.ini is a valid set without drives. With
    // SimRecording::On the provider keeps the events (Events()).
    explicit SimDriveProvider(const std::string& folder, SimRecording recording = SimRecording::Off);
    ~SimDriveProvider() override;

    SimDriveProvider(const SimDriveProvider&) = delete;
    SimDriveProvider& operator=(const SimDriveProvider&) = delete;

    // False when the folder or its drives.ini could not be read; error() then
    // says why. Otherwise error() is empty.
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // One line per thing in drives.ini that was ignored or replaced by a
    // default (bad or repeated section, unsafe dump name, unreadable dump,
    // bad bytes=, unknown fail= or family= word), in file order.
    const std::vector<std::string>& warnings() const { return warnings_; }

    // The present drive of a slot, or nullptr.
    const SimDrive* Drive(DriveSlot slot) const;
    std::vector<DriveSlot> PresentSlots() const;

    // DriveProvider. IsNtFamily is false exactly for slots configured with
    // family = 9x (present or not). OpenDrive(slot, Nt) opens a present slot
    // not configured 9x; OpenDrive(slot, Nine) opens, for a present slot
    // configured 9x, the one shared 9x device, which serves the drive named by
    // the drive-number byte of each command block. A slot with fail = open
    // cannot be opened, on either path or for the geometry (an NVMe drive's
    // geometry and sleep, which the system tells every user, stay).
    bool IsNtFamily(DriveSlot slot) override;
    std::unique_ptr<DriveHandle> OpenDrive(DriveSlot slot, DriverFamily family) override;
    // kind = nvme drives: their kind, a handle that answers Identify
    // Controller and the health log from the drive's files (refused as
    // fail= says), and what the system would tell every user (model, serial
    // and firmware from the identify file, blanks removed; the composite
    // temperature of the log file in millidegrees, as hwmon gives it), which
    // stays with fail = open.
    DriveKind KindOf(DriveSlot slot) override;
    std::unique_ptr<NvmeHandle> OpenNvme(DriveSlot slot) override;
    std::optional<NvmePublicInfo> NvmeInfo(DriveSlot slot) override;
    // The published geometry of the drive's bytes in 512-byte sectors
    // (GeometryFromSize), as the disk driver gives it.
    std::optional<DiskGeometry> QueryDriveGeometry(DriveSlot slot) override;
    std::vector<std::string> VolumesOf(DriveSlot slot) override;
    // "sim" and the slot number ("sim0") for a present drive; empty otherwise.
    std::string DeviceName(DriveSlot slot) override;
    // Standby while the drive sleeps, Awake otherwise (for an NVMe drive,
    // which is never asked, nullopt); asking wakes nothing. nullopt for a
    // slot without a drive, a slot with fail = open, and a block that is not
    // CHECK POWER MODE for this slot.
    std::optional<PowerMode> QueryPowerMode(DriveSlot slot, const CommandBlock& query) override;

    // Sleeping drives. Every exchange that reaches a sleeping drive wakes it,
    // as any command but CHECK POWER MODE wakes a real disk; WakeUps counts
    // those. PutToSleep is the drive's own standby timer running out.
    bool Asleep(DriveSlot slot) const;
    int WakeUps(DriveSlot slot) const;
    void PutToSleep(DriveSlot slot);

    // Ends every delay now and refuses every delayed command from now on,
    // as a command that times out is refused. Any thread.
    void Interrupt() override;

    // Recording. Events() in order of occurrence (the latest kSimEventLimit);
    // always empty for a provider made with SimRecording::Off.
    std::vector<SimEvent> Events() const;
    std::vector<SimEvent> Events(SimEventKind kind) const;
    // Number of handles opened and not yet destroyed.
    int OpenHandles() const;
    // Number of family tests (IsNtFamily calls).
    int FamilyTests() const;
    // Forgets the events and the family-test count (open handles stay counted).
    void Clear();

    struct State;  // shared with the handles, so a handle may outlive the provider

private:
    std::string error_;
    std::vector<std::string> warnings_;
    std::shared_ptr<State> state_;
};

}  // namespace qm
