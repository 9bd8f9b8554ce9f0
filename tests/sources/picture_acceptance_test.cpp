#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "common/codec_picture_fixtures.h"
#include "common/message_box.h"
#include "common/picture_fixtures.h"
#include "common/process_memory.h"
#include "common/test_files.h"
#include "imaging/decoder_frame_size.h"
#include "imaging/decoding_budget.h"
#include "sources/folder_scan.h"
#include "sources/picture_acceptance.h"
#include "sources/picture_list.h"
#include "sources/sources_test_support.h"

namespace {

std::string AsText(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(PictureAcceptanceTest, ListedSizes) {
    struct Case {
        uint32_t width;
        uint32_t height;
        bool listed;
    };
    const Case cases[] = {
        {33, 33, true},
        {32, 32, false},
        {1000, 32, false},
        {32, 1000, false},
        {33, 1000, true},
        {0, 0, false},
        {4000, 3000, true},    // 12 megapixels
        {12000, 9000, true},   // a 108-megapixel phone photo
        {16320, 12240, true},  // a 200-megapixel one
        {30000, 6000, true},   // a stitched panorama
        {65535, 4000, true},   // the widest JPEG panorama
        {kMaxDecodedSide, 1000, true},
        {kMaxDecodedSide + 1, 40, false},
        {40, kMaxDecodedSide + 1, false},
        {16384, 16384, true},   // the whole decoding budget
        {16384, 16385, false},  // one row over it
        {60000, 60000, false},  // a hostile header
        {0xFFFFFFFFu, 0xFFFFFFFFu, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        EXPECT_EQ(IsListedPictureSize(c.width, c.height), c.listed);
    }
}

// The header path must give what a full decode gives, on every kind of file the scan meets.
TEST(PictureAcceptanceTest, HeaderAndDecodingAgreeOnFixtures) {
    TestFolder folder(L"sources_acceptance");
    struct Case {
        const wchar_t* name;
        const wchar_t* mimeType;  // null: the bytes below
        int width;
        int height;
        bool accepted;
        bool headerTells;
        std::string bytes;
    };
    const Case cases[] = {
        {L"png_33.png", kPng, 33, 33, true, true, {}},
        {L"png_named.dat", kPng, 33, 33, true, true, {}},
        {L"png_32.png", kPng, 32, 32, false, true, {}},
        {L"png_1000x32.png", kPng, 1000, 32, false, true, {}},
        {L"png_32x1000.png", kPng, 32, 1000, false, true, {}},
        {L"png_33x1000.png", kPng, 33, 1000, true, true, {}},
        {L"jpeg_named.txt", kJpeg, 33, 33, true, true, {}},
        {L"jpeg_32.jpg", kJpeg, 32, 32, false, true, {}},
        {L"jpeg_1000x32.jpg", kJpeg, 1000, 32, false, true, {}},
        {L"jpeg_640x480", kJpeg, 640, 480, true, true, {}},
        {L"gif_named.bmp", kGif, 33, 33, true, true, {}},
        {L"gif_32x33.gif", kGif, 32, 33, false, true, {}},
        {L"bmp_named.jpg", kBmp, 33, 33, true, true, {}},
        {L"bmp_1000x32.bmp", kBmp, 1000, 32, false, true, {}},
        {L"bmp_33x40.png", kBmp, 33, 40, true, true, {}},
        {L"tiff_33.tif", kTiff, 33, 33, true, true, {}},
        {L"tiff_32.tif", kTiff, 32, 32, false, true, {}},
        {L"tiff_40x33.dat", kTiff, 40, 33, true, true, {}},
        // Content that no decoder claims is refused from its first bytes; content that starts
        // like a picture but has no readable header goes to the decoder.
        {L"text.jpg", nullptr, 0, 0, false, true, "This is a text file, not a picture.\r\n"},
        {L"empty.png", nullptr, 0, 0, false, true, ""},
        {L"video.avi", nullptr, 0, 0, false, true,
         std::string("RIFF\x00\x00\x20\x00"
                     "AVI LIST",
                     16) +
             std::string(1 << 21, '\x5a')},
        {L"bm_text.bmp", nullptr, 0, 0, false, true, "BMW cars are bought by many people\r\n"},
        {L"png_signature_only.png", nullptr, 0, 0, false, false, "\x89PNG\r\n\x1a\n"},
        {L"tiff_signature_only.tif", nullptr, 0, 0, false, false, std::string("II*\0", 4)},
        // Icons: the size of the first icon.
        {L"icon_48.ico", nullptr, 0, 0, true, true, AsText(IconFile(48, 0xFF208040))},
        {L"icon_32.ico", nullptr, 0, 0, false, true, AsText(IconFile(32, 0xFF208040))},
        // Metafiles, which GDI+ decodes and WIC cannot size, by the bounds their header states.
        {L"metafile_200x100.emf", nullptr, 0, 0, true, true, AsText(EnhancedMetafileFile(200, 100))},
        {L"metafile_30x30.emf", nullptr, 0, 0, false, true, AsText(EnhancedMetafileFile(30, 30))},
        // The size behind junk between segments is read as the decoder reads it.
        {L"junk_before_table_20000x16000.jpg", nullptr, 0, 0, false, true,
         AsText(WithJunkBeforeFirstTable(SmallJpegStatingSize(20000, 16000)))},
        {L"junk_before_table_640x480.jpg", nullptr, 0, 0, true, true,
         AsText(WithJunkBeforeFirstTable(SmallJpegStatingSize(640, 480)))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = folder / c.name;
        if (c.mimeType != nullptr) {
            ASSERT_TRUE(WritePicture(path, c.width, c.height, c.mimeType));
        } else {
            ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        }
        EXPECT_EQ(IsPictureByDecoding(path), c.accepted);
        const std::optional<bool> byHeader = IsPictureByHeader(path);
        EXPECT_EQ(byHeader.has_value(), c.headerTells);
        if (byHeader) {
            EXPECT_EQ(*byHeader, c.accepted);
        }
        EXPECT_EQ(IsAcceptedPicture(path), c.accepted);
    }
}

// A JPEG whose frame header lies beyond the first bytes read (large metadata segments, as
// cameras write them) is still read from its header.
TEST(PictureAcceptanceTest, JpegWithLargeMetadataSegments) {
    TestFolder folder(L"sources_acceptance_jpeg");
    const std::wstring plain = folder / L"plain.jpg";
    ASSERT_TRUE(WritePicture(plain, 48, 40, kJpeg));
    const std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(plain);
    ASSERT_TRUE(bytes.has_value());
    ASSERT_GE(bytes->size(), 4u);

    std::vector<uint8_t> padded(bytes->begin(), bytes->begin() + 2);
    for (int i = 0; i < 3; ++i) {
        const uint8_t segment[4] = {0xFF, 0xEA, 0xFF, 0xFF};  // an application segment of 65,535 bytes
        padded.insert(padded.end(), segment, segment + 4);
        padded.insert(padded.end(), 65533, static_cast<uint8_t>(0x20 + i));
    }
    padded.insert(padded.end(), bytes->begin() + 2, bytes->end());
    const std::wstring path = folder / L"padded.jpg";
    ASSERT_TRUE(WriteFileBytes(path, padded));

    EXPECT_TRUE(IsPictureByDecoding(path));
    EXPECT_EQ(IsPictureByHeader(path), std::optional<bool>(true));
    EXPECT_TRUE(IsAcceptedPicture(path));
}

// Photos that carry an EXIF orientation are judged by the sides they show with once upright, on
// both paths: 1000 x 32 stored, turned a quarter, is 32 x 1000 and still too thin; 40 x 33 turned
// is 33 x 40.
TEST(PictureAcceptanceTest, PhotosWithAnOrientationAreJudgedUpright) {
    TestFolder folder(L"sources_acceptance_orientation");
    const struct {
        const wchar_t* name;
        int width, height;
        uint32_t orientation;
        bool accepted;
    } cases[] = {
        {L"thin_turned.jpg", 1000, 32, 6, false},
        {L"small_turned.jpg", 40, 33, 8, true},
        {L"small_mirrored.jpg", 33, 33, 2, true},
        {L"small_unknown_value.jpg", 32, 40, 11, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring plain = folder / L"plain.jpg";
        ASSERT_TRUE(WritePicture(plain, c.width, c.height, kJpeg));
        const std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(plain);
        ASSERT_TRUE(bytes.has_value());
        const std::wstring path = folder / c.name;
        ASSERT_TRUE(WriteFileBytes(path, WithExifOrientation(*bytes, c.orientation)));
        EXPECT_EQ(IsPictureByHeader(path), std::optional<bool>(c.accepted));
        EXPECT_EQ(IsPictureByDecoding(path), c.accepted);
    }
}

// Headers that claim more than the picture loader decodes are refused on both paths.
TEST(PictureAcceptanceTest, HugeClaimsAreRefused) {
    TestFolder folder(L"sources_acceptance_huge");
    struct Case {
        const wchar_t* name;
        std::string bytes;
    };
    const std::string pngHuge("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x9c\x40\0\0\x9c\x40\x08\x06\0\0\0\0\0\0\0", 33);
    const std::string gifHuge("GIF89a\xff\xff\xff\xff\xf7\0\0", 13);
    const Case cases[] = {{L"huge.png", pngHuge}, {L"huge.gif", gifHuge}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = folder / c.name;
        ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        EXPECT_FALSE(IsPictureByDecoding(path));
        EXPECT_EQ(IsPictureByHeader(path), std::optional<bool>(false));
        EXPECT_FALSE(IsAcceptedPicture(path));
    }
}

// The size of a GIF picture is its logical screen, also when its first frame is smaller: the
// header path reads the logical screen. Windows' GDI+ draws GIF frames onto the logical screen
// and reports its size; Wine 8's GDI+ reports the size of the first frame instead, so under
// Wine the full decode of a GIF with a smaller frame gives the frame's size (checked below as
// such, so that a change in Wine shows).
TEST(PictureAcceptanceTest, GifSizeIsItsLogicalScreen) {
    TestFolder folder(L"sources_acceptance_gif");
    struct Case {
        const wchar_t* name;
        int screenWidth, screenHeight, frameWidth, frameHeight;
        bool accepted;
        bool acceptedByWineDecoder;
    };
    const Case cases[] = {
        {L"screen_40_frame_40.gif", 40, 40, 40, 40, true, true},
        {L"screen_40_frame_20.gif", 40, 40, 20, 20, true, false},
        {L"screen_20_frame_20.gif", 20, 20, 20, 20, false, false},
        {L"screen_40x20_frame_40x20.gif", 40, 20, 40, 20, false, false},
    };
    const bool underWine = RunsUnderWine();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = folder / c.name;
        ASSERT_TRUE(WriteFileBytes(path, GifBytes(c.screenWidth, c.screenHeight, c.frameWidth, c.frameHeight)));
        EXPECT_EQ(IsPictureByDecoding(path), underWine ? c.acceptedByWineDecoder : c.accepted);
        EXPECT_EQ(IsPictureByHeader(path), std::optional<bool>(c.accepted));
        EXPECT_EQ(IsAcceptedPicture(path), c.accepted);
    }
}

// The first bytes of a photo file: JFIF header, an Exif segment of camera data, the frame header
// with the photo's size, and the start of its scan. The scan reads no further.
std::string PhotoHeader(uint32_t width, uint32_t height) {
    std::string bytes("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
    bytes += std::string(
                 "\xFF\xE1\x20\x00"
                 "Exif\x00\x00",
                 10) +
             std::string(0x2000 - 8, 'x');
    bytes += std::string("\xFF\xC0\x00\x11\x08", 5);
    for (uint32_t side : {height, width}) bytes += {static_cast<char>(side >> 8), static_cast<char>(side & 0xFF)};
    bytes += std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
    bytes += std::string("\xFF\xDA\x00\x0C\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00", 14) + std::string(4096, '\x5A');
    return bytes;
}

// Real photos of today's phones and stitched panoramas are listed (from their headers, as the
// folder scan meets them); a header claiming a picture far beyond the decoding budget is not.
TEST(PictureAcceptanceTest, LargePhotosAreListed) {
    TestFolder folder(L"sources_acceptance_photos");
    const struct {
        const wchar_t* name;
        std::string bytes;
        bool listed;
    } cases[] = {
        {L"phone_108mp.jpg", PhotoHeader(12000, 9000), true},
        {L"phone_200mp.jpg", PhotoHeader(16320, 12240), true},
        {L"panorama_30000x6000.jpg", PhotoHeader(30000, 6000), true},
        {L"panorama_65535x4000.jpg", PhotoHeader(65535, 4000), true},
        {L"hostile_60000x60000.jpg", PhotoHeader(60000, 60000), false},
        {L"hostile_65535x65535.jpg", PhotoHeader(65535, 65535), false},
    };
    std::vector<std::wstring> expected;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = folder / c.name;
        ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        EXPECT_EQ(IsPictureByHeader(path), std::optional<bool>(c.listed));
        EXPECT_EQ(IsAcceptedPicture(path), c.listed);
        if (c.listed) expected.push_back(path);
    }
    PictureList list;
    ScanPictureFolder(list, folder.Path());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(PathsOf(list), expected);
}

// A 5 KB JPEG that states 20000 x 16000 (over the decoding budget) behind one junk byte before
// its first table, or behind thousands of comment segments: its decoder would decode all of it
// (under Wine 1.8 GB at the peak, for 6 seconds). Neither the acceptance test nor a scan of its
// folder decodes it, and the process's peak working set stays below one full-size copy of the
// largest picture the budget allows.
TEST(PictureAcceptanceTest, AJpegStatingTooMuchBehindJunkIsNotListed) {
    TestFolder folder(L"sources_acceptance_junk");
    const std::vector<uint8_t> stating = SmallJpegStatingSize(20000, 16000);
    const std::wstring junk = folder / L"junk_before_table.jpg";
    ASSERT_TRUE(WriteFileBytes(junk, WithJunkBeforeFirstTable(stating)));
    const std::wstring segments = folder / L"many_segments.jpg";
    ASSERT_TRUE(WriteFileBytes(segments, WithCommentSegments(stating, 5000)));
    const std::wstring good = folder / L"good.png";
    ASSERT_TRUE(WritePicture(good, 40, 40, kPng));

    const MemoryUse before = CurrentMemoryUse();
    for (const std::wstring& path : {junk, segments}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(IsPictureByHeader(path), std::optional<bool>(false));
        EXPECT_FALSE(IsPictureByDecoding(path));
        EXPECT_FALSE(IsAcceptedPicture(path));
    }
    PictureList list;
    ScanPictureFolder(list, folder.Path());
    EXPECT_EQ(PathsOf(list), std::vector<std::wstring>{good});
    const uint64_t rise = PeakRiseSince(before);
    EXPECT_LT(rise, 4 * kMaxDecodedPixels) << "peak rose by " << rise / 1000000 << " MB";
}

std::vector<uint8_t> SolidDds(int width, int height, uint32_t statedWidth = 0, uint32_t statedHeight = 0) {
    return DdsFile(width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, 0xFF336699u), statedWidth,
                   statedHeight);
}

// Pictures that GDI+ does not decode and the system's codecs do are listed: a DDS picture (whose
// header the program reads) by its header, a JPEG XR picture (whose header it does not read) by
// the size its decoder tells, each by the one rule of sizes. A modern photo for which no codec
// is installed (under Wine: WebP, HEIC, AVIF) is no picture; content that a codec's signature
// claims but its decoder refuses is none either.
TEST(PictureAcceptanceTest, PicturesThatOnlyInstalledCodecsDecodeAreListed) {
    TestFolder folder(L"sources_acceptance_codecs");
    const auto decodes = [](const std::vector<uint8_t>& bytes) {
        return DecoderFrameSize(bytes.data(), bytes.size()).has_value();
    };
    std::vector<uint8_t> junkJpegXr = {'I', 'I', 0xBC, 0x01};
    junkJpegXr.resize(300, 0x5A);
    const bool jpegXrCodec = decodes(JpegXrFile48x40());
    struct Case {
        const wchar_t* name;
        std::vector<uint8_t> bytes;
        bool accepted;
        std::optional<bool> byHeader;
    };
    std::vector<Case> cases = {
        {L"dds_64x48.dds", SolidDds(64, 48), true, true},
        {L"dds_named.png", SolidDds(64, 48), true, true},
        {L"dds_33x40.dds", SolidDds(33, 40), true, true},
        {L"dds_32x32.dds", SolidDds(32, 32), false, false},
        {L"dds_1000x32.dds", SolidDds(1000, 32), false, false},
        {L"dds_stating_60000x60000.dds", SolidDds(8, 8, 60000, 60000), false, false},
        {L"jpegxr_48x40.jxr", JpegXrFile48x40(), jpegXrCodec, jpegXrCodec ? std::nullopt : std::optional<bool>(false)},
        {L"jpegxr_named.dat", JpegXrFile48x40(), jpegXrCodec, jpegXrCodec ? std::nullopt : std::optional<bool>(false)},
        {L"jpegxr_junk.jxr", junkJpegXr, false, jpegXrCodec ? std::nullopt : std::optional<bool>(false)},
    };
    for (const auto& [name, bytes] :
         {std::pair{L"photo.webp", WebpFile48x40()}, std::pair{L"photo.heic", HeicFile48x40()},
          std::pair{L"photo.avif", AvifFile48x40()}}) {
        const bool codec = decodes(bytes);
        if (RunsUnderWine()) {
            EXPECT_FALSE(codec) << name << ": Wine 8 has no codec for it; now it has";
        }
        // Without a codec no decoder's signature claims it: the first bytes tell.
        cases.push_back({name, bytes, codec, codec ? std::nullopt : std::optional<bool>(false)});
    }
    std::vector<std::wstring> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = folder / c.name;
        ASSERT_TRUE(WriteFileBytes(path, c.bytes));
        EXPECT_EQ(IsPictureByHeader(path), c.byHeader);
        EXPECT_EQ(IsPictureByDecoding(path), c.accepted);
        EXPECT_EQ(IsAcceptedPicture(path), c.accepted);
        if (c.accepted) expected.push_back(path);
    }
    // The folder scan lists the same.
    PictureList list;
    ScanPictureFolder(list, folder.Path());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(PathsOf(list), expected);
}

TEST(PictureAcceptanceTest, MissingFileOrFolderIsNoPicture) {
    TestFolder folder(L"sources_acceptance_missing");
    const std::wstring missing = folder / L"missing.png";
    EXPECT_FALSE(IsPictureByDecoding(missing));
    EXPECT_EQ(IsPictureByHeader(missing), std::optional<bool>(false));
    EXPECT_FALSE(IsAcceptedPicture(missing));
    EXPECT_FALSE(IsAcceptedPicture(folder.Path()));
    EXPECT_FALSE(IsAcceptedPicture(L""));
}

}  // namespace
