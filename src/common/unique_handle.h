#pragma once

#include <windows.h>

#include <utility>

// Owns one kernel handle (file, mutex, thread, event) and closes it when it goes. Moving hands
// the handle on; copying is not allowed. Both null and INVALID_HANDLE_VALUE mean "no handle".
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : m_handle(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Detach()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }

    bool IsValid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }

    // Gives up ownership; the caller now owns the handle.
    HANDLE Detach() { return std::exchange(m_handle, nullptr); }

    void Reset(HANDLE handle = nullptr) {
        if (IsValid()) CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle = nullptr;
};
