#pragma once

#include <windows.h>

#include "common/unique_resource.h"

struct CloseRegistryKey {
    void operator()(HKEY key) const { RegCloseKey(key); }
};

// Owns an open registry key (from RegOpenKeyExW, RegCreateKeyExW: Receive) and closes it when it
// goes.
using RegistryKey = UniqueResource<HKEY, CloseRegistryKey>;
