#pragma once

#include <unknwn.h>

#include <cstddef>
#include <utility>

// Owns one reference to a COM interface and releases it when it goes. Filled by the functions
// that hand out interfaces through an out parameter (Receive), or given a reference the caller
// owns (the constructor, Reset). Moving hands the reference on; copying is not allowed.
template <typename Interface>
class ComPointer {
public:
    ComPointer() = default;
    ComPointer(std::nullptr_t) {}
    explicit ComPointer(Interface* owned) : m_pointer(owned) {}
    ~ComPointer() { Reset(); }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    ComPointer(ComPointer&& other) noexcept : m_pointer(other.Detach()) {}
    ComPointer& operator=(ComPointer&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }

    // The place for a new pointer; an interface held before is released first.
    Interface** Receive() {
        Reset();
        return &m_pointer;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

    Interface* operator->() const { return m_pointer; }
    Interface& operator*() const { return *m_pointer; }
    Interface* Get() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }
    friend bool operator==(const ComPointer& pointer, std::nullptr_t) { return pointer.m_pointer == nullptr; }

    // Gives up the reference without releasing it; the caller owns it now.
    Interface* Detach() { return std::exchange(m_pointer, nullptr); }

    // Releases the reference held (if any) and takes over `owned`.
    void Reset(Interface* owned = nullptr) {
        Interface* previous = std::exchange(m_pointer, owned);
        if (previous != nullptr) previous->Release();
    }

private:
    Interface* m_pointer = nullptr;
};
