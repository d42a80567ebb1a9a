// A drive set whose drives a test can hold: a read of a held slot waits at
// its first step (opening the drive, or asking its power mode) until the
// test lets it go, so a test can stall a drive without a clock. Interrupt
// ends every hold (the read then fails, as a timed-out command does), unless
// the holds are `stuck`, like a command inside the kernel.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

#include "drives/device.h"

namespace qm::test {

class GatedDrives final : public DriveProvider {
public:
    explicit GatedDrives(DriveProvider& inner) : inner_(inner) {}

    void Hold(DriveSlot slot) {
        const std::lock_guard lock(mutex_);
        held_.insert(slot);
    }
    void Release(DriveSlot slot) {
        {
            const std::lock_guard lock(mutex_);
            held_.erase(slot);
        }
        changed_.notify_all();
    }
    // Waits until a read of the slot waits at its hold.
    bool WaitUntilWaiting(DriveSlot slot, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return waiting_.count(slot) != 0; });
    }
    // Holds that Interrupt does not end.
    void SetStuck(bool stuck) {
        const std::lock_guard lock(mutex_);
        stuck_ = stuck;
    }

    bool IsNtFamily(DriveSlot slot) override { return inner_.IsNtFamily(slot); }
    std::unique_ptr<DriveHandle> OpenDrive(DriveSlot slot, DriverFamily family) override {
        return Pass(slot) ? inner_.OpenDrive(slot, family) : nullptr;
    }
    DriveKind KindOf(DriveSlot slot) override { return inner_.KindOf(slot); }
    std::unique_ptr<NvmeHandle> OpenNvme(DriveSlot slot) override { return Pass(slot) ? inner_.OpenNvme(slot) : nullptr; }
    std::optional<NvmePublicInfo> NvmeInfo(DriveSlot slot) override { return inner_.NvmeInfo(slot); }
    std::optional<DiskGeometry> QueryDriveGeometry(DriveSlot slot) override { return inner_.QueryDriveGeometry(slot); }
    std::vector<std::string> VolumesOf(DriveSlot slot) override { return inner_.VolumesOf(slot); }
    std::optional<PowerMode> QueryPowerMode(DriveSlot slot, const CommandBlock& query) override {
        return Pass(slot) ? inner_.QueryPowerMode(slot, query) : std::nullopt;
    }
    void Interrupt() override {
        {
            const std::lock_guard lock(mutex_);
            interrupted_ = true;
        }
        changed_.notify_all();
        inner_.Interrupt();
    }

private:
    // Waits while the slot is held; false when an interruption ended the wait.
    bool Pass(DriveSlot slot) {
        std::unique_lock lock(mutex_);
        waiting_.insert(slot);
        changed_.notify_all();
        changed_.wait(lock, [&] { return held_.count(slot) == 0 || (interrupted_ && !stuck_); });
        waiting_.erase(waiting_.find(slot));
        return held_.count(slot) == 0;
    }

    DriveProvider& inner_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::set<DriveSlot> held_;
    std::multiset<DriveSlot> waiting_;
    bool interrupted_ = false;
    bool stuck_ = false;
};

}  // namespace qm::test
