#include "draw/run_state.h"

#include "app/globals.h"
#include "window/control_model.h"

std::atomic<std::uint32_t> claimedRuns{0};
std::atomic<std::uint32_t> stoppedRuns{0};

namespace {

thread_local std::uint32_t runOfThisThread = 0;

void stopUpTo(std::uint32_t run)
{
    std::uint32_t stopped = stoppedRuns.load();
    while (stopped < run && !stoppedRuns.compare_exchange_weak(stopped, run)) {
    }
}

} // namespace

void setOwnRun(std::uint32_t run)
{
    runOfThisThread = run;
}

std::uint32_t ownRun()
{
    return runOfThisThread;
}

bool stopRequested(std::uint32_t run)
{
    return runState.load() == 2 || stoppedRuns.load() >= run;
}

void onStopClicked()
{
    stopRun(ownRun());
}

void stopRun(std::uint32_t run)
{
    // One step with the claims, so the run meant is the one on the caption.
    asOneStep([run] {
        const std::uint32_t latest = claimedRuns.load();
        const std::uint32_t meant = run != 0 ? run : latest;
        stopUpTo(meant);
        if (meant != latest)
            return; // a newer run owns the caption and the flag
        runState.store(2);
        writeText(按钮1开奖, "开桨");
    });
}
