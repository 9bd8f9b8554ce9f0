#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/message_pump.h"
#include "common/test_files.h"
#include "common/window_text.h"
#include "common/unique_handle.h"

// Helpers for tests that start the real program and drive it as Windows would.

// Copies the built program into `folder` under `fileName`; returns the copy's path or empty.
std::wstring CopyProgramTo(const std::wstring& folder, const std::wstring& fileName);

// A fixture program of the test build (tests/fixtures), by file name.
std::wstring FixtureProgramPath(const std::wstring& fileName);

// The per-user settings file of the program in this prefix.
std::wstring PerUserSettingsPath();

// Where the program saves its frame snapshot: "Orbelin_tmp.png" in the temporary folder.
std::wstring SnapshotPath();

// Copies the program into `folder` as the portable "Orbelin_portable.exe" and, unless
// `settingsLines` is empty, gives it a settings file "Orbelin.ini" (UTF-16) whose section
// "Program" holds these "key=value" lines. Returns the copy's path, or empty on failure.
std::wstring PreparePortableCopy(const std::wstring& folder, const std::wstring& settingsLines);

// Reads `key` of the section "Program" until it equals `expected` or `timeoutMs` passed, for
// values the program writes after a posted request. Returns the last value read ("<missing>"
// for a missing key).
std::wstring WaitForSettingValue(const std::wstring& file, const std::wstring& key, const std::wstring& expected,
                                 DWORD timeoutMs);

// One started copy of the program. Whatever happens in the test, the program is ended when the
// object goes: first politely (WM_CLOSE to its windows), then by force.
class RunningProgram {
public:
    RunningProgram(const std::wstring& programPath, const std::wstring& arguments = L"");
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return m_process.IsValid(); }
    DWORD ProcessId() const { return m_processId; }
    bool IsRunning() const;

    // The process exit code, or nothing if it is still running after `timeoutMs`.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);

    // A top-level window of this process with the class (and title, unless null); null when
    // none appears within `timeoutMs`.
    HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs) const;
    // The same for a visible window of the class, whatever its title.
    HWND WaitForVisibleWindow(const wchar_t* className, DWORD timeoutMs) const;
    std::vector<HWND> TopLevelWindows() const;

    // Asks the program to end by closing its windows; returns the exit code if it ended in time.
    std::optional<DWORD> Close(DWORD timeoutMs);

private:
    HWND FindWindowOfClass(const wchar_t* className, const wchar_t* title, bool visibleOnly, DWORD timeoutMs) const;

    UniqueHandle m_process;
    DWORD m_processId = 0;
};

// Works the controls of the program's settings dialog as a user's input would: each change is
// made on the control and announced to the dialog with the notification the control itself
// sends. Every call returns after the program has handled it; a control that is missing or a
// program that does not answer within 15 seconds is a test failure.
class DialogDriver {
public:
    explicit DialogDriver(HWND dialog) : m_dialog(dialog) {}
    HWND Window() const { return m_dialog; }
    HWND Control(int id) const;

    // Slider: TBM_SETPOS, then WM_HSCROLL with SB_THUMBPOSITION.
    void MoveSlider(int id, int position) const;
    // Drop-down list: CB_SETCURSEL, then CBN_SELCHANGE.
    void ChooseEntry(int id, int index) const;
    // Button or check box: BM_CLICK.
    void Click(int id) const;
    // A menu or toolbar command, posted as the menu loop does (for commands that end the
    // program or open a window of their own).
    void PostCommand(int id) const;

    std::wstring Text(int id) const;
    int SliderPosition(int id) const;
    std::pair<int, int> SliderRange(int id) const;
    int Selection(int id) const;
    std::vector<std::wstring> Entries(int id) const;
    bool IsChecked(int id) const;
    bool IsEnabled(int id) const;

private:
    LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;

    HWND m_dialog;
};

// The toolbars of a window of the program (children of class ToolbarWindow32), from the top of
// the window to its bottom.
std::vector<HWND> ToolbarsOf(HWND window);
// The rectangle of the toolbar's button at `index` (counted from the left), in the toolbar's
// client coordinates, as the toolbar in the program's process reports it; nothing when it cannot
// be read.
std::optional<RECT> ToolbarButtonRect(HWND toolbar, int index);
// Presses and releases the left mouse button over the middle of that button, as a click on it
// does. False when the button's place cannot be read.
bool ClickToolbarButton(HWND toolbar, int index);

// The texts of the selected item of a tree view of the program and of its parents, the selected
// item first (a folder chooser's tree: the chosen folder, then the folders above it); empty when
// nothing is selected or the tree cannot be read.
// The text of one item of a tree view of the program; nothing when it cannot be read.
std::optional<std::wstring> TreeItemText(HWND tree, HTREEITEM item);
std::vector<std::wstring> SelectedTreeItemPath(HWND tree);

// A visible window of the test that holds the foreground while it lives, as the window a user
// works in before turning to the program.
class OtherForegroundWindow {
public:
    OtherForegroundWindow();
    ~OtherForegroundWindow();
    OtherForegroundWindow(const OtherForegroundWindow&) = delete;
    OtherForegroundWindow& operator=(const OtherForegroundWindow&) = delete;

    // Takes the foreground again; true when it has it.
    bool TakeForeground();

private:
    HWND m_window;
};

// Asks the shell about the program's tray icon (id 107 on its main window) the way the program's
// own probe does: a modification the shell accepts only for an icon it has.
bool TrayIconPresent(HWND mainWindow);

// Watches a program that was asked to end until `display` is seen hidden or destroyed, or the
// program ended. True when it was hidden while the program's tray icon was still there, that is
// before the program began to take itself down (which removes the icon first, then the windows).
bool DisplayHiddenBeforeTheTrayIconWent(const RunningProgram& program, HWND display, HWND mainWindow, DWORD timeoutMs);

// The tray icon as the shell reports input on it to the program's main window. A left click is
// sent and returns when the program has handled it.
void LeftClickTrayIcon(HWND mainWindow);
// A right click opens the tray menu; returns its window, or null when none appeared in time.
HWND OpenTrayMenu(const RunningProgram& program, HWND mainWindow, DWORD timeoutMs);
// Works an open popup menu with the keyboard: `downPresses` times the down arrow, then Enter;
// no presses means Escape. Returns true when the menu closed within `timeoutMs`.
bool ChooseMenuItem(const RunningProgram& program, HWND menu, int downPresses, DWORD timeoutMs);

// The /proc folder (through the Z: drive) of the Linux process running a program of this Wine
// session whose command line holds `commandLinePart` (in its Windows form or, for a path on the Z:
// drive, in its Linux form); nothing when none does.
std::optional<std::wstring> LinuxProcessFolder(const std::wstring& commandLinePart);
// A file of /proc read to its end (they report no size); nothing when it cannot be opened.
std::optional<std::string> ReadProcFile(const std::wstring& path);

// The processor time (user and system, in milliseconds) that the Linux process running a program
// of this Wine session has used, found by a part of its command line (the program's unique path).
// Under Wine another process's GetProcessTimes answers nothing, so this reads /proc through the
// Z: drive. Nothing when no such process is found.
std::optional<double> LinuxProcessorTimeMs(const std::wstring& commandLinePart);

// The same for each Linux thread of that process: the program's own threads, and those that
// Wine and the OpenGL driver run in it. Empty when no such process is found.
struct LinuxThreadTime {
    int threadId = 0;
    bool isMainThread = false;  // the first thread of the process
    std::string name;           // as the kernel knows it
    double processorMs = 0;
    // How often the thread gave up the processor to wait: for each wake-up, and for each call
    // that waits for the wineserver's answer.
    long long waits = 0;
};
std::vector<LinuxThreadTime> LinuxThreadProcessorTimes(const std::wstring& commandLinePart);

// The top-level windows of a process, whichever started it.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);

// A top-level window of any process with this class and title; null when none came in time.
HWND WaitForAnyTopLevelWindow(const wchar_t* className, const std::wstring& title, DWORD timeoutMs);

// A visible dialog of the program (class #32770) owned by `owner`, with the caption `title` unless
// that is null: a chooser or other dialog that a window of the program opened. Null when none
// appears within `timeoutMs`.
HWND WaitForOwnedDialog(const RunningProgram& program, HWND owner, const wchar_t* title, DWORD timeoutMs);

// The window's rectangle on the screen; all -1 when it cannot be read.
RECT WindowRect(HWND window);

// A message box of a process once it shows, with its caption and text; its window is null when
// none came in time.
struct ShownBox {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
};
ShownBox WaitForMessageBoxOf(DWORD processId, DWORD timeoutMs);
ShownBox WaitForMessageBox(const RunningProgram& program, DWORD timeoutMs);
// Presses a button of a message box (IDOK, IDYES, ...) as a click on it does.
void PressButton(HWND box, int button);

// Keeps the per-user settings folder and file as they were before the test.
class PerUserSettingsGuard {
public:
    PerUserSettingsGuard();
    ~PerUserSettingsGuard();
    PerUserSettingsGuard(const PerUserSettingsGuard&) = delete;
    PerUserSettingsGuard& operator=(const PerUserSettingsGuard&) = delete;

private:
    std::wstring m_folder;
    bool m_folderExisted = false;
    FileRestorer m_file;
};
