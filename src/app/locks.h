// Process-wide locks. Every lock is recorded in a registry when it is
// created; entering or leaving a handle that is not in the registry (0
// included, or any lock after the shut-down) does nothing.
#pragma once

#include <cstdint>

using LockHandle = std::uintptr_t;

LockHandle createLock();
void enterLock(LockHandle handle);
void leaveLock(LockHandle handle);
void deleteAllLocks();

// Holds a lock for the life of a scope.
class LockScope {
public:
    explicit LockScope(LockHandle handle) : handle_(handle) { enterLock(handle_); }
    ~LockScope() { leaveLock(handle_); }
    LockScope(const LockScope&) = delete;
    LockScope& operator=(const LockScope&) = delete;

private:
    LockHandle handle_;
};
