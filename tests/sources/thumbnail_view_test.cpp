// Thumbnails of the picture selection dialog's list, made by the view's own thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/active_dialog.h"
#include "common/codec_picture_fixtures.h"
#include "common/message_box.h"
#include "common/picture_fixtures.h"
#include "common/test_files.h"
#include "imaging/decoder_frame_size.h"
#include "imaging/thumbs_list_view.h"
#include "res/resource.h"
#include "settings/app_config.h"
#include "settings/ini_file.h"
#include "sources/picture_dialog_support.h"
#include "sources/picture_selection_dialog.h"
#include "sources/sources_test_support.h"

namespace {

constexpr DWORD kThumbnailWaitMs = 30000;

// The pixels of one image of an image list, top-down, as 0xAARRGGBB.
std::vector<uint32_t> ImagePixels(HIMAGELIST images, int index, int& side) {
    IMAGEINFO info{};
    side = 0;
    if (!ImageList_GetImageInfo(images, index, &info)) return {};
    BITMAP bitmap{};
    GetObjectW(info.hbmImage, sizeof(bitmap), &bitmap);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = bitmap.bmWidth;
    format.bmiHeader.biHeight = -bitmap.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> all(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmHeight);
    HDC dc = GetDC(nullptr);
    const int rows = GetDIBits(dc, info.hbmImage, 0, bitmap.bmHeight, all.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (rows != bitmap.bmHeight) return {};
    side = info.rcImage.right - info.rcImage.left;
    std::vector<uint32_t> image;
    for (int y = info.rcImage.top; y < info.rcImage.bottom; ++y) {
        for (int x = info.rcImage.left; x < info.rcImage.right; ++x) image.push_back(all[y * bitmap.bmWidth + x]);
    }
    return image;
}

int IconSide(HIMAGELIST images) {
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    return width == height ? width : -1;
}

class ThumbnailViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        OleInitialize(nullptr);
        PictureDialogFixtureBase::LoadLanguageTexts();
    }

    void SetUp() override { SetSettingsPath(m_folder / L"Orbelin.ini"); }

    void TearDown() override {
        ThePictureSelectionDialog().Destroy();
        SetActiveDialog(nullptr);
    }

    CMeineBilderDlg& Dialog() { return ThePictureSelectionDialog(); }

    // Opens the dialog in view mode `mode` with `pictures` dropped on it.
    void OpenWith(int mode, const std::vector<std::wstring>& pictures) {
        IniWriteInt(L"m_list_mode", mode);
        Dialog().ShowPictureSelection(nullptr);
        ASSERT_NE(Dialog().Window(), nullptr);
        if (!pictures.empty()) {
            SendMessageW(Dialog().Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(pictures)), 0);
        }
        PumpMessagesFor(50);
    }

    std::vector<std::wstring> MakePictures(int count, int width, int height) {
        std::vector<std::wstring> paths;
        for (int i = 0; i < count; ++i) {
            const std::wstring path = m_folder / (L"photo" + std::to_wstring(100 + i) + L".png");
            EXPECT_TRUE(WriteSolidPng(path, width, height, 0xFF000000u | (0x103050u * (i + 1) & 0xFFFFFF)));
            paths.push_back(path);
        }
        return paths;
    }

    void Command(int id) { SendMessageW(Dialog().Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    // A view button, and the wait until the view uses its cell size (the dialog applies the
    // mode on a timer).
    void SwitchView(int command, int cellSize) {
        Command(command);
        CThumsListView2* view = Dialog().Thumbnails();
        EXPECT_TRUE(WaitUntil([&] { return view->RequestedSize() == cellSize && view->CellSize() == cellSize; },
                              kThumbnailWaitMs))
            << "the view did not switch to " << cellSize;
    }

    // Whether the item shows in the list's client area, from its rectangle (Wine's list view
    // answers LVM_ISITEMVISIBLE with 0 for every item).
    bool Visible(int item) {
        HWND list = Dialog().ListView();
        if (!RunsUnderWine()) return SendMessageW(list, LVM_ISITEMVISIBLE, item, 0) != 0;
        RECT bounds{LVIR_BOUNDS, 0, 0, 0};
        RECT client{}, overlap{};
        GetClientRect(list, &client);
        return SendMessageW(list, LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&bounds)) &&
               IntersectRect(&overlap, &bounds, &client);
    }

    // True when every visible item has its thumbnail (or failed) at the view's requested size.
    bool VisibleThumbnailsDone() {
        CThumsListView2* view = Dialog().Thumbnails();
        if (view->CellSize() != view->RequestedSize()) return false;
        const std::vector<ShownPicture> shown = Dialog().Shown();
        int visible = 0;
        for (size_t i = 0; i < shown.size(); ++i) {
            if (!Visible(static_cast<int>(i))) continue;
            ++visible;
            if (shown[i].imageIndex == -1) return false;
            const auto entry = view->CacheEntryOf(shown[i].path);
            if (!entry || entry->state != 1) return false;
        }
        return visible > 0;
    }

    // What the view holds now, for a failure message.
    std::string DescribeState() {
        CThumsListView2* view = Dialog().Thumbnails();
        std::string text = "cell " + std::to_string(view->CellSize()) + " requested " +
                           std::to_string(view->RequestedSize()) + " thread " +
                           (view->WorkerRunning() ? "running" : "stopped") + " cache " +
                           std::to_string(view->CacheCount()) + "\n";
        const std::vector<ShownPicture> shown = Dialog().Shown();
        for (size_t i = 0; i < shown.size(); ++i) {
            const auto entry = view->CacheEntryOf(shown[i].path);
            text += "  item " + std::to_string(i) + (Visible(static_cast<int>(i)) ? " visible" : " hidden") +
                    " image " + std::to_string(shown[i].imageIndex);
            if (entry)
                text += " entry state " + std::to_string(entry->state) + " item " + std::to_string(entry->itemIndex);
            text += "\n";
        }
        return text;
    }

    // Says which source made each thumbnail; under Wine the shell's thumbnail cache and image
    // extractor have nothing for ordinary files, so the program's own decoding must have.
    void ExpectSourcesOfMadeThumbnails() {
        for (const ShownPicture& picture : Dialog().Shown()) {
            if (picture.imageIndex < 0) continue;
            const auto entry = Dialog().Thumbnails()->CacheEntryOf(picture.path);
            ASSERT_TRUE(entry.has_value());
            std::printf("%s\n", (testing::Message() << "thumbnail of " << picture.path
                                                    << " made by: " << ThumbnailSourceName(entry->source))
                                    .GetString()
                                    .c_str());
            if (RunsUnderWine()) {
                EXPECT_EQ(entry->source, ThumbnailSource::kProgramDecoder) << "Wine's shell gives no thumbnails";
            } else {
                EXPECT_NE(entry->source, ThumbnailSource::kNone);
            }
        }
    }

    TestFolder m_folder{L"thumbnails"};
};

TEST_F(ThumbnailViewTest, The128ButtonShowsThumbnailsAndTheEmptyButtonTheSmallIconList) {
    OpenWith(0, MakePictures(3, 200, 150));
    HWND list = Dialog().ListView();
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(IconSide(Dialog().Thumbnails()->ImageList()), 16);

    SwitchView(IDC_PICTURES_VIEW_128, 128);
    EXPECT_EQ(ReadIniValue(SettingsPath(), L"Program", L"m_list_mode"), L"1");
    ASSERT_TRUE(WaitUntil([&] { return VisibleThumbnailsDone(); }, kThumbnailWaitMs)) << DescribeState();
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_ICON);
    EXPECT_EQ(IconSide(Dialog().Thumbnails()->ImageList()), 128);
    int made = 0;
    for (const ShownPicture& picture : Dialog().Shown()) made += picture.imageIndex >= 0 ? 1 : 0;
    EXPECT_EQ(made, 3) << "three small pictures all fit the window";
    EXPECT_EQ(ImageList_GetImageCount(Dialog().Thumbnails()->ImageList()), 3);
    // The view answers each item's thumbnail when it draws it.
    for (int i = 0; i < 3; ++i) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(item.iImage, Dialog().Shown()[i].imageIndex) << i;
    }
    ExpectSourcesOfMadeThumbnails();
    HWND toolbar = Dialog().Toolbar();
    EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, IDC_PICTURES_VIEW_128, 0));
    EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONENABLED, IDC_PICTURES_VIEW_LIST, 0));

    SwitchView(IDC_PICTURES_VIEW_LIST, 16);
    EXPECT_EQ(ReadIniValue(SettingsPath(), L"Program", L"m_list_mode"), L"0");
    ASSERT_TRUE(WaitUntil([&] { return VisibleThumbnailsDone(); }, kThumbnailWaitMs)) << DescribeState();
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(IconSide(Dialog().Thumbnails()->ImageList()), 16);
    EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, IDC_PICTURES_VIEW_LIST, 0));
    EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONENABLED, IDC_PICTURES_VIEW_128, 0));
}

TEST_F(ThumbnailViewTest, From256To512EmptiesTheCacheAndRemakesTheVisibleThumbnails) {
    OpenWith(2, MakePictures(4, 300, 200));
    ASSERT_TRUE(WaitUntil([&] { return VisibleThumbnailsDone(); }, kThumbnailWaitMs)) << DescribeState();
    CThumsListView2* view = Dialog().Thumbnails();
    HIMAGELIST before = view->ImageList();
    EXPECT_EQ(IconSide(before), 256);

    SwitchView(IDC_PICTURES_VIEW_512, 512);
    EXPECT_EQ(ReadIniValue(SettingsPath(), L"Program", L"m_list_mode"), L"3");
    // The cache is emptied with the image list: nothing is left from the 256 pixel cells.
    ASSERT_TRUE(WaitUntil([&] { return VisibleThumbnailsDone(); }, kThumbnailWaitMs)) << DescribeState();
    HIMAGELIST after = view->ImageList();
    EXPECT_EQ(IconSide(after), 512);
    int made = 0;
    const std::vector<ShownPicture> shown = Dialog().Shown();
    for (size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(i);
        if (Visible(static_cast<int>(i))) {
            EXPECT_GE(shown[i].imageIndex, 0);
        }
        if (shown[i].imageIndex >= 0) {
            ++made;
            const auto entry = view->CacheEntryOf(shown[i].path);
            ASSERT_TRUE(entry.has_value());
            EXPECT_EQ(entry->imageIndex, shown[i].imageIndex);
        }
    }
    EXPECT_GE(made, 1);
    EXPECT_EQ(ImageList_GetImageCount(after), made) << "each made once, at 512 pixels";
    ExpectSourcesOfMadeThumbnails();
}

TEST_F(ThumbnailViewTest, AWidePictureIsDrawnFittedAndCentredOverWhite) {
    const std::wstring wide = m_folder / L"wide.png";
    ASSERT_TRUE(WriteSolidPng(wide, 1000, 500, 0xFFE01010));
    OpenWith(1, {wide});
    ASSERT_TRUE(WaitUntil([&] { return VisibleThumbnailsDone(); }, kThumbnailWaitMs)) << DescribeState();
    const int image = Dialog().Shown()[0].imageIndex;
    ASSERT_GE(image, 0);

    int side = 0;
    const std::vector<uint32_t> pixels = ImagePixels(Dialog().Thumbnails()->ImageList(), image, side);
    ASSERT_EQ(side, 128);
    ASSERT_EQ(pixels.size(), 128u * 128u);
    const auto at = [&](int x, int y) { return pixels[y * 128 + x] & 0xFFFFFF; };
    const auto isRed = [](uint32_t rgb) { return ((rgb >> 16) & 0xFF) > 0xC0 && ((rgb >> 8) & 0xFF) < 0x40; };
    // 128 x 64 at y 32: white above and below, the picture across the whole width between.
    for (int x = 0; x < 128; ++x) {
        SCOPED_TRACE(x);
        for (int y = 0; y < 32; ++y) ASSERT_EQ(at(x, y), 0xFFFFFFu) << "y " << y;
        for (int y = 96; y < 128; ++y) ASSERT_EQ(at(x, y), 0xFFFFFFu) << "y " << y;
        for (int y = 33; y < 95; ++y) ASSERT_TRUE(isRed(at(x, y))) << "y " << y << std::hex << " " << at(x, y);
    }
    // The first and last picture rows are the picture's (its edge may be blended with white).
    EXPECT_NE(at(64, 32), 0xFFFFFFu);
    EXPECT_NE(at(64, 95), 0xFFFFFFu);
}

// Pictures that only the system's codecs decode get their thumbnails from the program's own
// decoding through WIC: a DDS picture (red left, blue right) and a JPEG XR photo; a WebP photo
// without an installed codec is not listed at all.
TEST_F(ThumbnailViewTest, PicturesOfTheSystemsCodecsGetThumbnails) {
    std::vector<uint32_t> halves(64 * 48);
    for (size_t i = 0; i < halves.size(); ++i) halves[i] = i % 64 < 32 ? 0xFFE01010u : 0xFF1020E0u;
    const std::wstring dds = m_folder / L"a_halves.dds";
    ASSERT_TRUE(WriteFileBytes(dds, DdsFile(64, 48, halves)));
    const std::wstring jxr = m_folder / L"b_green.jxr";
    ASSERT_TRUE(WriteFileBytes(jxr, JpegXrFile48x40()));
    const std::wstring webp = m_folder / L"c_photo.webp";
    ASSERT_TRUE(WriteFileBytes(webp, WebpFile48x40()));
    const bool jpegXrCodec = DecoderFrameSize(jxr.c_str()).has_value();
    const bool webpCodec = DecoderFrameSize(webp.c_str()).has_value();
    if (RunsUnderWine()) {
        EXPECT_FALSE(webpCodec) << "Wine 8 has no WebP codec; now it has";
    }
    OpenWith(1, {dds, jxr, webp});
    const std::vector<ShownPicture> shown = Dialog().Shown();
    ASSERT_EQ(shown.size(), 1u + (jpegXrCodec ? 1 : 0) + (webpCodec ? 1 : 0));
    EXPECT_EQ(shown[0].path, dds);
    ASSERT_TRUE(WaitUntil([&] { return VisibleThumbnailsDone(); }, kThumbnailWaitMs)) << DescribeState();

    const auto isNear = [](uint32_t actual, uint32_t expected) {
        for (int shift : {0, 8, 16}) {
            const int difference =
                static_cast<int>(actual >> shift & 0xFF) - static_cast<int>(expected >> shift & 0xFF);
            if (std::abs(difference) > 12) return false;
        }
        return true;
    };
    int side = 0;
    ASSERT_GE(Dialog().Shown()[0].imageIndex, 0);
    const std::vector<uint32_t> pixels =
        ImagePixels(Dialog().Thumbnails()->ImageList(), Dialog().Shown()[0].imageIndex, side);
    ASSERT_EQ(side, 128);
    // 128 x 96 from y 16 over white.
    EXPECT_EQ(pixels[4 * 128 + 64] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_TRUE(isNear(pixels[64 * 128 + 20], 0xFFE01010u)) << std::hex << pixels[64 * 128 + 20];
    EXPECT_TRUE(isNear(pixels[64 * 128 + 108], 0xFF1020E0u)) << std::hex << pixels[64 * 128 + 108];
    if (jpegXrCodec) {
        ASSERT_GE(Dialog().Shown()[1].imageIndex, 0);
        const std::vector<uint32_t> green =
            ImagePixels(Dialog().Thumbnails()->ImageList(), Dialog().Shown()[1].imageIndex, side);
        ASSERT_EQ(side, 128);
        EXPECT_TRUE(isNear(green[64 * 128 + 64], kCodecPictureColour)) << std::hex << green[64 * 128 + 64];
    }
    ExpectSourcesOfMadeThumbnails();
}

TEST_F(ThumbnailViewTest, AnUnreadableFileKeepsItsFailedStateAndIsNotTriedAgain) {
    const std::vector<std::wstring> pictures = MakePictures(2, 120, 90);
    OpenWith(1, pictures);
    ASSERT_TRUE(WaitUntil([&] { return VisibleThumbnailsDone(); }, kThumbnailWaitMs)) << DescribeState();

    // The file becomes unreadable; a new cell size makes every thumbnail again.
    ASSERT_TRUE(WriteFileBytes(pictures[0], std::string("garbage, no picture")));
    SwitchView(IDC_PICTURES_VIEW_256, 256);
    ASSERT_TRUE(WaitUntil([&] { return VisibleThumbnailsDone(); }, kThumbnailWaitMs)) << DescribeState();
    std::vector<ShownPicture> shown = Dialog().Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].imageIndex, -2);
    EXPECT_GE(shown[1].imageIndex, 0);
    const auto failed = Dialog().Thumbnails()->CacheEntryOf(pictures[0]);
    ASSERT_TRUE(failed.has_value());
    EXPECT_EQ(failed->state, 1) << "tried";
    EXPECT_EQ(failed->source, ThumbnailSource::kNone);

    // Readable again: had it been tried again, it would have a thumbnail now.
    ASSERT_TRUE(WriteSolidPng(pictures[0], 120, 90, 0xFF00A000));
    PumpMessagesFor(600);
    EXPECT_EQ(Dialog().Shown()[0].imageIndex, -2);

    // A file deleted while the thread is at work costs nothing but its thumbnail: it stays
    // listed, marked, until the user removes it.
    ASSERT_TRUE(DeleteFileW(pictures[1].c_str()));
    SwitchView(IDC_PICTURES_VIEW_512, 512);
    PumpMessagesFor(300);
    EXPECT_EQ(SendMessageW(Dialog().ListView(), LVM_GETITEMCOUNT, 0, 0), 2);
    shown = Dialog().Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[1].unreachable);
    EXPECT_EQ(shown[1].imageIndex, -2);
}

TEST_F(ThumbnailViewTest, InASmallWindowOnlyTheVisibleItemsAreMadeFirst) {
    const std::vector<std::wstring> pictures = MakePictures(32, 160, 120);
    IniWriteInt(L"m_list_mode", 1);
    Dialog().ShowPictureSelection(nullptr);
    HWND dialog = Dialog().Window();
    ASSERT_NE(dialog, nullptr);
    SetWindowPos(dialog, nullptr, 0, 0, 560, 380, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(pictures)), 0);
    ASSERT_EQ(Dialog().Shown().size(), 32u);

    ASSERT_TRUE(WaitUntil([&] { return VisibleThumbnailsDone(); }, kThumbnailWaitMs)) << DescribeState();
    PumpMessagesFor(300);  // a few more walks of the thread
    int visible = 0, made = 0;
    const std::vector<ShownPicture> shown = Dialog().Shown();
    for (size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(i);
        if (Visible(static_cast<int>(i))) {
            ++visible;
            EXPECT_GE(shown[i].imageIndex, 0);
        } else {
            EXPECT_EQ(shown[i].imageIndex, -1) << "not visible: not made";
        }
        made += shown[i].imageIndex >= 0 ? 1 : 0;
    }
    EXPECT_GT(visible, 0);
    EXPECT_LT(visible, 32);
    EXPECT_EQ(made, visible);

    // Scrolled to the end: the last item is made now.
    SendMessageW(Dialog().ListView(), LVM_ENSUREVISIBLE, 31, FALSE);
    EXPECT_TRUE(WaitUntil([&] { return Dialog().Shown()[31].imageIndex >= 0; }, kThumbnailWaitMs));
}

// Phones store portrait photos as landscape pixels with an EXIF orientation: each of the eight
// comes out upright in its thumbnail, the red marker at the top left, green at the top right,
// blue at the bottom left of the 96 x 128 picture centred in its 128 cell.
TEST_F(ThumbnailViewTest, PhotosAreUprightInEveryOrientation) {
    const auto nearColour = [](uint32_t actual, uint32_t expected) {
        for (int shift : {0, 8, 16}) {
            const int difference =
                static_cast<int>(actual >> shift & 0xFF) - static_cast<int>(expected >> shift & 0xFF);
            if (std::abs(difference) > 24) return false;
        }
        return true;
    };
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        // A list of its own for each photo.
        SetSettingsPath(m_folder / (L"Orbelin" + std::to_wstring(orientation) + L".ini"));
        const std::wstring photo = m_folder / (L"portrait" + std::to_wstring(orientation) + L".jpg");
        ASSERT_TRUE(WriteFileBytes(photo, OrientedMarkerJpeg(120, 160, orientation)));
        OpenWith(1, {photo});
        ASSERT_TRUE(WaitUntil([&] { return VisibleThumbnailsDone(); }, kThumbnailWaitMs)) << DescribeState();
        ASSERT_EQ(Dialog().Shown().size(), 1u);
        const int image = Dialog().Shown()[0].imageIndex;
        ASSERT_GE(image, 0);
        int side = 0;
        const std::vector<uint32_t> pixels = ImagePixels(Dialog().Thumbnails()->ImageList(), image, side);
        ASSERT_EQ(side, 128);
        const auto at = [&](int x, int y) { return pixels[y * 128 + x]; };
        EXPECT_TRUE(nearColour(at(16 + 12, 16), kMarkerRed)) << std::hex << at(16 + 12, 16);
        EXPECT_TRUE(nearColour(at(16 + 96 - 12, 16), kMarkerGreen)) << std::hex << at(16 + 96 - 12, 16);
        EXPECT_TRUE(nearColour(at(16 + 12, 128 - 16), kMarkerBlue)) << std::hex << at(16 + 12, 128 - 16);
        EXPECT_TRUE(nearColour(at(16 + 96 - 12, 128 - 16), kMarkerGrey)) << std::hex << at(16 + 96 - 12, 128 - 16);
        EXPECT_EQ(at(5, 64) & 0xFFFFFF, 0xFFFFFFu) << "white beside the portrait";
        ExpectSourcesOfMadeThumbnails();
        Dialog().Destroy();
    }
}

TEST_F(ThumbnailViewTest, ThumbnailsOfRemovedPicturesAreReleased) {
    const std::vector<std::wstring> pictures = MakePictures(4, 120, 90);
    OpenWith(1, pictures);
    ASSERT_TRUE(WaitUntil([&] { return VisibleThumbnailsDone(); }, kThumbnailWaitMs)) << DescribeState();
    CThumsListView2* view = Dialog().Thumbnails();
    ASSERT_EQ(ImageList_GetImageCount(view->ImageList()), 4);

    // The second and third go: their images leave the image list, the others keep theirs.
    for (int item : {1, 2}) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED;
        state.state = LVIS_SELECTED;
        SendMessageW(Dialog().ListView(), LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
    }
    Command(IDC_PICTURES_DELETE);
    const std::vector<ShownPicture> shown = Dialog().Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(ImageList_GetImageCount(view->ImageList()), 2);
    EXPECT_FALSE(view->CacheEntryOf(pictures[1]).has_value());
    EXPECT_FALSE(view->CacheEntryOf(pictures[2]).has_value());
    const int kept[] = {0, 3};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(shown[i].path, pictures[kept[i]]);
        ASSERT_GE(shown[i].imageIndex, 0);
        ASSERT_LT(shown[i].imageIndex, 2);
        const auto entry = view->CacheEntryOf(shown[i].path);
        ASSERT_TRUE(entry.has_value());
        EXPECT_EQ(entry->imageIndex, shown[i].imageIndex);
        // Still its own picture: the middle of the cell has the picture's colour.
        int side = 0;
        const std::vector<uint32_t> pixels = ImagePixels(view->ImageList(), shown[i].imageIndex, side);
        ASSERT_EQ(side, 128);
        const uint32_t colour = 0x103050u * (kept[i] + 1) & 0xFFFFFF;
        EXPECT_EQ(pixels[64 * 128 + 64] & 0xFFFFFF, colour) << std::hex << pixels[64 * 128 + 64];
    }
    EXPECT_NE(shown[0].imageIndex, shown[1].imageIndex);

    Command(IDC_PICTURES_RESET);
    EXPECT_EQ(ImageList_GetImageCount(view->ImageList()), 0);
}

// The thread sleeps while the dialog is hidden (it woke every 50 ms for the rest of the run):
// no pass of its loop in a second, however busy the machine. Shown again, it makes what was
// added meanwhile.
TEST_F(ThumbnailViewTest, TheThreadSleepsWhileTheDialogIsHiddenAndWakesWhenItShows) {
    // Three pictures fit the window in thumbnails of 128.
    const std::vector<std::wstring> pictures = MakePictures(3, 120, 90);
    OpenWith(1, {pictures[0]});
    ASSERT_TRUE(WaitUntil([&] { return VisibleThumbnailsDone(); }, kThumbnailWaitMs)) << DescribeState();
    HWND dialog = Dialog().Window();
    ShowWindow(dialog, SW_HIDE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, kThumbnailWaitMs));

    // Two more pictures while it is hidden: nothing is made for a view that shows nothing.
    SendMessageW(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({pictures[1], pictures[2]})), 0);
    PumpMessagesFor(200);  // a pass under way when the dialog was hidden ends
    CThumsListView2* view = Dialog().Thumbnails();
    const unsigned passes = view->WorkerPasses();
    PumpMessagesFor(1000);
    EXPECT_EQ(view->WorkerPasses(), passes) << "the thread woke while the dialog was hidden";
    ASSERT_EQ(Dialog().Shown().size(), 3u);
    EXPECT_EQ(Dialog().Shown()[1].imageIndex, -1);
    EXPECT_EQ(Dialog().Shown()[2].imageIndex, -1);

    Dialog().ShowPictureSelection(nullptr);
    EXPECT_TRUE(WaitUntil(
        [&] {
            const std::vector<ShownPicture> shown = Dialog().Shown();
            return std::all_of(shown.begin(), shown.end(), [](const ShownPicture& p) { return p.imageIndex >= 0; });
        },
        kThumbnailWaitMs))
        << DescribeState();
}

}  // namespace
