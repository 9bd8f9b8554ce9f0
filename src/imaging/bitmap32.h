#pragma once

#include <windows.h>

#include <cstdint>

// A 32-bit DIB section with direct access to its pixels: 4 bytes per pixel in memory order
// blue, green, red, alpha (0xAARRGGBB read as a little-endian value, the GDI+ ARGB layout).
// Bitmaps made by Create are bottom-up; an attached bitmap keeps its own row order. Pixel
// operations address rows in memory order. Nothing here premultiplies alpha.
//
// Ownership: Create and Attach delete the handle held before. Destruction never deletes the
// handle (the keep-handle flag is set by the constructor and nothing clears it); whoever takes
// the handle elsewhere calls Detach so that a later Create does not delete a handle it gave away.
class CDumBitmap {
public:
    CDumBitmap() = default;
    virtual ~CDumBitmap();
    CDumBitmap(const CDumBitmap&) = delete;
    CDumBitmap& operator=(const CDumBitmap&) = delete;

    // Makes a bottom-up width x height bitmap and attaches it. `bits`, when given, receives the
    // pixel pointer from CreateDIBSection. The pixels are not cleared. A failure shows "dib-err"
    // and leaves the object empty (Attach then shows "Err").
    void Create(int width, int height, void** bits = nullptr);

    // Deletes the held handle and takes `bitmap`, reading its description. A null handle or one
    // that is not a DIB section leaves the object empty and shows "Err".
    void Attach(HBITMAP bitmap);

    // Forgets the handle without deleting it; the caller owns it from here.
    HBITMAP Detach();

    // The pixel at column x mod width and memory row y mod height; 0 when empty.
    uint32_t PixelAt(int x, int y) const;
    void Fill(uint32_t pixel);
    void MakeOpaque();
    // Sets the alpha byte of every pixel whose blue, green and red are not all zero.
    void SetAlphaOfColoured(uint8_t alpha);

    HBITMAP Handle() const { return m_handle; }
    uint8_t* Bits() const { return m_bits; }
    const BITMAP& Description() const { return m_description; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    HBITMAP m_handle = nullptr;
    uint8_t* m_bits = nullptr;
    BITMAP m_description{};
    int m_width = 0;
    int m_height = 0;
    int m_keepHandle = 1;
};
