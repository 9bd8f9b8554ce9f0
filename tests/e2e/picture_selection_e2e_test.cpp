// The picture selection dialog in the running program: opened by the settings dialog for the
// individual list, filled through its file chooser, driving what the display shows.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/codec_picture_fixtures.h"
#include "common/picture_fixtures.h"
#include "common/shell_open_recorder.h"
#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"
#include "settings/settings_text.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 15000;
constexpr DWORD kChangeTimeoutMs = 10000;

constexpr const wchar_t* kPictureDialogTitle = L"Individual picture selection";
constexpr int kPicturesBrowse = 32906;
constexpr int kPictureList = 1034;
constexpr int kView128 = 32901;
constexpr int kViewList = 32900;
// The file type box and the file name box of the system's open-file dialog.
constexpr int kFileTypeCombo = 0x470;
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

class PictureSelectionE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(BuiltProgramPath().empty()) << "ORBELIN_EXE is not set"; }

    std::unique_ptr<RunningProgram> Start(const std::wstring& settingsLines) {
        auto program = std::make_unique<RunningProgram>(PreparePortableCopy(m_folder.Path(), settingsLines));
        if (!program->Started()) return program;
        m_dialog = program->WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs);
        m_display = program->WaitForWindow(kDisplayWindowClass, nullptr, kStartTimeoutMs);
        return program;
    }

    std::wstring SettingsFile() const { return m_folder / L"Orbelin.ini"; }

    // Chooses the individual list in the settings dialog; with the stored list empty the picture
    // selection dialog opens, owned by the settings dialog.
    HWND ChooseIndividualSource(const RunningProgram& program) {
        const DialogDriver dialog(m_dialog);
        dialog.ChooseEntry(kSourceCombo, 2);
        EXPECT_EQ(WaitForSettingValue(SettingsFile(), L"img_id", L"2", kChangeTimeoutMs), L"2");
        return WaitForOwnedDialog(program, m_dialog, kPictureDialogTitle, kChangeTimeoutMs);
    }

    // Types `path` into the open-file dialog's name box and presses OK; then waits until the
    // picture selection dialog `pictures` stored it as its one-picture list and lists it.
    void ChooseInFileChooser(HWND chooser, HWND pictures, const std::wstring& path) {
        HWND nameBox = GetDlgItem(chooser, kFileNameCombo);
        if (nameBox == nullptr) nameBox = GetDlgItem(chooser, kFileNameEdit);
        ASSERT_NE(nameBox, nullptr) << "the chooser has no file name box";
        SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(chooser) || !IsWindowVisible(chooser); }, kChangeTimeoutMs));

        // Stored at once (the encoded list is the one line of its section), and shown in the list.
        const std::wstring stored = EncodeSettingText(path + L"\r\n");
        EXPECT_TRUE(WaitUntil(
            [&] { return ReadIniValue(SettingsFile(), L"Protected_User_Images_code", stored) != L"<missing>"; },
            kChangeTimeoutMs))
            << "the list was not stored";
        EXPECT_EQ(SendMessageW(GetDlgItem(pictures, kPictureList), LVM_GETITEMCOUNT, 0, 0), 1);
    }

    // Magenta pixels in the program's next snapshot of the object; -2 when no snapshot came.
    int MagentaInNextFrame(ShellOpenRecorder& opener, size_t& snapshotsTaken) {
        const std::wstring snapshot = SnapshotPath();
        DeleteFileW(snapshot.c_str());
        DialogDriver(m_dialog).Click(kPngButton);
        ++snapshotsTaken;
        if (opener.WaitForOpened(snapshotsTaken, 10000).size() < snapshotsTaken) return -2;
        const int magenta = CountMagentaPixels(snapshot);
        DeleteFileW(snapshot.c_str());
        return magenta;
    }

    PerUserSettingsGuard m_perUserSettings;
    TestFolder m_folder{L"pictures_e2e"};
    HWND m_dialog = nullptr;
    HWND m_display = nullptr;
};

TEST_F(PictureSelectionE2eTest, IndividualSourceWithAnEmptyListOpensTheDialogAndItsButtonsWriteTheViewMode) {
    auto program = Start(L"start_tray=1\r\nimg_id=0\r\n");
    ASSERT_NE(m_dialog, nullptr);
    HWND pictures = ChooseIndividualSource(*program);
    ASSERT_NE(pictures, nullptr) << "no picture selection dialog";
    EXPECT_NE(GetDlgItem(pictures, kPictureList), nullptr);

    // The view buttons write the mode at once.
    const struct {
        int command;
        const wchar_t* mode;
    } buttons[] = {{kView128, L"1"}, {kViewList, L"0"}};
    for (const auto& button : buttons) {
        SCOPED_TRACE(button.command);
        PostMessageW(pictures, WM_COMMAND, MAKEWPARAM(button.command, BN_CLICKED), 0);
        EXPECT_EQ(WaitForSettingValue(SettingsFile(), L"m_list_mode", button.mode, kChangeTimeoutMs), button.mode);
    }

    // Hidden by OK, shown again by "..." while the individual list is the source.
    PostMessageW(pictures, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(pictures); }, kChangeTimeoutMs));
    DialogDriver(m_dialog).Click(kSourceMoreButton);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(pictures) != FALSE; }, kChangeTimeoutMs));

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

TEST_F(PictureSelectionE2eTest, AListMadeWithTheFileChooserDrivesTheDisplay) {
    TestFolder folder(L"magenta");
    const std::wstring picture = folder / L"magenta.png";
    ASSERT_TRUE(WriteSolidPng(picture, 240, 240, 0xFFFF00FF));
    auto program = Start(L"start_tray=1\r\nimg_id=0\r\ncx=200\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    HWND pictures = ChooseIndividualSource(*program);
    ASSERT_NE(pictures, nullptr) << "no picture selection dialog";

    // "....": the system's file chooser, owned by the picture dialog; the file's path is typed
    // into its name box and OK pressed.
    PostMessageW(pictures, WM_COMMAND, MAKEWPARAM(kPicturesBrowse, BN_CLICKED), 0);
    HWND chooser = WaitForOwnedDialog(*program, pictures, nullptr, kChangeTimeoutMs);
    ASSERT_NE(chooser, nullptr) << "no file chooser";
    ChooseInFileChooser(chooser, pictures, picture);
    if (HasFatalFailure()) return;

    // The display takes the list: the magenta picture reaches the object.
    const DialogDriver dialog(m_dialog);
    ShellOpenRecorder opener({L".png"});
    const std::wstring snapshot = SnapshotPath();
    size_t snapshotsTaken = 0;
    int magenta = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            DeleteFileW(snapshot.c_str());
            dialog.Click(kPngButton);
            ++snapshotsTaken;
            if (opener.WaitForOpened(snapshotsTaken, 10000).size() < snapshotsTaken) return false;
            magenta = CountMagentaPixels(snapshot);
            return magenta > 200;
        },
        30000))
        << "the listed picture did not reach the object; magenta pixels: " << magenta;
    DeleteFileW(snapshot.c_str());

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

// A magenta DDS picture, which only the system's codecs decode, picked in the chooser: the
// chooser's first file type lists the modern formats, the picture is listed and stored, and it
// reaches the object.
TEST_F(PictureSelectionE2eTest, APictureOnlyTheSystemsCodecsDecodeChosenInTheChooserReachesTheObject) {
    TestFolder folder(L"magenta_dds");
    const std::wstring picture = folder / L"magenta.dds";
    ASSERT_TRUE(WriteFileBytes(picture, DdsFile(120, 120, std::vector<uint32_t>(120 * 120, 0xFFFF00FFu))));
    auto program = Start(L"start_tray=1\r\nimg_id=0\r\ncx=200\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);
    HWND pictures = ChooseIndividualSource(*program);
    ASSERT_NE(pictures, nullptr) << "no picture selection dialog";

    PostMessageW(pictures, WM_COMMAND, MAKEWPARAM(kPicturesBrowse, BN_CLICKED), 0);
    HWND chooser = WaitForOwnedDialog(*program, pictures, nullptr, kChangeTimeoutMs);
    ASSERT_NE(chooser, nullptr) << "no file chooser";
    HWND types = GetDlgItem(chooser, kFileTypeCombo);
    ASSERT_NE(types, nullptr) << "the chooser has no file type box";
    std::wstring firstType(static_cast<size_t>(SendMessageW(types, CB_GETLBTEXTLEN, 0, 0)) + 1, L'\0');
    firstType.resize(
        static_cast<size_t>(SendMessageW(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(firstType.data()))));
    EXPECT_EQ(firstType.rfind(L"(*.jpg,*.jpeg,*.png,*.bmp,*.gif,", 0), 0u);
    for (const wchar_t* extension : {L"*.heic,", L"*.webp,", L"*.avif,", L"*.jxr,", L"*.dds,", L"*.dng,"}) {
        EXPECT_NE(firstType.find(extension), std::wstring::npos) << extension;
    }
    ChooseInFileChooser(chooser, pictures, picture);
    if (HasFatalFailure()) return;

    ShellOpenRecorder opener({L".png"});
    size_t snapshotsTaken = 0;
    int magenta = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            magenta = MagentaInNextFrame(opener, snapshotsTaken);
            return magenta > 200;
        },
        30000))
        << "the DDS picture did not reach the object; magenta pixels: " << magenta;

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

// A folder of pictures in formats GDI+ does not decode: the DDS and JPEG XR pictures are shown,
// a WebP photo without a codec and a broken JPEG XR file are skipped like any bad picture, and
// the program runs on.
TEST_F(PictureSelectionE2eTest, AFolderOfCodecPicturesShowsWhatTheCodecsDecodeAndSkipsTheRest) {
    TestFolder folder(L"codec_folder");
    ASSERT_TRUE(
        WriteFileBytes(folder / L"a_magenta.dds", DdsFile(100, 80, std::vector<uint32_t>(100 * 80, 0xFFFF00FFu))));
    ASSERT_TRUE(WriteFileBytes(folder / L"b_green.jxr", JpegXrFile48x40()));
    ASSERT_TRUE(WriteFileBytes(folder / L"c_photo.webp", WebpFile48x40()));
    std::vector<uint8_t> broken(JpegXrFile48x40().begin(), JpegXrFile48x40().begin() + 60);
    ASSERT_TRUE(WriteFileBytes(folder / L"d_broken.jxr", broken));
    auto program =
        Start(L"start_tray=1\r\nimg_id=1\r\ncx=200\r\nm_image_folder=" + EncodeSettingText(folder.Path()) + L"\r\n");
    ASSERT_NE(m_dialog, nullptr);
    ASSERT_NE(m_display, nullptr);

    ShellOpenRecorder opener({L".png"});
    size_t snapshotsTaken = 0;
    int magenta = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            magenta = MagentaInNextFrame(opener, snapshotsTaken);
            return magenta > 200;
        },
        30000))
        << "the DDS picture did not reach the object; magenta pixels: " << magenta;
    EXPECT_TRUE(program->IsRunning());

    EXPECT_EQ(program->Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

}  // namespace
