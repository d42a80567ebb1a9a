// The drives as the main window watches them: the start-up scan that gives
// each drive its tab, the view of one drive, the minute pass with its
// notification icons and history, and the volumes stored for each drive.
//
// The drives are read by the worker (drive_worker.h), which the monitor
// owns; everything else here lives on the window's thread, which asks and is
// told: each request takes a continuation that runs there with the answer
// (DeliverAnswers). The settings file and the notification area are used on
// that thread only. No window is needed: the window shows what this computes.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "monitor/clock.h"
#include "monitor/drive_view.h"
#include "monitor/drive_worker.h"
#include "monitor/monitoring_pass.h"
#include "monitor/temperature_history.h"
#include "monitor/tray_icons.h"
#include "settings/settings.h"

namespace qm {

// One tab of the drive strip: the drive's trimmed model and its slot.
struct DriveTab {
    std::string model;
    DriveSlot slot = 0;
    friend bool operator==(const DriveTab&, const DriveTab&) = default;
};

// Trimmed model and serial of the drive found in a slot at start-up; both
// empty for slots without one.
struct DriveIdentity {
    std::string model;
    std::string serial;
    friend bool operator==(const DriveIdentity&, const DriveIdentity&) = default;
};

class DriveMonitor {
public:
    using AnswerHandler = std::function<void(const DriveAnswer&)>;

    // The worker reads `drives` and asks `rights`; nothing is read before the
    // first request.
    DriveMonitor(DriveProvider& drives, RightsProbe& rights, Settings& settings, NotificationArea& tray);

    DriveWorker& Worker() { return worker_; }
    const DriveWorker& Worker() const { return worker_; }

    // The one place where the worker's answers come in, on the window's
    // thread: takes every answer that is ready and hands each first to the
    // observers (in the order they were added), then to the continuations of
    // its request. Returns how many answers it delivered.
    std::size_t DeliverAnswers();
    // Every answer the worker delivers goes to `observer` first, whatever
    // asked for it (for consumers that judge each read, such as alerts).
    void AddAnswerObserver(AnswerHandler observer) { observers_.push_back(std::move(observer)); }
    // For callers without an event loop (tests, tools): delivers answers as
    // they come until nothing is out any more, at most `limit`. True then.
    bool DeliverUntilIdle(std::chrono::milliseconds limit);

    // Asks the worker (DriveWorker::Ask); `then` runs with the answer, also
    // when the request joined another. False when nothing was asked (a pass
    // skipped for a busy drive, a stopped worker): `then` never runs.
    bool Ask(DriveSlot slot, DriveQuestion question, AnswerHandler then);

    // The administrator test, asked of the worker (on Linux it may start
    // the helper and wait for its answer).
    void AskRights(std::function<void(bool mayReadDisks)> then);

    // Probes slots 0..15 once. A present drive (IsPresentDrive) whose model is
    // not blank gets a tab (in slot order, as many as there are), its
    // identity and the volumes stored for it. Tabs come as the drives answer,
    // in slot order: `tabFound(index, tab)` for each, where `index` is its
    // place among the tabs. A drive that answered waits for the slots before
    // it until StopHoldingTabs; from then on each tab comes as its drive
    // answers, put in its place by slot. `finished` once every slot answered.
    void ScanDrives(std::function<void(int index, const DriveTab& tab)> tabFound, std::function<void()> finished);
    // Lets the drives that answered come before slower slots ahead of them.
    void StopHoldingTabs();
    // True from ScanDrives until every slot has answered.
    bool Scanning() const { return scanning_; }
    // Since when the scan runs; nullopt when it does not.
    std::optional<std::chrono::steady_clock::time_point> ScanningSince() const {
        return scanning_ ? std::optional(scanStarted_) : std::nullopt;
    }

    const std::vector<DriveTab>& Tabs() const { return tabs_; }
    // The slot of the tab at `index`; nullopt for an index without a tab.
    std::optional<DriveSlot> SlotOfTab(int index) const;
    // The index of the slot's tab; nullopt for a slot without one.
    std::optional<int> TabOfSlot(DriveSlot slot) const;
    const std::array<DriveIdentity, kSlotCount>& Identities() const { return identities_; }
    const SlotVolumes& StoredVolumes() const { return volumes_; }
    // Reads the stored volumes again for every slot whose drive answers a
    // probe now (other slots keep theirs); `done` once every slot answered.
    void RereadStoredVolumes(std::function<void()> done = {});

    // The view of the slot's drive from a fresh read (rows, marks, capacity
    // and the stored volumes; a slot without a drive gives an empty view).
    // The read counts as the slot's pass read at `moment` too (icons,
    // samples). `then(view, report)` with both. A view of the slot already
    // out is not asked again: its answer serves (and `then` is dropped).
    using ViewHandler = std::function<void(const DriveViewContent&, const PassReport&)>;
    void ViewDrive(DriveSlot slot, const PassMoment& moment, ViewHandler then);
    // The slot's last view and the temperatures its last read found; nullptr
    // and empty before the first.
    const DriveViewContent* LastView(DriveSlot slot) const;
    std::vector<int> LastTemperatures(DriveSlot slot) const;

    // One monitoring pass at `moment` over every slot but `except` (the slot
    // a view reads at the same time): slots that are still busy are skipped;
    // each answer is applied (ApplyPassRead) and reported to `onReport`.
    // Icons that wait for a notification area are added once it is there.
    void RunPass(const PassMoment& moment, DriveSlot except, std::function<void(const PassReport&)> onReport);

    // The notification icons: added for every drive with a temperature, from
    // a fresh read of every slot (`done` once all answered); removed for all
    // slots (switching them off; answers of an adding still out add nothing
    // any more); removed where added (exit).
    void AddTrayIcons(std::function<void()> done = {});
    void RemoveTrayIcons();
    void RemoveAddedTrayIcons() { tray_.RemoveAddedIcons(); }
    const TrayIcons& Tray() const { return tray_; }
    // True while the icons' reads are out.
    bool AddingTrayIcons() const { return addingIcons_ > 0; }

    TemperatureHistory& History() { return history_; }
    const TemperatureHistory& History() const { return history_; }

    Settings& StoredSettings() { return settings_; }

private:
    void OnProbe(const DriveAnswer& answer);
    void ReleaseTabs();
    DriveViewContent ViewOf(const DriveAnswer& answer);

    DriveWorker worker_;
    Settings& settings_;
    TrayIcons tray_;
    TemperatureHistory history_;
    std::vector<AnswerHandler> observers_;
    std::unordered_map<std::uint64_t, std::vector<AnswerHandler>> waiting_;  // continuations by ticket

    // The scan.
    bool scanning_ = false;
    std::chrono::steady_clock::time_point scanStarted_;
    bool holdingTabs_ = true;
    std::array<bool, kSlotCount> probed_{};
    std::array<bool, kSlotCount> released_{};
    std::function<void(int, const DriveTab&)> tabFound_;
    std::function<void()> scanFinished_;

    std::vector<DriveTab> tabs_;  // in slot order
    std::array<DriveIdentity, kSlotCount> identities_;
    SlotVolumes volumes_;
    std::array<std::optional<DriveViewContent>, kSlotCount> lastViews_;
    std::array<std::vector<int>, kSlotCount> lastTemperatures_;
    std::uint64_t iconRound_ = 0;  // the adding of icons whose answers still count
    int addingIcons_ = 0;          // reads of that adding still out
};

}  // namespace qm
