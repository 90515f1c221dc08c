// tavrelle-sim: the program's draws without a window.
#include "sim/options.h"
#include "sim/report.h"
#include "sim/simulator.h"

#include "platform/headless/headless.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

File openForWriting(const std::string& name)
{
    return File(std::fopen(name.c_str(), "wb"), std::fclose);
}

double secondsNow()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

volatile std::sig_atomic_t stoppedBy = 0;

void onInterrupt(int signal)
{
    stoppedBy = signal;
    sim::requestStop();
}

// Progress on a terminal, once a run has taken a second: the draws so far,
// of how many, and the pace.
class ProgressLine {
public:
    ProgressLine(std::uint64_t total, bool known) : total_(total), known_(known), start_(secondsNow()) {}

    void update(std::uint64_t draws)
    {
        const double now = secondsNow();
        if (now - start_ < 1.0 || now - shown_ < 0.25)
            return;
        shown_ = now;
        const double pace = static_cast<double>(draws) / (now - start_);
        if (known_)
            std::fprintf(stderr, "\r%llu of %llu draws (%.0f%%), %.2f million a second ",
                         static_cast<unsigned long long>(draws), static_cast<unsigned long long>(total_),
                         100.0 * static_cast<double>(draws) / static_cast<double>(total_), pace / 1e6);
        else
            std::fprintf(stderr, "\r%llu draws, %.2f million a second ", static_cast<unsigned long long>(draws),
                         pace / 1e6);
        written_ = true;
    }

    void clear()
    {
        if (written_)
            std::fputs("\r\033[K", stderr);
    }

private:
    std::uint64_t total_;
    bool known_;
    double start_;
    double shown_ = 0;
    bool written_ = false;
};

bool writeAll(std::FILE* file, const std::string& text)
{
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

} // namespace

int main(int argc, char** argv)
{
    const sim::Parsed parsed = sim::parseArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "tavrelle-sim: %s\n", parsed.error.c_str());
        return 2;
    }
    const sim::Options& options = parsed.options;
    if (options.help) {
        std::fputs(sim::usageText, stdout);
        return 0;
    }

    // Both files are opened before anything runs, so a path that cannot be
    // written is a bad argument like any other.
    File log(nullptr, std::fclose), chart(nullptr, std::fclose);
    if (!options.logFile.empty() && !(log = openForWriting(options.logFile))) {
        std::fprintf(stderr, "tavrelle-sim: --log %s: %s\n", options.logFile.c_str(), std::strerror(errno));
        return 2;
    }
    if (!options.chartFile.empty() && !(chart = openForWriting(options.chartFile))) {
        std::fprintf(stderr, "tavrelle-sim: --chart %s: %s\n", options.chartFile.c_str(), std::strerror(errno));
        return 2;
    }

    static char logBuffer[1 << 20];
    if (log) {
        std::setvbuf(log.get(), logBuffer, _IOFBF, sizeof logBuffer);
        std::FILE* file = log.get();
        if (options.utf8)
            headless::setLogSink([file](std::string_view text) {
                const std::string utf8 = headless::toUtf8(text);
                std::fwrite(utf8.data(), 1, utf8.size(), file);
            });
        else
            headless::setLogSink([file](std::string_view text) { std::fwrite(text.data(), 1, text.size(), file); });
    } else {
        headless::setLogSink([](std::string_view) {}); // nobody reads the log: keep none of it
    }

    struct sigaction interrupt {};
    interrupt.sa_handler = onInterrupt;
    sigemptyset(&interrupt.sa_mask);
    sigaction(SIGINT, &interrupt, nullptr);
    sigaction(SIGTERM, &interrupt, nullptr);

    sim::openWindow(options);

    ProgressLine progressLine(options.draws, !options.untilFirstPrize);
    sim::Watch watch;
    watch.samples = static_cast<bool>(chart);
    if (isatty(STDERR_FILENO))
        watch.progress = [&](std::uint64_t draws) { progressLine.update(draws); };
    const sim::Outcome outcome = sim::run(options, watch);
    progressLine.clear();

    int status = 0;
    if (log && (std::fflush(log.get()) != 0 || std::ferror(log.get()))) {
        std::fprintf(stderr, "tavrelle-sim: --log %s: could not write the log\n", options.logFile.c_str());
        status = 1;
    }
    if (chart && (!writeAll(chart.get(), sim::spendingChart(outcome.samples)) || std::fflush(chart.get()) != 0)) {
        std::fprintf(stderr, "tavrelle-sim: --chart %s: could not write the chart\n", options.chartFile.c_str());
        status = 1;
    }
    const std::string report = options.json ? sim::tallyJson(outcome.tallies) : sim::tallyTable(outcome.tallies);
    std::fputs(report.c_str(), stdout);
    if (outcome.interrupted) {
        std::fprintf(stderr, "tavrelle-sim: interrupted after %llu draws\n",
                     static_cast<unsigned long long>(outcome.tallies.draws));
        return status != 0 ? status : 128 + stoppedBy; // as a shell reports the signal
    }
    return status;
}
