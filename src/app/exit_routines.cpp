#include "app/exit_routines.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

std::mutex listMutex;

std::vector<void (*)()>& routines()
{
    static std::vector<void (*)()> list;
    return list;
}

} // namespace

void addExitRoutine(void (*routine)())
{
    std::lock_guard lock(listMutex);
    auto& list = routines();
    if (std::find(list.begin(), list.end(), routine) == list.end())
        list.push_back(routine);
}

void runExitRoutines()
{
    std::vector<void (*)()> list;
    {
        std::lock_guard lock(listMutex);
        list.swap(routines()); // each runs at most once
    }
    for (auto* routine : list)
        routine();
}

void clearExitRoutines()
{
    std::lock_guard lock(listMutex);
    routines().clear();
}
