#include "common/picture_fixtures.h"

#include <windows.h>

#include "common/test_files.h"
#include "imaging/gdiplus_api.h"
#include "imaging/picture_holder.h"
#include "imaging/png_output.h"

bool WritePixels(const std::wstring& path, int width, int height, const std::vector<uint32_t>& argbTopDown,
                 const wchar_t* mimeType) {
    const GdiplusApi& api = Gdiplus();
    CLSID encoder{};
    if (api.createBitmapFromScan0 == nullptr || api.saveImageToFile == nullptr || FindEncoder(mimeType, &encoder) < 0 ||
        argbTopDown.size() != static_cast<size_t>(width) * height) {
        return false;
    }
    std::vector<uint32_t> pixels = argbTopDown;
    GpBitmap* bitmap = nullptr;
    if (api.createBitmapFromScan0(width, height, width * 4, kPixelFormat32bppArgb,
                                  reinterpret_cast<BYTE*>(pixels.data()), &bitmap) != kGpOk) {
        return false;
    }
    const bool saved = api.saveImageToFile(AsImage(bitmap), path.c_str(), &encoder, nullptr) == kGpOk;
    api.disposeImage(AsImage(bitmap));
    return saved;
}

std::vector<uint8_t> EncodePixels(int width, int height, const std::vector<uint32_t>& argbTopDown,
                                  const wchar_t* mimeType) {
    TestFolder folder(L"encode");
    const std::wstring path = folder / L"picture";
    if (!WritePixels(path, width, height, argbTopDown, mimeType)) return {};
    return ReadFileBytes(path).value_or(std::vector<uint8_t>{});
}

bool WriteSolidPng(const std::wstring& path, int width, int height, uint32_t argb) {
    return WritePixels(path, width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, argb));
}

int CountMagentaPixels(const std::wstring& path) {
    PictureHolder picture;
    if (!picture.LoadFile(path.c_str()) || picture.Image() == nullptr) return -1;
    auto* bitmap = reinterpret_cast<GpBitmap*>(picture.Image());
    int count = 0;
    for (UINT y = 0; y < picture.Height(); y += 2) {
        for (UINT x = 0; x < picture.Width(); x += 2) {
            GpArgb pixel = 0;
            if (Gdiplus().bitmapGetPixel(bitmap, x, y, &pixel) != 0 || (pixel >> 24) == 0) continue;
            const int red = (pixel >> 16) & 0xFF;
            const int green = (pixel >> 8) & 0xFF;
            const int blue = pixel & 0xFF;
            if (red > 150 && blue > 150 && green < 80) ++count;
        }
    }
    return count;
}

namespace {

void PutBigEndian32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t Crc32(const uint8_t* data, size_t count) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG chunk: length, type, data and the checksum of type and data.
void AppendPngChunk(std::vector<uint8_t>& bytes, const char* type, const std::vector<uint8_t>& data) {
    PutBigEndian32(bytes, static_cast<uint32_t>(data.size()));
    const size_t typeStart = bytes.size();
    bytes.insert(bytes.end(), type, type + 4);
    bytes.insert(bytes.end(), data.begin(), data.end());
    PutBigEndian32(bytes, Crc32(bytes.data() + typeStart, bytes.size() - typeStart));
}

}  // namespace

std::vector<uint8_t> PngClaimingSize(uint32_t width, uint32_t height) {
    std::vector<uint8_t> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian32(header, width);
    PutBigEndian32(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
    AppendPngChunk(bytes, "IHDR", header);
    // A valid zlib stream of a few zero bytes: the body of a picture far smaller than claimed.
    AppendPngChunk(bytes, "IDAT", {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
    AppendPngChunk(bytes, "IEND", {});
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

std::vector<uint8_t> JpegStatingSize(const std::vector<uint8_t>& jpeg, uint32_t width, uint32_t height) {
    std::vector<uint8_t> bytes = jpeg;
    for (size_t i = 2; i + 9 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            bytes[i + 5] = static_cast<uint8_t>(height >> 8), bytes[i + 6] = static_cast<uint8_t>(height);
            bytes[i + 7] = static_cast<uint8_t>(width >> 8), bytes[i + 8] = static_cast<uint8_t>(width);
            break;
        }
    }
    return bytes;
}

std::vector<uint8_t> SmallJpegStatingSize(uint32_t width, uint32_t height) {
    constexpr int kWidth = 120, kHeight = 90;
    std::vector<uint32_t> pixels(kWidth * kHeight);
    uint32_t noise = 12345;
    for (uint32_t& pixel : pixels) {
        noise = noise * 1103515245u + 12345u;
        pixel = 0xFF000000u | (noise >> 8 & 0xFFFFFF);
    }
    return JpegStatingSize(EncodePixels(kWidth, kHeight, pixels, L"image/jpeg"), width, height);
}

std::vector<uint8_t> WithJunkBeforeFirstTable(const std::vector<uint8_t>& jpeg) {
    std::vector<uint8_t> bytes = jpeg;
    for (size_t i = 2; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xDB) {
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(i), uint8_t{0x00});
            break;
        }
    }
    return bytes;
}

std::vector<uint8_t> WithCommentSegments(const std::vector<uint8_t>& jpeg, int count) {
    if (jpeg.size() < 2) return jpeg;
    std::vector<uint8_t> bytes(jpeg.begin(), jpeg.begin() + 2);
    for (int i = 0; i < count; ++i) {
        for (uint8_t byte : {0xFF, 0xFE, 0x00, 0x02}) bytes.push_back(byte);
    }
    for (size_t i = 2; i < jpeg.size(); ++i) bytes.push_back(jpeg[i]);
    return bytes;
}

namespace {

void PutLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The icon directory of one icon of `imageBytes` bytes that follows it.
std::vector<uint8_t> IconDirectory(int side, uint32_t imageBytes) {
    std::vector<uint8_t> bytes;
    PutLittleEndian(bytes, 0, 2);  // reserved
    PutLittleEndian(bytes, 1, 2);  // an icon
    PutLittleEndian(bytes, 1, 2);  // one image
    bytes.push_back(static_cast<uint8_t>(side >= 256 ? 0 : side));
    bytes.push_back(static_cast<uint8_t>(side >= 256 ? 0 : side));
    bytes.push_back(0);             // no palette
    bytes.push_back(0);             // reserved
    PutLittleEndian(bytes, 1, 2);   // planes
    PutLittleEndian(bytes, 32, 2);  // bits a pixel
    PutLittleEndian(bytes, imageBytes, 4);
    PutLittleEndian(bytes, 6 + 16, 4);
    return bytes;
}

}  // namespace

std::vector<uint8_t> IconFileOfPng(const std::vector<uint8_t>& png) {
    std::vector<uint8_t> bytes = IconDirectory(256, static_cast<uint32_t>(png.size()));
    for (uint8_t byte : png) bytes.push_back(byte);
    return bytes;
}

std::vector<uint8_t> IconFile(int side, uint32_t argb) {
    const uint32_t maskStride = (static_cast<uint32_t>(side) + 31) / 32 * 4;
    const uint32_t imageBytes = 40 + static_cast<uint32_t>(side) * side * 4 + maskStride * side;
    std::vector<uint8_t> bytes = IconDirectory(side, imageBytes);
    // The image: a bottom-up DIB whose height counts the colour rows and the mask rows.
    PutLittleEndian(bytes, 40, 4);
    PutLittleEndian(bytes, static_cast<uint32_t>(side), 4);
    PutLittleEndian(bytes, static_cast<uint32_t>(side) * 2, 4);
    PutLittleEndian(bytes, 1, 2);
    PutLittleEndian(bytes, 32, 2);
    for (int i = 0; i < 6; ++i) PutLittleEndian(bytes, 0, 4);
    for (int i = 0; i < side * side; ++i) PutLittleEndian(bytes, argb, 4);
    bytes.resize(bytes.size() + static_cast<size_t>(maskStride) * side, 0);  // every pixel shown
    return bytes;
}

std::vector<uint8_t> EnhancedMetafileFile(int width, int height) {
    HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    if (recorder == nullptr) return {};
    HBRUSH brush = CreateSolidBrush(RGB(30, 140, 200));
    const RECT area{0, 0, width, height};
    FillRect(recorder, &area, brush);
    DeleteObject(brush);
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    if (metafile == nullptr) return {};
    std::vector<uint8_t> bytes(GetEnhMetaFileBits(metafile, 0, nullptr));
    GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), bytes.data());
    DeleteEnhMetaFile(metafile);
    return bytes;
}
