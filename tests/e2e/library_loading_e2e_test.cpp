// Where the program takes its libraries from. It runs from download folders and, as the
// temporary uninstaller or a received update, with administrator rights from folders that any
// process of the user can write: a library planted beside the program file under the name of a
// system library must never be loaded. Under Wine, as on Windows, a library in the program's
// folder is found before the system's own unless the program restricts the search.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/shell_open_recorder.h"
#include "common/test_files.h"
#include "e2e/orbelin_ui.h"
#include "e2e/program_driver.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 15000;
constexpr int kRecommendCommand = 1056;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

template <typename Header>
std::optional<Header> HeaderAt(const std::vector<uint8_t>& image, size_t offset) {
    if (offset > image.size() || image.size() - offset < sizeof(Header)) return std::nullopt;
    Header header;
    std::memcpy(&header, image.data() + offset, sizeof(Header));
    return header;
}

// The libraries a 64-bit program file imports the ordinary way: the names in its import table,
// lower-cased. Nothing when the file is no such program.
std::optional<std::vector<std::string>> StaticImportsOf(const std::vector<uint8_t>& image) {
    const auto dos = HeaderAt<IMAGE_DOS_HEADER>(image, 0);
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return std::nullopt;
    const auto nt = HeaderAt<IMAGE_NT_HEADERS64>(image, static_cast<size_t>(dos->e_lfanew));
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        return std::nullopt;
    }
    const size_t sections = static_cast<size_t>(dos->e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                            nt->FileHeader.SizeOfOptionalHeader;
    // An address of the loaded image as an offset into the file.
    auto fileOffset = [&](DWORD address) -> std::optional<size_t> {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const auto section = HeaderAt<IMAGE_SECTION_HEADER>(image, sections + i * sizeof(IMAGE_SECTION_HEADER));
            if (!section) return std::nullopt;
            const DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
            if (address >= section->VirtualAddress && address < section->VirtualAddress + size) {
                return static_cast<size_t>(address - section->VirtualAddress + section->PointerToRawData);
            }
        }
        return std::nullopt;
    };
    std::vector<std::string> names;
    const IMAGE_DATA_DIRECTORY imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return names;
    const std::optional<size_t> table = fileOffset(imports.VirtualAddress);
    if (!table) return std::nullopt;
    for (size_t entry = *table;; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto descriptor = HeaderAt<IMAGE_IMPORT_DESCRIPTOR>(image, entry);
        if (!descriptor) return std::nullopt;
        if (descriptor->Name == 0) break;
        const std::optional<size_t> name = fileOffset(descriptor->Name);
        if (!name) return std::nullopt;
        const size_t end =
            std::find(image.begin() + static_cast<std::ptrdiff_t>(*name), image.end(), 0) - image.begin();
        names.push_back(Lower(std::string(image.begin() + static_cast<std::ptrdiff_t>(*name),
                                          image.begin() + static_cast<std::ptrdiff_t>(end))));
    }
    return names;
}

TEST(LibraryLoadingTest, TheProgramImportsOnlyLibrariesThatTheSystemTakesFromItsOwnFolders) {
    const std::optional<std::vector<uint8_t>> image = ReadFileBytes(BuiltProgramPath());
    ASSERT_TRUE(image.has_value()) << "ORBELIN_EXE cannot be read";
    const std::optional<std::vector<std::string>> imports = StaticImportsOf(*image);
    ASSERT_TRUE(imports.has_value()) << "no 64-bit program file";
    // The system's known libraries come from the system folder whatever lies beside a program.
    // The common controls come from the side-by-side assembly that the program's manifest names.
    const std::vector<std::string> systemTaken = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll",
                                                  "kernel32.dll", "msvcrt.dll",   "ole32.dll",    "oleaut32.dll",
                                                  "shell32.dll",  "user32.dll"};
    for (const std::string& name : *imports) {
        const bool takenFromTheSystem = std::find(systemTaken.begin(), systemTaken.end(), name) != systemTaken.end();
        EXPECT_TRUE(takenFromTheSystem) << name << " is imported the ordinary way: looked for beside the program first";
    }
    EXPECT_NE(std::find(imports->begin(), imports->end(), "kernel32.dll"), imports->end()) << "no import table read";

    HMODULE program = LoadLibraryExW(BuiltProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC manifest = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr) << "no manifest";
    const char* text = static_cast<const char*>(LockResource(LoadResource(program, manifest)));
    const std::string manifestText(text, SizeofResource(program, manifest));
    EXPECT_NE(manifestText.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    FreeLibrary(program);
}

TEST(LibraryLoadingTest, LibrariesPlantedBesideTheProgramAreNotLoaded) {
    ASSERT_FALSE(BuiltProgramPath().empty()) << "ORBELIN_EXE is not set";
    PerUserSettingsGuard perUserSettings;
    ShellOpenRecorder mail({L"mailto"});
    TestFolder folder(L"planted libraries");
    const std::wstring fixture = FixtureProgramPath(L"planted_library.dll");
    ASSERT_TRUE(FileExists(fixture));

    // The fixture does record a load: loaded here by its path, it leaves its file.
    const std::wstring control = folder / L"control.dll";
    ASSERT_TRUE(CopyFileW(fixture.c_str(), control.c_str(), FALSE));
    EXPECT_EQ(LoadLibraryW(control.c_str()), nullptr) << "the fixture refuses to stay loaded";
    ASSERT_TRUE(FileExists(control + L".loaded"));

    // The libraries the program imports on first use, and those it loads by name.
    const std::vector<std::wstring> planted = {L"OPENGL32.dll", L"GLU32.dll",  L"CRYPT32.dll",
                                               L"gdiplus.dll",  L"dwmapi.dll", L"MAPI32.DLL"};
    for (const std::wstring& name : planted) {
        ASSERT_TRUE(CopyFileW(fixture.c_str(), (folder / name).c_str(), FALSE)) << "cannot plant";
    }
    const std::wstring programPath = PreparePortableCopy(folder.Path(), L"start_tray=1\r\n");
    ASSERT_FALSE(programPath.empty());

    auto expectNothingLoaded = [&] {
        for (const std::wstring& name : planted) {
            SCOPED_TRACE(name);
            EXPECT_FALSE(FileExists(folder / (name + L".loaded"))) << "the planted library was loaded";
        }
    };
    RunningProgram program(programPath);
    ASSERT_TRUE(program.Started());
    // By the first composed frame, which gives the display its size, the program has loaded
    // OpenGL, GLU, GDI+ (banner and sample pictures) and dwmapi (the check for windows in front
    // of the display). A program that loaded a planted library does not get that far.
    HWND display = nullptr;
    const bool composed = WaitUntil(
        [&] {
            RECT rect{};
            if (display == nullptr) display = program.WaitForWindow(kDisplayWindowClass, nullptr, 0);
            return !program.IsRunning() ||
                   (display != nullptr && GetWindowRect(display, &rect) && rect.bottom - rect.top == 400);
        },
        kStartTimeoutMs);
    expectNothingLoaded();
    ASSERT_TRUE(composed && program.IsRunning()) << "no frame was composed";

    // The recommendation e-mail loads MAPI32 for its call.
    HWND dialog = program.WaitForWindow(kDialogClass, kPortableDialogTitle, kStartTimeoutMs);
    ASSERT_NE(dialog, nullptr);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(kRecommendCommand, 0), 0, SMTO_NORMAL, kStartTimeoutMs,
                                  &answer),
              0)
        << "the mail command did not come back";
    EXPECT_TRUE(program.IsRunning());
    expectNothingLoaded();
    EXPECT_EQ(program.Close(kExitTimeoutMs), std::optional<DWORD>(kClosedExitCode));
}

}  // namespace
