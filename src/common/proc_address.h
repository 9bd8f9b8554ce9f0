#pragma once

#include <windows.h>

// Looks up a function of a loaded module as a pointer of the given type; null when the module
// does not export it. (Going through void* keeps the compiler from warning about the cast from
// the generic FARPROC.)
template <typename Function>
Function GetProcAddressAs(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
