#include "monitor/drive_monitor.h"

#include <algorithm>
#include <memory>

namespace qm {

DriveMonitor::DriveMonitor(DriveProvider& drives, RightsProbe& rights, Settings& settings, NotificationArea& tray)
    : worker_(drives, rights), settings_(settings), tray_(tray) {}

std::size_t DriveMonitor::DeliverAnswers() {
    const std::vector<DriveAnswer> answers = worker_.TakeAnswers();
    for (const DriveAnswer& answer : answers) {
        for (const AnswerHandler& observer : observers_) observer(answer);
        const auto waiting = waiting_.find(answer.ticket);
        if (waiting == waiting_.end()) continue;
        const std::vector<AnswerHandler> continuations = std::move(waiting->second);
        waiting_.erase(waiting);
        for (const AnswerHandler& then : continuations) then(answer);
    }
    return answers.size();
}

bool DriveMonitor::DeliverUntilIdle(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        DeliverAnswers();
        if (worker_.Idle()) return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        worker_.WaitForAnswers(left);
    }
}

bool DriveMonitor::Ask(DriveSlot slot, DriveQuestion question, AnswerHandler then) {
    const Asked asked = worker_.Ask(slot, question);
    if (asked.ticket == 0) return false;
    if (then) waiting_[asked.ticket].push_back(std::move(then));
    return true;
}

void DriveMonitor::AskRights(std::function<void(bool)> then) {
    Ask(kNoSlot, DriveQuestion::Rights, [then = std::move(then)](const DriveAnswer& answer) { then(answer.mayReadDisks); });
}

// --- the scan -------------------------------------------------------------

void DriveMonitor::ScanDrives(std::function<void(int, const DriveTab&)> tabFound, std::function<void()> finished) {
    tabs_.clear();
    identities_ = {};
    volumes_ = {};
    probed_ = {};
    released_ = {};
    holdingTabs_ = true;
    scanning_ = true;
    scanStarted_ = std::chrono::steady_clock::now();
    tabFound_ = std::move(tabFound);
    scanFinished_ = std::move(finished);
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        if (!Ask(slot, DriveQuestion::Probe, [this](const DriveAnswer& answer) { OnProbe(answer); }))
            probed_[static_cast<std::size_t>(slot)] = true;  // a stopped worker: nothing to wait for
    }
    ReleaseTabs();
}

void DriveMonitor::OnProbe(const DriveAnswer& answer) {
    const auto s = static_cast<std::size_t>(answer.slot);
    probed_[s] = true;
    const std::string model = TrimBlanks(answer.record.modelNumber);
    if (answer.result == ReadResult::Read && !model.empty()) {
        identities_[s] = {model, TrimBlanks(answer.record.serialNumber)};
        volumes_[s] = settings_.ReadVolumes(identities_[s].model, identities_[s].serial);
    }
    ReleaseTabs();
}

void DriveMonitor::StopHoldingTabs() {
    holdingTabs_ = false;
    ReleaseTabs();
}

void DriveMonitor::ReleaseTabs() {
    if (!scanning_) return;
    bool earlierOut = false;  // a slot before this one has not answered yet
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        const auto s = static_cast<std::size_t>(slot);
        if (!probed_[s]) {
            earlierOut = true;
            continue;
        }
        if (released_[s] || (earlierOut && holdingTabs_)) continue;
        released_[s] = true;
        if (identities_[s].model.empty()) continue;
        const DriveTab tab{identities_[s].model, slot};
        const auto place = std::find_if(tabs_.begin(), tabs_.end(), [&](const DriveTab& t) { return t.slot > slot; });
        const int index = static_cast<int>(place - tabs_.begin());
        tabs_.insert(place, tab);
        if (tabFound_) tabFound_(index, tab);
    }
    if (!earlierOut) {
        scanning_ = false;
        if (scanFinished_) std::exchange(scanFinished_, nullptr)();
    }
}

std::optional<DriveSlot> DriveMonitor::SlotOfTab(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= tabs_.size()) return std::nullopt;
    return tabs_[static_cast<std::size_t>(index)].slot;
}

std::optional<int> DriveMonitor::TabOfSlot(DriveSlot slot) const {
    const auto tab = std::find_if(tabs_.begin(), tabs_.end(), [&](const DriveTab& t) { return t.slot == slot; });
    if (tab == tabs_.end()) return std::nullopt;
    return static_cast<int>(tab - tabs_.begin());
}

void DriveMonitor::RereadStoredVolumes(std::function<void()> done) {
    auto left = std::make_shared<int>(kSlotCount);
    auto finish = [left, done = std::move(done)] {
        if (--*left == 0 && done) done();
    };
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        const bool asked = Ask(slot, DriveQuestion::Probe, [this, finish](const DriveAnswer& answer) {
            const std::string model = TrimBlanks(answer.record.modelNumber);
            if (answer.result == ReadResult::Read && !model.empty())
                volumes_[static_cast<std::size_t>(answer.slot)] =
                    settings_.ReadVolumes(model, TrimBlanks(answer.record.serialNumber));
            finish();
        });
        if (!asked) finish();
    }
}

// --- the view and the pass ------------------------------------------------

DriveViewContent DriveMonitor::ViewOf(const DriveAnswer& answer) {
    if (answer.result != ReadResult::Read) return BuildDriveView(answer.record, std::nullopt, std::nullopt);
    return BuildDriveView(answer.record, answer.capacity,
                          settings_.ReadVolumes(answer.record.modelNumber, answer.record.serialNumber));
}

void DriveMonitor::ViewDrive(DriveSlot slot, const PassMoment& moment, ViewHandler then) {
    const Asked asked = worker_.Ask(slot, DriveQuestion::View);
    if (asked.ticket == 0 || asked.joined) return;
    waiting_[asked.ticket].push_back([this, moment, then = std::move(then)](const DriveAnswer& answer) {
        const DriveViewContent view = ViewOf(answer);
        const PassReport report = ApplyPassRead(answer, tray_, history_, moment, volumes_);
        if (IsValidSlot(answer.slot)) {
            const auto s = static_cast<std::size_t>(answer.slot);
            lastViews_[s] = view;
            lastTemperatures_[s] = report.temperatures;
        }
        if (then) then(view, report);
    });
}

const DriveViewContent* DriveMonitor::LastView(DriveSlot slot) const {
    if (!IsValidSlot(slot) || !lastViews_[static_cast<std::size_t>(slot)]) return nullptr;
    return &*lastViews_[static_cast<std::size_t>(slot)];
}

std::vector<int> DriveMonitor::LastTemperatures(DriveSlot slot) const {
    return IsValidSlot(slot) ? lastTemperatures_[static_cast<std::size_t>(slot)] : std::vector<int>{};
}

void DriveMonitor::RunPass(const PassMoment& moment, DriveSlot except, std::function<void(const PassReport&)> onReport) {
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        if (slot == except) continue;
        Ask(slot, DriveQuestion::Pass, [this, moment, onReport](const DriveAnswer& answer) {
            const PassReport report = ApplyPassRead(answer, tray_, history_, moment, volumes_);
            if (report.result != ReadResult::Asleep) lastTemperatures_[static_cast<std::size_t>(answer.slot)] = report.temperatures;
            if (onReport) onReport(report);
        });
    }
    // Asked after the pass, so that the pass is not skipped for these reads.
    if (tray_.AreaAppeared()) AddTrayIcons();
}

// --- the notification icons -------------------------------------------------

void DriveMonitor::AddTrayIcons(std::function<void()> done) {
    const std::uint64_t round = ++iconRound_;
    tray_.BeginAdding();
    addingIcons_ = kSlotCount;
    auto finish = [this, round, done = std::move(done)] {
        if (round != iconRound_) return;
        if (--addingIcons_ == 0 && done) done();
    };
    for (DriveSlot slot = 0; slot < kSlotCount; ++slot) {
        const bool asked = Ask(slot, DriveQuestion::Full, [this, round, finish](const DriveAnswer& answer) {
            if (round == iconRound_)
                tray_.AddFromRead(answer.slot, answer.record, volumes_[static_cast<std::size_t>(answer.slot)]);
            finish();
        });
        if (!asked) finish();
    }
}

void DriveMonitor::RemoveTrayIcons() {
    ++iconRound_;
    addingIcons_ = 0;
    tray_.RemoveAllIcons();
}

}  // namespace qm
