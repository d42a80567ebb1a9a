// The program's side of quillmoor-smart-helper: the helper process, started
// on first use, and one request at a time with a bounded wait for its answer.
// Requests from several threads take turns; Interrupt may come from any
// thread at any time.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

#include "drives/linux/helper_protocol.h"
#include "drives/linux/linux_drives.h"
#include "base/unique_fd.h"

namespace qm {

// Longest wait for one answer: the helper's own pass-through timeout and
// some time to open the device and start.
inline constexpr std::chrono::milliseconds kHelperAnswerTimeout = kPassThroughTimeout + std::chrono::seconds(5);

// Longest wait for the answer to the first question, whether the helper holds
// its rights: it touches no device, so a helper that takes longer is broken,
// and the program's start must not wait on it for long.
inline constexpr std::chrono::milliseconds kHelperRightsTimeout{5'000};

// Requests in a row that may fail (no start, death, silence, garbage) before
// the helper is given up on for the rest of the run.
inline constexpr int kHelperMaxFailures = 3;

class HelperConnection {
public:
    // `program` is the helper's path; nothing starts before the first Ask.
    explicit HelperConnection(std::filesystem::path program,
                              std::chrono::milliseconds answerTimeout = kHelperAnswerTimeout);
    // Closes the connection; the helper ends at the end of its input (it is
    // killed when it does not do so at once) and is reaped.
    ~HelperConnection();
    HelperConnection(const HelperConnection&) = delete;
    HelperConnection& operator=(const HelperConnection&) = delete;

    // Sends one request and waits at most the answer timeout for its answer.
    // The helper is started when it is not running: with posix_spawn, its
    // own name as the only argument, an empty environment, one end of a
    // socket pair as standard input and output, /dev/null as standard error
    // and no other descriptor. nullopt when it cannot be started, dies, does
    // not answer in time or answers anything but an answer record of the
    // request's kind; it is then killed and reaped, and the next request
    // starts it again, until kHelperMaxFailures requests in a row have
    // failed: from then on every request gives nullopt at once. Never raises
    // SIGPIPE. A request from another thread waits until this one is done.
    std::optional<HelperAnswer> Ask(const HelperRequest& request);
    // The same with a shorter wait, when `timeout` is below the answer timeout.
    std::optional<HelperAnswer> Ask(const HelperRequest& request, std::chrono::milliseconds timeout);

    // The program is ending: kills the helper at once (SIGKILL), so that a
    // request waiting for its answer fails now, and starts no helper again:
    // every later request gives nullopt. Any thread; never waits for a request.
    void Interrupt();

    bool GivenUp() const { return failures_ >= kHelperMaxFailures; }
    const std::filesystem::path& program() const { return program_; }

private:
    bool Start();
    std::optional<HelperAnswer> Exchange(const HelperRequest& request, std::chrono::milliseconds timeout);
    // Ends the helper: `gently` lets it see the end of its input first.
    void Stop(bool gently);
    // Reaps the running helper once it has ended, waiting at most `limit`.
    bool ReapHelper(std::chrono::milliseconds limit);
    void ReapLost();
    bool Interrupted() const;

    std::filesystem::path program_;
    std::chrono::milliseconds answerTimeout_;
    std::mutex askMutex_;  // one request at a time
    UniqueFd socket_;
    std::atomic<int> failures_ = 0;
    std::vector<pid_t> lost_;  // killed helpers not yet reaped (stuck in the kernel)
    // The running helper. Changed, reaped and signalled only under
    // processMutex_, so that Interrupt never signals a process id that was
    // already reaped and may have been given to another process.
    mutable std::mutex processMutex_;
    pid_t pid_ = -1;
    bool interrupted_ = false;
};

}  // namespace qm
