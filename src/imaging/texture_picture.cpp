#include "imaging/texture_picture.h"

#include "imaging/picture_bytes.h"
#include "imaging/decoding_budget.h"
#include "imaging/texture_square.h"

namespace {

// Decodes the bytes and turns them into the texture handle; the bytes must outlive the decoded
// picture, which MakeTextureSquare disposes of before this returns.
HBITMAP TextureFromBytes(const PictureBytes& bytes, StreamOwner stream, int aspectMode) {
    const GdiplusApi& api = Gdiplus();
    GpBitmap* picture = nullptr;
    if (MayDecode(ReadPictureHeader(bytes.Data(), bytes.Size())) && api.createBitmapFromStreamIcm != nullptr &&
        api.createBitmapFromStreamIcm(stream.get(), &picture) != kGpOk) {
        picture = nullptr;
    }
    stream.reset();

    GpBitmap* square = MakeTextureSquare(picture, aspectMode);
    if (square == nullptr) return nullptr;
    HBITMAP texture = nullptr;
    if (api.createHbitmapFromBitmap == nullptr || api.createHbitmapFromBitmap(square, &texture, 0) != kGpOk) {
        texture = nullptr;
    }
    api.disposeImage(AsImage(square));
    return texture;
}

}  // namespace

GpBitmap* MakeTextureSquare(GpBitmap* picture, int aspectMode) {
    const GdiplusApi& api = Gdiplus();
    const bool hasEntries = api.disposeImage != nullptr && api.getImageWidth != nullptr &&
                            api.getImageHeight != nullptr && api.createBitmapFromScan0 != nullptr &&
                            api.getImageGraphicsContext != nullptr && api.graphicsClear != nullptr &&
                            api.drawImageRectI != nullptr && api.deleteGraphics != nullptr;
    if (!hasEntries) return nullptr;
    UINT width = 0, height = 0;
    if (picture != nullptr) {
        api.getImageWidth(AsImage(picture), &width);
        api.getImageHeight(AsImage(picture), &height);
    }

    GpBitmap* square = nullptr;
    if (api.createBitmapFromScan0(kTextureSide, kTextureSide, 0, kPixelFormat32bppArgb, nullptr, &square) != kGpOk) {
        square = nullptr;
    }
    GpGraphics* graphics = nullptr;
    if (square != nullptr && api.getImageGraphicsContext(AsImage(square), &graphics) == kGpOk) {
        api.graphicsClear(graphics, kTextureBackground);
        const TexturePlacement placement =
            PlaceOnTextureSquare(static_cast<int>(width), static_cast<int>(height), aspectMode);
        if (placement.width > 0 && placement.height > 0) {
            api.drawImageRectI(graphics, AsImage(picture), placement.x, placement.y, placement.width, placement.height);
        }
        api.deleteGraphics(graphics);
    }
    if (picture != nullptr) api.disposeImage(AsImage(picture));
    return square;
}

HBITMAP LoadTexturePictureFile(const wchar_t* path, int aspectMode) {
    OutputDebugStringA("CreaateBitmapFromFile:");
    OutputDebugStringW(path);
    OutputDebugStringA("\n");

    PictureBytes bytes;
    if (ReadPictureFile(path, bytes) != PictureFileRead::kRead) return nullptr;
    StreamOwner stream = MakeStreamOnBytes(bytes);
    if (stream == nullptr) return nullptr;
    return TextureFromBytes(bytes, std::move(stream), aspectMode);
}

HBITMAP LoadTexturePictureMemory(const void* bytes, size_t count, int aspectMode) {
    PictureBytes block;
    StreamOwner stream;
    if (block.CopyFrom(bytes, count)) stream = MakeStreamOnBytes(block);
    if (stream == nullptr) {
        // Owned by the active window, with the system's default caption.
        MessageBoxW(GetActiveWindow(), L"Fehler beim Laden: Memar\n", nullptr, MB_OK);
        return nullptr;
    }
    return TextureFromBytes(block, std::move(stream), aspectMode);
}
