#include "imaging/reducing_decode.h"

#include <windows.h>
#include <wincodec.h>

#include <memory>
#include <optional>

#include "imaging/decoding_budget.h"
#include "imaging/picture_bytes.h"
#include "imaging/picture_orientation.h"
#include "imaging/square_reduction.h"
#include "imaging/wic_access.h"

namespace {

// The codec's own smaller decode. Windows' SDK declares it in wincodec.h; mingw-w64's copy of
// that header lacks it.
struct DECLSPEC_NOVTABLE IWICBitmapSourceTransform : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT width, UINT height,
                                                 WICPixelFormatGUID* format, WICBitmapTransformOptions transform,
                                                 UINT stride, UINT bufferSize, BYTE* buffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClosestSize(UINT* width, UINT* height) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClosestPixelFormat(WICPixelFormatGUID* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE DoesSupportTransform(WICBitmapTransformOptions transform, BOOL* supported) = 0;
};
// {3B16811B-6A43-4EC9-B713-3D5A0C13B940}
constexpr IID kSourceTransformInterface = {
    0x3b16811b, 0x6a43, 0x4ec9, {0xb7, 0x13, 0x3d, 0x5a, 0x0c, 0x13, 0xb9, 0x40}};

// The row layouts the reduction reads as WIC names them; none for any other format.
std::optional<RowFormat> RowFormatOf(const WICPixelFormatGUID& format) {
    if (format == GUID_WICPixelFormat24bppBGR) return RowFormat::kBgr24;
    if (format == GUID_WICPixelFormat8bppGray) return RowFormat::kGray8;
    if (format == GUID_WICPixelFormat32bppBGR) return RowFormat::kBgrx32;
    if (format == GUID_WICPixelFormat32bppBGRA) return RowFormat::kBgra32;
    if (format == GUID_WICPixelFormat32bppPBGRA) return RowFormat::kPremultipliedBgra32;
    return std::nullopt;
}

uint32_t BytesPerPixel(RowFormat format) {
    switch (format) {
        case RowFormat::kBgr24:
            return 3;
        case RowFormat::kGray8:
        case RowFormat::kIndexed8:
            return 1;
        default:
            return 4;
    }
}

// The colour profile the frame carries; null when it carries none (or the codec cannot tell, as
// Wine's cannot).
ComPointer<IWICColorContext> EmbeddedProfile(IWICImagingFactory& factory, IWICBitmapFrameDecode& frame) {
    UINT count = 0;
    if (FAILED(frame.GetColorContexts(0, nullptr, &count)) || count == 0 || count > 16) return nullptr;
    std::vector<IWICColorContext*> contexts(count, nullptr);
    std::vector<ComPointer<IWICColorContext>> owners;
    for (UINT i = 0; i < count; ++i) {
        if (FAILED(factory.CreateColorContext(&contexts[i]))) return nullptr;
        owners.emplace_back(contexts[i]);
    }
    UINT actual = 0;
    if (FAILED(frame.GetColorContexts(count, contexts.data(), &actual))) return nullptr;
    for (UINT i = 0; i < actual && i < count; ++i) {
        WICColorContextType type = WICColorContextUninitialized;
        if (SUCCEEDED(contexts[i]->GetType(&type)) && type == WICColorContextProfile) return std::move(owners[i]);
    }
    return nullptr;
}

// `source` converted from the profile to sRGB, as GDI+ converts a picture when it decodes with
// colour management; null when the system cannot convert it (then the picture is shown as
// decoded, as GDI+ shows it then).
ComPointer<IWICBitmapSource> ConvertedToSrgb(IWICImagingFactory& factory, IWICBitmapSource& source,
                                           IWICColorContext& profile) {
    IWICColorContext* srgbPointer = nullptr;
    if (FAILED(factory.CreateColorContext(&srgbPointer))) return nullptr;
    ComPointer<IWICColorContext> srgb(srgbPointer);
    if (FAILED(srgb->InitializeFromExifColorSpace(1))) return nullptr;

    WICPixelFormatGUID sourceFormat{};
    if (FAILED(source.GetPixelFormat(&sourceFormat))) return nullptr;
    const bool opaque = sourceFormat == GUID_WICPixelFormat24bppBGR || sourceFormat == GUID_WICPixelFormat32bppCMYK ||
                        sourceFormat == GUID_WICPixelFormat8bppGray;
    IWICColorTransform* transformPointer = nullptr;
    if (FAILED(factory.CreateColorTransformer(&transformPointer))) return nullptr;
    ComPointer<IWICColorTransform> transform(transformPointer);
    if (FAILED(transform->Initialize(&source, &profile, srgb.Get(),
                                     opaque ? GUID_WICPixelFormat24bppBGR : GUID_WICPixelFormat32bppBGRA))) {
        return nullptr;
    }
    return ComPointer<IWICBitmapSource>(transform.Detach());
}

// How much of each picture row is read: only the columns that land on the canvas, or the whole
// row (for a codec that fails at a part of a row, as Wine's JPEG XR codec does, and afterwards
// fails at every row of that decode).
enum class RowReading { kShownColumns, kWholeRows };

// Reads `source` row by row into the reduction, in its own format where the reduction reads it,
// otherwise through a converter to premultiplied 32 bits. False when a row cannot be read.
bool FeedRows(IWICImagingFactory& factory, IWICBitmapSource& source, SquareReduction& reduction,
              RowReading reading = RowReading::kShownColumns) {
    if (reduction.ColumnCount() == 0 || reduction.RowCount() == 0) return true;
    WICPixelFormatGUID format{};
    if (FAILED(source.GetPixelFormat(&format))) return false;
    std::optional<RowFormat> rowFormat = RowFormatOf(format);
    IWICBitmapSource* rows = &source;
    ComPointer<IWICFormatConverter> converter;
    if (!rowFormat) {
        IWICFormatConverter* converterPointer = nullptr;
        if (FAILED(factory.CreateFormatConverter(&converterPointer))) return false;
        converter.Reset(converterPointer);
        if (FAILED(converter->Initialize(&source, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                         WICBitmapPaletteTypeCustom))) {
            return false;
        }
        rows = converter.Get();
        rowFormat = RowFormat::kPremultipliedBgra32;
    }
    uint32_t firstColumn = reduction.FirstColumn(), columns = reduction.ColumnCount();
    if (reading == RowReading::kWholeRows) {
        UINT width = 0, height = 0;
        if (FAILED(rows->GetSize(&width, &height)) || width < firstColumn + columns) return false;
        firstColumn = 0;
        columns = width;
    }
    const uint32_t bytesPerPixel = BytesPerPixel(*rowFormat);
    const UINT stride = (columns * bytesPerPixel + 3) & ~3u;
    const size_t shownFrom = size_t{reduction.FirstColumn() - firstColumn} * bytesPerPixel;
    std::vector<uint8_t> row(stride);
    for (uint32_t y = reduction.FirstRow(); y < reduction.FirstRow() + reduction.RowCount(); ++y) {
        const WICRect rect{static_cast<INT>(firstColumn), static_cast<INT>(y), static_cast<INT>(columns), 1};
        if (FAILED(rows->CopyPixels(&rect, stride, stride, row.data()))) return false;
        reduction.AddRow(y, row.data() + shownFrom, *rowFormat);
    }
    return true;
}

// The picture decoded smaller by the codec itself and reduced from there; empty when the codec
// has no such decode, or none that keeps enough pixels for the canvas.
std::vector<uint32_t> DecodeSmallerByCodec(IWICImagingFactory& factory, IWICBitmapFrameDecode& frame, UINT width,
                                           UINT height, const PictureCanvas& canvas, int orientation) {
    const uint32_t factor = CodecReductionFactor(canvas, width, height, orientation);
    if (factor <= 1) return {};
    IWICBitmapSourceTransform* transformPointer = nullptr;
    if (FAILED(frame.QueryInterface(kSourceTransformInterface, reinterpret_cast<void**>(&transformPointer))) ||
        transformPointer == nullptr) {
        return {};
    }
    ComPointer<IWICBitmapSourceTransform> transform(transformPointer);

    // The codec names the size it decodes to for the one asked; it must still hold as many pixels
    // as the canvas shows of the picture, and be smaller than the picture.
    UINT smallWidth = (width + factor - 1) / factor, smallHeight = (height + factor - 1) / factor;
    const PictureSize needed = CanvasPixelsOfPicture(canvas, width, height, orientation);
    if (FAILED(transform->GetClosestSize(&smallWidth, &smallHeight)) || smallWidth < needed.width ||
        smallHeight < needed.height || smallWidth >= width || smallHeight >= height) {
        return {};
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(transform->GetClosestPixelFormat(&format))) return {};
    const std::optional<RowFormat> rowFormat = RowFormatOf(format);
    if (!rowFormat) return {};
    const uint64_t stride = (uint64_t{smallWidth} * BytesPerPixel(*rowFormat) + 3) & ~uint64_t{3};
    const uint64_t bytes = stride * smallHeight;
    if (bytes > kMaxPictureFileBytes) return {};
    std::vector<uint8_t> pixels(static_cast<size_t>(bytes));
    if (FAILED(transform->CopyPixels(nullptr, smallWidth, smallHeight, &format, WICBitmapTransformRotate0,
                                     static_cast<UINT>(stride), static_cast<UINT>(bytes), pixels.data()))) {
        return {};
    }

    SquareReduction reduction = ScaledReductionOnto(canvas, smallWidth, smallHeight, width, height, orientation);
    ComPointer<IWICColorContext> profile = EmbeddedProfile(factory, frame);
    ComPointer<IWICBitmapSource> converted;
    ComPointer<IWICBitmap> smallBitmap;
    if (profile != nullptr) {
        IWICBitmap* smallPointer = nullptr;
        if (SUCCEEDED(factory.CreateBitmapFromMemory(smallWidth, smallHeight, format, static_cast<UINT>(stride),
                                                     static_cast<UINT>(bytes), pixels.data(), &smallPointer))) {
            smallBitmap.Reset(smallPointer);
            converted = ConvertedToSrgb(factory, *smallBitmap, *profile);
        }
    }
    if (converted != nullptr) {
        if (!FeedRows(factory, *converted, reduction)) return {};
    } else {
        for (uint32_t y = reduction.FirstRow(); y < reduction.FirstRow() + reduction.RowCount(); ++y) {
            const uint8_t* row =
                pixels.data() + y * stride + uint64_t{reduction.FirstColumn()} * BytesPerPixel(*rowFormat);
            reduction.AddRow(y, row, *rowFormat);
        }
    }
    return reduction.TakeSquare();
}

// Decodes the first frame of the picture in `stream` onto the canvas.
std::vector<uint32_t> DecodeOntoCanvas(IWICImagingFactory& factory, IWICStream& stream, const PictureCanvas& canvas,
                                       int orientation) {
    bool partOfRows = false;  // whether the canvas shows only part of each row
    const auto decode = [&](RowReading reading) -> std::vector<uint32_t> {
        const WicFrame first = FirstWicFrame(factory, stream);
        if (first.frame == nullptr) return {};
        IWICBitmapFrameDecode& frame = *first.frame;
        UINT width = 0, height = 0;
        if (FAILED(frame.GetSize(&width, &height)) || !FitsDecodingBudget(width, height)) return {};

        if (reading == RowReading::kShownColumns) {
            std::vector<uint32_t> square = DecodeSmallerByCodec(factory, frame, width, height, canvas, orientation);
            if (!square.empty()) return square;
        }

        SquareReduction reduction = ReductionOnto(canvas, width, height, orientation);
        partOfRows = reduction.FirstColumn() != 0 || reduction.ColumnCount() != width;
        ComPointer<IWICColorContext> profile = EmbeddedProfile(factory, frame);
        ComPointer<IWICBitmapSource> converted = profile ? ConvertedToSrgb(factory, frame, *profile) : nullptr;
        if (!FeedRows(factory, converted ? *converted : frame, reduction, reading)) return {};
        return reduction.TakeSquare();
    };
    std::vector<uint32_t> square = decode(RowReading::kShownColumns);
    if (!square.empty() || !partOfRows) return square;
    // The codec failed at part of a row: once more from the start with a fresh decoder, reading
    // whole rows.
    const LARGE_INTEGER start{};
    if (FAILED(stream.Seek(start, STREAM_SEEK_SET, nullptr))) return {};
    return decode(RowReading::kWholeRows);
}

template <typename MakeStream>
std::vector<uint32_t> DecodeOntoCanvasFrom(MakeStream makeStream, const PictureCanvas& canvas, int orientation) {
    ComApartment apartment;  // first in, last out: every COM object below is gone before it leaves
    if (!apartment.Works()) return {};
    ComPointer<IWICImagingFactory> factory = MakeWicFactory();
    if (factory == nullptr) return {};
    ComPointer<IWICStream> stream = makeStream(*factory);
    if (stream == nullptr) return {};
    return DecodeOntoCanvas(*factory, *stream, canvas, orientation);
}

}  // namespace

std::vector<uint32_t> DecodeOntoCanvasFromFile(const wchar_t* path, const PictureCanvas& canvas, int orientation) {
    return DecodeOntoCanvasFrom([path](IWICImagingFactory& factory) { return MakeWicFileStream(factory, path); },
                                canvas, orientation);
}

std::vector<uint32_t> DecodeOntoCanvasFromMemory(const uint8_t* bytes, size_t count, const PictureCanvas& canvas,
                                                 int orientation) {
    return DecodeOntoCanvasFrom(
        [bytes, count](IWICImagingFactory& factory) { return MakeWicMemoryStream(factory, bytes, count); }, canvas,
        orientation);
}
