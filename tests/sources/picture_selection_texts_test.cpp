#include <gtest/gtest.h>

#include <string>

#include "sources/picture_selection_set.h"
#include "sources/picture_selection_texts.h"

namespace {

TEST(PictureSelectionTextsTest, InformationTextFillsTheLimitAndKeepsAmpersandsVisible) {
    EXPECT_EQ(PictureSelectionInfoText(L"Drag & drop up to XX pictures (XX at most)", L"Delete removes."),
              L"Drag && drop up to 32 pictures (32 at most)\r\nDelete removes.");
    EXPECT_EQ(PictureSelectionInfoText(L"", L""), L"\r\n");
    EXPECT_EQ(PictureLimitText(L"Currently up to XX images"), L"Currently up to 32 images");
    EXPECT_EQ(PictureLimitText(L"X no placeholder X"), L"X no placeholder X");
}

TEST(PictureSelectionTextsTest, StatusLineFolderColumnAndLabels) {
    EXPECT_EQ(PictureStatusLine(L"Ready", L"Items", 3, L"1.5 KB"), L"Ready // Items:3 1.5 KB");
    EXPECT_EQ(PictureStatusLine(L"Ready", L"Items", 0, L"0.0 byte"), L"Ready // Items:0 0.0 byte");
    EXPECT_EQ(FolderOfKey(L"c:\\pictures\\sea\\a.png"), L"c:\\pictures\\sea\\");
    EXPECT_EQ(FolderOfKey(L"c:\\a.png"), L"c:\\");
    EXPECT_EQ(FolderOfKey(L"a.png"), L"");
    EXPECT_EQ(BracketedLabel(L"Reset"), L"[Reset]");
}

TEST(PictureSelectionSetTest, KeysAreUniqueOrderedAndLimitedTo32) {
    PictureSelectionSet set;
    EXPECT_EQ(set.Add(L"c:\\b.png", L"C:\\B.png", 10), PictureSelectionSet::AddResult::kAdded);
    EXPECT_EQ(set.Add(L"c:\\a.png", L"C:\\a.png", 20), PictureSelectionSet::AddResult::kAdded);
    EXPECT_EQ(set.Add(L"c:\\b.png", L"c:\\b.png", 30), PictureSelectionSet::AddResult::kAlreadyHeld);
    const std::vector<SelectedPicture> pictures = set.Pictures();
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].path, L"C:\\a.png");
    EXPECT_EQ(pictures[1].path, L"C:\\B.png") << "the first letter case and size stay";
    EXPECT_EQ(pictures[1].bytes, 10u);

    for (int i = 0; i < 40; ++i) set.Add(L"k" + std::to_wstring(100 + i), L"P" + std::to_wstring(i), 1);
    EXPECT_EQ(set.Count(), kMaxIndividualPictures);
    EXPECT_TRUE(set.IsFull());
    EXPECT_EQ(set.Add(L"another", L"another", 1), PictureSelectionSet::AddResult::kFull);
    set.Clear();
    EXPECT_EQ(set.Count(), 0u);
}

TEST(PictureSelectionSetTest, AnUnconfirmedEntryGivesWayToTheConfirmedPictureOnly) {
    PictureSelectionSet set;
    // A stored path out of reach when the list was loaded.
    EXPECT_EQ(set.Add(L"e:\\a.png", L"E:\\a.png", 0, false), PictureSelectionSet::AddResult::kAdded);
    EXPECT_EQ(set.Add(L"e:\\a.png", L"e:\\A.PNG", 0, false), PictureSelectionSet::AddResult::kAlreadyHeld);
    ASSERT_EQ(set.Pictures().size(), 1u);
    EXPECT_FALSE(set.Pictures()[0].confirmed);
    EXPECT_EQ(set.Pictures()[0].path, L"E:\\a.png");

    // Reached again: the confirmed picture takes its place, also in a full set.
    for (int i = 0; i < 40; ++i) set.Add(L"k" + std::to_wstring(100 + i), L"P" + std::to_wstring(i), 1);
    ASSERT_TRUE(set.IsFull());
    EXPECT_EQ(set.Add(L"e:\\a.png", L"E:\\a.png", 77), PictureSelectionSet::AddResult::kAdded);
    EXPECT_EQ(set.Count(), kMaxIndividualPictures);
    EXPECT_TRUE(set.Pictures()[0].confirmed);
    EXPECT_EQ(set.Pictures()[0].bytes, 77u);
    EXPECT_EQ(set.Add(L"e:\\a.png", L"E:\\a.png", 5, false), PictureSelectionSet::AddResult::kAlreadyHeld);
    EXPECT_EQ(set.Pictures()[0].bytes, 77u);
}

}  // namespace
