#include "e2e/program_driver.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>

#include "common/system_folders.h"
#include "e2e/orbelin_ui.h"

std::wstring CopyProgramTo(const std::wstring& folder, const std::wstring& fileName) {
    const std::wstring target = folder + L"\\" + fileName;
    return CopyFileW(BuiltProgramPath().c_str(), target.c_str(), FALSE) ? target : std::wstring();
}

std::wstring FixtureProgramPath(const std::wstring& fileName) {
    const char* fixtures = std::getenv("ORBELIN_FIXTURES_DIR");
    return fixtures != nullptr ? WindowsPathFromHost(fixtures) + L"\\" + fileName : std::wstring();
}

std::wstring PerUserSettingsPath() {
    wchar_t appData[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE);
    return std::wstring(appData) + L"\\Orbelin\\Orbelin.ini";
}

std::wstring SnapshotPath() { return TemporaryFolderPath() + L"Orbelin_tmp.png"; }

std::wstring PreparePortableCopy(const std::wstring& folder, const std::wstring& settingsLines) {
    if (!settingsLines.empty() &&
        !WriteFileBytes(folder + L"\\Orbelin.ini", Utf16FileBytes(L"[Program]\r\n" + settingsLines))) {
        return std::wstring();
    }
    return CopyProgramTo(folder, L"Orbelin_portable.exe");
}

std::wstring WaitForSettingValue(const std::wstring& file, const std::wstring& key, const std::wstring& expected,
                                 DWORD timeoutMs) {
    std::wstring value;
    WaitUntil(
        [&] {
            value = ReadIniValue(file, L"Program", key);
            return value == expected;
        },
        timeoutMs);
    return value;
}

RunningProgram::RunningProgram(const std::wstring& programPath, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + programPath + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::wstring folder = programPath.substr(0, programPath.find_last_of(L'\\'));

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(programPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                       &startup, &process)) {
        CloseHandle(process.hThread);
        m_process.Reset(process.hProcess);
        m_processId = process.dwProcessId;
    }
}

RunningProgram::~RunningProgram() {
    if (!IsRunning()) return;
    if (!Close(5000)) {
        TerminateProcess(m_process.Get(), 1);
        WaitForSingleObject(m_process.Get(), 5000);
    }
}

bool RunningProgram::IsRunning() const {
    return m_process.IsValid() && WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> RunningProgram::WaitForExit(DWORD timeoutMs) {
    if (!m_process.IsValid() || WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD exitCode = 0xDEADBEEF;
    if (!GetExitCodeProcess(m_process.Get(), &exitCode)) return std::nullopt;
    return exitCode;
}

std::vector<HWND> RunningProgram::TopLevelWindows() const { return TopLevelWindowsOf(m_processId); }

HWND RunningProgram::WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs) const {
    return FindWindowOfClass(className, title, false, timeoutMs);
}

HWND RunningProgram::WaitForVisibleWindow(const wchar_t* className, DWORD timeoutMs) const {
    return FindWindowOfClass(className, nullptr, true, timeoutMs);
}

HWND RunningProgram::FindWindowOfClass(const wchar_t* className, const wchar_t* title, bool visibleOnly,
                                       DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    do {
        for (HWND window : TopLevelWindows()) {
            if (WindowClassName(window) != className) continue;
            if (visibleOnly && !IsWindowVisible(window)) continue;
            if (title != nullptr && WindowText(window) != title) continue;
            return window;
        }
        if (!IsRunning()) return nullptr;
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::optional<DWORD> RunningProgram::Close(DWORD timeoutMs) {
    for (HWND window : TopLevelWindows()) PostMessageW(window, WM_CLOSE, 0, 0);
    return WaitForExit(timeoutMs);
}

PerUserSettingsGuard::PerUserSettingsGuard()
    : m_folder(PerUserSettingsPath().substr(0, PerUserSettingsPath().find_last_of(L'\\'))),
      m_folderExisted(GetFileAttributesW(m_folder.c_str()) != INVALID_FILE_ATTRIBUTES),
      m_file(PerUserSettingsPath()) {}

PerUserSettingsGuard::~PerUserSettingsGuard() {
    // The file is put back by its restorer, which is destroyed after this body runs; a folder
    // that did not exist before is removed once that has happened.
    if (!m_folderExisted) {
        SetFileAttributesW(PerUserSettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(PerUserSettingsPath().c_str());
        RemoveDirectoryW(m_folder.c_str());
    } else {
        // An uninstaller may have taken the folder away with the file.
        CreateDirectoryW(m_folder.c_str(), nullptr);
    }
}

ShownBox WaitForMessageBoxOf(DWORD processId, DWORD timeoutMs) {
    ShownBox box;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindowsOf(processId)) {
                if (WindowClassName(window) != L"#32770" || !IsWindowVisible(window)) continue;
                HWND text = GetDlgItem(window, 0xFFFF);
                if (text == nullptr) continue;
                box.caption = WindowText(window);
                box.text = WindowText(text);
                box.window = window;
                return true;
            }
            return false;
        },
        timeoutMs);
    return box;
}

ShownBox WaitForMessageBox(const RunningProgram& program, DWORD timeoutMs) {
    return WaitForMessageBoxOf(program.ProcessId(), timeoutMs);
}

void PressButton(HWND box, int button) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
    struct Search {
        DWORD processId;
        std::vector<HWND> windows;
    } search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto* found = reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == found->processId) found->windows.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

HWND WaitForAnyTopLevelWindow(const wchar_t* className, const std::wstring& title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindWindowW(className, title.c_str());
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

HWND WaitForOwnedDialog(const RunningProgram& program, HWND owner, const wchar_t* title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : program.TopLevelWindows()) {
                if (WindowClassName(window) == kDialogClass && IsWindowVisible(window) &&
                    GetWindow(window, GW_OWNER) == owner && (title == nullptr || WindowText(window) == title)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

RECT WindowRect(HWND window) {
    RECT rect{-1, -1, -1, -1};
    GetWindowRect(window, &rect);
    return rect;
}

namespace {

constexpr UINT kAnswerTimeoutMs = 15000;

}  // namespace

LRESULT DialogDriver::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kAnswerTimeoutMs, &result)) {
        ADD_FAILURE() << "message 0x" << std::hex << message << " to window " << window << " was not answered";
        return 0;
    }
    return static_cast<LRESULT>(result);
}

HWND DialogDriver::Control(int id) const {
    HWND control = GetDlgItem(m_dialog, id);
    if (control == nullptr) ADD_FAILURE() << "the dialog has no control " << id;
    return control;
}

void DialogDriver::MoveSlider(int id, int position) const {
    HWND slider = Control(id);
    Send(slider, TBM_SETPOS, TRUE, position);
    Send(m_dialog, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider));
}

void DialogDriver::ChooseEntry(int id, int index) const {
    HWND combo = Control(id);
    Send(combo, CB_SETCURSEL, index, 0);
    Send(m_dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void DialogDriver::Click(int id) const { Send(Control(id), BM_CLICK, 0, 0); }

void DialogDriver::PostCommand(int id) const { PostMessageW(m_dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

std::wstring DialogDriver::Text(int id) const {
    HWND control = Control(id);
    std::wstring text(static_cast<size_t>(Send(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    const LRESULT length = Send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

int DialogDriver::SliderPosition(int id) const { return static_cast<int>(Send(Control(id), TBM_GETPOS, 0, 0)); }

std::pair<int, int> DialogDriver::SliderRange(int id) const {
    HWND slider = Control(id);
    return {static_cast<int>(Send(slider, TBM_GETRANGEMIN, 0, 0)),
            static_cast<int>(Send(slider, TBM_GETRANGEMAX, 0, 0))};
}

int DialogDriver::Selection(int id) const { return static_cast<int>(Send(Control(id), CB_GETCURSEL, 0, 0)); }

std::vector<std::wstring> DialogDriver::Entries(int id) const {
    HWND combo = Control(id);
    std::vector<std::wstring> entries;
    const LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        const LRESULT length = Send(combo, CB_GETLBTEXTLEN, index, 0);
        std::wstring entry(length > 0 ? static_cast<size_t>(length) + 1 : 1, L'\0');
        const LRESULT copied = Send(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(entry.data()));
        entry.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        entries.push_back(entry);
    }
    return entries;
}

bool DialogDriver::IsChecked(int id) const { return Send(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool DialogDriver::IsEnabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

OtherForegroundWindow::OtherForegroundWindow()
    : m_window(CreateWindowExW(0, L"STATIC", L"Another window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}

OtherForegroundWindow::~OtherForegroundWindow() {
    if (m_window != nullptr) DestroyWindow(m_window);
}

bool OtherForegroundWindow::TakeForeground() {
    if (m_window == nullptr) return false;
    SetForegroundWindow(m_window);
    return WaitUntil([this] { return GetForegroundWindow() == m_window; }, 5000);
}

bool TrayIconPresent(HWND mainWindow) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = mainWindow;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE;
    data.uCallbackMessage = kTrayCallbackMessage;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool DisplayHiddenBeforeTheTrayIconWent(const RunningProgram& program, HWND display, HWND mainWindow, DWORD timeoutMs) {
    // Polled without pause: destroying a window hides it for a moment too, but only after the
    // icon has gone, so the first sight of a hidden display decides.
    const DWORD start = GetTickCount();
    while (program.IsRunning() && GetTickCount() - start < timeoutMs) {
        const BOOL visible = IsWindowVisible(display);
        if (!IsWindow(display)) return false;
        if (!visible) return TrayIconPresent(mainWindow);
    }
    return false;
}

void LeftClickTrayIcon(HWND mainWindow) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(mainWindow, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDOWN, SMTO_NORMAL,
                             kAnswerTimeoutMs, &result)) {
        ADD_FAILURE() << "the main window did not answer the tray click";
    }
}

HWND OpenTrayMenu(const RunningProgram& program, HWND mainWindow, DWORD timeoutMs) {
    // The program tracks the menu in a loop of its own until a choice is made, so the click is
    // posted.
    PostMessageW(mainWindow, kTrayCallbackMessage, kTrayIconId, WM_RBUTTONDOWN);
    return program.WaitForVisibleWindow(kPopupMenuClass, timeoutMs);
}

bool ChooseMenuItem(const RunningProgram& program, HWND menu, int downPresses, DWORD timeoutMs) {
    // The menu loop takes keyboard messages from its thread's queue, whichever of its windows
    // they were posted to; no item is highlighted before the first arrow key.
    const auto press = [menu](UINT key) {
        const LPARAM lParam = 1 | (static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16);
        PostMessageW(menu, WM_KEYDOWN, key, lParam);
    };
    for (int i = 0; i < downPresses; ++i) press(VK_DOWN);
    press(downPresses > 0 ? VK_RETURN : VK_ESCAPE);
    return WaitUntil([&] { return !IsWindow(menu) || !IsWindowVisible(menu) || !program.IsRunning(); }, timeoutMs);
}

std::vector<HWND> ToolbarsOf(HWND window) {
    std::vector<HWND> toolbars;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM parameter) -> BOOL {
            wchar_t className[64] = L"";
            GetClassNameW(child, className, 64);
            if (lstrcmpW(className, TOOLBARCLASSNAMEW) == 0) reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&toolbars));
    std::sort(toolbars.begin(), toolbars.end(), [](HWND a, HWND b) {
        RECT first{}, second{};
        GetWindowRect(a, &first);
        GetWindowRect(b, &second);
        return first.top < second.top;
    });
    return toolbars;
}

std::optional<RECT> ToolbarButtonRect(HWND toolbar, int index) {
    // The toolbar writes the rectangle where its own process can reach it: into memory lent to
    // that process for the question.
    DWORD processId = 0;
    GetWindowThreadProcessId(toolbar, &processId);
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (!process.IsValid()) return std::nullopt;
    void* lent = VirtualAllocEx(process.Get(), nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (lent == nullptr) return std::nullopt;
    DWORD_PTR answered = 0;
    RECT rect{-1, -1, -1, -1};
    const bool read = SendMessageTimeoutW(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index),
                                          reinterpret_cast<LPARAM>(lent), SMTO_NORMAL, kAnswerTimeoutMs, &answered) &&
                      answered != 0 && ReadProcessMemory(process.Get(), lent, &rect, sizeof(rect), nullptr);
    VirtualFreeEx(process.Get(), lent, 0, MEM_RELEASE);
    if (!read) return std::nullopt;
    return rect;
}

std::optional<std::wstring> TreeItemText(HWND tree, HTREEITEM item) {
    // The tree fills the item record and its text in memory lent to the program's own process.
    DWORD processId = 0;
    GetWindowThreadProcessId(tree, &processId);
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (!process.IsValid()) return std::nullopt;
    constexpr size_t kTextCapacity = MAX_PATH;
    constexpr size_t kLentSize = sizeof(TVITEMW) + kTextCapacity * sizeof(wchar_t);
    auto* lent = static_cast<uint8_t*>(
        VirtualAllocEx(process.Get(), nullptr, kLentSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (lent == nullptr) return std::nullopt;
    TVITEMW query{};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = item;
    query.pszText = reinterpret_cast<wchar_t*>(lent + sizeof(TVITEMW));
    query.cchTextMax = static_cast<int>(kTextCapacity);
    std::vector<wchar_t> text(kTextCapacity, L'\0');
    DWORD_PTR answered = 0;
    const bool read =
        WriteProcessMemory(process.Get(), lent, &query, sizeof(query), nullptr) &&
        WriteProcessMemory(process.Get(), lent + sizeof(TVITEMW), text.data(), sizeof(wchar_t), nullptr) &&
        SendMessageTimeoutW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(lent), SMTO_NORMAL, kAnswerTimeoutMs,
                            &answered) &&
        answered != 0 &&
        ReadProcessMemory(process.Get(), lent + sizeof(TVITEMW), text.data(), kTextCapacity * sizeof(wchar_t),
                          nullptr);
    VirtualFreeEx(process.Get(), lent, 0, MEM_RELEASE);
    if (!read) return std::nullopt;
    text.back() = L'\0';
    return std::wstring(text.data());
}

std::vector<std::wstring> SelectedTreeItemPath(HWND tree) {
    std::vector<std::wstring> path;
    DWORD_PTR item = 0;
    SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_NORMAL, kAnswerTimeoutMs, &item);
    while (item != 0) {
        const std::optional<std::wstring> text = TreeItemText(tree, reinterpret_cast<HTREEITEM>(item));
        if (!text) return {};
        path.push_back(*text);
        DWORD_PTR parent = 0;
        if (!SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_PARENT, static_cast<LPARAM>(item), SMTO_NORMAL,
                                 kAnswerTimeoutMs, &parent)) {
            return {};
        }
        item = parent;
    }
    return path;
}

bool ClickToolbarButton(HWND toolbar, int index) {
    const std::optional<RECT> rect = ToolbarButtonRect(toolbar, index);
    if (!rect) return false;
    const LPARAM middle = MAKELPARAM((rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2);
    PostMessageW(toolbar, WM_MOUSEMOVE, 0, middle);
    PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(toolbar, WM_LBUTTONUP, 0, middle);
    return true;
}

std::optional<std::string> ReadProcFile(const std::wstring& path) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return std::nullopt;
    std::string text;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), chunk, sizeof(chunk), &read, nullptr) && read > 0) text.append(chunk, read);
    return text;
}

std::optional<std::wstring> LinuxProcessFolder(const std::wstring& commandLinePart) {
    // Programs of the Z: drive may show under their Linux path there.
    std::wstring linuxForm = commandLinePart;
    if (linuxForm.size() >= 2 && (linuxForm[0] == L'Z' || linuxForm[0] == L'z') && linuxForm[1] == L':') {
        linuxForm.erase(0, 2);
    }
    for (wchar_t& character : linuxForm) {
        if (character == L'\\') character = L'/';
    }
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::wstring> found;
    do {
        if (entry.cFileName[0] < L'0' || entry.cFileName[0] > L'9') continue;
        const std::wstring folder = std::wstring(L"Z:\\proc\\") + entry.cFileName;
        const std::optional<std::string> commandLine = ReadProcFile(folder + L"\\cmdline");
        if (!commandLine) continue;
        // Wine shows the program's command line there (ASCII paths are all this needs).
        const std::wstring wide(commandLine->begin(), commandLine->end());
        if (wide.find(commandLinePart) == std::wstring::npos && wide.find(linuxForm) == std::wstring::npos) continue;
        found = folder;
        break;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return found;
}

namespace {

// User and system time of a process or thread from the text of its "stat" file, in
// milliseconds; nothing when the text is not such a record.
std::optional<double> ProcessorTimeOfStat(const std::string& fields) {
    // After the command name in parentheses: state, then 10 fields, then utime and stime.
    const size_t close = fields.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::vector<std::string> words;
    size_t at = close + 2;
    while (at < fields.size() && words.size() < 13) {
        const size_t end = fields.find(' ', at);
        words.push_back(fields.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    if (words.size() < 13) return std::nullopt;
    constexpr double kMsPerClockTick = 10.0;  // the kernel counts in hundredths of a second
    return (std::stod(words[11]) + std::stod(words[12])) * kMsPerClockTick;
}

}  // namespace

std::optional<double> LinuxProcessorTimeMs(const std::wstring& commandLinePart) {
    const std::optional<std::wstring> folder = LinuxProcessFolder(commandLinePart);
    if (!folder) return std::nullopt;
    const std::optional<std::string> stat = ReadProcFile(*folder + L"\\stat");
    return stat ? ProcessorTimeOfStat(*stat) : std::nullopt;
}

std::vector<LinuxThreadTime> LinuxThreadProcessorTimes(const std::wstring& commandLinePart) {
    std::vector<LinuxThreadTime> threads;
    const std::optional<std::wstring> folder = LinuxProcessFolder(commandLinePart);
    if (!folder) return threads;
    const std::wstring processId = folder->substr(folder->find_last_of(L'\\') + 1);
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((*folder + L"\\task\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return threads;
    do {
        if (entry.cFileName[0] < L'0' || entry.cFileName[0] > L'9') continue;
        const std::wstring task = *folder + L"\\task\\" + entry.cFileName;
        const std::optional<std::string> stat = ReadProcFile(task + L"\\stat");
        const std::optional<double> time = stat ? ProcessorTimeOfStat(*stat) : std::nullopt;
        if (!time) continue;
        std::string name = ReadProcFile(task + L"\\comm").value_or(std::string());
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
        // "nonvoluntary_ctxt_switches:" follows on a line of its own.
        constexpr char kWaitsField[] = "\nvoluntary_ctxt_switches:";
        const std::string status = ReadProcFile(task + L"\\status").value_or(std::string());
        const size_t field = status.find(kWaitsField);
        const long long waits =
            field == std::string::npos ? 0 : std::atoll(status.c_str() + field + sizeof(kWaitsField) - 1);
        threads.push_back({_wtoi(entry.cFileName), entry.cFileName == processId, name, *time, waits});
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return threads;
}
