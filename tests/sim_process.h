// Runs tavrelle-sim as a child process and collects what it wrote. The
// path of the program comes from the build (TAVRELLE_SIM_PROGRAM).
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace simtest {

struct SimResult {
    int status = -1; // exit status, or -1 when it did not exit normally in time
    std::string out;
    std::string err;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string scratchPath(const std::string& name)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/tavrelle-sim-test-" + std::to_string(getpid()) + "-" + name;
}

// Starts the simulator with args; whileRunning(pid), when given, runs once
// it has started. Waits at most timeoutMs, then kills it.
inline SimResult runSim(const std::vector<std::string>& args,
                        const std::function<void(pid_t)>& whileRunning = nullptr, int timeoutMs = 60000)
{
    const std::string outPath = scratchPath("stdout"), errPath = scratchPath("stderr");
    // Made before the fork: a test process may have threads, and the child
    // only opens, duplicates and executes.
    std::vector<char*> argv{const_cast<char*>(TAVRELLE_SIM_PROGRAM)};
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execv(TAVRELLE_SIM_PROGRAM, argv.data());
        _exit(127);
    }
    if (whileRunning)
        whileRunning(pid);
    SimResult result;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            status = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.status = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return result;
}

// The whole numbers of a --json line in order: draws, spent, won, then the
// six levels from the first prize to the sixth.
inline std::vector<std::int64_t> jsonNumbers(const std::string& json)
{
    std::vector<std::int64_t> numbers;
    for (std::size_t i = 0; i < json.size();) {
        if (json[i] == ':') {
            std::size_t end = i + 1;
            while (end < json.size() && json[end] == ' ')
                ++end;
            if (end < json.size() && json[end] >= '0' && json[end] <= '9')
                numbers.push_back(std::stoll(json.substr(end)));
            i = end;
        } else {
            ++i;
        }
    }
    return numbers;
}

} // namespace simtest
