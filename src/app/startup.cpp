#include "app/startup.h"

#include "app/exit_routines.h"
#include "app/globals.h"
#include "draw/run.h"
#include "draw/run_state.h"
#include "entry/entry.h"
#include "platform/platform.h"
#include "update/update.h"
#include "window/control_model.h"

int startProgram()
{
    openMainWindow();
    platform::runMessageLoop();
    return 0;
}

void openMainWindow()
{
    platform::initialize();
    addExitRoutine(onProgramExit);
    const platform::WindowEvents events{onMainWindowCreated, onControlClicked, markWindowClosing};
    if (!platform::buildMainWindow(events))
        fatalError(0, "未载入欲访问窗口组件所在的窗口");
}

void onMainWindowCreated()
{
    checkForUpdate();
    prepareDraws();
}

void prepareDraws()
{
    fillCheckedGroups();
    drawLock = createLock();
}

void onProgramExit()
{
    release(currentVersion);
    release(latestVersion);
    for (auto& key : groupRedKeys)
        release(key);
    for (auto& number : drawnNumbers)
        release(number);
    release(lastDrawText);
}

void runProcess()
{
    endProgram(startProgram());
}

void endProgram(int status)
{
    holdWorkersForShutdown();
    runExitRoutines();
    deleteAllLocks();
    platform::endProcess(status);
}

void onControlClicked(ControlId control)
{
    switch (control) {
    case 按钮1随机生成: fillCheckedGroups(); break;
    case 选择框1: clearGroup(1); break;
    case 选择框2: clearGroup(2); break;
    case 选择框3: clearGroup(3); break;
    case 选择框4: clearGroup(4); break;
    case 选择框5: clearGroup(5); break;
    case 按钮1开奖: onDrawClicked(); break;
    case 按钮1停止: onStopClicked(); break;
    case 按钮6: onDownloadClicked(); break;
    default: break; // nothing else raises an event the program handles
    }
}
