#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "imaging/gdiplus_api.h"
#include "imaging/picture_canvas.h"
#include "imaging/square_reduction.h"

// Canvases (texture squares, thumbnail cells) from pictures GDI+ decoded, and their bitmap
// handles. Any thread may call these; each works on its own GDI+ objects.

// Feeds the rows of `picture` that land on the canvas into the reduction, read straight from the
// decoded pixels where the reduction reads their format (24-bit and 32-bit pictures, 8-bit
// palette pictures: what photos, PNG and GIF files decode to), otherwise converted to
// premultiplied 32 bits by GDI+. Returns false, having fed nothing, when GDI+ cannot hand out
// the pixels.
bool FeedGdiplusPicture(GpImage* picture, SquareReduction& reduction);

// The canvas as GDI+ draws it: `picture` turned upright (which changes `picture`) and drawn with
// GDI+'s default interpolation onto the background, as a bitmap handle made like CanvasBitmap's.
// A null picture, or one without size, gives the empty canvas. The caller keeps `picture` and
// owns the handle; null when GDI+ cannot make it.
HBITMAP DrawCanvasWithGdiplus(GpImage* picture, const PictureCanvas& canvas, int orientation);

// A 32-bit bitmap handle of a side x side canvas (top-down straight 0xAARRGGBB, as
// SquareReduction gives it), converted by GDI+ as it converts every bitmap it draws itself
// (premultiplied B, G, R, A). The caller owns the handle; null when GDI+ cannot make it.
HBITMAP CanvasBitmap(std::vector<uint32_t>& pixels, int side);
