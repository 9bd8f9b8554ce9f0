#pragma once

#include <windows.h>
#include <commctrl.h>

#include "common/unique_resource.h"

// Owners of GDI objects (bitmaps, fonts, brushes), memory device contexts, icons and image lists: each is destroyed when
// its owner goes. A handle handed to a control that does not take it over (a dialog's icons, a
// toolbar's image list, a button's bitmap) stays with its owner for as long as the control shows
// it. A 32-bit bitmap whose pixels the program writes has its own class, CDumBitmap.

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DeleteMemoryDC {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct DestroyIconHandle {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct DestroyImageList {
    void operator()(HIMAGELIST images) const { ImageList_Destroy(images); }
};

template <typename Handle>
using UniqueGdiObject = UniqueResource<Handle, DeleteGdiObject>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueFont = UniqueGdiObject<HFONT>;
// A memory device context from CreateCompatibleDC (never a window's DC, which is released, not
// deleted).
using UniqueMemoryDC = UniqueResource<HDC, DeleteMemoryDC>;
using UniqueIcon = UniqueResource<HICON, DestroyIconHandle>;
using UniqueImageList = UniqueResource<HIMAGELIST, DestroyImageList>;
