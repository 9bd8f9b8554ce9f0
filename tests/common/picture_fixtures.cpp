#include "common/picture_fixtures.h"

#include <windows.h>

#include "common/test_files.h"
#include "imaging/gdiplus_api.h"
#include "imaging/png_output.h"

std::vector<uint8_t> EncodePixels(int width, int height, const std::vector<uint32_t>& argbTopDown,
                                  const wchar_t* mimeType) {
    const GdiplusApi& api = Gdiplus();
    std::vector<uint32_t> pixels = argbTopDown;
    GpBitmap* bitmap = nullptr;
    if (api.createBitmapFromScan0(width, height, width * 4, kPixelFormat32bppArgb,
                                  reinterpret_cast<BYTE*>(pixels.data()), &bitmap) != kGpOk) {
        return {};
    }
    CLSID encoder{};
    std::vector<uint8_t> bytes;
    if (FindEncoder(mimeType, &encoder) >= 0) {
        TestFolder folder(L"encode");
        const std::wstring path = folder / L"picture";
        if (api.saveImageToFile(AsImage(bitmap), path.c_str(), &encoder, nullptr) == kGpOk) {
            bytes = ReadFileBytes(path).value_or(std::vector<uint8_t>{});
        }
    }
    api.disposeImage(AsImage(bitmap));
    return bytes;
}

uint32_t MarkedPictureAt(int x, int y, int width, int height) {
    const bool left = x < width / 4, right = x >= width - width / 4;
    const bool top = y < height / 4, bottom = y >= height - height / 4;
    if (top && left) return kMarkerRed;
    if (top && right) return kMarkerGreen;
    if (bottom && left) return kMarkerBlue;
    return kMarkerGrey;
}

StoredPicture StoreForOrientation(int uprightWidth, int uprightHeight, int orientation) {
    const bool swapped = orientation >= 5 && orientation <= 8;
    StoredPicture stored;
    stored.width = swapped ? uprightHeight : uprightWidth;
    stored.height = swapped ? uprightWidth : uprightHeight;
    stored.pixels.resize(static_cast<size_t>(stored.width) * stored.height);
    const int w = uprightWidth, h = uprightHeight;
    for (int v = 0; v < h; ++v) {
        for (int u = 0; u < w; ++u) {
            // The stored pixel that shows at upright (u, v). EXIF: 1 row 0 is the top, column 0
            // the left; 2 column 0 is the right; 3 row 0 is the bottom, column 0 the right; 4
            // row 0 is the bottom; 5 row 0 is the left, column 0 the top; 6 row 0 is the right,
            // column 0 the top; 7 row 0 is the right, column 0 the bottom; 8 row 0 is the left,
            // column 0 the bottom.
            int x = u, y = v;
            switch (orientation) {
                case 2:
                    x = w - 1 - u, y = v;
                    break;
                case 3:
                    x = w - 1 - u, y = h - 1 - v;
                    break;
                case 4:
                    x = u, y = h - 1 - v;
                    break;
                case 5:
                    x = v, y = u;
                    break;
                case 6:
                    x = v, y = w - 1 - u;
                    break;
                case 7:
                    x = h - 1 - v, y = w - 1 - u;
                    break;
                case 8:
                    x = h - 1 - v, y = u;
                    break;
                default:
                    break;
            }
            stored.pixels[static_cast<size_t>(y) * stored.width + x] = MarkedPictureAt(u, v, w, h);
        }
    }
    return stored;
}

std::vector<uint8_t> WithExifOrientation(const std::vector<uint8_t>& jpeg, uint32_t value, bool bigEndian) {
    if (jpeg.size() < 2) return jpeg;
    std::vector<uint8_t> tiff;
    auto put16 = [&](uint32_t v) {
        if (bigEndian) {
            tiff.push_back(static_cast<uint8_t>(v >> 8)), tiff.push_back(static_cast<uint8_t>(v));
        } else {
            tiff.push_back(static_cast<uint8_t>(v)), tiff.push_back(static_cast<uint8_t>(v >> 8));
        }
    };
    auto put32 = [&](uint32_t v) {
        if (bigEndian) {
            put16(v >> 16), put16(v & 0xFFFF);
        } else {
            put16(v & 0xFFFF), put16(v >> 16);
        }
    };
    tiff.push_back(bigEndian ? 'M' : 'I'), tiff.push_back(bigEndian ? 'M' : 'I');
    put16(42);
    put32(8);  // the first directory right after this header
    put16(2);  // two entries, as cameras write several: the orientation and the software's name
    put16(0x0112), put16(3), put32(1), put16(value), put16(0);
    put16(0x0131), put16(2), put32(4), tiff.insert(tiff.end(), {'t', 'e', 's', 't'});  // Software, "test"
    put32(0);                                                                          // no further directory

    std::vector<uint8_t> segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    const size_t length = segment.size() - 2;
    segment[2] = static_cast<uint8_t>(length >> 8), segment[3] = static_cast<uint8_t>(length);

    std::vector<uint8_t> result(jpeg.begin(), jpeg.begin() + 2);
    result.insert(result.end(), segment.begin(), segment.end());
    result.insert(result.end(), jpeg.begin() + 2, jpeg.end());
    return result;
}

std::vector<uint8_t> OrientedMarkerJpeg(int uprightWidth, int uprightHeight, int orientation, bool bigEndian) {
    const StoredPicture stored = StoreForOrientation(uprightWidth, uprightHeight, orientation);
    const std::vector<uint8_t> jpeg = EncodePixels(stored.width, stored.height, stored.pixels, L"image/jpeg");
    if (jpeg.empty()) return {};
    return WithExifOrientation(jpeg, static_cast<uint32_t>(orientation), bigEndian);
}
