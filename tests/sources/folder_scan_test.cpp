#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "common/test_files.h"
#include "settings/ini_file.h"
#include "sources/folder_scan.h"
#include "sources/picture_acceptance.h"
#include "sources/sources_test_support.h"

namespace {

std::wstring FullPath(const std::wstring& path) {
    wchar_t buffer[4096];
    const DWORD length = GetFullPathNameW(path.c_str(), 4096, buffer, nullptr);
    return std::wstring(buffer, length);
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> paths) {
    std::sort(paths.begin(), paths.end());
    return paths;
}

// A tree with pictures at every depth, files that are no pictures, and hidden and system
// entries. `expected` receives the full paths the scan must list.
void MakeTree(const std::wstring& root, std::vector<std::wstring>& expected) {
    const std::wstring full = FullPath(root);
    auto picture = [&](const std::wstring& name, int width, int height, const wchar_t* type, bool listed) {
        ASSERT_TRUE(WritePicture(root + L"\\" + name, width, height, type)) << name;
        if (listed) expected.push_back(full + L"\\" + name);
    };
    auto folder = [&](const std::wstring& name) {
        ASSERT_TRUE(CreateDirectoryW((root + L"\\" + name).c_str(), nullptr));
    };

    picture(L"Zebra.png", 40, 40, kPng, true);
    picture(L"apple.png", 40, 40, kPng, true);
    picture(L"small.png", 32, 32, kPng, false);
    picture(L"wide.png", 1000, 32, kPng, false);
    picture(L"photo.dat", 33, 33, kPng, true);
    ASSERT_TRUE(WriteFileBytes(root + L"\\notes.jpg", std::string("not a picture\r\n")));
    folder(L"sub");
    picture(L"sub\\in_sub.gif", 50, 50, kGif, true);
    folder(L"sub\\deeper");
    picture(L"sub\\deeper\\deep.jpg", 60, 60, kJpeg, true);
    picture(L"sub\\deeper\\deep_small.jpg", 20, 60, kJpeg, false);
    folder(L"sub\\deeper\\deepest");
    picture(L"sub\\deeper\\deepest\\bottom.bmp", 34, 35, kBmp, true);
    folder(L"hidden");
    picture(L"hidden\\hidden.tif", 40, 40, kTiff, true);
    picture(L"hidden\\system.png", 40, 40, kPng, true);
    ASSERT_TRUE(
        SetFileAttributesW((root + L"\\hidden\\system.png").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesW((root + L"\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    folder(L"empty");
}

TEST(FolderScanTest, ListsEveryPictureOfTheTreeInListOrder) {
    TestFolder folder(L"sources_scan_tree");
    std::vector<std::wstring> expected;
    MakeTree(folder.Path(), expected);
    expected = Sorted(expected);
    ASSERT_EQ(expected.front(), FullPath(folder / L"Zebra.png"));  // capital Z before small a

    // The scan does not read m_subfolder: pictures in sub-sub-folders are listed with it at 0.
    const std::wstring settings = folder / L"Orbelin.ini";
    ASSERT_TRUE(WriteFileBytes(settings, Utf16FileBytes(L"[Program]\r\nm_subfolder=0\r\n")));
    SetSettingsPath(settings);

    const std::wstring full = FullPath(folder.Path());
    std::wstring forwardSlashes = full;
    std::replace(forwardSlashes.begin(), forwardSlashes.end(), L'\\', L'/');
    const std::wstring spellings[] = {folder.Path(), folder.Path() + L"\\", full,
                                      full + L"\\",  forwardSlashes,        forwardSlashes + L"/"};
    for (const std::wstring& spelling : spellings) {
        SCOPED_TRACE(spelling);
        PictureList list;
        list.Insert(L"C:\\left over from before");
        ScanPictureFolder(list, spelling);
        EXPECT_EQ(PathsOf(list), expected);
    }
    SetSettingsPath(L"");
}

TEST(FolderScanTest, RelativeFolderGivesFullPaths) {
    TestFolder folder(L"sources_scan_relative");
    ASSERT_TRUE(CreateDirectoryW((folder / L"pictures").c_str(), nullptr));
    ASSERT_TRUE(WritePicture(folder / L"pictures\\one.png", 40, 40, kPng));
    wchar_t previous[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.Path().c_str()));
    PictureList list;
    ScanPictureFolder(list, L"pictures");
    PictureList fromDot;
    ScanPictureFolder(fromDot, L".\\pictures\\..\\pictures\\");
    SetCurrentDirectoryW(previous);
    const std::vector<std::wstring> expected = {FullPath(folder / L"pictures\\one.png")};
    EXPECT_EQ(PathsOf(list), expected);
    EXPECT_EQ(PathsOf(fromDot), expected);
}

TEST(FolderScanTest, NothingToScanGivesAnEmptyList) {
    TestFolder folder(L"sources_scan_nothing");
    ASSERT_TRUE(WritePicture(folder / L"file.png", 40, 40, kPng));
    ASSERT_TRUE(CreateDirectoryW((folder / L"empty").c_str(), nullptr));
    const std::wstring cases[] = {
        folder / L"missing", folder / L"missing\\deeper", folder / L"empty", folder / L"file.png", L"",
        L"Q:\\no such drive"};
    for (const std::wstring& path : cases) {
        SCOPED_TRACE(path);
        PictureList list;
        list.Insert(L"C:\\left over from before");
        ScanPictureFolder(list, path);
        EXPECT_EQ(list.Count(), 0u);
    }
}

// A folder is enumerated only while its search pattern "<folder>\*.*" stays below 260
// characters. The picture names are one character, so the files can be opened by their plain
// paths on Windows too.
TEST(FolderScanTest, SearchPatternOf260CharactersContributesNothing) {
    TestFolder folder(L"sources_scan_long");
    const std::wstring root = FullPath(folder.Path());
    ASSERT_LT(root.size() + 2, 250u);
    const std::wstring longest = root + L"\\" + std::wstring(255 - root.size() - 1, L'a');  // pattern of 259
    const std::wstring tooLong = root + L"\\" + std::wstring(256 - root.size() - 1, L'b');  // pattern of 260
    ASSERT_EQ(longest.size() + 4, 259u);
    for (const std::wstring& path : {longest, tooLong}) {
        // Folders this long need the "\\?\" form to be made on Windows.
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr));
        ASSERT_TRUE(WritePicture(L"\\\\?\\" + path + L"\\p", 40, 40, kPng));
    }

    PictureList list;
    ScanPictureFolder(list, root);
    EXPECT_EQ(PathsOf(list), std::vector<std::wstring>{longest + L"\\p"});
    ScanPictureFolder(list, longest);
    EXPECT_EQ(PathsOf(list), std::vector<std::wstring>{longest + L"\\p"});
    ScanPictureFolder(list, tooLong);
    EXPECT_EQ(list.Count(), 0u);
}

TEST(FolderScanTest, FolderLinksBackIntoTheTreeAreVisitedOnce) {
    TestFolder folder(L"sources_scan_links");
    const std::wstring tree = FullPath(folder / L"tree");
    const std::wstring outside = FullPath(folder / L"outside");
    ASSERT_TRUE(CreateDirectoryW(tree.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((tree + L"\\sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
    ASSERT_TRUE(WritePicture(tree + L"\\top.png", 40, 40, kPng));
    ASSERT_TRUE(WritePicture(tree + L"\\sub\\inner.png", 40, 40, kPng));
    ASSERT_TRUE(WritePicture(outside + L"\\far.png", 40, 40, kPng));
    // Two links to the root: without the once-only rule the walk doubles at every level until
    // paths reach the length limit.
    ASSERT_TRUE(MakeFolderLink(tree + L"\\sub\\back", tree));
    ASSERT_TRUE(MakeFolderLink(tree + L"\\sub\\back_again", tree));
    ASSERT_TRUE(MakeFolderLink(tree + L"\\to_outside", outside));

    // The link is what the scan sees: a directory entry that is also a reparse point.
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((tree + L"\\sub\\back").c_str(), &entry);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    EXPECT_EQ(entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
              DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT});

    int calls = 0;
    PictureList list;
    ScanFolderTree(list, tree, [&](const std::wstring& path) {
        ++calls;
        return IsAcceptedPicture(path);
    });
    const std::vector<std::wstring> expected = {tree + L"\\sub\\inner.png", tree + L"\\to_outside\\far.png",
                                                tree + L"\\top.png"};
    EXPECT_EQ(PathsOf(list), expected);
    EXPECT_EQ(calls, 3);

    // Scanning from inside the loop reaches the root through the link, once.
    ScanPictureFolder(list, tree + L"\\sub");
    EXPECT_EQ(list.Count(), 3u);
    for (const std::wstring name : {L"inner.png", L"top.png", L"far.png"}) {
        SCOPED_TRACE(name);
        const auto paths = PathsOf(list);
        EXPECT_EQ(std::count_if(paths.begin(), paths.end(),
                                [&](const std::wstring& path) { return path.ends_with(std::wstring(L"\\") + name); }),
                  1);
    }
}

// A folder removed while the scan runs ends the scan with what was found, without a fault.
TEST(FolderScanTest, FolderRemovedDuringTheScanEndsCleanly) {
    TestFolder folder(L"sources_scan_removed");
    const std::wstring tree = FullPath(folder / L"tree");
    ASSERT_TRUE(CreateDirectoryW(tree.c_str(), nullptr));
    for (const wchar_t* sub : {L"\\a", L"\\b", L"\\c", L"\\a\\d"}) {
        ASSERT_TRUE(CreateDirectoryW((tree + sub).c_str(), nullptr));
        for (const wchar_t* name : {L"\\1.png", L"\\2.png", L"\\3.png"}) {
            ASSERT_TRUE(WritePicture(tree + sub + name, 40, 40, kPng));
        }
    }
    std::vector<std::wstring> accepted;
    PictureList list;
    ScanFolderTree(list, tree, [&](const std::wstring& path) {
        if (accepted.empty()) {
            accepted.push_back(path);
            RemoveTree(tree);
            return true;
        }
        if (!IsAcceptedPicture(path)) return false;
        accepted.push_back(path);
        return true;
    });
    EXPECT_FALSE(FileExists(tree));
    EXPECT_EQ(PathsOf(list), Sorted(accepted));
    EXPECT_GE(list.Count(), 1u);
}

TEST(FolderScanTest, StopRequestEndsTheScanWithWhatWasFound) {
    TestFolder folder(L"sources_scan_stop");
    std::vector<std::wstring> all;
    MakeTree(folder.Path(), all);

    std::atomic<bool> stop{true};
    PictureList list;
    ScanPictureFolder(list, folder.Path(), &stop);
    EXPECT_EQ(list.Count(), 0u);

    stop = false;
    int calls = 0;
    ScanFolderTree(
        list, folder.Path(),
        [&](const std::wstring&) {
            if (++calls == 2) stop = true;
            return true;
        },
        &stop);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(list.Count(), 2u);

    stop = false;
    ScanPictureFolder(list, folder.Path(), &stop);
    EXPECT_EQ(list.Count(), all.size());
}

}  // namespace

namespace {

// The folder search a few entries at a time: several slices, every picture of the tree found
// once, and the pictures in their order of showing are the list of a complete scan.
TEST(FolderSearchTest, SlicesFindWhatACompleteScanFinds) {
    TestFolder folder(L"sources_search_slices");
    std::vector<std::wstring> expected;
    MakeTree(folder.Path(), expected);
    PictureList complete;
    ScanPictureFolder(complete, folder.Path());
    ASSERT_EQ(PathsOf(complete), Sorted(expected));

    FolderSearch search(folder.Path());
    std::vector<std::wstring> found;
    SearchSlice slice;
    slice.maxEntries = 3;
    int slices = 0;
    size_t foundAfterFirstSlices = 0;
    while (!search.Continue(slice, found)) {
        ASSERT_LT(++slices, 1000) << "the search does not end";
        if (slices == 3) foundAfterFirstSlices = found.size();
    }
    EXPECT_TRUE(search.IsDone());
    EXPECT_GT(slices, 5);
    EXPECT_GT(foundAfterFirstSlices, 0u) << "nothing found in the first slices";
    EXPECT_LT(foundAfterFirstSlices, expected.size());
    EXPECT_EQ(found.size(), expected.size()) << "a picture found twice or missed";
    EXPECT_EQ(InShowingOrder(found), PathsOf(complete));
}

TEST(FolderSearchTest, AnAbandonedSliceEndsAtOnceAndTheSearchGoesOnLater) {
    TestFolder folder(L"sources_search_abandon");
    std::vector<std::wstring> expected;
    MakeTree(folder.Path(), expected);
    FolderSearch search(folder.Path());
    std::vector<std::wstring> found;
    int asked = 0;
    SearchSlice abandoned;
    abandoned.abandon = [&] { return ++asked > 4; };
    EXPECT_FALSE(search.Continue(abandoned, found));
    EXPECT_EQ(asked, 5) << "the slice did not end when it was abandoned";
    EXPECT_FALSE(search.IsDone());
    EXPECT_TRUE(search.Continue(SearchSlice{}, found));
    EXPECT_EQ(InShowingOrder(found), Sorted(expected));
}

TEST(FolderSearchTest, AFolderDeletedDuringTheSearchEndsItCleanly) {
    TestFolder folder(L"sources_search_removed");
    const std::wstring tree = FullPath(folder / L"tree");
    ASSERT_TRUE(CreateDirectoryW(tree.c_str(), nullptr));
    for (const wchar_t* sub : {L"\\a", L"\\b", L"\\a\\d"}) {
        ASSERT_TRUE(CreateDirectoryW((tree + sub).c_str(), nullptr));
        for (const wchar_t* name : {L"\\1.png", L"\\2.png", L"\\3.png"}) {
            ASSERT_TRUE(WritePicture(tree + sub + name, 40, 40, kPng));
        }
    }
    FolderSearch search(tree);
    std::vector<std::wstring> found;
    SearchSlice slice;
    slice.maxEntries = 2;
    ASSERT_FALSE(search.Continue(slice, found));
    RemoveTree(tree);
    int slices = 0;
    while (!search.Continue(slice, found)) ASSERT_LT(++slices, 100) << "the search does not end";
    EXPECT_LE(found.size(), 9u);
    for (const std::wstring& path : found) EXPECT_EQ(path.rfind(tree, 0), 0u) << path;
}

TEST(FolderSearchTest, ATimeSliceEndsInTime) {
    TestFolder folder(L"sources_search_time");
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(WriteFileBytes(folder / (L"file" + std::to_wstring(i) + L".txt"), std::string("text")));
    }
    // A test of each file that takes 2 ms: a slice of 30 ms handles about 15 of them.
    int tested = 0;
    FolderSearch search(folder.Path(), [&](const std::wstring&) {
        ++tested;
        Sleep(2);
        return false;
    });
    std::vector<std::wstring> found;
    SearchSlice slice;
    slice.milliseconds = 30;
    EXPECT_FALSE(search.Continue(slice, found));
    EXPECT_GT(tested, 0);
    EXPECT_LT(tested, 100) << "the slice ran far beyond its time";
}

}  // namespace
