#include "app/locks.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>

namespace {

// The registry: created locks in slots that are read without a lock, since
// every ticket and judgement enters and leaves drawLock. Creating and
// deleting take registryMutex. The program creates one lock; the slots are
// many more than any test makes.
std::mutex registryMutex;
std::array<std::atomic<std::mutex*>, 64> slots{};
std::atomic<std::size_t> used{0};

std::mutex* registered(LockHandle handle)
{
    if (handle == 0)
        return nullptr;
    const std::size_t count = used.load(std::memory_order_acquire);
    for (std::size_t i = 0; i < count; ++i) {
        std::mutex* lock = slots[i].load(std::memory_order_acquire);
        if (reinterpret_cast<LockHandle>(lock) == handle)
            return lock;
    }
    return nullptr;
}

} // namespace

LockHandle createLock()
{
    std::lock_guard guard(registryMutex);
    const std::size_t count = used.load();
    if (count == slots.size())
        std::abort(); // a program that makes locks without end has a fault of its own
    auto* lock = new std::mutex();
    slots[count].store(lock, std::memory_order_release);
    used.store(count + 1, std::memory_order_release);
    return reinterpret_cast<LockHandle>(lock);
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
    const std::size_t count = used.exchange(0);
    for (std::size_t i = 0; i < count; ++i)
        delete slots[i].exchange(nullptr);
}
