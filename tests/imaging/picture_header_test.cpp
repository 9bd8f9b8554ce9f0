#include "imaging/picture_header.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& bytes, std::initializer_list<int> values) {
    for (int value : values) bytes.push_back(static_cast<uint8_t>(value));
}
void AppendBig16(Bytes& bytes, uint32_t value) { Append(bytes, {int(value >> 8 & 0xFF), int(value & 0xFF)}); }
void AppendBig32(Bytes& bytes, uint32_t value) {
    AppendBig16(bytes, value >> 16);
    AppendBig16(bytes, value & 0xFFFF);
}
void AppendLittle16(Bytes& bytes, uint32_t value) { Append(bytes, {int(value & 0xFF), int(value >> 8 & 0xFF)}); }
void AppendLittle32(Bytes& bytes, uint32_t value) {
    AppendLittle16(bytes, value & 0xFFFF);
    AppendLittle16(bytes, value >> 16);
}
Bytes Cut(Bytes bytes, size_t count) {
    bytes.resize(std::min(count, bytes.size()));
    return bytes;
}
Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Png(uint32_t width, uint32_t height, uint32_t chunkLength = 13, const char* chunkType = "IHDR") {
    Bytes bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    AppendBig32(bytes, chunkLength);
    bytes.insert(bytes.end(), chunkType, chunkType + 4);
    AppendBig32(bytes, width);
    AppendBig32(bytes, height);
    Append(bytes, {8, 6, 0, 0, 0, 0x11, 0x22, 0x33, 0x44});  // depth, colour type, methods, checksum
    return bytes;
}

// A DirectDraw surface's magic and the start of its header.
Bytes Dds(uint32_t width, uint32_t height, uint32_t headerSize = 124) {
    Bytes bytes = Text("DDS ");
    AppendLittle32(bytes, headerSize);
    AppendLittle32(bytes, 0x100F);  // caps, height, width, pitch, pixel format
    AppendLittle32(bytes, height);
    AppendLittle32(bytes, width);
    bytes.resize(128, 0);
    return bytes;
}

Bytes Gif(const char* signature, uint32_t width, uint32_t height) {
    Bytes bytes = Text(signature);
    AppendLittle16(bytes, width);
    AppendLittle16(bytes, height);
    Append(bytes, {0xF7, 0, 0});
    return bytes;
}

Bytes BmpInfo(int32_t width, int32_t height, uint32_t headerSize = 40, uint32_t planes = 1, uint32_t bitCount = 24) {
    Bytes bytes = {'B', 'M'};
    AppendLittle32(bytes, 14 + headerSize);
    AppendLittle32(bytes, 0);
    AppendLittle32(bytes, 14 + headerSize);
    AppendLittle32(bytes, headerSize);
    AppendLittle32(bytes, static_cast<uint32_t>(width));
    AppendLittle32(bytes, static_cast<uint32_t>(height));
    AppendLittle16(bytes, planes);
    AppendLittle16(bytes, bitCount);
    bytes.resize(14 + std::max(headerSize, 16u), 0);
    return bytes;
}

Bytes BmpCore(uint32_t width, uint32_t height, uint32_t bitCount = 24, uint32_t planes = 1) {
    Bytes bytes = {'B', 'M'};
    AppendLittle32(bytes, 26);
    AppendLittle32(bytes, 0);
    AppendLittle32(bytes, 26);
    AppendLittle32(bytes, 12);
    AppendLittle16(bytes, width);
    AppendLittle16(bytes, height);
    AppendLittle16(bytes, planes);
    AppendLittle16(bytes, bitCount);
    return bytes;
}

// A JPEG marker segment with `payload` bytes after its length field.
void Segment(Bytes& bytes, int marker, size_t payload, uint8_t fill = 0) {
    Append(bytes, {0xFF, marker});
    AppendBig16(bytes, static_cast<uint32_t>(payload + 2));
    bytes.insert(bytes.end(), payload, fill);
}
void Frame(Bytes& bytes, int marker, uint32_t width, uint32_t height) {
    Append(bytes, {0xFF, marker});
    AppendBig16(bytes, 17);
    Append(bytes, {8});
    AppendBig16(bytes, height);
    AppendBig16(bytes, width);
    Append(bytes, {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
}
Bytes JpegStart() { return {0xFF, 0xD8}; }
Bytes Jpeg(uint32_t width, uint32_t height, int frameMarker = 0xC0) {
    Bytes bytes = JpegStart();
    Segment(bytes, 0xE0, 14);  // APP0
    Segment(bytes, 0xDB, 67);  // DQT
    Frame(bytes, frameMarker, width, height);
    Segment(bytes, 0xC4, 30);  // DHT
    Segment(bytes, 0xDA, 10);  // SOS
    Append(bytes, {0x12, 0x34, 0xFF, 0xD9});
    return bytes;
}
// Where the size fields of Jpeg()'s frame header end.
constexpr size_t kJpegFrameSizeEnd = 2 + 18 + 71 + 9;

// An icon file of one icon whose image is `image` (a PNG file or a DIB without file header).
Bytes Ico(const Bytes& image, uint32_t count = 1) {
    Bytes bytes = {0, 0, 1, 0};
    AppendLittle16(bytes, count);
    Append(bytes, {48, 48, 0, 0, 1, 0, 32, 0});
    AppendLittle32(bytes, static_cast<uint32_t>(image.size()));
    AppendLittle32(bytes, 22);
    bytes.insert(bytes.end(), image.begin(), image.end());
    return bytes;
}
Bytes Dib(const Bytes& bmp) { return Bytes(bmp.begin() + 14, bmp.end()); }

// An enhanced metafile's header record: its bounds in device pixels (edges included), then a
// frame, and the " EMF" signature at offset 40.
Bytes Emf(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Bytes bytes;
    AppendLittle32(bytes, 1);    // EMR_HEADER
    AppendLittle32(bytes, 108);  // record size
    for (int32_t edge : {left, top, right, bottom}) AppendLittle32(bytes, static_cast<uint32_t>(edge));
    for (int i = 0; i < 4; ++i) AppendLittle32(bytes, 0);  // frame in 0.01 mm
    Append(bytes, {' ', 'E', 'M', 'F'});
    bytes.resize(108, 0);
    return bytes;
}
// A placeable Windows metafile's header: key, handle, bounding box and units per inch.
Bytes PlaceableWmf(int16_t left, int16_t top, int16_t right, int16_t bottom, uint16_t unitsPerInch) {
    Bytes bytes = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0};
    for (int16_t edge : {left, top, right, bottom}) AppendLittle16(bytes, static_cast<uint16_t>(edge));
    AppendLittle16(bytes, unitsPerInch);
    bytes.resize(22, 0);
    Append(bytes, {1, 0, 9, 0, 0, 3});
    return bytes;
}

struct TiffEntry {
    uint32_t tag, type, count, value;
};
// A TIFF file of one image directory at `directoryOffset`, in either byte order.
Bytes Tiff(bool little, const std::vector<TiffEntry>& entries, uint32_t directoryOffset = 8) {
    auto put16 = [little](Bytes& b, uint32_t v) { little ? AppendLittle16(b, v) : AppendBig16(b, v); };
    auto put32 = [little](Bytes& b, uint32_t v) { little ? AppendLittle32(b, v) : AppendBig32(b, v); };
    Bytes bytes = little ? Bytes{'I', 'I', 42, 0} : Bytes{'M', 'M', 0, 42};
    put32(bytes, directoryOffset);
    bytes.resize(std::max<size_t>(bytes.size(), directoryOffset), 0xEE);
    put16(bytes, static_cast<uint32_t>(entries.size()));
    for (const TiffEntry& entry : entries) {
        put16(bytes, entry.tag);
        put16(bytes, entry.type);
        put32(bytes, entry.count);
        if (entry.type == 3) {  // a SHORT value sits in the first two bytes of the field
            put16(bytes, entry.value);
            put16(bytes, 0);
        } else {
            put32(bytes, entry.value);
        }
    }
    put32(bytes, 0);  // no further directory
    return bytes;
}
Bytes TiffSized(bool little, uint32_t width, uint32_t height) {
    return Tiff(little, {{254, 4, 1, 0}, {256, 3, 1, width}, {257, 4, 1, height}, {258, 3, 1, 8}});
}

struct Case {
    std::string what;
    Bytes bytes;
    HeaderVerdict verdict;
    PictureFormat format;
    uint32_t width = 0, height = 0;
};

Case Sized(std::string what, Bytes bytes, PictureFormat format, uint32_t width, uint32_t height) {
    return {std::move(what), std::move(bytes), HeaderVerdict::kSized, format, width, height};
}
Case Undecided(std::string what, Bytes bytes, PictureFormat format) {
    return {std::move(what), std::move(bytes), HeaderVerdict::kUndecided, format};
}
Case NotAPicture(std::string what, Bytes bytes, PictureFormat format) {
    return {std::move(what), std::move(bytes), HeaderVerdict::kNotAPicture, format};
}

// Every format's cases in one table. The rule they share: a well-formed header that states
// both sides is sized; a header that starts like a format but breaks its rules is no picture;
// everything else, including a zero side and a height left to a later DNL segment, is left to
// the decoder.
std::vector<Case> AllCases() {
    using F = PictureFormat;
    std::vector<Case> cases = {
        // PNG
        Sized("png 33 x 34", Png(33, 34), F::kPng, 33, 34),
        Sized("png, largest side PNG allows", Png(0x7FFFFFFF, 1), F::kPng, 0x7FFFFFFF, 1),
        Sized("png claiming 60000 x 60000", Png(60000, 60000), F::kPng, 60000, 60000),
        NotAPicture("png width over 2^31 - 1", Png(0x80000000u, 40), F::kPng),
        NotAPicture("png height over 2^31 - 1", Png(40, 0xFFFFFFFFu), F::kPng),
        Undecided("png zero width", Png(0, 40), F::kPng),
        Undecided("png zero height", Png(40, 0), F::kPng),
        NotAPicture("png IHDR with a wrong length", Png(40, 40, 14), F::kPng),
        NotAPicture("png first chunk not IHDR", Png(40, 40, 13, "IDAT"), F::kPng),
        NotAPicture("png lower-case chunk type", Png(40, 40, 13, "ihdr"), F::kPng),
        Undecided(
            "png signature damaged",
            [] {
                Bytes b = Png(40, 40);
                b[4] = '\n';
                return b;
            }(),
            F::kNone),
        Sized("png cut right after the height", Cut(Png(33, 34), 24), F::kPng, 33, 34),
        // GIF
        Sized("GIF89a", Gif("GIF89a", 640, 480), F::kGif, 640, 480),
        Sized("GIF87a", Gif("GIF87a", 33, 33), F::kGif, 33, 33),
        Sized("gif largest", Gif("GIF89a", 65535, 65535), F::kGif, 65535, 65535),
        Undecided("gif unknown version", Gif("GIF88a", 640, 480), F::kNone),
        Undecided("gif zero width", Gif("GIF89a", 0, 480), F::kGif),
        Undecided("gif zero height", Gif("GIF89a", 640, 0), F::kGif),
        Undecided("text that starts with GIF", Text("GIF pictures are small\n"), F::kNone),
        // BMP
        Sized("bmp info header, bottom-up", BmpInfo(33, 34), F::kBmp, 33, 34),
        Sized("bmp info header, top-down", BmpInfo(100, -40), F::kBmp, 100, 40),
        Sized("bmp V4 header", BmpInfo(50, 60, 108, 1, 32), F::kBmp, 50, 60),
        Sized("bmp V5 header", BmpInfo(50, 60, 124, 1, 32), F::kBmp, 50, 60),
        Sized("bmp V2 header (52)", BmpInfo(50, 60, 52, 1, 16), F::kBmp, 50, 60),
        Sized("bmp V3 header (56)", BmpInfo(50, 60, 56, 1, 16), F::kBmp, 50, 60),
        Sized("bmp OS/2 header of 64 bytes", BmpInfo(50, 60, 64, 1, 24), F::kBmp, 50, 60),
        Sized("bmp 1 bit", BmpInfo(50, 60, 40, 1, 1), F::kBmp, 50, 60),
        Sized("bmp compressed picture inside (bit count 0)", BmpInfo(50, 60, 40, 1, 0), F::kBmp, 50, 60),
        Sized("bmp claiming 60000 x 60000", BmpInfo(60000, 60000), F::kBmp, 60000, 60000),
        Sized("bmp largest width", BmpInfo(INT32_MAX, 1), F::kBmp, 0x7FFFFFFF, 1),
        Sized("bmp largest top-down height", BmpInfo(1, -INT32_MAX), F::kBmp, 1, 0x7FFFFFFF),
        NotAPicture("bmp height that has no positive value", BmpInfo(40, INT32_MIN), F::kBmp),
        NotAPicture("bmp negative width", BmpInfo(-40, 40), F::kBmp),
        Undecided("bmp zero width", BmpInfo(0, 40), F::kBmp),
        Undecided("bmp zero height", BmpInfo(40, 0), F::kBmp),
        NotAPicture("bmp two planes", BmpInfo(40, 40, 40, 2), F::kBmp),
        NotAPicture("bmp bit count 3", BmpInfo(40, 40, 40, 1, 3), F::kBmp),
        NotAPicture("bmp header of 16 bytes", BmpInfo(40, 40, 16), F::kBmp),
        NotAPicture("bmp unknown header size", BmpInfo(40, 40, 41), F::kBmp),
        Sized("bmp core header", BmpCore(33, 33), F::kBmp, 33, 33),
        Sized("bmp core header, largest", BmpCore(65535, 65535), F::kBmp, 65535, 65535),
        Undecided("bmp core header, zero width", BmpCore(0, 33), F::kBmp),
        NotAPicture("bmp core header, 32 bits (not in core bitmaps)", BmpCore(40, 40, 32), F::kBmp),
        NotAPicture("bmp core header, no plane", BmpCore(40, 40, 24, 0), F::kBmp),
        NotAPicture("text that starts with BM", Text("BMW cars are bought by many people\n"), F::kBmp),
        // JPEG
        Sized("jpeg baseline", Jpeg(4000, 3000), F::kJpeg, 4000, 3000),
        Sized("jpeg progressive", Jpeg(33, 33, 0xC2), F::kJpeg, 33, 33),
        Sized("jpeg lossless", Jpeg(33, 33, 0xC3), F::kJpeg, 33, 33),
        Sized("jpeg arithmetic", Jpeg(33, 33, 0xC9), F::kJpeg, 33, 33),
        Sized("jpeg largest", Jpeg(65535, 65535), F::kJpeg, 65535, 65535),
        Sized("jpeg of a 200-megapixel phone", Jpeg(16320, 12240), F::kJpeg, 16320, 12240),
        Undecided("jpeg height defined later by DNL (0)", Jpeg(640, 0), F::kJpeg),
        Undecided("jpeg zero width", Jpeg(0, 480), F::kJpeg),
        Undecided("jpeg, only the start marker", JpegStart(), F::kJpeg),
        Undecided("jpeg start marker without a following marker", Bytes{0xFF, 0xD8, 0x00, 0x10}, F::kJpeg),
        // TIFF
        Sized("tiff little-endian", TiffSized(true, 33, 65552), F::kTiff, 33, 65552),
        Sized("tiff big-endian", TiffSized(false, 9000, 4), F::kTiff, 9000, 4),
        Sized("tiff sizes as SHORT", Tiff(true, {{256, 3, 1, 640}, {257, 3, 1, 480}}), F::kTiff, 640, 480),
        Sized("tiff directory after the picture data", Tiff(false, {{256, 4, 1, 1200}, {257, 4, 1, 800}}, 70000),
              F::kTiff, 1200, 800),
        Undecided("tiff zero width", TiffSized(true, 0, 40), F::kTiff),
        Undecided("tiff without a height", Tiff(true, {{256, 4, 1, 40}, {258, 3, 1, 8}}), F::kTiff),
        Undecided("tiff width as a RATIONAL", Tiff(true, {{256, 5, 1, 40}, {257, 4, 1, 40}}), F::kTiff),
        Undecided("tiff width with two values", Tiff(true, {{256, 4, 2, 40}, {257, 4, 1, 40}}), F::kTiff),
        Undecided("tiff empty directory", Tiff(true, {}), F::kTiff),
        Undecided("tiff directory inside the file header", Tiff(true, {{256, 4, 1, 40}, {257, 4, 1, 40}}, 4), F::kTiff),
        Undecided("tiff directory outside the file", Bytes{'I', 'I', '*', 0, 0xFF, 0xFF, 0xFF, 0x7F}, F::kTiff),
        Undecided("BigTIFF is left to the decoder", Bytes{'I', 'I', 43, 0, 8, 0, 0, 0, 0, 0, 0, 0}, F::kNone),
        // Icons: the size of the first icon, whose DIB height counts its mask rows too
        Sized("icon of a DIB", Ico(Dib(BmpInfo(48, 96, 40, 1, 32))), F::kIco, 48, 48),
        Sized("icon of a core DIB", Ico(Dib(BmpCore(32, 64))), F::kIco, 32, 32),
        Sized("icon of a PNG", Ico(Png(256, 256)), F::kIco, 256, 256),
        Sized("icon of a PNG claiming 20000 x 16000", Ico(Png(20000, 16000)), F::kIco, 20000, 16000),
        Sized("icon of a DIB claiming 60000 x 60000", Ico(Dib(BmpInfo(60000, 120000))), F::kIco, 60000, 60000),
        Undecided("icon directory without icons", Ico(Png(40, 40), 0), F::kIco),
        Undecided("icon cut in its directory", Cut(Ico(Png(40, 40)), 20), F::kIco),
        Undecided("icon cut before its image", Cut(Ico(Png(40, 40)), 25), F::kIco),
        NotAPicture("icon whose image is neither PNG nor DIB", Ico(Text("not an image at all, 40 bytes long....")),
                    F::kIco),
        NotAPicture("icon DIB with two planes", Ico(Dib(BmpInfo(48, 96, 40, 2, 32))), F::kIco),
        // Metafiles: GDI+ decodes them and WIC cannot size them, so the header must.
        Sized("emf 200 x 100", Emf(0, 0, 199, 99), F::kEmf, 200, 100),
        Sized("emf away from the origin", Emf(-50, 10, 49, 41), F::kEmf, 100, 32),
        Sized("emf claiming 60000 x 60000", Emf(0, 0, 59999, 59999), F::kEmf, 60000, 60000),
        Undecided("emf with empty bounds", Emf(10, 10, 9, 40), F::kEmf),
        Undecided("emf cut in its header", Cut(Emf(0, 0, 199, 99), 30), F::kNone),
        Undecided("emf record without the signature", [] { Bytes b = Emf(0, 0, 199, 99); b[41] = 'X'; return b; }(),
                  F::kNone),
        Sized("placeable wmf of 2 x 1 inches", PlaceableWmf(0, 0, 2880, 1440, 1440), F::kWmf, 192, 96),
        Sized("placeable wmf from negative corner", PlaceableWmf(-100, -100, 100, 50, 96), F::kWmf, 200, 150),
        Undecided("placeable wmf without units per inch", PlaceableWmf(0, 0, 100, 100, 0), F::kWmf),
        Undecided("placeable wmf with an empty box", PlaceableWmf(100, 0, 100, 100, 96), F::kWmf),
        Undecided("placeable wmf cut in its header", Cut(PlaceableWmf(0, 0, 100, 100, 96), 12), F::kWmf),
        // DirectDraw surfaces
        Sized("dds", Dds(640, 480), F::kDds, 640, 480),
        Sized("dds hostile size", Dds(60000, 60000), F::kDds, 60000, 60000),
        Undecided("dds zero width", Dds(0, 480), F::kDds),
        NotAPicture("dds header of another size", Dds(640, 480, 100), F::kDds),
        NotAPicture("text that starts with DDS", Text("DDS is a texture format\n"), F::kDds),

        // Other content
        Undecided("empty", Bytes{}, F::kNone),
        Undecided("text", Text("This is not a picture, whatever its name says.\r\n"), F::kNone),
        Undecided("zeros", Bytes(4096, 0), F::kNone),
        Undecided("0xFF", Bytes(4096, 0xFF), F::kNone),
    };

    // JPEG segment walks.
    {
        Bytes b = JpegStart();
        Segment(b, 0xE1, 65533, 0xFF);  // a large metadata segment full of 0xFF, skipped by its length
        Segment(b, 0xE2, 1000, 0xC0);
        Frame(b, 0xC0, 1024, 768);
        cases.push_back(Sized("jpeg frame after large metadata segments", b, F::kJpeg, 1024, 768));
    }
    {
        Bytes b = JpegStart();
        Append(b, {0xFF, 0xFF, 0xFF});
        Segment(b, 0xE0, 14);
        Append(b, {0xFF, 0xD0, 0xFF, 0x01});  // markers without a length
        Frame(b, 0xC1, 500, 400);
        cases.push_back(Sized("jpeg fill bytes and markers without length", b, F::kJpeg, 500, 400));
    }
    {
        Bytes b = JpegStart();
        Segment(b, 0xC4, 20);  // DHT, DAC and JPG use C4, CC and C8 but are no frame headers
        Segment(b, 0xCC, 4);
        Segment(b, 0xC8, 7, 0x40);
        Frame(b, 0xC0, 77, 66);
        cases.push_back(Sized("jpeg: C4, C8 and CC are not frames", b, F::kJpeg, 77, 66));
    }
    const auto walkStops = [&](const std::string& what, const Bytes& b) {
        cases.push_back(Undecided("jpeg " + what, b, F::kJpeg));
    };
    {
        Bytes b = JpegStart();
        Segment(b, 0xE0, 14);
        Segment(b, 0xDA, 10);
        Frame(b, 0xC0, 40, 40);
        walkStops("scan before any frame", b);
    }
    {
        Bytes b = JpegStart();
        Append(b, {0xFF, 0xD9});
        Frame(b, 0xC0, 40, 40);
        walkStops("end of image before any frame", b);
    }
    {
        Bytes b = JpegStart();
        Append(b, {0xFF, 0xD8});
        Frame(b, 0xC0, 40, 40);
        walkStops("a second start marker", b);
    }
    {
        Bytes b = JpegStart();
        Append(b, {0xFF, 0xE1, 0xFF, 0xFF, 1, 2, 3});
        walkStops("segment longer than the file", b);
    }
    {
        Bytes b = JpegStart();
        Append(b, {0xFF, 0xC0});
        AppendBig16(b, 6);  // too short to hold the size
        Append(b, {8, 0, 40, 0, 40, 3});
        walkStops("frame header shorter than its size fields", b);
    }

    // What lies between segments is skipped up to the next marker, as decoders skip it: the
    // frame header the decoder reads is the one the walk reads.
    const auto decodersReadOn = [&](const std::string& what, const Bytes& b) {
        cases.push_back(Sized("jpeg " + what, b, F::kJpeg, 20000, 16000));
    };
    {
        Bytes b = JpegStart();
        Segment(b, 0xE0, 14);
        b.push_back(0x00);
        Segment(b, 0xDB, 67);
        Frame(b, 0xC0, 20000, 16000);
        decodersReadOn("one junk byte before the first table", b);
    }
    {
        Bytes b = JpegStart();
        Append(b, {0x5A, 0x00, 0x10});
        Segment(b, 0xE0, 14);
        Frame(b, 0xC0, 20000, 16000);
        decodersReadOn("junk right after the start marker", b);
    }
    {
        Bytes b = JpegStart();
        Segment(b, 0xE0, 14);
        Append(b, {0xFF, 0x00, 0x12, 0xFF, 0xFF, 0x00, 0xFF});  // stuffed zeros, junk and fill bytes
        Frame(b, 0xC2, 20000, 16000);
        decodersReadOn("stuffed zeros, junk and fill bytes between segments", b);
    }
    {
        Bytes b = JpegStart();
        Segment(b, 0xE0, 14);
        b.insert(b.end(), 30000, 0x47);
        Frame(b, 0xC0, 20000, 16000);
        decodersReadOn("30000 junk bytes", b);
    }
    {
        Bytes b = JpegStart();
        b.insert(b.end(), 20000, 0xFF);
        Frame(b, 0xC0, 20000, 16000);
        decodersReadOn("20000 fill bytes", b);
    }
    for (uint32_t length : {0u, 1u}) {
        Bytes b = JpegStart();
        Append(b, {0xFF, 0xE0});
        AppendBig16(b, length);  // covers less than its own field: decoders read on after the field
        Frame(b, 0xC0, 20000, 16000);
        decodersReadOn("segment length " + std::to_string(length), b);
    }
    {
        Bytes b = JpegStart();
        for (int i = 0; i < 10000; ++i) Segment(b, 0xFE, 0);
        Frame(b, 0xC0, 20000, 16000);
        decodersReadOn("10000 comment segments", b);
    }

    // Every header cut short before its size is complete is left to the decoder.
    struct Whole {
        const char* what;
        Bytes bytes;
        size_t sizeEnd;  // the shortest length that holds the whole size
        PictureFormat format;
        size_t formatKnownFrom;  // the shortest length whose signature tells the format
    };
    const Whole wholes[] = {
        {"png", Png(33, 34), 24, F::kPng, 8},
        {"gif", Gif("GIF89a", 640, 480), 10, F::kGif, 6},
        {"bmp info header", BmpInfo(40, 41), 30, F::kBmp, 2},
        {"bmp core header", BmpCore(40, 41), 26, F::kBmp, 2},
        {"jpeg", Jpeg(40, 50), kJpegFrameSizeEnd, F::kJpeg, 2},
        {"tiff", TiffSized(true, 40, 50), 8 + 2 + 3 * 12, F::kTiff, 4},
        {"dds", Dds(40, 50), 20, F::kDds, 4},
    };
    for (const Whole& whole : wholes) {
        for (size_t length = 0; length < whole.sizeEnd; ++length) {
            const PictureFormat format = length >= whole.formatKnownFrom ? whole.format : F::kNone;
            cases.push_back(Undecided(std::string(whole.what) + " cut at " + std::to_string(length),
                                      Cut(whole.bytes, length), format));
        }
    }
    return cases;
}

TEST(ReadPictureHeaderTest, OneRuleForEveryFormat) {
    for (const Case& c : AllCases()) {
        SCOPED_TRACE(c.what);
        const PictureHeader header = ReadPictureHeader(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(header.verdict, c.verdict);
        EXPECT_EQ(header.format, c.format);
        EXPECT_EQ(header.width, c.width);
        EXPECT_EQ(header.height, c.height);
    }
    EXPECT_EQ(ReadPictureHeader(nullptr, 100).verdict, HeaderVerdict::kUndecided);
    EXPECT_EQ(ReadPictureHeader(HeaderByteReader{}).verdict, HeaderVerdict::kUndecided);
}

// Reads `bytes` through a reader that counts what it is asked for, and fails after
// `allowedReads` reads (a file cut or gone during the walk).
struct CountingReader {
    const Bytes& bytes;
    int allowedReads = INT_MAX;
    int reads = 0;
    size_t bytesRead = 0;

    HeaderByteReader Reader() {
        return [this](uint64_t offset, uint8_t* buffer, size_t count) -> size_t {
            if (reads++ >= allowedReads || offset >= bytes.size()) return 0;
            const size_t available = static_cast<size_t>(std::min<uint64_t>(count, bytes.size() - offset));
            std::copy_n(bytes.data() + offset, available, buffer);
            bytesRead += available;
            return available;
        };
    }
};

// The walks seek over what they do not need: a JPEG with eight 64 KiB metadata segments, or a
// TIFF whose directory follows megabytes of picture data, costs a few bytes of reading (of an
// APP1 segment, the six bytes that tell whether it is the Exif one).
TEST(ReadPictureHeaderTest, WalksReadOnlyWhatHoldsTheSize) {
    Bytes jpeg = JpegStart();
    for (int i = 0; i < 8; ++i) Segment(jpeg, 0xE1, 65533, 0xAB);
    Frame(jpeg, 0xC0, 4000, 3000);
    Segment(jpeg, 0xDA, 60000);
    CountingReader jpegReader{jpeg};
    PictureHeader header = ReadPictureHeader(jpegReader.Reader());
    ASSERT_TRUE(header.IsSized());
    EXPECT_EQ(header.width, 4000u);
    EXPECT_EQ(header.height, 3000u);
    EXPECT_LE(jpegReader.bytesRead, 8u + 9 * 4 + 5 + 8 * 6);
    EXPECT_LE(jpegReader.reads, 11 + 8);

    const Bytes tiff = Tiff(true, {{256, 4, 1, 6000}, {257, 4, 1, 4000}}, 3 * 1024 * 1024);
    CountingReader tiffReader{tiff};
    header = ReadPictureHeader(tiffReader.Reader());
    ASSERT_TRUE(header.IsSized());
    EXPECT_EQ(header.width, 6000u);
    EXPECT_EQ(header.height, 4000u);
    EXPECT_LE(tiffReader.bytesRead, 8u + 8 + 2 + 2 * 12);
}

// Junk between a JPEG's segments is looked through in chunks, not a read per byte; a frame
// header further in than any camera writes it makes the file no picture, and the walk stops
// there rather than reading the whole of a large file.
TEST(ReadPictureHeaderTest, JunkIsReadInChunksAndOnlySoFar) {
    Bytes junk = JpegStart();
    junk.insert(junk.end(), 100000, 0x00);
    Frame(junk, 0xC0, 640, 480);
    CountingReader junkReader{junk};
    PictureHeader header = ReadPictureHeader(junkReader.Reader());
    ASSERT_TRUE(header.IsSized());
    EXPECT_EQ(header.width, 640u);
    EXPECT_LE(junkReader.reads, 100000 / 256 + 8);

    // A file of kMaxJpegHeaderBytes and more whose frame header lies beyond that, read through a
    // reader that makes its bytes up: the start marker, zeros, and then the frame header.
    for (const uint64_t frameAt : {kMaxJpegHeaderBytes - 64, kMaxJpegHeaderBytes + 64}) {
        SCOPED_TRACE("frame header at " + std::to_string(frameAt));
        Bytes frame;
        Frame(frame, 0xC0, 640, 480);
        uint64_t highestOffset = 0;
        const HeaderByteReader reader = [&](uint64_t offset, uint8_t* buffer, size_t count) -> size_t {
            const uint64_t end = frameAt + frame.size();
            if (offset >= end) return 0;
            const size_t available = static_cast<size_t>(std::min<uint64_t>(count, end - offset));
            for (size_t i = 0; i < available; ++i) {
                const uint64_t at = offset + i;
                buffer[i] = at < 2 ? JpegStart()[at] : at < frameAt ? 0 : frame[at - frameAt];
            }
            highestOffset = std::max(highestOffset, offset + available);
            return available;
        };
        header = ReadPictureHeader(reader);
        if (frameAt < kMaxJpegHeaderBytes) {
            EXPECT_EQ(header.verdict, HeaderVerdict::kSized);
            EXPECT_EQ(header.width, 640u);
        } else {
            EXPECT_EQ(header.verdict, HeaderVerdict::kNotAPicture);
            EXPECT_LE(highestOffset, kMaxJpegHeaderBytes + 256) << "read no further than the limit and one chunk";
        }
    }
}

// A reader that fails part way through gives no size: the decoder decides.
TEST(ReadPictureHeaderTest, FailingReaderLeavesTheSizeToTheDecoder) {
    struct Format {
        const char* what;
        Bytes bytes;
        int readsNeeded;  // signature, then the header parts
    };
    const Format formats[] = {
        {"PNG", Png(40, 40), 2},
        {"GIF", Gif("GIF89a", 40, 40), 2},
        {"BMP info header", BmpInfo(40, 40), 3},
        {"BMP core header", BmpCore(40, 40), 3},
        {"JPEG", Jpeg(40, 40), 5},
        {"TIFF", TiffSized(false, 40, 40), 6},
    };
    for (const Format& format : formats) {
        for (int allowedReads = 0; allowedReads <= format.readsNeeded; ++allowedReads) {
            SCOPED_TRACE(std::string(format.what) + " after reads: " + std::to_string(allowedReads));
            CountingReader reader{format.bytes, allowedReads};
            const PictureHeader header = ReadPictureHeader(reader.Reader());
            EXPECT_EQ(header.IsSized(), allowedReads >= format.readsNeeded);
            if (!header.IsSized()) {
                EXPECT_EQ(header.verdict, HeaderVerdict::kUndecided);
            }
        }
    }
}

// Byte by byte: GCC 12 warns, wrongly, about inserting ranges into a growing vector.
void AppendAll(Bytes& bytes, const Bytes& more) {
    for (uint8_t byte : more) bytes.push_back(byte);
}

// An APP1 segment named "Exif" whose TIFF structure holds one directory with `entries`, in
// either byte order; `directoryOffset` counts from the TIFF header as in a camera's file.
Bytes ExifSegment(bool little, const std::vector<TiffEntry>& entries, uint32_t directoryOffset = 8) {
    const Bytes tiff = Tiff(little, entries, directoryOffset);
    Bytes segment = {0xFF, 0xE1};
    AppendBig16(segment, static_cast<uint32_t>(2 + 6 + tiff.size()));
    Append(segment, {'E', 'x', 'i', 'f', 0, 0});
    AppendAll(segment, tiff);
    return segment;
}
TiffEntry Orientation(uint32_t value) { return {kOrientationTag, 3, 1, value}; }

// A JPEG of 4000 x 3000 with `before` between its start marker and its frame header.
Bytes JpegWith(const Bytes& before, const Bytes& after = {}) {
    Bytes bytes = JpegStart();
    AppendAll(bytes, before);
    Frame(bytes, 0xC0, 4000, 3000);
    AppendAll(bytes, after);
    Segment(bytes, 0xDA, 10);
    return bytes;
}

// The orientation a camera writes is read from the Exif segment of a JPEG and the first
// directory of a TIFF, in both byte orders; anything else shows the picture as stored. The sides
// the picture shows with swap for 5 to 8, whatever the verdict.
TEST(ReadPictureHeaderTest, ReadsTheExifOrientation) {
    const Bytes xmp = [] {
        Bytes b = {0xFF, 0xE1};
        const std::string name = "http://ns.adobe.com/xap/1.0/";
        AppendBig16(b, static_cast<uint32_t>(2 + name.size() + 1 + 20));
        b.insert(b.end(), name.begin(), name.end());
        b.push_back(0);
        b.insert(b.end(), 20, 'x');
        return b;
    }();
    const Bytes jfif = [] {
        Bytes b;
        Segment(b, 0xE0, 14);
        return b;
    }();
    const auto concat = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& part : parts) AppendAll(all, part);
        return all;
    };
    const Bytes directoryPastTheEnd = [] {
        Bytes b = ExifSegment(true, {Orientation(6)});
        b[14] = 0, b[15] = 0, b[16] = 1, b[17] = 0;  // the directory's offset: 65536
        return b;
    }();
    const struct {
        std::string what;
        Bytes bytes;
        int orientation;
    } cases[] = {
        {"jpeg without Exif", Jpeg(4000, 3000), 1},
        {"jpeg Intel order, 6", JpegWith(ExifSegment(true, {Orientation(6)})), 6},
        {"jpeg Motorola order, 8", JpegWith(ExifSegment(false, {Orientation(8)})), 8},
        {"jpeg after JFIF, among other tags, 3",
         JpegWith(concat({jfif, ExifSegment(true, {{0x010F, 2, 4, 0}, Orientation(3), {0x0131, 2, 4, 0}})})), 3},
        {"jpeg directory further into the segment, 5", JpegWith(ExifSegment(false, {Orientation(5)}, 40)), 5},
        {"jpeg after an XMP segment, 7", JpegWith(concat({xmp, ExifSegment(true, {Orientation(7)})})), 7},
        {"jpeg only the first Exif segment counts",
         JpegWith(concat({ExifSegment(true, {Orientation(2)}), ExifSegment(true, {Orientation(4)})})), 2},
        {"jpeg value 0", JpegWith(ExifSegment(true, {Orientation(0)})), 1},
        {"jpeg value 9", JpegWith(ExifSegment(true, {Orientation(9)})), 1},
        {"jpeg value as a LONG", JpegWith(ExifSegment(true, {{kOrientationTag, 4, 1, 6}})), 1},
        {"jpeg two values", JpegWith(ExifSegment(true, {{kOrientationTag, 3, 2, 6}})), 1},
        {"jpeg directory past the segment's end", JpegWith(directoryPastTheEnd), 1},
        {"jpeg directory inside the TIFF header", JpegWith(ExifSegment(true, {Orientation(6)}, 4)), 1},
        {"jpeg segment not named Exif", JpegWith([] {
             Bytes b = ExifSegment(true, {Orientation(6)});
             b[7] = 'X';
             return b;
         }()),
         1},
        {"jpeg Exif after the frame header is not read", JpegWith({}, ExifSegment(true, {Orientation(6)})), 1},
        {"tiff Intel order, 6", Tiff(true, {{256, 4, 1, 4000}, {257, 4, 1, 3000}, Orientation(6)}), 6},
        {"tiff Motorola order, 8", Tiff(false, {{256, 3, 1, 4000}, {257, 3, 1, 3000}, Orientation(8)}), 8},
        {"tiff orientation before the sizes, 5", Tiff(true, {Orientation(5), {256, 4, 1, 4000}, {257, 4, 1, 3000}}), 5},
        {"tiff value 12", Tiff(true, {{256, 4, 1, 4000}, {257, 4, 1, 3000}, Orientation(12)}), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PictureHeader header = ReadPictureHeader(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(header.verdict, HeaderVerdict::kSized);
        EXPECT_EQ(header.width, 4000u);
        EXPECT_EQ(header.height, 3000u);
        EXPECT_EQ(header.orientation, c.orientation);
        EXPECT_EQ(header.UprightWidth(), c.orientation >= 5 ? 3000u : 4000u);
        EXPECT_EQ(header.UprightHeight(), c.orientation >= 5 ? 4000u : 3000u);
    }

    // A header that leaves the size to the decoder still tells the orientation.
    Bytes undecided = JpegStart();
    const Bytes exif = ExifSegment(true, {Orientation(6)});
    AppendAll(undecided, exif);
    Frame(undecided, 0xC0, 4000, 0);
    const PictureHeader header = ReadPictureHeader(undecided.data(), undecided.size());
    EXPECT_EQ(header.verdict, HeaderVerdict::kUndecided);
    EXPECT_EQ(header.orientation, 6);
}

}  // namespace
