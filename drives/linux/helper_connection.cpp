#include "drives/linux/helper_connection.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <thread>

namespace qm {
namespace {

using Clock = std::chrono::steady_clock;

// How long a helper may take to end after the end of its input, or after
// SIGKILL, before it is left to be reaped later.
constexpr std::chrono::milliseconds kExitWait{200};
constexpr std::chrono::milliseconds kReapStep{1};

constexpr char kHelperArgument[] = "quillmoor-smart-helper";

// Waits until `fd` is ready for `events` (or hung up) before `deadline`.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, INT_MAX)));
        if (n > 0) return true;
        if (n == 0 || errno != EINTR) return false;
    }
}

// Moves all of `bytes` through the socket before `deadline`, one `call`
// (a non-blocking send or recv) at a time, waiting for `events` in between.
// False at the socket's end (the helper died or closed it), on an error and
// when the time is up.
template <typename Bytes, typename Call>
bool TransferAll(int fd, Bytes bytes, short events, Clock::time_point deadline, Call call) {
    while (!bytes.empty()) {
        const ssize_t n = call(fd, bytes);
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && WaitFor(fd, events, deadline)) {
            continue;
        } else {
            return false;
        }
    }
    return true;
}

// MSG_NOSIGNAL: a helper that has gone away gives EPIPE, never SIGPIPE.
bool SendAll(int fd, std::span<const std::uint8_t> bytes, Clock::time_point deadline) {
    return TransferAll(fd, bytes, POLLOUT, deadline, [](int socket, std::span<const std::uint8_t> rest) {
        return ::send(socket, rest.data(), rest.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    });
}

bool ReceiveAll(int fd, std::span<std::uint8_t> bytes, Clock::time_point deadline) {
    return TransferAll(fd, bytes, POLLIN, deadline, [](int socket, std::span<std::uint8_t> rest) {
        return ::recv(socket, rest.data(), rest.size(), MSG_DONTWAIT);
    });
}

// Reaps the child `pid` once it has ended, waiting at most `limit`. True when
// it is gone (also when something else reaped it already).
bool Reap(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR)) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kReapStep);
    }
}

// The helper's end of the socket pair above descriptor 2, so that placing it
// on 0 and 1 always makes new descriptors without close-on-exec.
UniqueFd AboveStandardDescriptors(UniqueFd fd) {
    if (fd.get() > 2) return fd;
    return UniqueFd(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 3));
}

}  // namespace

HelperConnection::HelperConnection(std::filesystem::path program, std::chrono::milliseconds answerTimeout)
    : program_(std::move(program)), answerTimeout_(answerTimeout) {}

HelperConnection::~HelperConnection() {
    const std::lock_guard ask(askMutex_);
    Stop(true);
    ReapLost();
}

std::optional<HelperAnswer> HelperConnection::Ask(const HelperRequest& request) {
    return Ask(request, answerTimeout_);
}

std::optional<HelperAnswer> HelperConnection::Ask(const HelperRequest& request, std::chrono::milliseconds timeout) {
    const std::lock_guard ask(askMutex_);
    ReapLost();
    if (GivenUp() || Interrupted()) return std::nullopt;
    std::optional<HelperAnswer> answer;
    if (socket_ || Start()) answer = Exchange(request, std::min(timeout, answerTimeout_));
    if (answer) {
        failures_ = 0;
        return answer;
    }
    Stop(false);
    ++failures_;
    return std::nullopt;
}

bool HelperConnection::Start() {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return false;
    UniqueFd mine(pair[0]);
    const UniqueFd theirs = AboveStandardDescriptors(UniqueFd(pair[1]));
    if (!theirs) return false;

    posix_spawn_file_actions_t actions;
    if (::posix_spawn_file_actions_init(&actions) != 0) return false;
    const bool prepared = ::posix_spawn_file_actions_adddup2(&actions, theirs.get(), STDIN_FILENO) == 0 &&
                          ::posix_spawn_file_actions_adddup2(&actions, theirs.get(), STDOUT_FILENO) == 0 &&
                          ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0) == 0 &&
                          ::posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1) == 0;
    char* argv[] = {const_cast<char*>(kHelperArgument), nullptr};
    char* envp[] = {nullptr};
    pid_t pid = -1;
    const int rc = prepared ? ::posix_spawn(&pid, program_.c_str(), &actions, nullptr, argv, envp) : -1;
    ::posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    socket_ = std::move(mine);
    const std::lock_guard lock(processMutex_);
    pid_ = pid;
    if (interrupted_) ::kill(pid_, SIGKILL);  // interrupted while it started: the exchange fails at once
    return true;
}

void HelperConnection::Interrupt() {
    const std::lock_guard lock(processMutex_);
    interrupted_ = true;
    if (pid_ > 0) ::kill(pid_, SIGKILL);
}

bool HelperConnection::Interrupted() const {
    const std::lock_guard lock(processMutex_);
    return interrupted_;
}

std::optional<HelperAnswer> HelperConnection::Exchange(const HelperRequest& request,
                                                       std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    if (!SendAll(socket_.get(), EncodeHelperRequest(request), deadline)) return std::nullopt;
    HelperAnswerRecord record{};
    if (!ReceiveAll(socket_.get(), record, deadline)) return std::nullopt;
    std::optional<HelperAnswer> answer = DecodeHelperAnswer(record);
    if (!answer || answer->kind != static_cast<std::uint8_t>(request.kind)) return std::nullopt;
    return answer;
}

void HelperConnection::Stop(bool gently) {
    static_cast<void>(socket_.close());  // the end of the helper's input
    if (gently && ReapHelper(kExitWait)) return;
    {
        const std::lock_guard lock(processMutex_);
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
    }
    if (ReapHelper(kExitWait)) return;
    const std::lock_guard lock(processMutex_);
    lost_.push_back(pid_);  // killed, never signalled again: its id stays taken until reaped
    pid_ = -1;
}

bool HelperConnection::ReapHelper(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        {
            const std::lock_guard lock(processMutex_);
            if (pid_ <= 0 || Reap(pid_, std::chrono::milliseconds(0))) {
                pid_ = -1;
                return true;
            }
        }
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kReapStep);
    }
}

void HelperConnection::ReapLost() {
    std::erase_if(lost_, [](pid_t pid) { return Reap(pid, std::chrono::milliseconds(0)); });
}

}  // namespace qm
