// The Info menu's commands that work without the running program: the texts they compose, the
// zip archive (opened by a real zip reader), and the e-mail's failures without a mail system.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>

#include "common/module_path.h"
#include "common/proc_address.h"
#include "common/unique_handle.h"
#include "common/message_box.h"
#include "common/test_files.h"
#include "ui/info_command_texts.h"
#include "ui/info_commands.h"
#include "ui/mapi_mail.h"
#include "ui/zip_archive.h"
#include "ui/zip_file.h"

namespace {

TEST(InfoCommandTextsTest, RecommendMailReplacesItsPlaceholders) {
    const MailTexts mail = ComposeRecommendMail(
        L"Juhuuuu I found #AP#!", L"Hello,\\r\\n\\r\\nI found #AP#\\r\\nwebsite: #IN#\\r\\ndownload: #DL#", L"Orbelin",
        L"https://www.kestrova.com/Orbelin");
    EXPECT_EQ(mail.subject, L"Juhuuuu I found Orbelin!");
    EXPECT_EQ(mail.body,
              L"Hello,\r\n\r\nI found Orbelin\r\nwebsite: https://www.kestrova.com/Orbelin\r\n"
              L"download: https://www.kestrova.com/Orbelin");
    // Placeholders in the subject other than the name stay as they are.
    EXPECT_EQ(ComposeRecommendMail(L"#IN# \\n", L"", L"O", L"P").subject, L"#IN# \\n");
}

TEST(InfoCommandTextsTest, InfoBoxJoinsFourParagraphsAndNamesTheLimit) {
    EXPECT_EQ(InfoBoxText(L"Info", L"Two", L"Three", L"up to XX pictures, XX at most", 32),
              L"Info\r\n\r\nTwo\r\n\r\nThree\r\nup to 32 pictures, 32 at most\r\n");
}

TEST(ZipArchiveTest, CrcOfTheStandardCheckText) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc32Update(0, reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0xCBF43926u);
    // Continued in two steps, the same.
    const uint32_t first = Crc32Update(0, reinterpret_cast<const uint8_t*>(check.data()), 4);
    EXPECT_EQ(Crc32Update(first, reinterpret_cast<const uint8_t*>(check.data()) + 4, 5), 0xCBF43926u);
    EXPECT_EQ(Crc32Update(0, nullptr, 0), 0u);
}

// The Linux form of a Windows path (Wine only).
std::string UnixPath(const std::wstring& path) {
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    auto toUnix = GetProcAddressAs<UnixFileName>(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    if (toUnix == nullptr) return std::string();
    char* unix = toUnix(path.c_str());
    if (unix == nullptr) return std::string();
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Runs a program and returns its exit code, or -1 when it cannot be started.
int Run(const std::wstring& program, std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A real zip reader tests the archive and takes it apart into `folder`. Wine runs the
// machine's own "unzip" (it starts Linux programs too, but does not wait for them: the shell
// that runs it leaves its exit status in a file); Windows has "tar", which reads zip archives.
bool ExtractWithZipReader(const std::wstring& archive, const std::wstring& folder) {
    if (RunsUnderWine()) {
        const std::wstring status = folder + L"\\unzip_status";
        DeleteFileW(status.c_str());
        const std::string zip = UnixPath(archive);
        const std::string target = UnixPath(folder);
        const std::string script = "unzip -t '" + zip + "' >/dev/null && unzip -o -q '" + zip + "' -d '" + target +
                                   "'; echo $? > '" + target + "/unzip_status'";
        if (Run(L"Z:\\bin\\sh", L"sh -c \"" + Wide(script) + L"\"") != 0) return false;
        const DWORD start = GetTickCount();
        while (!FileExists(status) && GetTickCount() - start < 30000) Sleep(50);
        Sleep(100);
        const auto answer = ReadFileBytes(status);
        return answer.has_value() && !answer->empty() && (*answer)[0] == '0';
    }
    wchar_t system[MAX_PATH] = L"";
    GetSystemDirectoryW(system, MAX_PATH);
    return Run(std::wstring(system) + L"\\tar.exe", L"tar -xf \"" + archive + L"\" -C \"" + folder + L"\"") == 0;
}

TEST(ZipArchiveTest, ArchiveHoldsTheFileByteForByteForARealZipReader) {
    TestFolder folder(L"zip");
    std::vector<uint8_t> content(700 * 1024 + 13);
    std::mt19937 random(16);
    for (uint8_t& byte : content) byte = static_cast<uint8_t>(random());
    const std::wstring source = folder / L"program.exe";
    ASSERT_TRUE(WriteFileBytes(source, content));
    const std::wstring archive = folder / L"Orbelin.zip";
    ASSERT_TRUE(WriteSingleFileZip(archive, source, "Orbelin_install.exe"));

    // The file's bytes lie stored right behind the local header, which names it.
    const auto bytes = ReadFileBytes(archive);
    ASSERT_TRUE(bytes.has_value());
    const size_t header = 30 + std::string("Orbelin_install.exe").size();
    ASSERT_GT(bytes->size(), header + content.size());
    EXPECT_TRUE(std::equal(content.begin(), content.end(), bytes->begin() + header));
    const uint32_t storedCrc =
        (*bytes)[14] | ((*bytes)[15] << 8) | ((*bytes)[16] << 16) | (static_cast<uint32_t>((*bytes)[17]) << 24);
    EXPECT_EQ(storedCrc, Crc32Update(0, content.data(), content.size()));

    const std::wstring extracted = folder / L"extracted";
    ASSERT_TRUE(CreateDirectoryW(extracted.c_str(), nullptr));
    ASSERT_TRUE(ExtractWithZipReader(archive, extracted)) << "the zip reader refused the archive";
    const auto copy = ReadFileBytes(extracted + L"\\Orbelin_install.exe");
    ASSERT_TRUE(copy.has_value()) << "the archive does not hold Orbelin_install.exe";
    EXPECT_TRUE(*copy == content) << "the copy differs from the file";

    // An empty file makes a valid archive as well.
    const std::wstring empty = folder / L"empty.exe";
    ASSERT_TRUE(WriteFileBytes(empty, std::string()));
    ASSERT_TRUE(WriteSingleFileZip(archive, empty, "Orbelin_install.exe"));
    ASSERT_TRUE(ExtractWithZipReader(archive, extracted));
    const auto emptyCopy = ReadFileBytes(extracted + L"\\Orbelin_install.exe");
    ASSERT_TRUE(emptyCopy.has_value());
    EXPECT_TRUE(emptyCopy->empty());
}

TEST(ZipArchiveTest, FailuresLeaveNoArchive) {
    TestFolder folder(L"zip_failures");
    const std::wstring source = folder / L"program.exe";
    ASSERT_TRUE(WriteFileBytes(source, std::string("MZ")));
    EXPECT_FALSE(WriteSingleFileZip(folder / L"missing folder\\Orbelin.zip", source, "Orbelin_install.exe"));
    EXPECT_FALSE(WriteSingleFileZip(folder / L"Orbelin.zip", folder / L"missing.exe", "Orbelin_install.exe"));
    EXPECT_FALSE(FileExists(folder / L"Orbelin.zip"));
}

// The offset of the central directory as the end record of an archive's tail states it.
uint32_t StatedDirectoryOffset(const std::vector<uint8_t>& tail) {
    const size_t at = tail.size() - 6;
    return tail[at] | (tail[at + 1] << 8) | (tail[at + 2] << 16) | (static_cast<uint32_t>(tail[at + 3]) << 24);
}

TEST(ZipArchiveTest, TheSizeLimitLeavesRoomForTheHeaders) {
    // The central directory starts behind the local header and the file's bytes; its offset must
    // stay below 0xFFFFFFFF, which readers take for the mark of a Zip64 archive. A limit that
    // counts the file alone (0xFFFFFFFE) lets that offset run over and wrap around.
    for (const std::string& name : {std::string(), std::string("Orbelin_install.exe"), std::string(255, 'n')}) {
        SCOPED_TRACE(name.size());
        const uint64_t largest = MaxZipFileSize(name.size());
        EXPECT_EQ(30 + name.size() + largest, 0xFFFFFFFEull);
        ZipEntry entry;
        entry.name = name;
        entry.size = static_cast<uint32_t>(largest);
        EXPECT_EQ(StatedDirectoryOffset(ZipDirectoryAndEnd(entry)), 30 + name.size() + largest);
    }
    EXPECT_EQ(MaxZipFileSize(0x10000), 0u) << "a name longer than its 16-bit length field";
}

TEST(ZipArchiveTest, AFileTooLargeForTheArchiveIsRefusedBeforeAnythingIsWritten) {
    TestFolder folder(L"zip_too_large");
    const std::string name = "Orbelin_install.exe";
    const std::wstring source = folder / L"large.exe";
    {
        // A sparse file of one byte more than the limit: its size alone makes it too large.
        UniqueHandle file(
            CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file.IsValid());
        DWORD returned = 0;
        DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
        LARGE_INTEGER size{};
        size.QuadPart = static_cast<LONGLONG>(MaxZipFileSize(name.size()) + 1);
        ASSERT_TRUE(SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file.Get()));
    }
    const std::wstring archive = folder / L"Orbelin.zip";
    EXPECT_FALSE(WriteSingleFileZip(archive, source, name));
    EXPECT_FALSE(FileExists(archive));
}

TEST(MailArchiveTest, TheArchiveIsGoneOnceTheMailCallReturns) {
    HWND window = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const std::optional<std::vector<uint8_t>> program = ReadFileBytes(ProgramFilePath());
    ASSERT_TRUE(program.has_value());
    for (bool mailSent : {true, false}) {
        SCOPED_TRACE(mailSent ? "sent" : "refused");
        std::wstring attached;
        std::optional<std::vector<uint8_t>> archive;
        const bool result = SendProgramArchive(window, [&](const std::wstring& path) {
            attached = path;
            archive = ReadFileBytes(path);
            return mailSent;
        });
        EXPECT_EQ(result, mailSent);
        EXPECT_EQ(attached, MailArchivePath());
        // While the mail call ran, the archive held the program under its installer name.
        ASSERT_TRUE(archive.has_value()) << "no archive during the call";
        const std::string name = "Orbelin_install.exe";
        ASSERT_GT(archive->size(), 30 + name.size() + program->size());
        EXPECT_EQ(std::string(archive->begin() + 30, archive->begin() + 30 + name.size()), name);
        EXPECT_TRUE(std::equal(program->begin(), program->end(), archive->begin() + 30 + name.size()));
        // Afterwards nothing of it is left in the temporary folder.
        EXPECT_FALSE(FileExists(MailArchivePath()));
    }
    DestroyWindow(window);
}

TEST(MapiMailTest, WithoutAMailSystemNothingHappens) {
    HWND window = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const MailTexts mail{L"subject", L"body"};
    EXPECT_FALSE(SendMailThroughMapi(window, mail, L"", L"", L"no_such_mapi_library.dll")) << "no library";
    EXPECT_FALSE(SendMailThroughMapi(window, mail, L"", L"", L"kernel32.dll")) << "no MAPISendMail";
    DestroyWindow(window);
    EXPECT_FALSE(SendMailThroughMapi(window, mail, L"", L"", L"MAPI32.DLL")) << "the dialog window is gone";
}

}  // namespace
