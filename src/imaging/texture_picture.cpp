#include "imaging/texture_picture.h"

#include <utility>
#include <vector>

#include "common/unique_handle.h"
#include "imaging/decoding_budget.h"
#include "imaging/picture_bytes.h"
#include "imaging/picture_file_reader.h"
#include "imaging/reducing_decode.h"
#include "imaging/texture_reduction.h"
#include "imaging/texture_square.h"

namespace {

// What becomes of a picture that does not decode.
enum class Undecodable {
    kGreySquare,  // the plain grey square
    kNoTexture,   // null: the caller moves on to another picture
};

HBITMAP HandleOfSquare(GpBitmap* square) {
    const GdiplusApi& api = Gdiplus();
    if (square == nullptr) return nullptr;
    HBITMAP texture = nullptr;
    if (api.createHbitmapFromBitmap == nullptr || api.createHbitmapFromBitmap(square, &texture, 0) != kGpOk) {
        texture = nullptr;
    }
    api.disposeImage(AsImage(square));
    return texture;
}

// The texture handle of a square that TextureReduction made (the plain grey square when the
// decode gave nothing). GDI+ wraps the pixels without copying them and converts them exactly as
// it converts the squares it draws itself.
HBITMAP TextureFromSquarePixels(std::vector<uint32_t> pixels) {
    if (pixels.empty()) pixels = TextureReduction(0, 0, kAspectKeep).TakeSquare();
    const GdiplusApi& api = Gdiplus();
    if (api.createBitmapFromScan0 == nullptr || api.disposeImage == nullptr) return nullptr;
    GpBitmap* square = nullptr;
    if (api.createBitmapFromScan0(kTextureSide, kTextureSide, kTextureSide * 4, kPixelFormat32bppArgb,
                                  reinterpret_cast<BYTE*>(pixels.data()), &square) != kGpOk) {
        return nullptr;
    }
    return HandleOfSquare(square);
}

// Decodes the picture in the stream whole with GDI+ and turns it into the texture handle; the
// bytes under the stream must outlive the decoded picture, which MakeTextureSquare disposes of
// before this returns. Nothing is decoded when the header refuses it.
HBITMAP TextureFromStream(StreamOwner stream, const PictureHeader& header, int aspectMode, Undecodable undecodable) {
    const GdiplusApi& api = Gdiplus();
    GpBitmap* picture = nullptr;
    if (MayDecode(header) && api.createBitmapFromStreamIcm != nullptr) {
        const std::unique_lock<std::mutex> turn = TakeDecodeTurn(header);
        if (api.createBitmapFromStreamIcm(stream.get(), &picture) != kGpOk) picture = nullptr;
    }
    stream.reset();
    if (picture == nullptr && undecodable == Undecodable::kNoTexture) return nullptr;
    return HandleOfSquare(MakeTextureSquare(picture, aspectMode));
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

    UniqueHandle file(OpenPictureFile(path));
    LARGE_INTEGER size{};
    if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return nullptr;
    const PictureHeader header = PictureFileReader(file.Get()).ReadHeader();
    switch (ChooseDecodeRoute(header, static_cast<uint64_t>(size.QuadPart))) {
        case DecodeRoute::kRefuse:
            return nullptr;
        case DecodeRoute::kReducing: {
            file.Reset();
            const std::unique_lock<std::mutex> turn = TakeDecodeTurn(header);
            std::vector<uint32_t> square = DecodeReducedSquareFromFile(path, aspectMode);
            if (square.empty()) return nullptr;
            return TextureFromSquarePixels(std::move(square));
        }
        case DecodeRoute::kWhole:
            break;
    }
    PictureBytes bytes;
    const PictureFileRead read = ReadPictureFile(file.Get(), bytes);
    file.Reset();
    if (read != PictureFileRead::kRead) return nullptr;
    StreamOwner stream = MakeStreamOnBytes(bytes);
    if (stream == nullptr) return nullptr;
    return TextureFromStream(std::move(stream), header, aspectMode, Undecodable::kNoTexture);
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
    const PictureHeader header = ReadPictureHeader(block.Data(), block.Size());
    switch (ChooseDecodeRoute(header, block.Size())) {
        case DecodeRoute::kRefuse:
            return TextureFromSquarePixels({});
        case DecodeRoute::kReducing: {
            stream.reset();
            const std::unique_lock<std::mutex> turn = TakeDecodeTurn(header);
            return TextureFromSquarePixels(DecodeReducedSquareFromMemory(block.Data(), block.Size(), aspectMode));
        }
        case DecodeRoute::kWhole:
            break;
    }
    return TextureFromStream(std::move(stream), header, aspectMode, Undecodable::kGreySquare);
}
