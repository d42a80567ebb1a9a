// The owner of one open file descriptor: closes it when it goes, moves but
// never copies, so every path out of a function closes what it opened.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace qm {

class UniqueFd {
public:
    UniqueFd() = default;
    // Takes ownership of `fd`; a negative value owns nothing (a failed open()).
    explicit UniqueFd(int fd) noexcept : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            static_cast<void>(close());
            fd_ = other.release();
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { static_cast<void>(close()); }

    int get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }

    // Gives the descriptor up without closing it.
    int release() noexcept { return std::exchange(fd_, -1); }

    // Closes now. The error close() reports (such as a delayed write failure),
    // or none; closing nothing succeeds.
    std::error_code close() noexcept {
        if (fd_ < 0) return {};
        const int rc = ::close(std::exchange(fd_, -1));
        return rc == 0 ? std::error_code() : std::error_code(errno, std::generic_category());
    }

private:
    int fd_ = -1;
};

}  // namespace qm
