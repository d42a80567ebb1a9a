// qm-process-timer RUNS COMMAND [ARGS...] [-- COMMAND [ARGS...]]...
//
// Starts each command RUNS times, in rounds (one start of every command per
// round, so that drift of the machine hits all alike), with its standard
// output sent to /dev/null, and prints per command the wall time from fork to
// the end of the wait, in microseconds:
//   PROCESS <median> <min> <max> <failures> <command line>
// Built static, so that its own start costs nothing that is measured.
#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

long long NowMicroseconds() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

// Runs argv once; the elapsed time, negative when it did not exit with 0.
long long RunOnce(const std::vector<char*>& argv) {
    const long long start = NowMicroseconds();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) ::dup2(null, STDOUT_FILENO);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
    const long long elapsed = NowMicroseconds() - start;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? elapsed : -elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: qm-process-timer RUNS COMMAND [ARGS...] [-- COMMAND [ARGS...]]...\n", stderr);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<std::vector<char*>> commands(1);
    for (int i = 2; i < argc; ++i) {
        if (std::string(argv[i]) == "--") {
            commands.emplace_back();
        } else {
            commands.back().push_back(argv[i]);
        }
    }
    std::erase_if(commands, [](const std::vector<char*>& c) { return c.empty(); });
    for (auto& command : commands) command.push_back(nullptr);

    std::vector<std::vector<long long>> times(commands.size());
    std::vector<int> failures(commands.size());
    for (int round = 0; round < runs; ++round) {
        for (std::size_t c = 0; c < commands.size(); ++c) {
            const long long t = RunOnce(commands[c]);
            if (t < 0) ++failures[c];
            times[c].push_back(t < 0 ? -t : t);
        }
    }
    for (std::size_t c = 0; c < commands.size(); ++c) {
        std::vector<long long>& t = times[c];
        std::sort(t.begin(), t.end());
        std::string line;
        for (std::size_t k = 0; commands[c][k] != nullptr; ++k) line += (k ? " " : "") + std::string(commands[c][k]);
        std::printf("PROCESS %lld %lld %lld %d %s\n", t.empty() ? 0 : t[t.size() / 2], t.empty() ? 0 : t.front(),
                    t.empty() ? 0 : t.back(), failures[c], line.c_str());
    }
    return 0;
}
