#pragma once

#include <windows.h>

#include <cstddef>

#include "imaging/gdiplus_api.h"

// Texture pictures: a picture decoded and drawn into a 1024 x 1024 32-bit ARGB square by the
// aspect mode (m_img_mode), handed on as a GDI bitmap handle whose pixels are B, G, R, A. The
// caller owns the returned handle. Any thread may call these.

// Returns null, changing nothing, when the file cannot be opened or read (also when it is larger
// than the program reads or memory does not allow). A file that does not decode, whose header is
// no picture, or whose header claims a picture larger than the program decodes, gives the plain
// grey square.
HBITMAP LoadTexturePictureFile(const wchar_t* path, int aspectMode);

// The same from bytes in memory. When no memory block or stream can be made for them, shows
// "Fehler beim Laden: Memar" and returns null.
HBITMAP LoadTexturePictureMemory(const void* bytes, size_t count, int aspectMode);

// Makes the grey square, draws `picture` onto it (null or a picture without size: nothing is
// drawn) and disposes of `picture`. The caller owns the returned square; null only when GDI+
// cannot make it.
GpBitmap* MakeTextureSquare(GpBitmap* picture, int aspectMode);
