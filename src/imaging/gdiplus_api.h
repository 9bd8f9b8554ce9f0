#pragma once

#include <windows.h>
#include <objidl.h>

#include <cstdint>

// The part of the GDI+ flat interface the program uses, reached through "gdiplus.dll" loaded at
// run time. The types are declared here so that no GDI+ header or import library is needed.

struct GpImage;
struct GpBitmap;  // a GpImage underneath; the flat interface takes either
struct GpGraphics;
struct GpImageAttributes;

using GpStatus = int;
inline constexpr GpStatus kGpOk = 0;

using GpArgb = uint32_t;
inline constexpr int kPixelFormat32bppArgb = 0x0026200A;
inline constexpr int kUnitPixel = 2;
inline constexpr int kColorAdjustTypeBitmap = 1;
inline constexpr int kColorMatrixFlagsDefault = 0;

struct GdiplusStartupInput {
    UINT32 version = 1;
    void* debugEventCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};

struct GpColorMatrix {
    float m[5][5];
};

struct GpImageCodecInfo {
    CLSID clsid;
    GUID formatId;
    const WCHAR* codecName;
    const WCHAR* dllName;
    const WCHAR* formatDescription;
    const WCHAR* filenameExtension;
    const WCHAR* mimeType;
    DWORD flags;
    DWORD version;
    DWORD sigCount;
    DWORD sigSize;
    const BYTE* sigPattern;
    const BYTE* sigMask;
};

// Entry points of the loaded library; each is null when the library or the export is missing.
struct GdiplusApi {
    HMODULE library = nullptr;
    ULONG_PTR startupToken = 0;

    GpStatus(WINAPI* startup)(ULONG_PTR*, const GdiplusStartupInput*, void*) = nullptr;
    GpStatus(WINAPI* getImageWidth)(GpImage*, UINT*) = nullptr;
    GpStatus(WINAPI* getImageHeight)(GpImage*, UINT*) = nullptr;
    GpStatus(WINAPI* disposeImage)(GpImage*) = nullptr;
    GpStatus(WINAPI* loadImageFromStream)(IStream*, GpImage**) = nullptr;
    GpStatus(WINAPI* createFromHdc)(HDC, GpGraphics**) = nullptr;
    GpStatus(WINAPI* deleteGraphics)(GpGraphics*) = nullptr;
    GpStatus(WINAPI* drawImageRectRectI)(GpGraphics*, GpImage*, INT, INT, INT, INT, INT, INT, INT, INT, int,
                                         const GpImageAttributes*, void*, void*) = nullptr;
    GpStatus(WINAPI* createImageAttributes)(GpImageAttributes**) = nullptr;
    GpStatus(WINAPI* setImageAttributesColorMatrix)(GpImageAttributes*, int, BOOL, const GpColorMatrix*,
                                                    const GpColorMatrix*, int) = nullptr;
    GpStatus(WINAPI* createBitmapFromStreamIcm)(IStream*, GpBitmap**) = nullptr;
    GpStatus(WINAPI* createBitmapFromScan0)(INT, INT, INT, int, BYTE*, GpBitmap**) = nullptr;
    GpStatus(WINAPI* getImageGraphicsContext)(GpImage*, GpGraphics**) = nullptr;
    GpStatus(WINAPI* graphicsClear)(GpGraphics*, GpArgb) = nullptr;
    GpStatus(WINAPI* drawImageRectI)(GpGraphics*, GpImage*, INT, INT, INT, INT) = nullptr;
    GpStatus(WINAPI* createHbitmapFromBitmap)(GpBitmap*, HBITMAP*, GpArgb) = nullptr;
    GpStatus(WINAPI* getImageEncodersSize)(UINT*, UINT*) = nullptr;
    GpStatus(WINAPI* getImageEncoders)(UINT, UINT, GpImageCodecInfo*) = nullptr;
    GpStatus(WINAPI* bitmapSetPixel)(GpBitmap*, INT, INT, GpArgb) = nullptr;
    GpStatus(WINAPI* bitmapGetPixel)(GpBitmap*, INT, INT, GpArgb*) = nullptr;
    GpStatus(WINAPI* saveImageToFile)(GpImage*, const WCHAR*, const CLSID*, const void*) = nullptr;
    GpStatus(WINAPI* createBitmapFromFile)(const WCHAR*, GpBitmap**) = nullptr;
    // Thumbnails from the shell come as bitmap handles.
    GpStatus(WINAPI* createBitmapFromHbitmap)(HBITMAP, HPALETTE, GpBitmap**) = nullptr;
};

// The process-wide GDI+ access. The first call loads "gdiplus.dll", looks up every entry point
// and starts GDI+ once; the library is never unloaded. Safe to call from any thread.
const GdiplusApi& Gdiplus();

// Starts GDI+ once more (each start adds a reference that is never given back; the program keeps
// GDI+ for its whole life). Returns false when the library or its start-up is missing.
bool StartGdiplusAgain();

inline GpImage* AsImage(GpBitmap* bitmap) { return reinterpret_cast<GpImage*>(bitmap); }
