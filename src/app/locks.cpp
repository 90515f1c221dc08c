#include "app/locks.h"

#include <memory>
#include <mutex>
#include <vector>

namespace {

std::mutex registryMutex;
std::vector<std::unique_ptr<std::mutex>> registry;

std::mutex* registered(LockHandle handle)
{
    std::lock_guard lock(registryMutex);
    for (const auto& entry : registry)
        if (reinterpret_cast<LockHandle>(entry.get()) == handle)
            return entry.get();
    return nullptr;
}

} // namespace

LockHandle createLock()
{
    auto lock = std::make_unique<std::mutex>();
    const auto handle = reinterpret_cast<LockHandle>(lock.get());
    std::lock_guard guard(registryMutex);
    registry.push_back(std::move(lock));
    return handle;
}

void enterLock(LockHandle handle)
{
    if (auto* lock = registered(handle))
        lock->lock();
}

void leaveLock(LockHandle handle)
{
    if (auto* lock = registered(handle))
        lock->unlock();
}

void deleteAllLocks()
{
    std::lock_guard guard(registryMutex);
    registry.clear();
}
