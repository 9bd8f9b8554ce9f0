// The filter of the picture selection dialog's "...." file chooser.
#include "sources/picture_chooser_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "common/codec_picture_fixtures.h"
#include "common/message_box.h"
#include "sources/decoder_signatures.h"
#include "sources/sources_test_support.h"
#include "sources/wic_decoder_catalog.h"

namespace {

// The strings of a filter text: description, pattern, description, pattern, ...
std::vector<std::wstring> FilterStrings(const std::wstring& filter) {
    std::vector<std::wstring> strings;
    size_t start = 0;
    while (start < filter.size()) {
        const size_t end = filter.find(L'\0', start);
        if (end == std::wstring::npos) {
            strings.push_back(filter.substr(start));  // not ended by a null: a broken filter
            break;
        }
        strings.push_back(filter.substr(start, end - start));
        start = end + 1;
    }
    return strings;
}

bool Contains(const std::vector<std::wstring>& list, const std::wstring& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

TEST(PictureChooserFilterTest, SplitsTheExtensionListsOfDecoders) {
    const struct {
        const wchar_t* list;
        std::vector<std::wstring> extensions;
    } cases[] = {
        {L".bmp,.dib,.rle", {L"bmp", L"dib", L"rle"}},
        {L".jpg;.jpeg;.jfif", {L"jpg", L"jpeg", L"jfif"}},
        {L".HEIC,.Heif", {L"heic", L"heif"}},
        {L" .cr3 , .nef ;", {L"cr3", L"nef"}},
        {L"tif", {L"tif"}},
        {L"", {}},
        {L",;,", {}},
        // Entries that are no plain extension are left out.
        {L".a.b,*.png,.p?g,.x y,.c:\\d,.ok", {L"ok"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.list, c.list + wcslen(c.list)));
        EXPECT_EQ(SplitExtensionList(c.list), c.extensions);
    }
}

// One pair for every picture, the classic formats first as the chooser always listed them, the
// modern photo formats in it; then every file.
TEST(PictureChooserFilterTest, OnePairListsEveryPictureThenAllFiles) {
    const std::wstring filter = PictureChooserFilter({});
    ASSERT_FALSE(filter.empty());
    EXPECT_EQ(filter.back(), L'\0') << "each string ends with a null; the string's own null ends the list";
    const std::vector<std::wstring> strings = FilterStrings(filter);
    ASSERT_EQ(strings.size(), 4u);
    EXPECT_EQ(strings[0].rfind(L"(*.jpg,*.jpeg,*.png,*.bmp,*.gif,", 0), 0u) << strings[0];
    EXPECT_EQ(strings[0].back(), L')');
    EXPECT_EQ(strings[1].rfind(L"*.jpg;*.jpeg;*.png;*.bmp;*.gif;", 0), 0u) << strings[1];
    EXPECT_EQ(strings[2], L"(*.*)");
    EXPECT_EQ(strings[3], L"*.*");
    for (const wchar_t* extension :
         {L"heic", L"heif", L"avif", L"webp", L"jxr", L"wdp", L"hdp",  L"dds", L"dng", L"cr2", L"cr3",
          L"nef",  L"arw",  L"orf",  L"rw2",  L"raf", L"tif", L"tiff", L"ico", L"emf", L"wmf"}) {
        SCOPED_TRACE(extension);
        EXPECT_NE(strings[1].find(L";*." + std::wstring(extension) + L";"), std::wstring::npos);
        EXPECT_NE(strings[0].find(L",*." + std::wstring(extension) + L","), std::wstring::npos);
    }
    // The description names exactly what the pattern holds.
    std::wstring description = strings[0].substr(1, strings[0].size() - 2);
    std::replace(description.begin(), description.end(), L',', L';');
    EXPECT_EQ(description, strings[1]);
}

// What installed decoders name joins the list once, after the known extensions, in lower case.
TEST(PictureChooserFilterTest, InstalledExtensionsJoinOnce) {
    const std::vector<std::wstring> installed = {L".bmp,.dib,.rle", L".JPG;.jpeg;.jfif", L".tga;.tpic", L".jxl",
                                                 L".jxl,.TGA"};
    const std::vector<std::wstring> extensions = PictureChooserExtensions(installed);
    const std::vector<std::wstring>& known = KnownPictureExtensions();
    ASSERT_GE(extensions.size(), known.size());
    EXPECT_TRUE(std::equal(known.begin(), known.end(), extensions.begin())) << "the known ones come first";
    const std::vector<std::wstring> added(extensions.begin() + static_cast<ptrdiff_t>(known.size()), extensions.end());
    EXPECT_EQ(added, (std::vector<std::wstring>{L"rle", L"tga", L"tpic", L"jxl"}));
    for (const std::wstring& extension : extensions) {
        EXPECT_EQ(std::count(extensions.begin(), extensions.end(), extension), 1) << extension;
    }
    const std::vector<std::wstring> strings = FilterStrings(PictureChooserFilter(installed));
    ASSERT_EQ(strings.size(), 4u);
    EXPECT_NE(strings[1].find(L";*.jxl"), std::wstring::npos);
}

// The system's imaging component tells its decoders: their signatures, by which a picture it
// decodes is told from content no decoder takes, and their extensions, which the chooser lists.
// Wine's has decoders of DDS, TGA and JPEG XR besides those GDI+ also has.
TEST(PictureChooserFilterTest, TheInstalledDecodersAreListed) {
    const WicDecoderCatalog& catalog = InstalledWicDecoders();
    ASSERT_TRUE(catalog.listed);
    EXPECT_FALSE(catalog.signatures.empty());
    const std::vector<std::wstring> extensions = PictureChooserExtensions(catalog.extensionLists);
    for (const wchar_t* extension : {L"png", L"jpg", L"gif", L"bmp", L"tif", L"ico", L"dds", L"jxr"}) {
        EXPECT_TRUE(Contains(extensions, extension)) << extension;
    }
    if (RunsUnderWine()) {
        EXPECT_TRUE(Contains(extensions, L"tga")) << "Wine's TGA decoder names .tga";
    }

    const std::vector<uint8_t> dds = DdsFile(40, 40, std::vector<uint32_t>(40 * 40, 0xFF336699u));
    const std::vector<uint8_t>& jxr = JpegXrFile48x40();
    const std::string text = "Not a picture at all, just words in a file.\r\n";
    EXPECT_TRUE(MatchesAnyDecoderSignature(catalog.signatures, dds.data(), dds.size()));
    EXPECT_TRUE(MatchesAnyDecoderSignature(catalog.signatures, jxr.data(), jxr.size()));
    EXPECT_FALSE(
        MatchesAnyDecoderSignature(catalog.signatures, reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace
