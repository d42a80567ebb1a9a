// The drive worker: while the program runs, the one owner of the drives.
// Every drive command runs on its threads, never on the window's: the window
// asks (Ask), is woken when answers wait (the wake call, made on a worker
// thread) and takes them on its own thread (TakeAnswers).
//
// Each drive slot has its own lane, a thread started with the slot's first
// request, that answers the slot's requests one after the other; so a drive
// that stalls holds only its own lane and the other drives go on being read.
// A general lane answers what concerns no drive's commands: the rights
// question and the volumes of each physical drive.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "smart/drive_record.h"
#include "smart/smart_reader.h"

namespace qm {

// What a request asks of a drive slot.
enum class DriveQuestion : std::uint8_t {
    Probe,    // identity and geometry only (ProbeDrive): the start-up scan, re-reading stored volumes
    View,     // a full read and the capacity: the drive view
    Pass,     // the minute pass: whether the drive sleeps, then a full read unless it does
    Full,     // a full read, asleep or not: adding the icons, the CSV export
    Volumes,  // the volumes of the slot's physical drive (no command reaches the drive)
    Rights,   // may this process read the disks? (no slot)
};

// How a request went.
enum class ReadResult : std::uint8_t {
    Read,    // the drive answered; `record` holds what it said
    Failed,  // no drive, or it refused or timed out a command: the empty record
    Asleep,  // (Pass) the drive says it sleeps and was left alone: nothing read
};

// The slot of the questions that concern no drive.
inline constexpr DriveSlot kNoSlot = -1;

// The answer to one request, as the window's thread receives it.
struct DriveAnswer {
    std::uint64_t ticket = 0;   // the request's ticket (Ask)
    DriveSlot slot = kNoSlot;
    DriveQuestion question = DriveQuestion::Probe;
    ReadResult result = ReadResult::Failed;
    DriveRecord record;                    // Probe, View, Pass, Full: what was read
    std::optional<std::string> capacity;   // View: DriveCapacityText; nullopt when the disk could not be asked
    std::vector<std::string> volumes;      // Volumes: mount points in partition order
    bool mayReadDisks = false;             // Rights: the administrator test's answer
};

// What became of a request.
struct Asked {
    std::uint64_t ticket = 0;  // 0: not asked (a pass skipped for a busy drive, or the worker stopped)
    bool joined = false;       // the request joined one already out; its answer serves both
};

class DriveWorker {
public:
    // Reads through `drives` and answers the rights question with `rights`,
    // both used from the worker's threads only (but for Interrupt, see Stop).
    DriveWorker(DriveProvider& drives, RightsProbe& rights);
    // Stops (Stop with kStopWait). Threads still inside a drive command then
    // are left behind (see Stop).
    ~DriveWorker();
    DriveWorker(const DriveWorker&) = delete;
    DriveWorker& operator=(const DriveWorker&) = delete;

    // Called on a worker thread whenever an answer is put where none waited
    // before; the window's side posts a call to its own thread, which then
    // takes every answer there is. Set it before the first request.
    void SetWake(std::function<void()> wake);

    // Queues a question about `slot` (kNoSlot for Rights). At most one
    // request per drive is out at a time in this sense:
    // - Pass is skipped (ticket 0) while the slot has a request queued or
    //   running: the minute pass never waits behind a drive that has not
    //   answered;
    // - View joins a View of the slot that is queued or running, so a new F5
    //   does not queue behind an old one;
    // - any other question joins the same question queued for the slot.
    // Slots outside 0..15 are answered Failed without a command.
    Asked Ask(DriveSlot slot, DriveQuestion question);

    // The answers that are ready, oldest first; each lane's in the order its
    // requests were asked.
    std::vector<DriveAnswer> TakeAnswers();
    // Waits at most `timeout` for an answer to be ready (for callers without
    // an event loop: tests and tools). True when one is.
    bool WaitForAnswers(std::chrono::milliseconds timeout);

    // True while the slot has a request queued or running.
    bool Busy(DriveSlot slot) const;
    // Since when the slot has been busy without a break; nullopt when idle.
    std::optional<std::chrono::steady_clock::time_point> BusySince(DriveSlot slot) const;
    // Nothing queued, running or ready to be taken.
    bool Idle() const;

    // Stops the worker: nothing queued is started any more and nothing more
    // is woken; the drives are interrupted (DriveProvider::Interrupt, which
    // ends the helper process, so that a read waiting on it returns); then
    // waits at most `limit` for every running request to return. True when
    // every thread has ended. False when a request is stuck inside the
    // kernel (a pass-through command that no one can cut short): its thread
    // is left behind, still holding the drives, so the process must end
    // without destroying them (std::_Exit). A later call waits for threads
    // left behind in the same way.
    bool Stop(std::chrono::milliseconds limit);
    // True once Stop has seen every thread end.
    bool Stopped() const;

    // How long the destructor waits for running requests.
    static constexpr std::chrono::milliseconds kStopWait{500};

private:
    struct Job {
        std::uint64_t ticket = 0;
        DriveSlot slot = kNoSlot;
        DriveQuestion question = DriveQuestion::Probe;
    };
    static constexpr std::size_t kGeneralLane = kSlotCount;
    struct Lane {
        std::deque<Job> queue;
        std::optional<Job> running;
        std::optional<std::chrono::steady_clock::time_point> busySince;
        std::thread thread;
        bool started = false;
        bool ended = false;
    };
    // Everything the threads share; they hold it, so a thread left behind
    // never touches freed memory of the worker.
    struct Shared {
        Shared(DriveProvider& drives, RightsProbe& rights) : drives(drives), rights(rights), reader(drives) {}
        DriveProvider& drives;
        RightsProbe& rights;
        SmartReader reader;  // no state of its own: shared by the lanes

        mutable std::mutex mutex;
        std::condition_variable work;      // a lane has a job, or the worker stops
        std::condition_variable answered;  // an answer is ready, or a thread ended
        std::array<Lane, kSlotCount + 1> lanes;
        std::vector<DriveAnswer> ready;
        std::function<void()> wake;
        std::uint64_t nextTicket = 1;
        bool stopping = false;
        bool stopped = false;  // every thread has ended
    };

    static std::size_t LaneOf(DriveSlot slot, DriveQuestion question);
    static void Serve(const std::shared_ptr<Shared>& shared, std::size_t lane);
    static DriveAnswer Answer(Shared& shared, const Job& job);
    // Puts an answer where the window takes it (under the mutex).
    static void Deliver(Shared& shared, DriveAnswer answer);

    std::shared_ptr<Shared> shared_;
};

}  // namespace qm
