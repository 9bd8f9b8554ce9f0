#pragma once

#include <windows.h>

#include "imaging/gdiplus_api.h"
#include "imaging/picture_bytes.h"

// Holds one decoded picture, reached through GDI+ loaded at run time. Every failure shows as
// an empty holder (no image, both sizes 0); nothing is reported. A holder is used by one thread
// at a time; different holders may be used on different threads.
class PictureHolder {
public:
    // Loads and starts GDI+ for the process on first use; a missing library leaves every
    // holder empty.
    PictureHolder();
    virtual ~PictureHolder();
    PictureHolder(const PictureHolder&) = delete;
    PictureHolder& operator=(const PictureHolder&) = delete;

    // Returns false, keeping the held picture, when the file cannot be opened or GDI+ has no
    // decoder entry point. Otherwise replaces the held picture and returns true, also when the
    // file does not decode, is larger than the program reads, or its header is no picture or
    // claims a picture larger than the decoding budget, or leaves the size open and the decoder
    // tells none or one over the budget (decoder_frame_size.h; then the holder is empty). GDI+ decodes
    // the whole picture, and under Wine holds the codec's copy besides its own while it loads;
    // large pictures take turns with other large decodes (decoding_budget.h).
    bool LoadFile(const wchar_t* path);

    // The same from a resource of the module. Returns false (holding nothing) when the
    // resource, its bytes or the decoder entry point are missing.
    bool LoadResource(const wchar_t* name, const wchar_t* type, HMODULE module);

    // The size as decoded, which is the size as stored: a photo whose EXIF orientation turns it
    // shows with the sides swapped (Orientation(), picture_orientation.h).
    UINT Width() const;
    UINT Height() const;
    // The orientation the held picture's header states; 1 (as stored) when it states none.
    int Orientation() const { return m_orientation; }
    GpImage* Image() const { return m_image; }

    // Draws `image` (callers pass Image()) whole into `rect` of the device context through the
    // shared image attributes with the given 5 x 5 colour matrix (identity when null). Returns
    // false when a drawing entry point is missing.
    bool DrawTo(HDC hdc, const RECT& rect, GpImage* image, const float* colourMatrix = nullptr);

    void Release();

private:
    // Decodes the bytes now in m_bytes into m_image.
    void DecodeHeldBytes();

    PictureBytes m_bytes;
    GpImage* m_image = nullptr;
    int m_orientation = 1;
};
