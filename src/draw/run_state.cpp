#include "draw/run_state.h"

#include "app/globals.h"
#include "window/control_model.h"

std::atomic<std::uint32_t> claimedRuns{0};
std::atomic<std::uint32_t> stoppedRun{0};

void onStopClicked()
{
    runState.store(2);
    stoppedRun.store(claimedRuns.load());
    writeText(按钮1开奖, "开桨");
}
