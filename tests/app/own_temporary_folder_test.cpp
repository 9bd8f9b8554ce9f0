#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "common/system_folders.h"
#include "common/test_files.h"

TEST(OwnTemporaryFolder, EachCallMakesANewEmptyFolderInsideTheTemporaryFolder) {
    const std::wstring temporaryFolder = TemporaryFolderPath();
    ASSERT_FALSE(temporaryFolder.empty());
    std::set<std::wstring> made;
    for (int i = 0; i < 20; ++i) {
        const std::wstring folder = CreateOwnTemporaryFolder(L"OrbelinTest-");
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(folder.compare(0, temporaryFolder.size(), temporaryFolder), 0) << folder;
        EXPECT_EQ(folder.back(), L'\\');
        EXPECT_TRUE(FolderIsEmpty(folder)) << folder;
        EXPECT_TRUE(made.insert(folder).second) << "made twice: " << folder;
    }
    for (const auto& folder : made) EXPECT_TRUE(RemoveDirectoryW(folder.c_str())) << folder;
}
