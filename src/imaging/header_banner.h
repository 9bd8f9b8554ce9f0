#pragma once

#include <windows.h>

#include "imaging/bitmap32.h"

// The header banner of the program's dialogs: the picture resource "bitmap9.jpg" (type "PNG")
// drawn to the size of a static control and set as its image.

// Draws the banner at the size of `place` (dialog units of `dialog`, the control's place in its
// template, whatever the static made of its own size), sets it as the image of the static
// `controlId`, and moves the static to that place. `holder` keeps the bitmap for as long as the
// dialog shows it and owns it afterwards (the caller deletes it when the dialog goes). False
// when the picture cannot be loaded; the static then stays empty.
bool ShowHeaderBanner(HWND dialog, int controlId, RECT place, CDumBitmap& holder);
