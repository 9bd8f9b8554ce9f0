#include "app/startup.h"

#include <commctrl.h>
#include <delayimp.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/instance_mutex.h"
#include "app/main_window.h"
#include "app/message_loop.h"
#include "app/start_rules.h"
#include "app/visible_parts.h"
#include "browser/browser_module.h"
#include "browser/update_install.h"
#include "common/module_path.h"
#include "common/proc_address.h"
#include "common/system_library.h"
#include "display/library_preload.h"
#include "install/setup_modes.h"
#include "lang/language_archive.h"
#include "res/resource.h"
#include "settings/app_config.h"
#include "settings/settings_location.h"
#include "settings/settings_paths.h"
#include "system/running_copy_signal.h"

namespace {

StartOptions g_startFlags;
// Held for the whole run so that later starts see it.
InstanceMutex& ProgramInstanceMutex() {
    static InstanceMutex mutex(L"Orbelin");
    return mutex;
}

void MakeProcessDpiAware() {
    HMODULE user32 = LoadSystemLibrary(L"user32.dll");
    if (user32 == nullptr) return;
    using SetProcessDpiAwareFunction = BOOL(WINAPI*)();
    auto setProcessDpiAware = GetProcAddressAs<SetProcessDpiAwareFunction>(user32, "SetProcessDPIAware");
    if (setProcessDpiAware != nullptr) setProcessDpiAware();
}

void InitializeCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0x5FF;  // list and tree views, bars, tabs, up-down, progress, hot-key, animate, date, cool-bar
    InitCommonControlsEx(&controls);
    InitCommonControls();
}

std::wstring LoadResourceText(HINSTANCE instance, UINT id) {
    wchar_t buffer[256] = L"";
    const int length = LoadStringW(instance, id, buffer, 255);
    return std::wstring(buffer, length > 0 ? length : 0);
}

// The installer must see the real system folders, not the 32-bit view of them.
void DisableWow64Redirection() {
    HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    if (kernel32 == nullptr) return;
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    using DisableRedirectionFunction = BOOL(WINAPI*)(PVOID*);
    auto isWow64Process = GetProcAddressAs<IsWow64ProcessFunction>(kernel32, "IsWow64Process");
    auto disableRedirection =
        GetProcAddressAs<DisableRedirectionFunction>(kernel32, "Wow64DisableWow64FsRedirection");
    BOOL isWow64 = FALSE;
    if (isWow64Process == nullptr || disableRedirection == nullptr) return;
    if (!isWow64Process(GetCurrentProcess(), &isWow64) || !isWow64) return;
    PVOID previousState = nullptr;
    disableRedirection(&previousState);
}

// Takes the single-instance mutex and creates the main window. A start that finds the program
// running signals it and leaves a quit request with code 45054 for the message loop; the start
// that runs the program begins `preload` meanwhile. Returns 0 on success, else the exit code.
int StartSingleInstance(HINSTANCE instance, const std::wstring& className, const std::wstring& title,
                        LibraryPreload& preload) {
    InitCommonControls();
    CoInitialize(nullptr);
    OleInitialize(nullptr);

    if (!ProgramInstanceMutex().Take()) {
        SignalRunningCopies();
        PostQuitMessage(kExitAlreadyRunning);
        // This start only says hello and ends: it must not show a display or count as a start.
        SuppressVisibleParts();
    } else {
        preload.Start();
    }

    if (CreateMainWindow(instance, className, title) == nullptr) return 1;
    return 0;
}

// The libraries the program imports on first use (OpenGL, GLU, CryptoAPI: see
// cmake/delay_import.cmake) are loaded from the system folder by name, whatever the search
// order of the process. Null leaves the load to the delay-load helper, which then finds nothing
// better than the system folder either, as the search is restricted at start.
FARPROC WINAPI LoadDelayedLibraryFromSystemFolder(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || info == nullptr || info->szDll == nullptr) return nullptr;
    std::wstring name;
    for (const char* c = info->szDll; *c != '\0'; ++c) name += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(LoadSystemLibrary(name.c_str())));
}

}  // namespace

PfnDliHook __pfnDliNotifyHook2 = LoadDelayedLibraryFromSystemFolder;

bool StartInPlaceOfThisCopy(const std::function<bool()>& startOtherCopy) {
    return ProgramInstanceMutex().RunReleased(startOtherCopy);
}

int RunProgram(HINSTANCE instance, const wchar_t* commandLine) {
    // Before anything else loads a library.
    RestrictLibrarySearchToSystemFolder();
    MakeProcessDpiAware();
    OleInitialize(nullptr);
    InitializeCommonControls();
    InitializeBrowserModule();
    RegisterSecondStartMessage();

    if (!LoadLanguageArchive()) return 0;

    if (commandLine != nullptr && commandLine[0] != L'\0') g_startFlags = ReadStartOptions(commandLine);
    const StartMode mode = DecideStartMode(g_startFlags, FileNameStartRequest(FileNameOfPath(ProgramFilePath())));
    if (mode == StartMode::kUpdate) return RunUpdateInstall(*g_startFlags.update);

    const std::wstring className = LoadResourceText(instance, IDS_APP_CLASS);
    const std::wstring title = className;
    RegisterMainWindowClass(instance, className);

    const int detectedLanguage = LanguageIndexForLanguageId(GetUserDefaultLangID());
    SetCurrentLanguageIndex(detectedLanguage);
    // The browser window runs instead of the program, in the language the program would use.
    if (mode == StartMode::kMiniBrowser) return RunMiniBrowser();

    const SetupRequest setupRequest{g_startFlags.forAllUsers, g_startFlags.preselectedLanguage,
                                    g_startFlags.uninstallPath};
    switch (mode) {
        case StartMode::kInstall:
            DisableWow64Redirection();
            return RunInstaller(setupRequest);
        case StartMode::kUninstall:
            return RunUninstaller(setupRequest);
        case StartMode::kPortableInstall:
            return RunPortableInstaller(setupRequest);
        default:
            break;
    }

    PrepareVisibleParts(g_startFlags.background, StartInPlaceOfThisCopy);
    // The program starts in the stored language, else (none stored, or one the program does not
    // offer) in the detected one; the setting item starts from it.
    SetCurrentLanguageIndex(LocateSettingsFileForProcess(detectedLanguage));
    GlobalAppConfig().language.Hold(CurrentLanguageIndex());

    LibraryPreload preload;
    const int failure = StartSingleInstance(instance, className, title, preload);
    if (failure != 0) return failure;
    const int exitCode = RunMessageLoop();
    StopVisibleParts();
    return exitCode;
}
