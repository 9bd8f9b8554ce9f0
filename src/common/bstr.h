#pragma once

#include <oleauto.h>

#include <string_view>

#include "common/unique_resource.h"

struct FreeBstr {
    void operator()(BSTR text) const { SysFreeString(text); }
};

// Owns a BSTR (from SysAllocString, or handed out by a COM interface: Receive) and frees it when
// it goes.
using UniqueBstr = UniqueResource<BSTR, FreeBstr>;

// The text of a BSTR that may be null (an empty text), for as long as the BSTR lives.
inline std::wstring_view BstrView(BSTR text) {
    return text != nullptr ? std::wstring_view(text, SysStringLen(text)) : std::wstring_view();
}
