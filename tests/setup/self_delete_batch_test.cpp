// The self-deleting batch: its text, and a real run under the system's command interpreter
// with paths that hold blanks, "%" and letters outside the ANSI code page.
#include "setup/self_delete_batch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/ansi_text.h"
#include "common/test_files.h"
#include "common/unique_handle.h"

namespace {

TEST(SelfDeleteBatchTextTest, FourAndThreePathFormsWithPercentDoubled) {
    const struct {
        const char* name;
        std::string program, second, batch;
        std::optional<std::string> expected;
    } rows[] = {
        {"four paths", "C:\\P\\O.exe", "C:\\P\\O.ini", "C:\\T\\b.bat",
         ":Repeat\r\nDEL \"C:\\P\\O.exe\"\r\nif exist \"C:\\P\\O.exe\" goto Repeat\r\nDEL \"C:\\P\\O.ini\"\r\n"
         "DEL \"C:\\T\\b.bat\"\r\n"},
        {"three paths", "C:\\P\\O.exe", "", "C:\\T\\b.bat",
         ":Repeat\r\nDEL \"C:\\P\\O.exe\"\r\nif exist \"C:\\P\\O.exe\" goto Repeat\r\nDEL \"C:\\T\\b.bat\"\r\n"},
        {"percent and blanks", "C:\\a %PATH% b\\O.exe", "", "C:\\100%\\b.bat",
         ":Repeat\r\nDEL \"C:\\a %%PATH%% b\\O.exe\"\r\nif exist \"C:\\a %%PATH%% b\\O.exe\" goto Repeat\r\n"
         "DEL \"C:\\100%%\\b.bat\"\r\n"},
        {"quote in a path", "C:\\a\"b\\O.exe", "", "C:\\T\\b.bat", std::nullopt},
        {"line break in a path", "C:\\P\\O.exe", "C:\\x\r\nDEL C:\\*.*", "C:\\T\\b.bat", std::nullopt},
        {"no program", "", "", "C:\\T\\b.bat", std::nullopt},
        {"no batch", "C:\\P\\O.exe", "", "", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SelfDeleteBatchText(row.program, row.second, row.batch), row.expected);
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

// Runs the batch as the program does, while `program` is held open as a running program file
// is, and waits for the files to go.
TEST(SelfDeletingBatchRunTest, DeletesExactlyTheNamedFilesWhateverTheirNames) {
    const std::optional<std::wstring> foreignLetter = LetterOutsideTheCodePage();
    ASSERT_TRUE(foreignLetter.has_value()) << "the ANSI code page holds every letter tried";
    const struct {
        const char* name;
        std::wstring folderName;
        bool withSecondFile;
    } rows[] = {
        {"plain", L"plain", true},
        {"blank, percent and a foreign letter", L"a b %PATH% 100% " + *foreignLetter, true},
        {"three-path form", L"only %TEMP% program", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TestFolder base(L"batch");
        const std::wstring folder = base / row.folderName;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        const std::wstring program = folder + L"\\Orbelin " + *foreignLetter + L".exe";
        const std::wstring settings = folder + L"\\Orbelin.ini";
        const std::wstring neighbour = folder + L"\\Orbelin.ini.bak";  // must stay
        const std::wstring batch = folder + L"\\Orbelin_selfdestruct.bat";
        ASSERT_TRUE(WriteFileBytes(program, std::string("MZ program")));
        ASSERT_TRUE(WriteFileBytes(settings, std::string("[Program]")));
        ASSERT_TRUE(WriteFileBytes(neighbour, std::string("keep")));

        // The running program: open without sharing deletion, so the batch must wait.
        UniqueHandle running(CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(running.IsValid());
        ASSERT_TRUE(WriteSelfDeletingBatch(batch, program, row.withSecondFile ? settings : std::wstring()));
        const std::optional<std::vector<uint8_t>> text = ReadFileBytes(batch);
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(std::string(text->begin(), text->end()).find('?'), std::string::npos)
            << "a character was lost to the code page";
        ASSERT_TRUE(StartSelfDeletingBatch(batch));

        Sleep(1500);
        EXPECT_TRUE(FileExists(program)) << "deleted while still open";
        running.Reset();

        const DWORD start = GetTickCount();
        while ((FileExists(program) || FileExists(batch) || (row.withSecondFile && FileExists(settings))) &&
               GetTickCount() - start < 20000) {
            Sleep(100);
        }
        EXPECT_FALSE(FileExists(program)) << "the program file stayed";
        EXPECT_EQ(FileExists(settings), !row.withSecondFile) << "the settings file";
        EXPECT_FALSE(FileExists(batch)) << "the batch stayed";
        EXPECT_TRUE(FileExists(neighbour)) << "a file that was not named went too";
    }
}

TEST(SelfDeletingBatchRunTest, RefusesWhatItCannotName) {
    TestFolder folder(L"batch_refused");
    // A program file that does not exist has no short name to fall back on.
    const std::optional<std::wstring> foreign = LetterOutsideTheCodePage();
    ASSERT_TRUE(foreign.has_value());
    const std::wstring batch = folder / L"Orbelin_selfdestruct.bat";
    EXPECT_FALSE(WriteSelfDeletingBatch(batch, folder / (L"missing " + *foreign + L".exe"), std::wstring()));
    EXPECT_FALSE(FileExists(batch)) << "a refused batch is not left behind";
    // A batch that cannot be written.
    EXPECT_FALSE(WriteSelfDeletingBatch(folder / L"no such folder\\x.bat", folder / L"x.exe", std::wstring()));
}

}  // namespace
