#include "monitor/drive_worker.h"

#include <algorithm>

#include "smart/capacity.h"
#include "smart/power_mode.h"

namespace qm {
namespace {

DriveAnswer AnswerTo(std::uint64_t ticket, DriveSlot slot, DriveQuestion question) {
    DriveAnswer answer;
    answer.ticket = ticket;
    answer.slot = slot;
    answer.question = question;
    return answer;
}

}  // namespace

DriveWorker::DriveWorker(DriveProvider& drives, RightsProbe& rights)
    : shared_(std::make_shared<Shared>(drives, rights)) {}

DriveWorker::~DriveWorker() { Stop(kStopWait); }

void DriveWorker::SetWake(std::function<void()> wake) {
    const std::lock_guard lock(shared_->mutex);
    if (!shared_->stopping) shared_->wake = std::move(wake);
}

std::size_t DriveWorker::LaneOf(DriveSlot slot, DriveQuestion question) {
    if (question == DriveQuestion::Rights || question == DriveQuestion::Volumes) return kGeneralLane;
    return static_cast<std::size_t>(slot);
}

Asked DriveWorker::Ask(DriveSlot slot, DriveQuestion question) {
    Shared& shared = *shared_;
    const std::lock_guard lock(shared.mutex);
    if (shared.stopping) return {};
    if (question == DriveQuestion::Rights) slot = kNoSlot;
    const Job job{shared.nextTicket, slot, question};
    if (question != DriveQuestion::Rights && !IsValidSlot(slot)) {
        ++shared.nextTicket;
        Deliver(shared, AnswerTo(job.ticket, slot, question));
        return {job.ticket, false};
    }

    Lane& lane = shared.lanes[LaneOf(slot, question)];
    const bool busy = lane.running || !lane.queue.empty();
    const auto same = [&](const Job& other) { return other.slot == slot && other.question == question; };
    if (question == DriveQuestion::Pass && busy) return {};
    if (question == DriveQuestion::View && lane.running && same(*lane.running)) return {lane.running->ticket, true};
    if (const auto queued = std::find_if(lane.queue.begin(), lane.queue.end(), same); queued != lane.queue.end())
        return {queued->ticket, true};

    ++shared.nextTicket;
    lane.queue.push_back(job);
    if (!busy) lane.busySince = std::chrono::steady_clock::now();
    if (!lane.started) {
        const std::size_t index = static_cast<std::size_t>(&lane - shared.lanes.data());
        lane.thread = std::thread(&DriveWorker::Serve, shared_, index);
        lane.started = true;
    }
    shared.work.notify_all();
    return {job.ticket, false};
}

void DriveWorker::Serve(const std::shared_ptr<Shared>& shared, std::size_t index) {
    std::unique_lock lock(shared->mutex);
    Lane& lane = shared->lanes[index];
    for (;;) {
        shared->work.wait(lock, [&] { return shared->stopping || !lane.queue.empty(); });
        if (shared->stopping) break;
        lane.running = lane.queue.front();
        lane.queue.pop_front();
        const Job job = *lane.running;
        lock.unlock();
        DriveAnswer answer = Answer(*shared, job);
        lock.lock();
        lane.running.reset();
        if (lane.queue.empty()) lane.busySince.reset();
        if (!shared->stopping) Deliver(*shared, std::move(answer));
    }
    lane.ended = true;
    shared->answered.notify_all();
}

DriveAnswer DriveWorker::Answer(Shared& shared, const Job& job) {
    DriveAnswer answer = AnswerTo(job.ticket, job.slot, job.question);
    switch (job.question) {
        case DriveQuestion::Rights:
            answer.mayReadDisks = shared.rights.IsAdministrator();
            answer.result = ReadResult::Read;
            return answer;
        case DriveQuestion::Volumes:
            answer.volumes = shared.drives.VolumesOf(job.slot);
            answer.result = ReadResult::Read;
            return answer;
        case DriveQuestion::Probe:
            answer.record = shared.reader.ProbeDrive(job.slot);
            break;
        case DriveQuestion::Pass:
            if (DriveSleeps(shared.drives, job.slot)) {
                answer.result = ReadResult::Asleep;
                return answer;
            }
            answer.record = shared.reader.ReadDrive(job.slot);
            break;
        case DriveQuestion::View:
        case DriveQuestion::Full:
            answer.record = shared.reader.ReadDrive(job.slot);
            break;
    }
    answer.result = IsPresentDrive(answer.record) ? ReadResult::Read : ReadResult::Failed;
    if (job.question == DriveQuestion::View && answer.result == ReadResult::Read)
        answer.capacity = DriveCapacityText(shared.drives, job.slot);
    return answer;
}

void DriveWorker::Deliver(Shared& shared, DriveAnswer answer) {
    const bool first = shared.ready.empty();
    shared.ready.push_back(std::move(answer));
    shared.answered.notify_all();
    if (first && shared.wake) shared.wake();
}

std::vector<DriveAnswer> DriveWorker::TakeAnswers() {
    const std::lock_guard lock(shared_->mutex);
    return std::exchange(shared_->ready, {});
}

bool DriveWorker::WaitForAnswers(std::chrono::milliseconds timeout) {
    std::unique_lock lock(shared_->mutex);
    return shared_->answered.wait_for(lock, timeout, [this] { return !shared_->ready.empty(); });
}

bool DriveWorker::Busy(DriveSlot slot) const { return BusySince(slot).has_value(); }

std::optional<std::chrono::steady_clock::time_point> DriveWorker::BusySince(DriveSlot slot) const {
    if (!IsValidSlot(slot)) return std::nullopt;
    const std::lock_guard lock(shared_->mutex);
    return shared_->lanes[static_cast<std::size_t>(slot)].busySince;
}

bool DriveWorker::Idle() const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->ready.empty() && std::none_of(shared_->lanes.begin(), shared_->lanes.end(), [](const Lane& lane) {
               return lane.running || !lane.queue.empty();
           });
}

bool DriveWorker::Stop(std::chrono::milliseconds limit) {
    Shared& shared = *shared_;
    {
        const std::lock_guard lock(shared.mutex);
        shared.stopping = true;
        shared.wake = nullptr;
        shared.ready.clear();
        for (Lane& lane : shared.lanes) lane.queue.clear();
    }
    shared.work.notify_all();
    shared.drives.Interrupt();

    std::unique_lock lock(shared.mutex);
    const auto allEnded = [&] {
        return std::all_of(shared.lanes.begin(), shared.lanes.end(),
                           [](const Lane& lane) { return !lane.started || lane.ended; });
    };
    shared.answered.wait_for(lock, limit, allEnded);
    for (Lane& lane : shared.lanes) {
        if (!lane.thread.joinable()) continue;
        if (lane.ended) {
            lock.unlock();
            lane.thread.join();  // it has left its loop: returns at once
            lock.lock();
        } else {
            lane.thread.detach();  // stuck in a command: left behind with its share of the state
        }
    }
    shared.stopped = allEnded();
    return shared.stopped;
}

bool DriveWorker::Stopped() const {
    const std::lock_guard lock(shared_->mutex);
    return shared_->stopped;
}

}  // namespace qm
