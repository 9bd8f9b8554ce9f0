#pragma once

#include <windows.h>

#include "common/gdi_objects.h"

// The header banner of the program's dialogs: the picture resource "bitmap9.jpg" (type "PNG")
// drawn to the size of a static control and set as its image.

// Draws the banner at the size of `place` (dialog units of `dialog`, the control's place in its
// template, whatever the static made of its own size), sets it as the image of the static
// `controlId`, and moves the static to that place. `holder` owns the bitmap, which must live for as
// long as the dialog shows it; a banner it held before is deleted. False
// when the picture cannot be loaded; the static then stays empty.
bool ShowHeaderBanner(HWND dialog, int controlId, RECT place, UniqueBitmap& holder);
