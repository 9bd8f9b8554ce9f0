#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/unique_handle.h"

// The named mutex by which a start of the program sees that a copy of it already runs. The
// program holds it from start-up to its end. A command that starts another copy in this one's
// place (restart, uninstall) lets go of it for that start, so that the new copy does not take
// this one for a running program, and takes it back when the start fails, so that a later
// start still finds this copy. Main thread only.
class InstanceMutex {
public:
    explicit InstanceMutex(std::wstring name) : m_name(std::move(name)) {}
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;

    // Creates the mutex (not owned) or opens it, and holds the handle. Returns false when
    // another process had made it already, or made it so that this one may not open it: then a
    // copy of the program runs elsewhere. The handle (if any) is held in either case.
    bool Take();

    // Closes the handle; the name goes when no other process holds it either.
    void Release();

    bool IsHeld() const { return m_handle.IsValid(); }

    // Releases the mutex, runs `startOtherCopy` and, when it reports failure, takes the mutex
    // back. Returns what `startOtherCopy` reported.
    bool RunReleased(const std::function<bool()>& startOtherCopy);

private:
    std::wstring m_name;
    UniqueHandle m_handle;
};
