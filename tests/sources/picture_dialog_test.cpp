// The picture selection dialog, made in the test process as the program makes it and driven
// with real messages: drops, toolbar commands, keys.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <string>
#include <thread>
#include <vector>

#include "common/active_dialog.h"
#include "common/codec_picture_fixtures.h"
#include "common/picture_fixtures.h"
#include "common/message_box.h"
#include "common/process_flags.h"
#include "common/test_files.h"
#include "common/unique_handle.h"
#include "common/window_text.h"
#include "imaging/decoder_frame_size.h"
#include "imaging/file_size_format.h"
#include "lang/language_archive.h"
#include "res/resource.h"
#include "settings/app_config.h"
#include "settings/ini_file.h"
#include "settings/settings_text.h"
#include "sources/individual_list.h"
#include "sources/individual_list_text.h"
#include "sources/picture_dialog_support.h"
#include "sources/picture_list.h"
#include "sources/picture_selection_dialog.h"
#include "sources/picture_selection_texts.h"
#include "sources/sources_test_support.h"

namespace {

constexpr DWORD kWaitMs = 10000;

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Cancels the system's file chooser that `owner` opens, from a thread of its own (the chooser
// runs modal on the test's thread).
class ChooserCanceller {
public:
    explicit ChooserCanceller(HWND owner)
        : m_thread([this, owner] {
              while (!m_stop) {
                  for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window != nullptr;
                       window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
                      if (GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window)) {
                          m_seen = true;
                          PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                      }
                  }
                  Sleep(20);
              }
          }) {}
    ~ChooserCanceller() {
        m_stop = true;
        m_thread.join();
    }
    bool Seen() const { return m_seen; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_seen{false};
    std::thread m_thread;
};

// Picks `path` in the system's file chooser that `owner` opens, from a thread of its own: types
// it into the file name box and presses OK, after noting the entries of the file type box.
class ChooserPicker {
public:
    ChooserPicker(HWND owner, std::wstring path)
        : m_thread([this, owner, path = std::move(path)] {
              for (int i = 0; i < 1500 && !m_stop && !m_picked; ++i) {
                  for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window != nullptr;
                       window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
                      if (GetWindow(window, GW_OWNER) != owner || !IsWindowVisible(window)) continue;
                      HWND types = GetDlgItem(window, kFileTypeCombo);
                      HWND name = GetDlgItem(window, kFileNameCombo);
                      if (name == nullptr) name = GetDlgItem(window, kFileNameEdit);
                      if (types == nullptr || name == nullptr) continue;
                      const LRESULT count = SendMessageW(types, CB_GETCOUNT, 0, 0);
                      for (LRESULT item = 0; item < count; ++item) {
                          std::wstring text(static_cast<size_t>(SendMessageW(types, CB_GETLBTEXTLEN, item, 0)) + 1,
                                            L'\0');
                          text.resize(static_cast<size_t>(
                              SendMessageW(types, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text.data()))));
                          m_fileTypes.push_back(text);
                      }
                      SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
                      PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(GetDlgItem(window, IDOK)));
                      m_picked = true;
                      break;
                  }
                  Sleep(20);
              }
          }) {}
    ~ChooserPicker() {
        m_stop = true;
        m_thread.join();
    }
    ChooserPicker(const ChooserPicker&) = delete;
    ChooserPicker& operator=(const ChooserPicker&) = delete;

    bool Picked() const { return m_picked; }
    // The entries of the chooser's file type box; read only after Picked().
    const std::vector<std::wstring>& FileTypes() const { return m_fileTypes; }

private:
    // The file type box and the file name box of the system's open-file dialog.
    static constexpr int kFileTypeCombo = 0x470;
    static constexpr int kFileNameCombo = 0x47C;
    static constexpr int kFileNameEdit = 0x480;

    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_picked{false};
    std::vector<std::wstring> m_fileTypes;  // written by the thread before m_picked
    std::thread m_thread;
};

// Every test: its own folder and settings file, a fresh dialog shown on screen.
class PictureDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        OleInitialize(nullptr);
        PictureDialogFixtureBase::LoadLanguageTexts();
    }

    void SetUp() override {
        SetSettingsPath(m_folder / L"Orbelin.ini");
        // The list view mode: the details list, so that tests of the list do not wait for
        // thumbnails of large cells.
        IniWriteInt(L"m_list_mode", 0);
        GlobalAppConfig().listMode.Hold(2);
    }

    void TearDown() override {
        Dialog().Destroy();
        SetActiveDialog(nullptr);
    }

    CMeineBilderDlg& Dialog() { return ThePictureSelectionDialog(); }

    HWND Open() {
        Dialog().ShowPictureSelection(nullptr);
        PumpMessagesFor(50);
        return Dialog().Window();
    }

    // `count` pictures named picture00.png, picture01.png ... in a folder of the test.
    std::vector<std::wstring> MakePictures(int count, const std::wstring& prefix = L"picture") {
        std::vector<std::wstring> paths;
        for (int i = 0; i < count; ++i) {
            wchar_t name[64];
            swprintf(name, 64, L"%ls%02d.png", prefix.c_str(), i);
            const std::wstring path = m_folder / name;
            EXPECT_TRUE(WriteSolidPng(path, 48 + i, 40, 0xFF2060A0)) << path;
            paths.push_back(path);
        }
        return paths;
    }

    std::vector<std::wstring> ShownPaths() const {
        std::vector<std::wstring> paths;
        for (const ShownPicture& picture : ThePictureSelectionDialog().Shown()) paths.push_back(picture.path);
        return paths;
    }

    static std::vector<std::wstring> StoredPaths() {
        return IndividualListCandidates(IniReadCodeSection(kIndividualListKey));
    }

    void Drop(const std::vector<std::wstring>& paths) {
        SendMessageW(Dialog().Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
    }

    void Command(int id) { SendMessageW(Dialog().Window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    void Select(int item, bool selected) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED;
        state.state = selected ? LVIS_SELECTED : 0;
        SendMessageW(Dialog().ListView(), LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&state));
    }

    TestFolder m_folder{L"picture_dialog"};
};

TEST_F(PictureDialogTest, ShowsItsControlsTextsAndAnEmptyStatusLine) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(WindowText(dialog), L"Individual picture selection");
    EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_TRUE(GetWindowLongPtrW(dialog, GWL_STYLE) & WS_THICKFRAME) << "resizable";

    wchar_t info[1024] = L"";
    GetDlgItemTextW(dialog, IDC_PICTURES_INFO, info, 1024);
    EXPECT_EQ(std::wstring(info),
              L"Please place your individual pictures on the window (drag && drop), you can use up to 32 pictures or "
              L"use the \"...\" button.\r\nWith the delete button you can remove single or several marked images "
              L"from the list (no deletion)!");

    // The toolbar from its resource: Reset, Delete, a separator and the four view buttons.
    HWND toolbar = Dialog().Toolbar();
    ASSERT_NE(toolbar, nullptr);
    EXPECT_EQ(GetDlgCtrlID(toolbar), IDC_PICTURES_TOOLBAR);
    const struct {
        int command;
        const wchar_t* label;
        int image;
    } buttons[] = {{IDC_PICTURES_RESET, L"[Reset]", 0},
                   {IDC_PICTURES_DELETE, L"[Delete]", 0},
                   {0, L"", -1},
                   {IDC_PICTURES_VIEW_512, L"[512]", 1},
                   {IDC_PICTURES_VIEW_256, L"[256]", 2},
                   {IDC_PICTURES_VIEW_128, L"[128]", 3},
                   {IDC_PICTURES_VIEW_LIST, L"", 4}};
    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 7);
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        TBBUTTON button{};
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(button.idCommand, buttons[i].command);
        if (buttons[i].command == 0) {
            EXPECT_TRUE(button.fsStyle & BTNS_SEP);
            continue;
        }
        EXPECT_EQ(button.iBitmap, buttons[i].image);
        wchar_t label[64] = L"";
        SendMessageW(toolbar, TB_GETBUTTONTEXTW, buttons[i].command, reinterpret_cast<LPARAM>(label));
        EXPECT_STREQ(label, buttons[i].label);
    }
    // The mode in use (0, the list) cannot be chosen again; the others can.
    EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, IDC_PICTURES_VIEW_LIST, 0));
    EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONENABLED, IDC_PICTURES_VIEW_128, 0));

    // Three columns: "Folder", the size, the folder of the lower-case path.
    HWND header = reinterpret_cast<HWND>(SendMessageW(Dialog().ListView(), LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(Dialog().ListView(), LVM_GETCOLUMNWIDTH, 0, 0), 330);
    EXPECT_EQ(SendMessageW(Dialog().ListView(), LVM_GETCOLUMNWIDTH, 1, 0), 90);

    // An empty list: no items, the count 0 and the size of zero bytes.
    EXPECT_EQ(SendMessageW(Dialog().ListView(), LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(StatusText(Dialog().StatusBar()), L"Ready // Items:0 0.0 byte");
}

TEST_F(PictureDialogTest, DroppingFortyPicturesKeepsTheFirst32InDropOrderAndSaysSoOnce) {
    std::vector<std::wstring> pictures = MakePictures(40);
    // Dropped last name first, so that drop order and list order differ.
    std::reverse(pictures.begin(), pictures.end());
    ASSERT_NE(Open(), nullptr);
    const unsigned rebuildsBefore = g_pictureListRebuildCount;

    MessageBoxAnswerer answerer(Dialog().Window());
    Drop(pictures);
    const std::vector<SeenMessageBox> boxes = answerer.Stop();

    ASSERT_EQ(boxes.size(), 1u) << "the limit message, once";
    EXPECT_EQ(boxes[0].caption, L"Info!");
    EXPECT_EQ(boxes[0].text, L"Currently up to 32 images");

    std::vector<std::wstring> expected(pictures.begin(), pictures.begin() + 32);
    std::sort(expected.begin(), expected.end(),
              [](const std::wstring& a, const std::wstring& b) { return Lower(a) < Lower(b); });
    EXPECT_EQ(ShownPaths(), expected);
    EXPECT_EQ(StoredPaths(), expected);
    EXPECT_EQ(SendMessageW(Dialog().ListView(), LVM_GETITEMCOUNT, 0, 0), 32);
    EXPECT_NE(g_pictureListRebuildCount, rebuildsBefore) << "the displays build their lists again";
    EXPECT_EQ(StatusText(Dialog().StatusBar()).rfind(L"Ready // Items:32 ", 0), 0u);

    // A further drop on the full list is refused as a whole, with the message again.
    MessageBoxAnswerer again(Dialog().Window());
    Drop({pictures[39]});
    EXPECT_EQ(again.Stop().size(), 1u);
    EXPECT_EQ(ShownPaths(), expected);
}

TEST_F(PictureDialogTest, OneFileGivenTwiceOrInOtherLetterCaseIsOneEntry) {
    const std::vector<std::wstring> pictures = MakePictures(1, L"Twice");
    std::wstring upper = pictures[0];
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    ASSERT_NE(Open(), nullptr);

    Drop({pictures[0], upper, pictures[0]});
    Drop({upper});

    EXPECT_EQ(ShownPaths(), pictures) << "one entry, in the letter case it came first in";
    EXPECT_EQ(StoredPaths(), pictures);
}

TEST_F(PictureDialogTest, TheListIsInLowerCasePathOrderWhateverTheOrderOfAdding) {
    ASSERT_TRUE(CreateDirectoryW((m_folder / L"Sub").c_str(), nullptr));
    const std::wstring names[] = {L"b.png", L"Sub\\a.png", L"C.png", L"a.png", L"B2.png"};
    std::vector<std::wstring> paths;
    for (const std::wstring& name : names) {
        paths.push_back(m_folder / name);
        ASSERT_TRUE(WriteSolidPng(paths.back(), 40, 40, 0xFF808080));
    }
    ASSERT_NE(Open(), nullptr);
    for (const std::wstring& path : paths) Drop({path});

    // By lower-case paths: "a", "b", "b2", "c", "sub\a" (a capital letter does not sort first).
    const std::vector<std::wstring> expected = {m_folder / L"a.png", m_folder / L"b.png", m_folder / L"B2.png",
                                                m_folder / L"C.png", m_folder / L"Sub\\a.png"};
    EXPECT_EQ(ShownPaths(), expected);
    EXPECT_EQ(StoredPaths(), expected);
    HWND list = Dialog().ListView();
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ListItemText(list, i, 0), expected[i]);
        const std::wstring lowerFolder = Lower(expected[i].substr(0, expected[i].find_last_of(L'\\') + 1));
        EXPECT_EQ(ListItemText(list, i, 2), lowerFolder);
    }
    // A 40 x 40 PNG is a few hundred bytes: "<n>.0 byte".
    const std::wstring size = ListItemText(list, 0, 1);
    EXPECT_NE(size.find(L".0 byte"), std::wstring::npos) << size;
}

TEST_F(PictureDialogTest, TheStoredListIsLoadedAtTheFirstShow) {
    const std::vector<std::wstring> pictures = MakePictures(3);
    const std::wstring text = m_folder / L"text.png";
    ASSERT_TRUE(WriteFileBytes(text, std::string("no picture")));
    std::wstring stored;
    // Stored out of order, with a missing file, a file that is no picture, a short piece and a
    // last line without its end. The missing file stays, marked; the text file goes.
    stored += pictures[2] + L"\r\n" + (m_folder / L"gone.png") + L"\r\n" + text + L"\r\nab\r\n" + pictures[0] +
              L"\r\n" + pictures[1];
    ASSERT_TRUE(IniWriteCodeSection(kIndividualListKey, stored));
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(ShownPaths(), (std::vector<std::wstring>{m_folder / L"gone.png", pictures[0], pictures[2]}));
    EXPECT_EQ(StatusText(Dialog().StatusBar()).rfind(L"Ready // Items:3 ", 0), 0u);
}

TEST_F(PictureDialogTest, DeleteWithNothingSelectedKeepsEverythingAndStoresAgain) {
    const std::vector<std::wstring> pictures = MakePictures(4);
    ASSERT_NE(Open(), nullptr);
    Drop(pictures);
    ASSERT_EQ(ShownPaths(), pictures);
    // Something else wrote the stored list meanwhile: Delete stores the dialog's list again.
    ASSERT_TRUE(IniWriteCodeSection(kIndividualListKey, L""));

    Command(IDC_PICTURES_DELETE);
    EXPECT_EQ(ShownPaths(), pictures);
    EXPECT_EQ(StoredPaths(), pictures);

    // With two selected, those two go; the files stay on disk.
    Select(1, true);
    Select(3, true);
    Command(IDC_PICTURES_DELETE);
    EXPECT_EQ(ShownPaths(), (std::vector<std::wstring>{pictures[0], pictures[2]}));
    EXPECT_EQ(StoredPaths(), (std::vector<std::wstring>{pictures[0], pictures[2]}));
    EXPECT_TRUE(FileExists(pictures[1]));
    EXPECT_TRUE(FileExists(pictures[3]));
}

TEST_F(PictureDialogTest, TheDeleteKeyHeldDownRemovesTheSelectionOnce) {
    const std::vector<std::wstring> pictures = MakePictures(5);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Drop(pictures);
    HWND list = Dialog().ListView();
    const auto deleteKey = [&](bool repeated) {
        MSG message{};
        message.hwnd = list;
        message.message = WM_KEYDOWN;
        message.wParam = VK_DELETE;
        message.lParam =
            1 | (static_cast<LPARAM>(MapVirtualKeyW(VK_DELETE, MAPVK_VK_TO_VSC)) << 16) | (repeated ? (1 << 30) : 0);
        PictureDialogKeyHook(message);
    };

    // Not the active dialog: the key belongs to some other window.
    SendMessageW(dialog, WM_ACTIVATE, WA_INACTIVE, 0);
    Select(0, true);
    deleteKey(false);
    EXPECT_EQ(ShownPaths().size(), 5u);

    // Active: the first press removes the selection; the repeats of the held key remove
    // nothing more, even when the selection changed meanwhile.
    SendMessageW(dialog, WM_ACTIVATE, WA_ACTIVE, 0);
    ASSERT_EQ(ActiveDialog(), dialog);
    Select(0, true);
    deleteKey(false);
    EXPECT_EQ(ShownPaths(), (std::vector<std::wstring>{pictures[1], pictures[2], pictures[3], pictures[4]}));
    Select(0, true);
    for (int i = 0; i < 5; ++i) deleteKey(true);
    EXPECT_EQ(ShownPaths().size(), 4u);
    // Released and pressed again: the next selection goes.
    deleteKey(false);
    EXPECT_EQ(ShownPaths(), (std::vector<std::wstring>{pictures[2], pictures[3], pictures[4]}));
    EXPECT_EQ(StoredPaths(), ShownPaths());

    // Deactivated again: the record is cleared and the key does nothing here.
    SendMessageW(dialog, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(ActiveDialog(), nullptr);
    Select(0, true);
    deleteKey(false);
    EXPECT_EQ(ShownPaths().size(), 3u);
}

TEST_F(PictureDialogTest, ResetEmptiesTheListAndTheStoredList) {
    const std::vector<std::wstring> pictures = MakePictures(3);
    ASSERT_NE(Open(), nullptr);
    Drop(pictures);
    ASSERT_EQ(StoredPaths(), pictures);

    Command(IDC_PICTURES_RESET);
    EXPECT_TRUE(ShownPaths().empty());
    EXPECT_TRUE(StoredPaths().empty());
    EXPECT_EQ(IniReadCodeSection(kIndividualListKey), L"");
    EXPECT_EQ(SendMessageW(Dialog().ListView(), LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(StatusText(Dialog().StatusBar()), L"Ready // Items:0 0.0 byte");
    for (const std::wstring& picture : pictures) EXPECT_TRUE(FileExists(picture));
}

TEST_F(PictureDialogTest, OkEscapeAndTheCloseBoxHideAndKeepTheList) {
    const std::vector<std::wstring> pictures = MakePictures(2);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    Drop(pictures);
    const struct {
        const char* name;
        UINT message;
        WPARAM wParam;
    } ways[] = {{"OK", WM_COMMAND, MAKEWPARAM(IDC_PICTURES_OK, BN_CLICKED)},
                {"Escape", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},
                {"close box", WM_SYSCOMMAND, SC_CLOSE}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        Dialog().ShowPictureSelection(nullptr);
        ASSERT_TRUE(IsWindowVisible(dialog));
        SendMessageW(dialog, way.message, way.wParam, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, kWaitMs));
        EXPECT_TRUE(IsWindow(dialog)) << "hidden, never destroyed";
        EXPECT_EQ(Dialog().Window(), dialog);
        EXPECT_EQ(ShownPaths(), pictures);
    }
}

TEST_F(PictureDialogTest, BadInputLeavesTheListAndTheStoredListConsistent) {
    const std::vector<std::wstring> pictures = MakePictures(2);
    // A folder, a text file named like a picture, a missing file, a picture too large to decode,
    // a JPEG stating too large a size behind a junk byte, a picture of 32 x 32, a path of 259
    // characters and a name outside the ANSI code page.
    const std::wstring folder = m_folder / L"a folder.png";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring text = m_folder / L"text.jpg";
    ASSERT_TRUE(WriteFileBytes(text, std::string("not a picture at all")));
    const std::wstring huge = m_folder / L"huge.png";
    ASSERT_TRUE(WriteFileBytes(huge, PngClaimingSize(20000, 20000)));
    const std::wstring junkJpeg = m_folder / L"junk.jpg";
    ASSERT_TRUE(WriteFileBytes(junkJpeg, WithJunkBeforeFirstTable(SmallJpegStatingSize(20000, 16000))));
    const std::wstring small = m_folder / L"small.png";
    ASSERT_TRUE(WriteSolidPng(small, 32, 32, 0xFF000000));
    std::wstring longPath = m_folder / L"";
    longPath += std::wstring(259 - longPath.size() - 4, L'x') + L".png";
    ASSERT_EQ(longPath.size(), 259u);
    ASSERT_TRUE(WriteSolidPng(longPath, 40, 40, 0xFF00FF00));
    const std::wstring foreign = m_folder / L"\u0416\u4E2D\u00E9\u263A.png";
    ASSERT_TRUE(WriteSolidPng(foreign, 40, 40, 0xFF0000FF));
    ASSERT_NE(Open(), nullptr);

    MessageBoxAnswerer answerer(Dialog().Window());
    Drop({folder, text, m_folder / L"missing.png", huge, junkJpeg, small, pictures[0], longPath, foreign, pictures[1]});
    EXPECT_TRUE(answerer.Stop().empty()) << "no message for files that are left out";

    std::vector<std::wstring> expected = {pictures[0], pictures[1], longPath, foreign};
    std::sort(expected.begin(), expected.end(),
              [](const std::wstring& a, const std::wstring& b) { return Lower(a) < Lower(b); });
    EXPECT_EQ(ShownPaths(), expected);
    EXPECT_EQ(StoredPaths(), expected);

    // A listed file deleted later stays listed, marked, and stored, until the user removes it.
    ASSERT_TRUE(DeleteFileW(pictures[0].c_str()));
    Command(IDC_PICTURES_DELETE);
    EXPECT_EQ(ShownPaths(), expected);
    EXPECT_EQ(StoredPaths(), expected);
    const auto deleted = std::find(expected.begin(), expected.end(), pictures[0]) - expected.begin();
    EXPECT_EQ(ListItemText(Dialog().ListView(), static_cast<int>(deleted), 1), L"?");
    Select(static_cast<int>(deleted), true);
    Command(IDC_PICTURES_DELETE);
    expected.erase(expected.begin() + deleted);
    EXPECT_EQ(ShownPaths(), expected);
    EXPECT_EQ(StoredPaths(), expected);
}

TEST_F(PictureDialogTest, TheStoredListIsEmptyWhenItNamesNoExistingFile) {
    const std::vector<std::wstring> pictures = MakePictures(1);
    const struct {
        const char* name;
        std::wstring stored;
        bool empty;
    } cases[] = {
        {"nothing stored", L"", true},
        {"missing files and short pieces", (m_folder / L"gone.png") + L"\r\nab\r\n", true},
        {"a folder", m_folder.Path() + L"\r\n", true},
        {"a last path without its line end", pictures[0], true},
        {"one existing file", (m_folder / L"gone.png") + L"\r\n" + pictures[0] + L"\r\n", false},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(IniWriteCodeSection(kIndividualListKey, row.stored));
        EXPECT_EQ(StoredIndividualListIsEmpty(), row.empty);
    }
}

TEST_F(PictureDialogTest, ResizingLaysTheControlsOutAgain) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    const auto clientRectOf = [&](HWND window) {
        RECT rect{};
        GetWindowRect(window, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    for (const SIZE size : {SIZE{900, 700}, SIZE{500, 400}}) {
        SCOPED_TRACE(size.cx);
        SetWindowPos(dialog, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        PumpMessagesFor(30);
        RECT client{};
        GetClientRect(dialog, &client);
        const RECT list = clientRectOf(Dialog().ListView());
        const RECT status = clientRectOf(Dialog().StatusBar());
        const RECT ok = clientRectOf(GetDlgItem(dialog, IDC_PICTURES_OK));
        const RECT toolbar = clientRectOf(Dialog().Toolbar());
        EXPECT_EQ(status.bottom, client.bottom);
        EXPECT_EQ(status.right - status.left, client.right);
        EXPECT_EQ(status.bottom - status.top, 24);
        EXPECT_LE(list.bottom, status.top);
        EXPECT_GT(list.bottom, status.top - 20) << "the list reaches down to the status bar";
        EXPECT_EQ(client.right - list.right, list.left) << "equal margins";
        EXPECT_EQ(client.right - ok.right, list.left) << "OK keeps to the right edge";
        EXPECT_LE(toolbar.bottom, list.top);
    }
}

// A display worker reads the stored list on its own thread as soon as it sees a new rebuild
// request. Here a reader does the same in a tight loop while the dialog changes the list 45
// times: it must never find the list missing or cut, and never an older list than the request
// it saw announces.
TEST_F(PictureDialogTest, EachChangeIsStoredWholeBeforeTheDisplaysAreTold) {
    const std::vector<std::wstring> pictures = MakePictures(23);
    ASSERT_NE(Open(), nullptr);
    // The list after each change: one picture more with each drop, then one fewer with each
    // Delete of the first item.
    std::vector<std::vector<std::wstring>> lists = {{}};
    for (const std::wstring& picture : pictures) {
        lists.push_back(lists.back());
        lists.back().push_back(picture);
    }
    for (size_t i = 1; i < pictures.size(); ++i) {
        lists.push_back(lists.back());
        lists.back().erase(lists.back().begin());
    }

    const unsigned firstRequest = g_pictureListRebuildCount;
    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    std::atomic<int> strayReads{0};  // a list the dialog never had: missing or cut
    std::atomic<int> staleReads{0};  // a list older than the request announced
    std::thread reader([&] {
        unsigned handled = firstRequest;
        while (!done) {
            const unsigned request = g_pictureListRebuildCount;
            const std::vector<std::wstring> stored = StoredPaths();
            ++reads;
            const auto found = std::find(lists.begin(), lists.end(), stored);
            if (found == lists.end()) {
                ++strayReads;
                continue;
            }
            if (request == handled) continue;
            handled = request;
            if (found - lists.begin() < static_cast<std::ptrdiff_t>(request - firstRequest)) ++staleReads;
        }
    });
    for (const std::wstring& picture : pictures) Dialog().AddDroppedFiles({picture});
    for (size_t i = 1; i < pictures.size(); ++i) {
        Select(0, true);
        Command(IDC_PICTURES_DELETE);
    }
    done = true;
    reader.join();

    EXPECT_EQ(g_pictureListRebuildCount - firstRequest, lists.size() - 1) << "one request per change";
    EXPECT_EQ(StoredPaths(), lists.back());
    EXPECT_EQ(strayReads, 0) << "of " << reads << " reads";
    EXPECT_EQ(staleReads, 0) << "of " << reads << " reads";
}

TEST_F(PictureDialogTest, AListThatCannotBeStoredIsSaidKeptAndNotAnnounced) {
    const std::vector<std::wstring> pictures = MakePictures(3);
    ASSERT_NE(Open(), nullptr);
    Drop({pictures[0]});
    ASSERT_EQ(StoredPaths(), (std::vector<std::wstring>{pictures[0]}));

    // The settings file turned read-only (or the disk full): the drop is shown, said not to be
    // stored, and the displays are not asked to read a list that is not there.
    ASSERT_TRUE(SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY));
    const unsigned requestsBefore = g_pictureListRebuildCount;
    MessageBoxAnswerer answerer(Dialog().Window());
    Drop({pictures[1], pictures[2]});
    const std::vector<SeenMessageBox> boxes = answerer.Stop();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Attention");
    EXPECT_EQ(boxes[0].text,
              L"The picture list could not be saved: the settings file cannot be written.\n\n" + SettingsPath());
    EXPECT_EQ(ShownPaths(), pictures) << "the dialog keeps its list";
    EXPECT_EQ(g_pictureListRebuildCount, requestsBefore);
    EXPECT_EQ(StoredPaths(), (std::vector<std::wstring>{pictures[0]}));

    // Writable again: the next store writes the whole list and tells the displays.
    ASSERT_TRUE(SetFileAttributesW(SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL));
    Command(IDC_PICTURES_DELETE);
    EXPECT_EQ(StoredPaths(), pictures);
    EXPECT_NE(g_pictureListRebuildCount, requestsBefore);
}

TEST_F(PictureDialogTest, PicturesOutOfReachAtTheFirstShowStayMarkedUntilTheUserRemovesThem) {
    const std::vector<std::wstring> pictures = MakePictures(3);
    // A picture on a drive that is not connected, and one that an editor holds without sharing.
    const std::wstring away = L"Q:\\Not connected\\holiday.jpg";
    const std::wstring locked = pictures[1];
    ASSERT_TRUE(IniWriteCodeSection(kIndividualListKey, away + L"\r\n" + pictures[0] + L"\r\n" + locked + L"\r\n"));
    UniqueHandle editor(CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(editor.IsValid());

    ASSERT_NE(Open(), nullptr);
    const auto inListOrder = [](std::vector<std::wstring> paths) {
        std::sort(paths.begin(), paths.end(),
                  [](const std::wstring& a, const std::wstring& b) { return Lower(a) < Lower(b); });
        return paths;
    };
    const std::vector<std::wstring> all = inListOrder({pictures[0], locked, away});
    ASSERT_EQ(ShownPaths(), all);
    HWND list = Dialog().ListView();
    const std::vector<ShownPicture> shown = Dialog().Shown();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const bool marked = all[i] != pictures[0];
        EXPECT_EQ(shown[i].unreachable, marked);
        EXPECT_EQ(ListItemText(list, i, 0), all[i]) << "shown with its path";
        if (marked) {
            EXPECT_EQ(ListItemText(list, i, 1), L"?");
            EXPECT_EQ(shown[i].imageIndex, -2) << "no thumbnail";
        } else {
            EXPECT_EQ(ListItemText(list, i, 1), FormatFileSize(FileSize(pictures[0])));
        }
    }
    EXPECT_EQ(StatusText(Dialog().StatusBar()),
              PictureStatusLine(L"Ready", L"Items", 3, FormatFileSize(FileSize(pictures[0]))));

    // Stores of every kind keep them: Delete with nothing selected, a drop, a cancelled chooser.
    Command(IDC_PICTURES_DELETE);
    EXPECT_EQ(StoredPaths(), all);
    Drop({pictures[2]});
    const std::vector<std::wstring> four = inListOrder({pictures[0], locked, pictures[2], away});
    EXPECT_EQ(StoredPaths(), four);
    {
        ChooserCanceller canceller(Dialog().Window());
        Command(IDC_PICTURES_BROWSE);
        EXPECT_TRUE(canceller.Seen()) << "no file chooser";
    }
    EXPECT_EQ(StoredPaths(), four);
    EXPECT_EQ(ShownPaths(), four);
    // The displays skip them, as files that do not decode.
    PictureList displayed;
    LoadIndividualPictures(displayed);
    EXPECT_EQ(PathsOf(displayed), (std::vector<std::wstring>{pictures[0], pictures[2]}));

    // Released by the editor: the next change shows the picture with its size and thumbnail.
    editor.Reset();
    Command(IDC_PICTURES_DELETE);
    const int lockedItem = static_cast<int>(std::find(four.begin(), four.end(), locked) - four.begin());
    EXPECT_FALSE(Dialog().Shown()[lockedItem].unreachable);
    EXPECT_EQ(ListItemText(list, lockedItem, 1), FormatFileSize(FileSize(locked)));
    EXPECT_EQ(Dialog().Shown()[lockedItem].imageIndex, -1) << "may have a thumbnail now";

    // Only the user removes the one still out of reach.
    Select(static_cast<int>(std::find(four.begin(), four.end(), away) - four.begin()), true);
    Command(IDC_PICTURES_DELETE);
    EXPECT_EQ(StoredPaths(), (std::vector<std::wstring>{pictures[0], locked, pictures[2]}));
    EXPECT_EQ(ShownPaths(), StoredPaths());
}

// The "...." chooser offers every picture file at first: the classic formats, the modern photo
// formats and what the installed codecs name; a DDS picture (which only the system's codecs
// decode) picked there is listed and stored, a WebP photo for which no codec is installed is not.
TEST_F(PictureDialogTest, TheChooserOffersEveryPictureFormatAndTakesWhatTheCodecsDecode) {
    const std::wstring dds = m_folder / L"texture.dds";
    ASSERT_TRUE(WriteFileBytes(dds, DdsFile(64, 48, std::vector<uint32_t>(64 * 48, 0xFF2060A0u))));
    const std::wstring webp = m_folder / L"photo.webp";
    ASSERT_TRUE(WriteFileBytes(webp, WebpFile48x40()));
    const bool webpCodec = DecoderFrameSize(WebpFile48x40().data(), WebpFile48x40().size()).has_value();
    ASSERT_NE(Open(), nullptr);

    for (const std::wstring& path : {dds, webp}) {
        SCOPED_TRACE(path);
        ChooserPicker picker(Dialog().Window(), path);
        Command(IDC_PICTURES_BROWSE);
        ASSERT_TRUE(picker.Picked()) << "no file chooser";
        const std::vector<std::wstring>& types = picker.FileTypes();
        ASSERT_EQ(types.size(), 2u);
        EXPECT_EQ(types[0].rfind(L"(*.jpg,*.jpeg,*.png,*.bmp,*.gif,", 0), 0u) << types[0];
        for (const wchar_t* extension :
             {L"*.heic", L"*.heif", L"*.avif", L"*.webp", L"*.jxr", L"*.dds", L"*.dng", L"*.cr2", L"*.nef", L"*.arw"}) {
            EXPECT_NE(types[0].find(std::wstring(extension) + L","), std::wstring::npos) << extension;
        }
        EXPECT_EQ(types[1], L"(*.*)");
    }
    std::vector<std::wstring> expected = {dds};
    if (webpCodec) expected.push_back(webp);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ShownPaths(), expected);
    EXPECT_EQ(StoredPaths(), expected);
}

TEST_F(PictureDialogTest, ADropThatCannotOpenTheDialogAddsToTheStoredList) {
    const std::vector<std::wstring> pictures = MakePictures(3);
    ASSERT_TRUE(IniWriteCodeSection(kIndividualListKey, pictures[0] + L"\r\n" + pictures[1] + L"\r\n"));
    // An owner that is gone: the dialog cannot be made.
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    const unsigned requestsBefore = g_pictureListRebuildCount;

    OpenPictureSelectionDialog(gone, {pictures[2]});
    EXPECT_EQ(Dialog().Window(), nullptr) << "the dialog was made after all";
    EXPECT_EQ(StoredPaths(), pictures) << "the drop adds to the stored list";
    EXPECT_NE(g_pictureListRebuildCount, requestsBefore);

    // Made later, it shows the whole list.
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(ShownPaths(), pictures);
}

TEST_F(PictureDialogTest, FollowsALanguageChange) {
    ASSERT_NE(Open(), nullptr);
    Drop(MakePictures(2));
    HWND dialog = Dialog().Window();
    const auto buttonText = [&](int command) {
        wchar_t text[128] = L"";
        SendMessageW(Dialog().Toolbar(), TB_GETBUTTONTEXTW, command, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    const auto columnTitle = [&] {
        wchar_t text[128] = L"";
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = 128;
        SendMessageW(Dialog().ListView(), LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        return std::wstring(text);
    };
    const auto info = [&] {
        wchar_t text[1024] = L"";
        GetDlgItemTextW(dialog, IDC_PICTURES_INFO, text, 1024);
        return std::wstring(text);
    };
    const struct {
        int language;
        const wchar_t* title;
        const wchar_t* reset;
        const wchar_t* remove;
        const wchar_t* column;
        const wchar_t* infoStart;
        const wchar_t* statusStart;
    } rows[] = {
        {kLanguageGerman, L"Eigene Bildauswahl", L"[Zur\u00fccksetzen]", L"[Entfernen]", L"Ordner",
         L"Bitte ziehen Sie Ihre eigenen Bilder auf das Fenster (Drag && Drop), Sie k\u00f6nnen bis zu 32 Bilder",
         L"Fertig // Elemente:2 "},
        {kLanguageEnglish, L"Individual picture selection", L"[Reset]", L"[Delete]", L"Folder",
         L"Please place your individual pictures on the window (drag && drop), you can use up to 32 pictures",
         L"Ready // Items:2 "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.language);
        SetCurrentLanguageIndex(row.language);
        Dialog().RebuildTexts();
        EXPECT_EQ(WindowText(dialog), row.title);
        EXPECT_EQ(buttonText(IDC_PICTURES_RESET), row.reset);
        EXPECT_EQ(buttonText(IDC_PICTURES_DELETE), row.remove);
        EXPECT_EQ(buttonText(IDC_PICTURES_VIEW_512), L"[512]");
        EXPECT_EQ(columnTitle(), row.column);
        EXPECT_EQ(info().rfind(row.infoStart, 0), 0u) << info();
        EXPECT_EQ(StatusText(Dialog().StatusBar()).rfind(row.statusStart, 0), 0u) << StatusText(Dialog().StatusBar());
    }
    SetCurrentLanguageIndex(kLanguageEnglish);
}

// 32 pictures at paths of 400 characters: more than 65,536 characters once encoded, more than
// the list used to be read with (it then read as empty and was lost at the next store).
TEST_F(PictureDialogTest, ThirtyTwoPathsOf400CharactersSurviveAStoreAndARestart) {
    const std::wstring source = m_folder / L"source.png";
    ASSERT_TRUE(WriteSolidPng(source, 40, 40, 0xFF3070B0));
    std::vector<std::wstring> paths;
    for (int i = 0; i < 32; ++i) {
        const std::wstring folder = m_folder / (L"long" + std::to_wstring(10 + i));
        const std::wstring subfolder = folder + L"\\" + std::wstring(200, static_cast<wchar_t>(L'a' + i % 26));
        std::wstring path = subfolder + L"\\";
        path += std::wstring(400 - path.size() - 4, L'p') + L".png";
        ASSERT_EQ(path.size(), 400u);
        // Made through the long-path form, which every Windows takes.
        for (const std::wstring& made : {folder, subfolder}) {
            ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + made).c_str(), nullptr)) << GetLastError();
        }
        ASSERT_TRUE(CopyFileW(source.c_str(), (L"\\\\?\\" + path).c_str(), FALSE)) << GetLastError();
        paths.push_back(path);
    }
    std::sort(paths.begin(), paths.end(),
              [](const std::wstring& a, const std::wstring& b) { return Lower(a) < Lower(b); });
    ASSERT_TRUE(SaveIndividualPictures(paths));
    ASSERT_GT(EncodeSettingText(IndividualListText(paths)).size(), 65536u);

    // The dialog reads the whole list, stores it again, and after a restart has it still.
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(ShownPaths(), paths);
    Command(IDC_PICTURES_DELETE);
    EXPECT_EQ(StoredPaths(), paths);
    // In the file itself, as the next start of the program reads it (not from a cache of the
    // profile functions): the section's one line, up to its "=".
    const std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(SettingsPath());
    ASSERT_TRUE(bytes.has_value());
    // UTF-16 after its mark, as the program keeps it; this test's file began as ANSI text.
    std::wstring file;
    if (StartsWithUtf16Mark(*bytes)) {
        for (size_t i = 2; i + 1 < bytes->size(); i += 2)
            file += static_cast<wchar_t>((*bytes)[i] | (*bytes)[i + 1] << 8);
    } else {
        file.assign(bytes->begin(), bytes->end());
    }
    const std::wstring header = L"[" + std::wstring(kIndividualListKey) + L"_code]\r\n";
    const size_t line = file.find(header);
    ASSERT_NE(line, std::wstring::npos);
    const size_t start = line + header.size();
    const std::wstring stored = file.substr(start, file.find(L'=', start) - start);
    EXPECT_EQ(IndividualListCandidates(DecodeSettingText(stored)), paths);
    Dialog().Destroy();
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(ShownPaths(), paths);
    if (RunsUnderWine()) {
        // Wine reaches such paths without the long-path form; a program without long-path support
        // on Windows shows them marked, out of reach, and keeps them all the same.
        for (const ShownPicture& picture : Dialog().Shown()) EXPECT_FALSE(picture.unreachable) << picture.path;
        PictureList displayed;
        LoadIndividualPictures(displayed);
        EXPECT_EQ(displayed.Count(), 32u);
    }
    Command(IDC_PICTURES_DELETE);
    EXPECT_EQ(StoredPaths(), paths);
}

}  // namespace
