#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "common/gdi_objects.h"

// The frame bitmap of a scene: a top-down 32-bit DIB section in a memory device context that each
// frame is read back into from OpenGL and handed from to the display's layered window, and that a
// snapshot is saved from. Main thread only (the OpenGL context of the frame must be current for
// ReadBack).
class FrameBitmap {
public:
    FrameBitmap() = default;
    FrameBitmap(const FrameBitmap&) = delete;
    FrameBitmap& operator=(const FrameBitmap&) = delete;

    // Makes the bitmap at width x height in a memory device context of its own, replacing the
    // one held. On failure nothing is held and false is returned.
    bool Create(int width, int height);
    // Deletes the bitmap and its device context; safe when nothing is held.
    void Release();

    // Reads the frame drawn in the current OpenGL context into the bitmap. The scene is drawn
    // upside down, so that the rows arrive in the top-down order of the bitmap.
    void ReadBack();
    // Hands the bitmap to the layered `window` at `size` pixels with the constant `alpha`, as
    // UpdateLayeredWindow takes it; the window keeps its place.
    void Present(HWND window, SIZE size, uint8_t alpha) const;
    // Saves the bitmap as a PNG file at SnapshotPath with the constant `alpha` and opens it with
    // the program the user chose for PNG files (on a thread of its own).
    void TakeSnapshot(uint8_t alpha) const;

    // The frame as the window last received it: top-down B, G, R, A rows of width * 4 bytes.
    const uint8_t* Pixels() const { return m_pixels; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    HBITMAP Bitmap() const { return m_bitmap.Get(); }

    // Where the frame snapshots go: the temporary folder's "Orbelin_tmp.png".
    static std::wstring SnapshotPath();

private:
    int m_width = 0;
    int m_height = 0;
    UniqueMemoryDC m_dc;
    UniqueBitmap m_bitmap;
    uint8_t* m_pixels = nullptr;  // the bitmap's, while it is held
};
