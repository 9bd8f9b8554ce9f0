#include "imaging/png_output.h"

#include <cwchar>
#include <vector>

#include "imaging/bitmap32.h"
#include "imaging/gdiplus_api.h"

int FindEncoder(const wchar_t* mimeType, CLSID* classId) {
    const GdiplusApi& api = Gdiplus();
    if (api.getImageEncodersSize == nullptr || api.getImageEncoders == nullptr || mimeType == nullptr) return -1;
    UINT count = 0, size = 0;
    if (api.getImageEncodersSize(&count, &size) != kGpOk || size == 0 || count == 0) return -1;
    // Aligned for the codec records at the start of the buffer; their texts follow them.
    std::vector<GpImageCodecInfo> buffer((size + sizeof(GpImageCodecInfo) - 1) / sizeof(GpImageCodecInfo));
    GpImageCodecInfo* encoders = buffer.data();
    if (buffer.size() < count || api.getImageEncoders(count, size, encoders) != kGpOk) return -1;
    for (UINT i = 0; i < count; ++i) {
        if (encoders[i].mimeType != nullptr && std::wcscmp(encoders[i].mimeType, mimeType) == 0) {
            if (classId != nullptr) *classId = encoders[i].clsid;
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool SavePng(HBITMAP bitmap, const wchar_t* path, uint8_t alpha) {
    const GdiplusApi& api = Gdiplus();
    CDumBitmap source;
    source.Attach(bitmap);
    bool saved = false;
    CLSID pngEncoder{};
    const bool hasEncoder = FindEncoder(L"image/png", &pngEncoder) >= 0;
    GpBitmap* copy = nullptr;
    if (hasEncoder && source.Width() > 0 && source.Height() > 0 && api.createBitmapFromScan0 != nullptr &&
        api.createBitmapFromScan0(source.Width(), source.Height(), 0, kPixelFormat32bppArgb, nullptr, &copy) == kGpOk) {
        source.SetAlphaOfColoured(alpha);
        for (int y = 0; y < source.Height(); ++y) {
            for (int x = 0; x < source.Width(); ++x) api.bitmapSetPixel(copy, x, y, source.PixelAt(x, y));
        }
        saved = api.saveImageToFile(AsImage(copy), path, &pngEncoder, nullptr) == kGpOk;
        api.disposeImage(AsImage(copy));
    }
    source.Detach();
    return saved;
}
