// The self-deleting batch: its text, and a real run under the system's command interpreter
// with paths that hold blanks, "%" and letters outside the ANSI code page.
#include "install/self_delete_batch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/ansi_text.h"
#include "common/installation_guard.h"
#include "common/message_box.h"
#include "common/system_folders.h"
#include "common/test_files.h"
#include "common/unique_handle.h"

namespace {

TEST(SelfDeleteBatchTextTest, FourAndThreePathFormsWithPercentDoubled) {
    const struct {
        const char* name;
        SelfDeleteBatchPaths paths;
        std::optional<std::string> expected;
    } rows[] = {
        {"four paths",
         {"C:\\P\\O.exe", "C:\\P\\O.ini", "", "C:\\T\\b.bat", ""},
         ":Repeat\r\nDEL \"C:\\P\\O.exe\"\r\nif exist \"C:\\P\\O.exe\" goto Repeat\r\nDEL \"C:\\P\\O.ini\"\r\n"
         "DEL \"C:\\T\\b.bat\"\r\n"},
        {"three paths",
         {"C:\\P\\O.exe", "", "", "C:\\T\\b.bat", ""},
         ":Repeat\r\nDEL \"C:\\P\\O.exe\"\r\nif exist \"C:\\P\\O.exe\" goto Repeat\r\nDEL \"C:\\T\\b.bat\"\r\n"},
        {"percent and blanks",
         {"C:\\a %PATH% b\\O.exe", "", "", "C:\\100%\\b.bat", ""},
         ":Repeat\r\nDEL \"C:\\a %%PATH%% b\\O.exe\"\r\nif exist \"C:\\a %%PATH%% b\\O.exe\" goto Repeat\r\n"
         "DEL \"C:\\100%%\\b.bat\"\r\n"},
        // The folders: an emptied one removed after the files, and the batch's own folder, left
        // for its parent and removed on the batch's last line, together with the batch.
        {"emptied folder and own folder",
         {"C:\\T\\u1\\O.exe", "", "C:\\T\\u1", "C:\\T\\s2\\b.bat", "C:\\T\\s2"},
         ":Repeat\r\nDEL \"C:\\T\\u1\\O.exe\"\r\nif exist \"C:\\T\\u1\\O.exe\" goto Repeat\r\nRMDIR \"C:\\T\\u1\"\r\n"
         "CD ..\r\nDEL \"C:\\T\\s2\\b.bat\" & RMDIR \"C:\\T\\s2\"\r\n"},
        {"quote in a path", {"C:\\a\"b\\O.exe", "", "", "C:\\T\\b.bat", ""}, std::nullopt},
        {"line break in a path", {"C:\\P\\O.exe", "C:\\x\r\nDEL C:\\*.*", "", "C:\\T\\b.bat", ""}, std::nullopt},
        {"line break in a folder", {"C:\\P\\O.exe", "", "C:\\x\r\nDEL C:\\*.*", "C:\\T\\b.bat", ""}, std::nullopt},
        {"quote in the own folder", {"C:\\P\\O.exe", "", "", "C:\\T\\b.bat", "C:\\T\" & x"}, std::nullopt},
        {"no program", {"", "", "", "C:\\T\\b.bat", ""}, std::nullopt},
        {"no batch", {"C:\\P\\O.exe", "", "", "", ""}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SelfDeleteBatchText(row.paths), row.expected);
    }
}

// A letter the thread's ANSI code page cannot hold, or nothing on a system whose code page
// holds all of them.
std::optional<std::wstring> LetterOutsideTheCodePage() {
    for (const wchar_t* letter : {L"\u03A9", L"\u0141", L"\u4E2D", L"\u0416"}) {
        if (!ExactAnsiText(letter)) return std::wstring(letter);
    }
    return std::nullopt;
}

// Waits until `gone` holds or 20 seconds passed; the batch works on its own time.
bool WaitUntilGone(const std::function<bool()>& gone) {
    const DWORD start = GetTickCount();
    while (!gone() && GetTickCount() - start < 20000) Sleep(100);
    return gone();
}

// The batch's own folder once the batch has ended. Windows' command interpreter opens the
// batch anew for each line, so the folder goes with the batch's last line. Wine's keeps the
// batch open until it ends: the batch is deleted then, but its folder cannot be removed while
// it still holds a file, and stays behind, empty.
void ExpectOwnFolderGone(const std::wstring& folder) {
    if (!RunsUnderWine()) {
        EXPECT_FALSE(FolderExists(folder)) << "the batch's own folder stayed";
        return;
    }
    if (FolderExists(folder)) {
        EXPECT_TRUE(FolderIsEmpty(folder)) << "the batch's own folder holds something";
        RemoveDirectoryW(folder.c_str());
    }
}

// Runs the batch as the program does, while `program` is held open as a running program file
// is, and waits for the files to go.
TEST(SelfDeletingBatchRunTest, DeletesExactlyTheNamedFilesWhateverTheirNames) {
    const std::optional<std::wstring> foreignLetter = LetterOutsideTheCodePage();
    ASSERT_TRUE(foreignLetter.has_value()) << "the ANSI code page holds every letter tried";
    // Delayed expansion switched on for every batch of the user would take each "!" of a path
    // for the start of a variable. (Wine's interpreter does not read this value: there the row
    // with "!" passes either way; Windows' does.)
    RegistryValueGuard delayedExpansion(HKEY_CURRENT_USER, L"Software\\Microsoft\\Command Processor",
                                        L"DelayedExpansion");
    const DWORD on = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Command Processor", L"DelayedExpansion",
                              REG_DWORD, &on, sizeof(on)),
              ERROR_SUCCESS);
    const struct {
        const char* name;
        std::wstring folderName;
        bool withSecondFile;
        bool inOwnFolder;  // the batch in a folder of its own, which it removes
    } rows[] = {
        {"plain", L"plain", true, false},
        {"blank, percent and a foreign letter", L"a b %PATH% 100% " + *foreignLetter, true, false},
        {"three-path form", L"only %TEMP% program", false, false},
        {"exclamation marks", L"wow! it %works%!", true, false},
        {"own folder", L"own !folder! 100%", true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestFolder base(L"batch");
        const std::wstring folder = base / row.folderName;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        const std::wstring program = folder + L"\\Orbelin " + *foreignLetter + L".exe";
        // The second file in a folder that goes with it when nothing else is left there.
        const std::wstring settingsFolder = folder + L"\\settings";
        const std::wstring settings = settingsFolder + L"\\Orbelin.ini";
        const std::wstring neighbour = folder + L"\\Orbelin.ini.bak";  // must stay
        const std::wstring batchFolder = row.inOwnFolder ? folder + L"\\own batch" : folder;
        const std::wstring batch = batchFolder + L"\\Orbelin_selfdestruct.bat";
        ASSERT_TRUE(CreateDirectoryW(settingsFolder.c_str(), nullptr));
        if (row.inOwnFolder) {
            ASSERT_TRUE(CreateDirectoryW(batchFolder.c_str(), nullptr));
        }
        ASSERT_TRUE(WriteFileBytes(program, std::string("MZ program")));
        ASSERT_TRUE(WriteFileBytes(settings, std::string("[Program]")));
        ASSERT_TRUE(WriteFileBytes(neighbour, std::string("keep")));

        // The running program: open without sharing deletion, so the batch must wait.
        UniqueHandle running(CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(running.IsValid());
        SelfDeletion deletion;
        deletion.fileToDelete = program;
        if (row.withSecondFile) {
            deletion.secondFile = settings;
            deletion.folderToRemove = settingsFolder;
        }
        UniqueHandle heldBatch = WriteSelfDeletingBatch(batch, deletion, row.inOwnFolder);
        ASSERT_TRUE(heldBatch.IsValid());
        const std::optional<std::vector<uint8_t>> text = ReadFileBytes(batch);
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(std::string(text->begin(), text->end()).find('?'), std::string::npos)
            << "a character was lost to the code page";
        ASSERT_TRUE(StartSelfDeletingBatch(batch));

        Sleep(1500);
        EXPECT_TRUE(FileExists(program)) << "deleted while still open";
        // The program ends, and with it its hold on the batch.
        running.Reset();
        heldBatch.Reset();

        EXPECT_TRUE(WaitUntilGone([&] {
            return !FileExists(program) && !FileExists(batch) && (!row.withSecondFile || !FileExists(settings));
        }));
        EXPECT_FALSE(FileExists(program)) << "the program file stayed";
        EXPECT_EQ(FileExists(settings), !row.withSecondFile) << "the settings file";
        EXPECT_EQ(FolderExists(settingsFolder), !row.withSecondFile) << "the emptied settings folder";
        EXPECT_FALSE(FileExists(batch)) << "the batch stayed";
        EXPECT_TRUE(FileExists(neighbour)) << "a file that was not named went too";
        EXPECT_TRUE(FolderExists(folder)) << "a folder that was not named went too";
        if (row.inOwnFolder) ExpectOwnFolderGone(batchFolder);
    }
}

TEST(SelfDeletingBatchRunTest, AFolderToRemoveThatStillHoldsAFileStays) {
    TestFolder base(L"batch_folder_kept");
    const std::wstring program = base / L"Orbelin.exe";
    const std::wstring settingsFolder = base / L"settings";
    const std::wstring othersFile = settingsFolder + L"\\someone else's.txt";
    ASSERT_TRUE(WriteFileBytes(program, std::string("MZ")));
    ASSERT_TRUE(CreateDirectoryW(settingsFolder.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(othersFile, std::string("keep")));
    const std::wstring batch = base / L"Orbelin_selfdestruct.bat";
    UniqueHandle heldBatch = WriteSelfDeletingBatch(batch, SelfDeletion{program, L"", settingsFolder}, false);
    ASSERT_TRUE(heldBatch.IsValid());
    ASSERT_TRUE(StartSelfDeletingBatch(batch));
    heldBatch.Reset();
    EXPECT_TRUE(WaitUntilGone([&] { return !FileExists(program) && !FileExists(batch); }));
    EXPECT_TRUE(FileExists(othersFile));
}

TEST(SelfDeletingBatchRunTest, NobodyChangesTheBatchWhileItIsHeld) {
    TestFolder folder(L"batch_held");
    const std::wstring program = folder / L"Orbelin.exe";
    ASSERT_TRUE(WriteFileBytes(program, std::string("MZ")));
    const std::wstring batch = folder / L"Orbelin_selfdestruct.bat";
    UniqueHandle heldBatch = WriteSelfDeletingBatch(batch, SelfDeletion{program, L"", L""}, false);
    ASSERT_TRUE(heldBatch.IsValid());
    const std::optional<std::vector<uint8_t>> written = ReadFileBytes(batch);
    ASSERT_TRUE(written.has_value()) << "the interpreter must still be able to read it";

    // Another process's attempts: write into it, replace it, delete it, rename it.
    {
        UniqueHandle writer(CreateFileW(batch.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_FALSE(writer.IsValid()) << "opened for writing";
    }
    const std::wstring other = folder / L"other.bat";
    ASSERT_TRUE(WriteFileBytes(other, std::string("DEL C:\\*.*\r\n")));
    EXPECT_FALSE(CopyFileW(other.c_str(), batch.c_str(), FALSE)) << "replaced by a copy";
    EXPECT_FALSE(MoveFileExW(other.c_str(), batch.c_str(), MOVEFILE_REPLACE_EXISTING)) << "replaced by a move";
    EXPECT_FALSE(DeleteFileW(batch.c_str())) << "deleted";
    EXPECT_FALSE(MoveFileW(batch.c_str(), (folder / L"moved.bat").c_str())) << "renamed";
    EXPECT_EQ(ReadFileBytes(batch), written);

    // A batch file that somebody made first is not taken over.
    heldBatch.Reset();
    EXPECT_FALSE(WriteSelfDeletingBatch(batch, SelfDeletion{program, L"", L""}, false).IsValid());
    EXPECT_EQ(ReadFileBytes(batch), written);
}

TEST(SelfDeletingBatchRunTest, RefusesWhatItCannotName) {
    TestFolder folder(L"batch_refused");
    // A program file that does not exist has no short name to fall back on.
    const std::optional<std::wstring> foreign = LetterOutsideTheCodePage();
    ASSERT_TRUE(foreign.has_value());
    const std::wstring batch = folder / L"Orbelin_selfdestruct.bat";
    EXPECT_FALSE(
        WriteSelfDeletingBatch(batch, SelfDeletion{folder / (L"missing " + *foreign + L".exe"), L"", L""}, false)
            .IsValid());
    EXPECT_FALSE(FileExists(batch)) << "a refused batch is not left behind";
    // A batch that cannot be written.
    const std::wstring program = folder / L"x.exe";
    ASSERT_TRUE(WriteFileBytes(program, std::string("MZ")));
    EXPECT_FALSE(
        WriteSelfDeletingBatch(folder / L"no such folder\\x.bat", SelfDeletion{program, L"", L""}, false).IsValid());
}

TEST(SelfDeletionTest, TheBatchRunsFromAFolderOfItsOwnThatGoesWithIt) {
    TestFolder folder(L"self_deletion");
    const std::wstring program = folder / L"Orbelin_portable.exe";
    const std::wstring settings = folder / L"Orbelin.ini";
    ASSERT_TRUE(WriteFileBytes(program, std::string("MZ")));
    ASSERT_TRUE(WriteFileBytes(settings, std::string("[Program]")));
    UniqueHandle running(CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(running.IsValid());

    UniqueHandle heldBatch = StartSelfDeletion(SelfDeletion{program, settings, L""});
    ASSERT_TRUE(heldBatch.IsValid());
    // The batch lies in a new folder of its own directly in the temporary folder, not in the
    // temporary folder that every process of the user shares.
    std::vector<wchar_t> path(32768, L'\0');
    const DWORD length =
        GetFinalPathNameByHandleW(heldBatch.Get(), path.data(), static_cast<DWORD>(path.size()), VOLUME_NAME_DOS);
    ASSERT_GT(length, 0u);
    std::wstring batch(path.data(), length);
    if (batch.rfind(L"\\\\?\\", 0) == 0) batch.erase(0, 4);
    const std::wstring ownFolder = batch.substr(0, batch.find_last_of(L'\\'));
    const std::wstring temporaryFolder = TemporaryFolderPath();
    const std::wstring ownName = ownFolder.substr(ownFolder.find_last_of(L'\\') + 1);
    EXPECT_EQ(_wcsicmp(ownFolder.substr(0, ownFolder.find_last_of(L'\\') + 1).c_str(), temporaryFolder.c_str()), 0);
    EXPECT_EQ(ownName.rfind(kSelfDeleteFolderPrefix, 0), 0u);
    EXPECT_EQ(_wcsicmp(batch.substr(batch.find_last_of(L'\\') + 1).c_str(), L"Orbelin_selfdestruct.bat"), 0);

    running.Reset();
    heldBatch.Reset();
    EXPECT_TRUE(WaitUntilGone([&] { return !FileExists(program) && !FileExists(settings) && !FileExists(batch); }));
    EXPECT_FALSE(FileExists(program));
    EXPECT_FALSE(FileExists(settings));
    ExpectOwnFolderGone(ownFolder);
}

}  // namespace
