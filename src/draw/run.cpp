#include "draw/run.h"

#include "app/globals.h"
#include "draw/draw_once.h"
#include "draw/groups.h"
#include "draw/run_state.h"
#include "window/control_model.h"

#include <cmath>
#include <mutex>

namespace {

// Held by the worker that draws, for the whole of its run: a run claimed
// while a stopped one still finishes its last draw begins right after it.
std::mutex drawingRun;

// Claims the run through the draw button's caption, as one step on the
// user-interface thread so that two workers cannot both see "开桨".
// Returns the number of the claimed run, or 0.
std::uint32_t claimRun()
{
    std::uint32_t claimed = 0;
    asOneStep([&] {
        if (readText(按钮1开奖) != "开桨")
            return;
        writeText(按钮1开奖, "开桨中");
        claimed = claimedRuns.fetch_add(1) + 1;
    });
    return claimed;
}

// Gives the caption back unless a newer run has claimed it meanwhile.
void releaseRun(std::uint32_t run)
{
    asOneStep([&] {
        if (claimedRuns.load() == run)
            writeText(按钮1开奖, "开桨");
    });
}

} // namespace

std::atomic<void (*)()> pauseProbe{nullptr};

Text groupRedKey(const Text& t1, const Text& t2, const Text& t3, const Text& t4, const Text& t5,
                 const Text& t6)
{
    return "·" + t1 + "·" + t2 + "·" + t3 + "·" + t4 + "·" + t5 + "·" + t6 + "·";
}

void onDrawClicked()
{
    runState.store(1);
    startWorker(runDraws);
}

void runDraws()
{
    for (std::int32_t k = 1; k <= 5; ++k) {
        Text reds[6];
        for (std::int32_t p = 1; p <= 6; ++p)
            reds[p - 1] = readText(groupNumberBox(k, p));
        // Built aside and swapped in whole: a judgement never sees half a key.
        groupRedKeys[static_cast<std::size_t>(k - 1)] = groupRedKey(reds[0], reds[1], reds[2], reds[3], reds[4], reds[5]);
    }

    const std::uint32_t run = claimRun();
    if (run == 0)
        return;
    setOwnRun(run);
    const std::int32_t count = textToInt(readText(编辑框1开奖));

    std::unique_lock drawing(drawingRun, std::try_to_lock);
    if (!drawing.owns_lock()) {
        waitOutsideGate([&] { drawing.lock(); });
        if (stopRequested(run)) { // stopped before its first draw
            releaseRun(run);
            return;
        }
    }

    for (std::int32_t i = 1; i <= count; ++i) {
        drawOnce();
        if (stopRequested(run))
            break;
        if (const auto probe = pauseProbe.load())
            probe();
        pumpDelay(10, 0);
    }
    releaseRun(run);
}

bool pumpDelay(std::int32_t amount, std::int32_t unit)
{
    static constexpr double millisecondsPerUnit[] = {1.0, 1000.0, 60000.0, 3600000.0};
    const double perUnit = unit >= 0 && unit <= 3 ? millisecondsPerUnit[unit] : 1.0;
    const double milliseconds = std::trunc(static_cast<double>(amount) * perUnit);
    if (milliseconds > 0)
        pauseFor(milliseconds >= 4294967295.0 ? 4294967295u : static_cast<std::uint32_t>(milliseconds));
    return true;
}
