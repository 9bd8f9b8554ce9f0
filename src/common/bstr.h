#pragma once

#include <oleauto.h>

#include <string>

#include "common/unique_resource.h"

struct FreeBstr {
    void operator()(BSTR text) const { SysFreeString(text); }
};

// Owns a BSTR (from SysAllocString, or handed out by a COM interface: Receive) and frees it when
// it goes.
using UniqueBstr = UniqueResource<BSTR, FreeBstr>;

// The text of a BSTR that may be null (an empty text).
inline std::wstring BstrText(BSTR text) { return text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring(); }
