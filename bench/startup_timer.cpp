// Times process start to window shown for two child programs, alternating
// them so that both see the same machine load.
//   startup_timer REPS "A command" "B command"
// Each command is split at spaces; the child prints "SHOWN <monotonic ns>".
// Prints the median of the paired ratios A/B, the medians of A and B, and
// the medians of A's and B's time from spawn to main (loading and linking).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Milliseconds from spawn to the child's report, or a negative number;
// toMain: milliseconds from spawn to its main.
double timeChild(const std::string& command, double* toMain = nullptr)
{
    std::vector<std::string> words;
    std::istringstream split(command);
    for (std::string word; split >> word;)
        words.push_back(word);
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const long long start = monotonicNs();
    pid_t child = 0;
    const int failed = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (failed != 0) {
        close(out[0]);
        return -1;
    }
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    const auto at = text.find("SHOWN ");
    if (at == std::string::npos || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    const auto mainAt = text.find("MAIN ");
    if (toMain)
        *toMain = mainAt == std::string::npos ? -1 : static_cast<double>(std::atoll(text.c_str() + mainAt + 5) - start) / 1e6;
    return static_cast<double>(std::atoll(text.c_str() + at + 6) - start) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: startup_timer REPS \"A command\" \"B command\"\n");
        return 2;
    }
    const int reps = std::atoi(argv[1]);
    // Warm the page cache and the font cache first.
    timeChild(argv[2]);
    timeChild(argv[3]);
    std::vector<double> a, b, ratios, aMain, bMain;
    for (int i = 0; i < reps; ++i) {
        // Alternate which goes first so that neither always follows the other.
        double ta, tb, ma = -1, mb = -1;
        if (i % 2 == 0) {
            ta = timeChild(argv[2], &ma);
            tb = timeChild(argv[3], &mb);
        } else {
            tb = timeChild(argv[3], &mb);
            ta = timeChild(argv[2], &ma);
        }
        aMain.push_back(ma);
        bMain.push_back(mb);
        if (ta < 0 || tb < 0) {
            std::fprintf(stderr, "a child failed (%.1f, %.1f)\n", ta, tb);
            return 1;
        }
        a.push_back(ta);
        b.push_back(tb);
        ratios.push_back(ta / tb);
    }
    std::printf("%.3f\t%.1f\t%.1f\t%.1f\t%.1f\n", median(ratios), median(a), median(b), median(aMain), median(bMain));
    return 0;
}
