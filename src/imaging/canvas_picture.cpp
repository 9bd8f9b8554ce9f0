#include "imaging/canvas_picture.h"

#include <mutex>
#include <vector>

#include "common/unique_handle.h"
#include "imaging/decoder_frame_size.h"
#include "imaging/decoding_budget.h"
#include "imaging/gdiplus_api.h"
#include "imaging/gdiplus_canvas.h"
#include "imaging/picture_file_reader.h"
#include "imaging/picture_header.h"
#include "imaging/reducing_decode.h"

namespace {

HBITMAP BitmapOfPixels(std::vector<uint32_t> pixels, const PictureCanvas& canvas) {
    return CanvasBitmap(pixels, canvas.side);
}

// Decodes the bytes with GDI+ (with colour management) and reduces the picture onto the canvas;
// null when they do not decode. The bytes must outlive the decoded picture, which is gone when
// this returns.
HBITMAP CanvasFromGdiplus(const PictureBytes& bytes, const PictureHeader& header, const PictureCanvas& canvas) {
    const GdiplusApi& api = Gdiplus();
    if (api.createBitmapFromStreamIcm == nullptr || api.disposeImage == nullptr) return nullptr;
    ComPointer<IStream> stream = MakeStreamOnBytes(bytes);
    if (stream == nullptr) return nullptr;
    GpBitmap* picture = nullptr;
    {
        const std::unique_lock<std::mutex> turn = TakeDecodeTurn(header);
        if (api.createBitmapFromStreamIcm(stream.Get(), &picture) != kGpOk) picture = nullptr;
    }
    stream.Reset();
    if (picture == nullptr) return nullptr;

    UINT width = 0, height = 0;
    api.getImageWidth(AsImage(picture), &width);
    api.getImageHeight(AsImage(picture), &height);
    SquareReduction reduction = ReductionOnto(canvas, width, height, header.orientation);
    HBITMAP result = nullptr;
    if (FeedGdiplusPicture(AsImage(picture), reduction)) {
        result = BitmapOfPixels(reduction.TakeSquare(), canvas);
    } else {
        result = DrawCanvasWithGdiplus(AsImage(picture), canvas, header.orientation);
    }
    api.disposeImage(AsImage(picture));
    return result;
}

// Decodes the bytes through WIC onto the canvas; null when WIC cannot take them.
HBITMAP CanvasFromWic(const PictureBytes& bytes, const PictureHeader& header, const PictureCanvas& canvas) {
    std::vector<uint32_t> pixels;
    {
        const std::unique_lock<std::mutex> turn = TakeDecodeTurn(header);
        pixels = DecodeOntoCanvasFromMemory(bytes.Data(), bytes.Size(), canvas, header.orientation);
    }
    if (pixels.empty()) return nullptr;
    return BitmapOfPixels(std::move(pixels), canvas);
}

// A picture that the header lets through and that is small enough to be read whole. JPEG, DDS
// and content of none of the formats whose header the program reads (HEIF, WebP, AVIF, JPEG XR,
// camera raw files: what the installed codecs decode and GDI+ does not) go through WIC first,
// everything else through GDI+; what the first cannot take is offered to the other (a TIFF-based
// camera raw file that only an installed raw codec decodes, say). Metafiles only GDI+ draws.
HBITMAP CanvasFromBytes(const PictureBytes& bytes, const PictureHeader& header, const PictureCanvas& canvas) {
    const bool metafile = header.format == PictureFormat::kEmf || header.format == PictureFormat::kWmf;
    if (header.format == PictureFormat::kJpeg || header.format == PictureFormat::kDds ||
        header.format == PictureFormat::kNone) {
        if (HBITMAP result = CanvasFromWic(bytes, header, canvas)) return result;
        return CanvasFromGdiplus(bytes, header, canvas);
    }
    if (HBITMAP result = CanvasFromGdiplus(bytes, header, canvas)) return result;
    return metafile ? nullptr : CanvasFromWic(bytes, header, canvas);
}

}  // namespace

HBITMAP EmptyCanvasBitmap(const PictureCanvas& canvas) {
    if (canvas.side <= 0) return nullptr;
    return BitmapOfPixels(std::vector<uint32_t>(static_cast<size_t>(canvas.side) * canvas.side, canvas.background),
                          canvas);
}

HBITMAP LoadCanvasPictureFile(const wchar_t* path, const PictureCanvas& canvas) {
    UniqueHandle file(OpenPictureFile(path));
    LARGE_INTEGER size{};
    if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return nullptr;
    const PictureHeader header = SettleHeaderSize(PictureFileReader(file.Get()).ReadHeader(), path);
    switch (ChooseDecodeRoute(header, static_cast<uint64_t>(size.QuadPart))) {
        case DecodeRoute::kRefuse:
            return nullptr;
        case DecodeRoute::kReducing: {
            file.Reset();
            std::vector<uint32_t> pixels;
            {
                const std::unique_lock<std::mutex> turn = TakeDecodeTurn(header);
                pixels = DecodeOntoCanvasFromFile(path, canvas, header.orientation);
            }
            if (pixels.empty()) return nullptr;
            return BitmapOfPixels(std::move(pixels), canvas);
        }
        case DecodeRoute::kWhole:
            break;
    }
    PictureBytes bytes;
    const PictureFileRead read = ReadPictureFile(file.Get(), bytes);
    file.Reset();
    if (read != PictureFileRead::kRead) return nullptr;
    return CanvasFromBytes(bytes, header, canvas);
}

HBITMAP LoadCanvasPictureBytes(const PictureBytes& bytes, const PictureCanvas& canvas) {
    const PictureHeader header =
        SettleHeaderSize(ReadPictureHeader(bytes.Data(), bytes.Size()), bytes.Data(), bytes.Size());
    HBITMAP result = nullptr;
    switch (ChooseDecodeRoute(header, bytes.Size())) {
        case DecodeRoute::kRefuse:
            break;
        case DecodeRoute::kReducing: {
            std::vector<uint32_t> pixels;
            {
                const std::unique_lock<std::mutex> turn = TakeDecodeTurn(header);
                pixels = DecodeOntoCanvasFromMemory(bytes.Data(), bytes.Size(), canvas, header.orientation);
            }
            if (!pixels.empty()) result = BitmapOfPixels(std::move(pixels), canvas);
            break;
        }
        case DecodeRoute::kWhole:
            result = CanvasFromBytes(bytes, header, canvas);
            break;
    }
    return result != nullptr ? result : EmptyCanvasBitmap(canvas);
}
