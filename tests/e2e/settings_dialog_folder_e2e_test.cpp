// The folder source chosen in the settings dialog: the folder chooser, the stored folder and the
// folder's pictures on the turning object.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "common/picture_fixtures.h"
#include "common/shell_open_recorder.h"
#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"
#include "e2e/settings_dialog_e2e_fixture.h"
#include "settings/settings_text.h"

namespace {

TEST_F(SettingsDialogE2eTest, FolderSourceWithoutAStoredFolderOpensTheChooser) {
    auto program = Start(L"start_tray=1\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_EQ(WaitForSettingValue(SettingsFile(), L"start_tray", L"2", kStartTimeoutMs), L"2");
    const DialogDriver dialog(m_dialog);

    // The chooser is modal: the choice is announced without waiting for the dialog's answer.
    SendMessageW(dialog.Control(kSourceCombo), CB_SETCURSEL, 1, 0);
    PostMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(kSourceCombo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(dialog.Control(kSourceCombo)));
    HWND chooser = WaitForOwnedDialog(*program, m_dialog, nullptr, kChangeTimeoutMs);
    ASSERT_NE(chooser, nullptr) << "no folder chooser";
    PressButton(chooser, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(chooser) || !IsWindowVisible(chooser); }, kChangeTimeoutMs));

    // Cancelled: no folder, but the source is chosen.
    EXPECT_EQ(Value(L"m_image_folder"), L"<missing>");
    EXPECT_EQ(Value(L"img_id"), L"1");
    EXPECT_TRUE(dialog.IsEnabled(kSourceMoreButton));

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(SettingsDialogE2eTest, ChooserStartsAtTheStoredFolderAndStoresTheChoice) {
    TestFolder pictures(L"pictures");
    ASSERT_TRUE(CreateDirectoryW((pictures / L"more").c_str(), nullptr));
    auto program = Start(L"img_id=1\r\nstart_tray=1\r\nm_image_folder=" + EncodeSettingText(pictures.Path()) + L"\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_EQ(WaitForSettingValue(SettingsFile(), L"start_tray", L"2", kStartTimeoutMs), L"2");
    const DialogDriver dialog(m_dialog);
    ASSERT_TRUE(dialog.IsEnabled(kSourceMoreButton));
    const std::wstring storedFolder = EncodeSettingText(pictures.Path());

    const std::wstring folderName = pictures.Path().substr(pictures.Path().find_last_of(L'\\') + 1);
    // Whether the chooser's selected folder ends in these folders (the innermost first).
    const auto selectionEndsIn = [](HWND tree, const std::vector<std::wstring>& innermostFolders) {
        std::vector<std::wstring> selected = SelectedTreeItemPath(tree);
        if (selected.size() < innermostFolders.size()) return false;
        selected.resize(innermostFolders.size());
        return selected == innermostFolders;
    };
    const auto press = [](HWND tree, UINT key) {
        SendMessageW(tree, WM_KEYDOWN, key, 1 | (static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16));
    };

    // The chooser opens at the stored folder. Cancel changes nothing; OK on its first subfolder
    // (reached with the keys: open the folder, go down one) stores that one.
    const struct {
        const char* name;
        int button;
        std::wstring stored;
    } choices[] = {
        {"Cancel", IDCANCEL, storedFolder},
        {"OK", IDOK, EncodeSettingText(pictures / L"more")},
    };
    for (const auto& choice : choices) {
        SCOPED_TRACE(choice.name);
        // "..." is modal too: clicked without waiting for the answer.
        PostMessageW(dialog.Control(kSourceMoreButton), BM_CLICK, 0, 0);
        HWND chooser = WaitForOwnedDialog(*program, m_dialog, nullptr, kChangeTimeoutMs);
        ASSERT_NE(chooser, nullptr) << "no folder chooser";
        HWND folderTree = FindWindowExW(chooser, nullptr, WC_TREEVIEWW, nullptr);
        ASSERT_NE(folderTree, nullptr) << "the chooser has no folder tree";
        // The chooser may stand on the stored folder only some time after it appeared: keys sent
        // before that land elsewhere.
        ASSERT_TRUE(WaitUntil([&] { return selectionEndsIn(folderTree, {folderName}); }, kChangeTimeoutMs))
            << "the chooser stands on " << ::testing::PrintToString(SelectedTreeItemPath(folderTree))
            << ", not on the stored folder";
        press(folderTree, VK_RIGHT);
        ASSERT_TRUE(WaitUntil(
            [&] {
                const LRESULT selected = SendMessageW(folderTree, TVM_GETNEXTITEM, TVGN_CARET, 0);
                return SendMessageW(folderTree, TVM_GETNEXTITEM, TVGN_CHILD, selected) != 0;
            },
            kChangeTimeoutMs))
            << "the stored folder did not open";
        press(folderTree, VK_DOWN);
        ASSERT_TRUE(WaitUntil(
            [&] {
                return selectionEndsIn(folderTree, {L"more", folderName});
            },
            kChangeTimeoutMs))
            << "the chooser stands on " << ::testing::PrintToString(SelectedTreeItemPath(folderTree))
            << ", not on the stored folder's subfolder";
        PressButton(chooser, choice.button);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(chooser) || !IsWindowVisible(chooser); }, kChangeTimeoutMs));
        // The settings dialog answers again once the chooser is gone.
        EXPECT_EQ(dialog.Selection(kSourceCombo), 1);
        EXPECT_EQ(Value(L"m_image_folder"), choice.stored);
    }

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(SettingsDialogE2eTest, FolderSourceBringsTheFolderPicturesOntoTheObject) {
    TestFolder pictures(L"magenta_pictures");
    ASSERT_TRUE(WriteSolidPng(pictures / L"first.png", 240, 240, 0xFFFF00FF));
    ASSERT_TRUE(WriteSolidPng(pictures / L"second.png", 200, 260, 0xFFFF00FF));
    auto program =
        Start(L"img_id=0\r\nstart_tray=1\r\ncx=200\r\nm_image_folder=" + EncodeSettingText(pictures.Path()) + L"\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    const DialogDriver dialog(m_dialog);

    ShellOpenRecorder opener({L".png"});
    const std::wstring snapshot = SnapshotPath();
    size_t snapshotsTaken = 0;
    const auto magentaInNextFrame = [&] {
        DeleteFileW(snapshot.c_str());
        dialog.Click(kPngButton);
        ++snapshotsTaken;
        if (opener.WaitForOpened(snapshotsTaken, 10000).size() < snapshotsTaken) return -2;
        return CountMagentaPixels(snapshot);
    };

    // The sample pictures: nothing of the folder's colour.
    EXPECT_EQ(magentaInNextFrame(), 0);

    // The folder's pictures arrive within the quick first changes, one second apart.
    dialog.ChooseEntry(kSourceCombo, 1);
    EXPECT_EQ(WaitForSettingValue(SettingsFile(), L"img_id", L"1", kChangeTimeoutMs), L"1");
    int magenta = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            magenta = magentaInNextFrame();
            return magenta > 200;  // of about 10,000 pixels looked at
        },
        20000))
        << "the folder's pictures did not reach the object; magenta pixels: " << magenta;
    DeleteFileW(snapshot.c_str());

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

}  // namespace
