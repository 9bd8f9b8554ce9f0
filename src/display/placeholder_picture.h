#pragma once

#include <windows.h>

#include <string>

class CDumBitmap;

inline constexpr int kPlaceholderSize = 256;

// Draws a stand-in picture into `bitmap` (which makes a new 256 x 256 bitmap for it): opaque
// black with `text` in green, word-wrapped and centred both ways. Returns the new handle, which
// still sits in `bitmap`; the caller detaches it when handing it on. Null when the bitmap
// cannot be made.
HBITMAP MakePlaceholderPicture(CDumBitmap& bitmap, const std::wstring& text);

// "\n" + "Individual picture selection" + "\n\n" + "The images are loaded", in the current
// language.
std::wstring LoadingPlaceholderText();
// "\n" + "Individual picture selection" + "\n\n" + "No images found" + "\n\n" + the hint.
std::wstring EmptyPlaceholderText();
