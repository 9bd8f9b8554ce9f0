#pragma once

#include <objbase.h>
#include <shtypes.h>

#include "common/unique_resource.h"

struct FreeCoTaskMemory {
    void operator()(void* memory) const { CoTaskMemFree(memory); }
};

// Owns memory that the system handed out from the COM allocator (the folder chooser's result,
// the shell's item ID lists) and frees it with CoTaskMemFree when it goes (which is also how the
// shell frees an ID list: ILFree).
template <typename Pointer>
using CoTaskMemPointer = UniqueResource<Pointer, FreeCoTaskMemory>;
using UniqueItemIdList = CoTaskMemPointer<ITEMIDLIST*>;
