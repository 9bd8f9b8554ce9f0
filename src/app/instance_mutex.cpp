#include "app/instance_mutex.h"

bool InstanceMutex::Take() {
    m_handle.Reset(CreateMutexW(nullptr, FALSE, m_name.c_str()));
    const DWORD error = GetLastError();
    return m_handle.IsValid() && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED;
}

void InstanceMutex::Release() { m_handle.Reset(); }

bool InstanceMutex::RunReleased(const std::function<bool()>& startOtherCopy) {
    const bool wasHeld = IsHeld();
    Release();
    const bool started = startOtherCopy();
    // Taken back whatever the answer: a copy that cannot be replaced stays the running one.
    if (!started && wasHeld) Take();
    return started;
}
