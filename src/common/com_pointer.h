#pragma once

#include <unknwn.h>

// Owns one COM interface pointer and releases it when it goes. Filled by the functions that
// hand out interfaces through an out parameter (Receive).
template <typename Interface>
class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer() {
        if (m_pointer != nullptr) m_pointer->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;

    // The place for a new pointer; an interface held before is released first.
    Interface** Receive() {
        if (m_pointer != nullptr) m_pointer->Release();
        m_pointer = nullptr;
        return &m_pointer;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    Interface* operator->() const { return m_pointer; }
    Interface* Get() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

private:
    Interface* m_pointer = nullptr;
};
