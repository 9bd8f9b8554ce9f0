#pragma once

#include <windows.h>

#include "imaging/picture_bytes.h"
#include "imaging/picture_canvas.h"

// Pictures onto canvases (texture squares, thumbnail cells), turned upright by the orientation
// their header states, as 32-bit bitmap handles (premultiplied B, G, R, A, made by
// CanvasBitmap). The caller owns a returned handle. Any thread may call these.
//
// Each picture is decoded once and reduced onto the canvas from its decoded pixels in one pass
// (SquareReduction): JPEG pictures, and pictures that only the system's installed codecs decode
// (HEIF, WebP, AVIF, JPEG XR, DDS, DNG and camera raw files), through WIC (smaller by the codec
// itself where it can; by GDI+ when WIC cannot take one), other pictures by GDI+ with colour
// management (by WIC when GDI+ cannot take one), pictures larger than GDI+ decodes whole through
// WIC one row at a time (decoding_budget.h). A picture whose pixels GDI+ cannot hand out is
// drawn by GDI+ instead.

// Returns null, changing nothing, when the file cannot be opened or read (or memory does not
// allow), when it does not decode, or when the picture is larger than the decoding budget: as
// its header states it, or, where the header leaves the size open, as its decoder tells it
// before decoding (decoder_frame_size.h; no answer counts as no picture).
HBITMAP LoadCanvasPictureFile(const wchar_t* path, const PictureCanvas& canvas);

// The same from bytes in a block, except that bytes which do not decode give the empty canvas
// (the background alone). Null only when GDI+ cannot make the bitmap.
HBITMAP LoadCanvasPictureBytes(const PictureBytes& bytes, const PictureCanvas& canvas);

// The empty canvas as a bitmap handle; null when GDI+ cannot make it.
HBITMAP EmptyCanvasBitmap(const PictureCanvas& canvas);
