#pragma once

#include <windows.h>

#include <cstddef>

#include "imaging/gdiplus_api.h"

// Texture pictures: a picture decoded and drawn into a 1024 x 1024 32-bit ARGB square by the
// aspect mode (m_img_mode), handed on as a GDI bitmap handle whose pixels are B, G, R, A. The
// caller owns the returned handle. Any thread may call these.

// Pictures up to about 16 megapixels are decoded whole by GDI+ and drawn onto the square;
// larger ones are decoded from the file and reduced onto the square row by row, so that no
// second full-size copy is ever made (see decoding_budget.h).
//
// Returns null, changing nothing, when the file cannot be opened or read (also when a file whose
// header tells no size is larger than the program reads into memory, or memory does not allow),
// when it does not decode, or when its header claims a picture larger than the decoding budget:
// such a file is no picture to show.
HBITMAP LoadTexturePictureFile(const wchar_t* path, int aspectMode);

// The same from bytes in memory, except that bytes which do not decode give the plain grey
// square. When no memory block or stream can be made for them, shows "Fehler beim Laden: Memar"
// and returns null.
HBITMAP LoadTexturePictureMemory(const void* bytes, size_t count, int aspectMode);

// Makes the grey square, draws `picture` onto it (null or a picture without size: nothing is
// drawn) and disposes of `picture`. The caller owns the returned square; null only when GDI+
// cannot make it.
GpBitmap* MakeTextureSquare(GpBitmap* picture, int aspectMode);
