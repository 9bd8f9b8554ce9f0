#include "imaging/gdiplus_api.h"

#include "common/proc_address.h"
#include "common/system_library.h"

namespace {

template <typename Function>
void Lookup(HMODULE library, Function& entry, const char* name) {
    entry = GetProcAddressAs<Function>(library, name);
}

GdiplusApi LoadGdiplus() {
    GdiplusApi api;
    api.library = LoadSystemLibrary(L"gdiplus.dll");
    if (api.library == nullptr) return api;
    HMODULE library = api.library;
    Lookup(library, api.startup, "GdiplusStartup");
    Lookup(library, api.getImageWidth, "GdipGetImageWidth");
    Lookup(library, api.getImageHeight, "GdipGetImageHeight");
    Lookup(library, api.disposeImage, "GdipDisposeImage");
    Lookup(library, api.loadImageFromStream, "GdipLoadImageFromStream");
    Lookup(library, api.createFromHdc, "GdipCreateFromHDC");
    Lookup(library, api.deleteGraphics, "GdipDeleteGraphics");
    Lookup(library, api.drawImageRectRectI, "GdipDrawImageRectRectI");
    Lookup(library, api.createImageAttributes, "GdipCreateImageAttributes");
    Lookup(library, api.setImageAttributesColorMatrix, "GdipSetImageAttributesColorMatrix");
    Lookup(library, api.createBitmapFromStreamIcm, "GdipCreateBitmapFromStreamICM");
    Lookup(library, api.createBitmapFromScan0, "GdipCreateBitmapFromScan0");
    Lookup(library, api.getImageGraphicsContext, "GdipGetImageGraphicsContext");
    Lookup(library, api.graphicsClear, "GdipGraphicsClear");
    Lookup(library, api.drawImageRectI, "GdipDrawImageRectI");
    Lookup(library, api.createHbitmapFromBitmap, "GdipCreateHBITMAPFromBitmap");
    Lookup(library, api.getImageEncodersSize, "GdipGetImageEncodersSize");
    Lookup(library, api.getImageEncoders, "GdipGetImageEncoders");
    Lookup(library, api.bitmapSetPixel, "GdipBitmapSetPixel");
    Lookup(library, api.bitmapGetPixel, "GdipBitmapGetPixel");
    Lookup(library, api.saveImageToFile, "GdipSaveImageToFile");
    Lookup(library, api.createBitmapFromFile, "GdipCreateBitmapFromFile");
    Lookup(library, api.createBitmapFromHbitmap, "GdipCreateBitmapFromHBITMAP");
    Lookup(library, api.getImagePixelFormat, "GdipGetImagePixelFormat");
    Lookup(library, api.bitmapLockBits, "GdipBitmapLockBits");
    Lookup(library, api.bitmapUnlockBits, "GdipBitmapUnlockBits");
    Lookup(library, api.getImagePaletteSize, "GdipGetImagePaletteSize");
    Lookup(library, api.getImagePalette, "GdipGetImagePalette");
    Lookup(library, api.imageRotateFlip, "GdipImageRotateFlip");

    if (api.startup != nullptr) {
        const GdiplusStartupInput input;
        if (api.startup(&api.startupToken, &input, nullptr) != kGpOk) api.startupToken = 0;
    }
    return api;
}

}  // namespace

const GdiplusApi& Gdiplus() {
    // A function-local static is initialised once, also when several threads arrive together.
    static const GdiplusApi api = LoadGdiplus();
    return api;
}

bool StartGdiplusAgain() {
    const GdiplusApi& api = Gdiplus();
    if (api.startup == nullptr) return false;
    const GdiplusStartupInput input;
    ULONG_PTR token = 0;
    return api.startup(&token, &input, nullptr) == kGpOk;
}
