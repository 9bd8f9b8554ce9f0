#include "bad_pictures.h"

#include "common/picture_fixtures.h"
#include "imaging_test_support.h"

namespace {

void PutLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> BmpClaiming(int32_t width, int32_t height, uint16_t planes = 1) {
    std::vector<uint8_t> bytes = {'B', 'M'};
    PutLittleEndian(bytes, 54 + 64, 4);
    PutLittleEndian(bytes, 0, 4);
    PutLittleEndian(bytes, 54, 4);
    PutLittleEndian(bytes, 40, 4);
    PutLittleEndian(bytes, static_cast<uint32_t>(width), 4);
    PutLittleEndian(bytes, static_cast<uint32_t>(height), 4);
    PutLittleEndian(bytes, planes, 2);
    PutLittleEndian(bytes, 32, 2);
    for (int i = 0; i < 6; ++i) PutLittleEndian(bytes, 0, 4);
    bytes.resize(bytes.size() + 64, 0x7F);
    return bytes;
}

}  // namespace

std::vector<BadPicture> BadPictures() {
    const auto colourful = [](int x, int y) {
        return 0xFF000000u | static_cast<uint32_t>(x * 2) << 16 | (y * 3 & 0xFF);
    };
    const std::vector<uint8_t> png = MakePngBytes(120, 90, colourful);
    std::vector<uint32_t> pixels(120 * 90);
    for (int i = 0; i < 120 * 90; ++i) pixels[i] = colourful(i % 120, i / 120);
    const std::vector<uint8_t> jpeg = EncodePixels(120, 90, pixels, L"image/jpeg");

    std::vector<BadPicture> pictures;
    pictures.push_back({"zero bytes", {}});
    const std::string text = "This is a text file, not a picture.\r\n";
    pictures.push_back({"text", std::vector<uint8_t>(text.begin(), text.end())});
    pictures.push_back({"PNG cut after its signature", std::vector<uint8_t>(png.begin(), png.begin() + 8)});
    pictures.push_back({"PNG cut in its header", std::vector<uint8_t>(png.begin(), png.begin() + 20)});
    pictures.push_back({"PNG cut in half", std::vector<uint8_t>(png.begin(), png.begin() + png.size() / 2)});
    pictures.push_back({"JPEG cut after its start marker", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 2)});
    pictures.push_back({"PNG claiming 60000 x 60000", PngClaimingSize(60000, 60000)});
    pictures.push_back({"PNG claiming 2^31 - 1 x 2^31 - 1", PngClaimingSize(0x7FFFFFFF, 0x7FFFFFFF)});
    pictures.push_back({"BMP claiming 60000 x 60000", BmpClaiming(60000, 60000)});
    pictures.push_back({"BMP claiming 60000 x -60000 (top-down)", BmpClaiming(60000, -60000)});
    pictures.push_back(
        {"GIF claiming 65535 x 65535", {'G', 'I', 'F', '8',  '9',  'a',  0xFF, 0xFF, 0xFF, 0xFF, 0,    0,    0, ',', 0,
                                        0,   0,   0,   0xFF, 0xFF, 0xFF, 0xFF, 0,    2,    2,    0x4C, 0x01, 0, ';'}});
    pictures.push_back({"BMP with two planes claiming 60000 x 60000", BmpClaiming(60000, 60000, 2)});
    // A logical screen of 0 x 0 leaves the size to the decoder, which meets a frame of 40000 x
    // 40000 with a few bytes of picture data.
    pictures.push_back({"GIF with an empty screen and a 40000 x 40000 frame",
                        {'G', 'I', 'F', '8',  '9',  'a',  0,    0, 0, 0, 0,    0,    0, ',', 0,
                         0,   0,   0,   0x40, 0x9C, 0x40, 0x9C, 0, 2, 2, 0x4C, 0x01, 0, ';'}});
    pictures.push_back({"JPEG claiming 60000 x 60000", JpegStatingSize(jpeg, 60000, 60000)});
    pictures.push_back({"JPEG whose height a DNL segment should set", JpegStatingSize(jpeg, 120, 0)});
    // 320 megapixels, over the budget, in 5 KB: decoded, it takes 1 GB and more. Decoders skip the
    // junk byte and the many segments to the frame header.
    const std::vector<uint8_t> stating20000 = SmallJpegStatingSize(20000, 16000);
    pictures.push_back({"JPEG stating 20000 x 16000 with one junk byte before its first table",
                        WithJunkBeforeFirstTable(stating20000)});
    std::vector<uint8_t> junkAfterStart = stating20000;
    junkAfterStart.insert(junkAfterStart.begin() + 2, uint8_t{0x5A});
    pictures.push_back({"JPEG stating 20000 x 16000 with one junk byte after its start marker", junkAfterStart});
    pictures.push_back({"icon whose PNG claims 20000 x 16000", IconFileOfPng(PngClaimingSize(20000, 16000))});
    pictures.push_back(
        {"JPEG stating 20000 x 16000 behind 5000 comment segments", WithCommentSegments(stating20000, 5000)});
    return pictures;
}
