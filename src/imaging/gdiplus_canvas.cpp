#include "imaging/gdiplus_canvas.h"

#include <algorithm>
#include <cstddef>

#include "imaging/picture_orientation.h"

namespace {

// GDI+'s turn that shows a picture of this orientation upright: a clockwise turn of 0, 90, 180
// or 270 degrees (0 to 3), then a mirror left to right (+ 4).
int RotateFlipOf(int orientation) {
    switch (orientation) {
        case 2:
            return kRotateNoneFlipX;
        case 3:
            return 2;
        case 4:
            return 2 + kRotateNoneFlipX;
        case 5:
            return 1 + kRotateNoneFlipX;
        case 6:
            return 1;
        case 7:
            return 3 + kRotateNoneFlipX;
        case 8:
            return 3;
        default:
            return 0;
    }
}

// The palette of an 8-bit picture as 256 premultiplied entries (missing ones transparent);
// empty when GDI+ gives none.
std::vector<uint32_t> PremultipliedPalette(GpImage* picture) {
    const GdiplusApi& api = Gdiplus();
    INT size = 0;
    if (api.getImagePaletteSize == nullptr || api.getImagePalette == nullptr ||
        api.getImagePaletteSize(picture, &size) != kGpOk || size < static_cast<INT>(sizeof(GpColorPalette))) {
        return {};
    }
    std::vector<uint64_t> storage((static_cast<size_t>(size) + 7) / 8);
    auto* palette = reinterpret_cast<GpColorPalette*>(storage.data());
    if (api.getImagePalette(picture, palette, size) != kGpOk) return {};
    const size_t room = (static_cast<size_t>(size) - offsetof(GpColorPalette, entries)) / sizeof(GpArgb);
    const size_t count = std::min<size_t>({palette->count, room, 256});
    std::vector<uint32_t> entries(256, 0);
    for (size_t i = 0; i < count; ++i) entries[i] = PremultipliedArgb(palette->entries[i]);
    return entries;
}

}  // namespace

bool FeedGdiplusPicture(GpImage* picture, SquareReduction& reduction) {
    const GdiplusApi& api = Gdiplus();
    if (picture == nullptr || api.getImagePixelFormat == nullptr || api.bitmapLockBits == nullptr ||
        api.bitmapUnlockBits == nullptr) {
        return false;
    }
    if (reduction.ColumnCount() == 0 || reduction.RowCount() == 0) return true;

    INT decodedFormat = 0;
    if (api.getImagePixelFormat(picture, &decodedFormat) != kGpOk) return false;
    INT lockFormat = kPixelFormat32bppPargb;
    RowFormat rowFormat = RowFormat::kPremultipliedBgra32;
    std::vector<uint32_t> palette;
    switch (decodedFormat) {
        case kPixelFormat24bppRgb:
            lockFormat = decodedFormat, rowFormat = RowFormat::kBgr24;
            break;
        case kPixelFormat32bppRgb:
            lockFormat = decodedFormat, rowFormat = RowFormat::kBgrx32;
            break;
        case kPixelFormat32bppArgb:
            lockFormat = decodedFormat, rowFormat = RowFormat::kBgra32;
            break;
        case kPixelFormat8bppIndexed:
            palette = PremultipliedPalette(picture);
            if (!palette.empty()) lockFormat = decodedFormat, rowFormat = RowFormat::kIndexed8;
            break;
        default:
            break;
    }

    // Only the rows that land are locked; in the picture's own format GDI+ hands out its pixels
    // without copying them. A conversion starts at the left edge: Wine's GDI+ converts 1-bit and
    // 4-bit pixels wrongly from a left edge inside a byte.
    auto* bitmap = reinterpret_cast<GpBitmap*>(picture);
    size_t skippedBytes = 0;  // before the first column that lands, in each locked row
    const auto lock = [&](INT format, GpBitmapData& data) {
        const bool converted = format != decodedFormat;
        const uint32_t left = converted ? 0 : reduction.FirstColumn();
        const GpRect rect{static_cast<INT>(left), static_cast<INT>(reduction.FirstRow()),
                          static_cast<INT>(reduction.FirstColumn() + reduction.ColumnCount() - left),
                          static_cast<INT>(reduction.RowCount())};
        data = {};
        if (api.bitmapLockBits(bitmap, &rect, kImageLockModeRead, format, &data) != kGpOk) return false;
        if (data.scan0 == nullptr || data.height < reduction.RowCount() || data.width < static_cast<UINT>(rect.width)) {
            api.bitmapUnlockBits(bitmap, &data);
            return false;
        }
        skippedBytes = size_t{reduction.FirstColumn() - left} * 4;
        return true;
    };
    GpBitmapData data{};
    if (!lock(lockFormat, data)) {
        if (lockFormat == kPixelFormat32bppPargb) return false;
        lockFormat = kPixelFormat32bppPargb, rowFormat = RowFormat::kPremultipliedBgra32;
        if (!lock(lockFormat, data)) return false;
    }
    const uint8_t* first = static_cast<const uint8_t*>(data.scan0) + skippedBytes;
    for (uint32_t row = 0; row < reduction.RowCount(); ++row) {
        reduction.AddRow(reduction.FirstRow() + row, first + static_cast<ptrdiff_t>(row) * data.stride, rowFormat,
                         palette.empty() ? nullptr : palette.data());
    }
    api.bitmapUnlockBits(bitmap, &data);
    return true;
}

HBITMAP DrawCanvasWithGdiplus(GpImage* picture, const PictureCanvas& canvas, int orientation) {
    const GdiplusApi& api = Gdiplus();
    const bool hasEntries = api.disposeImage != nullptr && api.getImageWidth != nullptr &&
                            api.getImageHeight != nullptr && api.createBitmapFromScan0 != nullptr &&
                            api.getImageGraphicsContext != nullptr && api.graphicsClear != nullptr &&
                            api.drawImageRectI != nullptr && api.deleteGraphics != nullptr &&
                            api.createHbitmapFromBitmap != nullptr;
    if (!hasEntries || canvas.side <= 0) return nullptr;
    UINT width = 0, height = 0;
    if (picture != nullptr) {
        if (orientation != kOrientationAsStored && api.imageRotateFlip != nullptr) {
            api.imageRotateFlip(picture, RotateFlipOf(orientation));
        }
        api.getImageWidth(picture, &width);
        api.getImageHeight(picture, &height);
    }

    GpBitmap* square = nullptr;
    if (api.createBitmapFromScan0(canvas.side, canvas.side, 0, kPixelFormat32bppArgb, nullptr, &square) != kGpOk) {
        return nullptr;
    }
    GpGraphics* graphics = nullptr;
    if (api.getImageGraphicsContext(AsImage(square), &graphics) == kGpOk) {
        api.graphicsClear(graphics, canvas.background);
        const TexturePlacement place = PlaceOnCanvas(canvas, width, height);
        if (place.width > 0 && place.height > 0) {
            api.drawImageRectI(graphics, picture, place.x, place.y, place.width, place.height);
        }
        api.deleteGraphics(graphics);
    }
    HBITMAP handle = nullptr;
    if (api.createHbitmapFromBitmap(square, &handle, 0) != kGpOk) handle = nullptr;
    api.disposeImage(AsImage(square));
    return handle;
}

HBITMAP CanvasBitmap(std::vector<uint32_t>& pixels, int side) {
    const GdiplusApi& api = Gdiplus();
    if (side <= 0 || pixels.size() != static_cast<size_t>(side) * side || api.createBitmapFromScan0 == nullptr ||
        api.createHbitmapFromBitmap == nullptr || api.disposeImage == nullptr) {
        return nullptr;
    }
    // GDI+ wraps the pixels without copying them; the conversion makes the handle's own copy.
    GpBitmap* square = nullptr;
    if (api.createBitmapFromScan0(side, side, side * 4, kPixelFormat32bppArgb, reinterpret_cast<BYTE*>(pixels.data()),
                                  &square) != kGpOk) {
        return nullptr;
    }
    HBITMAP handle = nullptr;
    if (api.createHbitmapFromBitmap(square, &handle, 0) != kGpOk) handle = nullptr;
    api.disposeImage(AsImage(square));
    return handle;
}
