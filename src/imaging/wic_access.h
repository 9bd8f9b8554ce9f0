#pragma once

#include <windows.h>
#include <wincodec.h>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "imaging/picture_bytes.h"

// The system's imaging component (WIC) for one call on any thread: the thread's COM apartment,
// the factory, a stream over a file or over bytes, and the first frame of a picture. Every
// function returns null on failure; the caller owns what it returns.

// Joins the calling thread to COM for one call, unless it already lives in an apartment (then
// COM works there as it is and the thread's apartment is left alone). Made first and destroyed
// last, so that every COM object of the call is gone before it leaves.
class ComApartment {
public:
    ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_result)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool Works() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_result;
};

ComPointer<IWICImagingFactory> MakeWicFactory();

// A stream that reads the file, or the bytes in memory (which must outlive the stream).
ComPointer<IWICStream> MakeWicFileStream(IWICImagingFactory& factory, const wchar_t* path);
ComPointer<IWICStream> MakeWicMemoryStream(IWICImagingFactory& factory, const uint8_t* bytes, size_t count);

// The first frame of a picture and the decoder it comes from (released after the frame).
struct WicFrame {
    ComPointer<IWICBitmapDecoder> decoder;
    ComPointer<IWICBitmapFrameDecode> frame;
};

// The first frame of the picture in `stream`, through the decoder WIC chooses by the content;
// the frame is null when no decoder takes it or the decoder fails. On Windows this reads the
// picture's headers; under Wine the decoders of JPEG, PNG and GIF decode the whole picture while
// the decoder is made, and the icon decoder decodes the frame.
WicFrame FirstWicFrame(IWICImagingFactory& factory, IWICStream& stream);

// The orientation (picture_orientation.h) that the frame's metadata states, for pictures whose
// header the program does not read itself: the container's own rotation of a HEIF picture
// (whose decoder hands out the pixels as stored), the photo orientation of the system's metadata
// policy, or the EXIF orientation of a TIFF-structured container (JPEG XR, DNG and camera raw
// files) or of a JPEG's Exif segment, the first of these the codec answers (a value outside 1 to
// 8 shows the picture as stored). Nothing when the frame states none or the codec has no
// metadata.
std::optional<int> WicFrameOrientation(IWICBitmapFrameDecode& frame);
