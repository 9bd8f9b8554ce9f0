#include "browser/browser_module.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "browser/browser_language.h"
#include "browser/ie_browser.h"
#include "common/module_path.h"
#include "lang/language_archive.h"
#include "web/web_address.h"
#include "web/web_root.h"

namespace {

// The thread whose message loop runs the browser windows; 0 while none does.
DWORD g_browserThread = 0;

}  // namespace

void InitializeBrowserModule() { g_browserThread = GetCurrentThreadId(); }

void ShutdownBrowserModule() {
    // Windows still open on this thread (none after a normal end) close now, while COM is up.
    for (CIeBrowser18* browser : OpenBrowserWindows()) DestroyWindow(browser->Window());
    g_browserThread = 0;
}

int RunMiniBrowser() {
    // The window speaks the user's language: the stored choice wins over the system's, and the
    // settings file is only read.
    SetCurrentLanguageIndex(BrowserLanguage(CurrentLanguageIndex()));
    InitializeBrowserModule();
    if (CIeBrowser18* browser = OpenBrowserWindow(L"", BrowserWindowRole::kBrowserInstance)) {
        browser->Navigate(browser->Page().UpdateCheckAddress());
        // Closing the window ends the loop with 45054, a started update with 0; either way this
        // start of the program is over.
        RunBrowserMessageLoop();
    }
    ShutdownBrowserModule();
    CoUninitialize();
    return 0;
}

bool StartBrowserWindowProcess() {
    const std::wstring program = ProgramFilePath();
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.lpFile = program.c_str();
    start.lpParameters = L"Glimmerpane:33";
    start.nShow = SW_SHOWNORMAL;
    return !program.empty() && ShellExecuteExW(&start) != FALSE;
}

bool ShowUninstallPageWindow() {
    InitializeBrowserModule();
    CIeBrowser18* browser = OpenBrowserWindow(UninstallPageAddress(WebRoot()), BrowserWindowRole::kBrowserInstance);
    if (browser == nullptr) return false;
    RunBrowserMessageLoop();
    ShutdownBrowserModule();
    return true;
}
