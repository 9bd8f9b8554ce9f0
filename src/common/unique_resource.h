#pragma once

#include <utility>

// Owns one handle of a kind that `Free` gives back to the system (a GDI object, an icon, a
// registry key, memory of the COM allocator, a BSTR) and gives it back when it goes. Moving hands
// the handle on; copying is not allowed. A null handle is no handle. Kernel handles have their
// owner in unique_handle.h (they also know INVALID_HANDLE_VALUE), COM interfaces in
// com_pointer.h.
template <typename Handle, typename Free>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : m_handle(handle) {}
    ~UniqueResource() { Reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : m_handle(other.Detach()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

    // Gives up ownership; the caller now owns the handle.
    Handle Detach() { return std::exchange(m_handle, nullptr); }

    // Gives back the handle held (if any) and takes `handle`.
    void Reset(Handle handle = nullptr) {
        if (m_handle != nullptr && m_handle != handle) Free()(m_handle);
        m_handle = handle;
    }

    // The place for a new handle from a function that hands it out through an out parameter; a
    // handle held before is given back first.
    Handle* Receive() {
        Reset();
        return &m_handle;
    }

private:
    Handle m_handle = nullptr;
};
