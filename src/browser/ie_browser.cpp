#include "browser/ie_browser.h"

#include <commctrl.h>

#include <algorithm>

#include "browser/browser_emulation.h"
#include "common/module_path.h"
#include "res/resource.h"
#include "settings/settings_paths.h"

namespace {

// Addresses the list keeps; older ones drop off its end.
constexpr int kListedAddresses = 20;

std::vector<std::unique_ptr<CIeBrowser18>>& BrowserWindows() {
    static std::vector<std::unique_ptr<CIeBrowser18>> windows;
    return windows;
}

std::wstring ItemText(HWND list, int index) {
    wchar_t text[2084] = L"";
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.iItem = index;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    if (!SendMessageW(list, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return std::wstring();
    return text;
}

}  // namespace

// --- CIeAddressBar -------------------------------------------------------------------------

bool CIeAddressBar::Create(HWND frame) {
    m_window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ADDRESS_BAR), frame,
                                  DialogThunk<CIeAddressBar>, reinterpret_cast<LPARAM>(this));
    if (m_window == nullptr) return false;
    RECT area{};
    GetWindowRect(m_window, &area);
    m_height = area.bottom - area.top;
    return true;
}

void CIeAddressBar::ShowAddress(const std::wstring& address) {
    HWND list = GetDlgItem(m_window, IDC_BROWSER_ADDRESS);
    if (list == nullptr) return;
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        if (ItemText(list, index) == address) {
            SendMessageW(list, CBEM_DELETEITEM, index, 0);
            break;
        }
    }
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.iItem = 0;
    item.pszText = const_cast<wchar_t*>(address.c_str());
    SendMessageW(list, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    while (SendMessageW(list, CB_GETCOUNT, 0, 0) > kListedAddresses) {
        SendMessageW(list, CBEM_DELETEITEM, SendMessageW(list, CB_GETCOUNT, 0, 0) - 1, 0);
    }
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    SetWindowTextW(reinterpret_cast<HWND>(SendMessageW(list, CBEM_GETEDITCONTROL, 0, 0)), address.c_str());
}

void CIeAddressBar::ShowStatus(const std::wstring& status) {
    SetDlgItemTextW(m_window, IDC_BROWSER_STATUS, status.c_str());
}

std::wstring CIeAddressBar::Address() const {
    HWND list = GetDlgItem(m_window, IDC_BROWSER_ADDRESS);
    HWND field = reinterpret_cast<HWND>(SendMessageW(list, CBEM_GETEDITCONTROL, 0, 0));
    if (field == nullptr) return std::wstring();
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::vector<std::wstring> CIeAddressBar::ListedAddresses() const {
    HWND list = GetDlgItem(m_window, IDC_BROWSER_ADDRESS);
    std::vector<std::wstring> addresses;
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) addresses.push_back(ItemText(list, index));
    return addresses;
}

void CIeAddressBar::GoToTypedAddress() {
    std::wstring address = Address();
    const size_t first = address.find_first_not_of(L" \t");
    const size_t last = address.find_last_not_of(L" \t");
    if (first == std::wstring::npos) return;
    address = address.substr(first, last - first + 1);
    // One Enter can arrive twice, as the field's end of editing and as the frame's default
    // button: the second request of the same key press goes nowhere.
    const LONG keyPress = GetMessageTime();
    if (address == m_lastTypedAddress && keyPress == m_lastTypedTime) return;
    m_lastTypedAddress = address;
    m_lastTypedTime = keyPress;
    m_owner.Navigate(address);
}

void CIeAddressBar::Layout(int width) {
    HWND list = GetDlgItem(m_window, IDC_BROWSER_ADDRESS);
    HWND status = GetDlgItem(m_window, IDC_BROWSER_STATUS);
    RECT listArea{};
    RECT statusArea{};
    GetWindowRect(list, &listArea);
    GetWindowRect(status, &statusArea);
    MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&listArea), 2);
    MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&statusArea), 2);
    const int margin = listArea.left;
    const int statusWidth = std::min(width / 3, 240);
    const int listWidth = std::max(40, width - statusWidth - 3 * margin);
    MoveWindow(list, margin, listArea.top, listWidth, listArea.bottom - listArea.top, TRUE);
    MoveWindow(status, 2 * margin + listWidth, statusArea.top, statusWidth, statusArea.bottom - statusArea.top, TRUE);
}

INT_PTR CIeAddressBar::DialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) m_window = window;
    if (message == WM_NCDESTROY) {
        m_window = nullptr;
        return FALSE;
    }
    return HandleMessage(message, wParam, lParam);
}

INT_PTR CIeAddressBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return FALSE;
        case WM_SIZE:
            Layout(LOWORD(lParam));
            return TRUE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == IDC_BROWSER_ADDRESS && header->code == CBEN_ENDEDITW &&
                reinterpret_cast<const NMCBEENDEDITW*>(lParam)->iWhy == CBENF_RETURN) {
                GoToTypedAddress();
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_BROWSER_ADDRESS && HIWORD(wParam) == CBN_SELENDOK) {
                HWND list = GetDlgItem(m_window, IDC_BROWSER_ADDRESS);
                const int index = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
                if (index >= 0) m_owner.Navigate(ItemText(list, index));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

// --- CIeBrowser18 --------------------------------------------------------------------------

CIeBrowser18::~CIeBrowser18() {
    // A window still open when its object goes (at the process's end) is closed as the user
    // would close it, but its object is already leaving the list.
    m_beingDeleted = true;
    if (m_window != nullptr) DestroyWindow(m_window);
}

bool CIeBrowser18::Create() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    m_programFileName = FileNameOfPath(ProgramFilePath());

    // The control reads the emulation value when it is made, so it stands before the page.
    BrowserWindowOpened(m_programFileName);
    m_window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BROWSER_FRAME), nullptr,
                                  DialogThunk<CIeBrowser18>, reinterpret_cast<LPARAM>(this));
    if (m_window == nullptr) {
        BrowserWindowClosed(m_programFileName);
        return false;
    }
    if (!m_addressBar.Create(m_window) || !m_page.Create(m_window)) {
        // The window's end takes the emulation value with it; nothing of this window remains.
        m_role = BrowserWindowRole::kAmongOthers;
        DestroyWindow(m_window);
        return false;
    }
    Layout();
    ShowWindow(m_window, SW_SHOW);
    UpdateWindow(m_window);
    return true;
}

void CIeBrowser18::Navigate(const std::wstring& address) { m_page.Navigate(address); }

void CIeBrowser18::EndForUpdate() {
    m_endsForUpdate = true;
    m_quitCode = 0;
    // The caller is a part of this window: the window (and with it the caller) goes only after
    // the call has returned to the message loop.
    if (m_window != nullptr) PostMessageW(m_window, WM_CLOSE, 0, 0);
}

int CIeBrowser18::ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
    ++m_openMessageBoxes;
    const int answer = MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    --m_openMessageBoxes;
    // A close that came while the box was open: its caller must return before the window goes.
    if (m_openMessageBoxes == 0 && m_closeDeferred && m_window != nullptr) {
        m_closeDeferred = false;
        PostMessageW(m_window, WM_CLOSE, 0, 0);
    }
    return answer;
}

bool CIeBrowser18::PreTranslateMessage(MSG& message) {
    if (m_window == nullptr || (message.hwnd != m_window && !IsChild(m_window, message.hwnd))) return false;
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && m_page.Window() != nullptr &&
        IsChild(m_page.Window(), message.hwnd)) {
        if (ControlSite* site = m_page.Site(); site != nullptr && site->TranslateKey(message)) return true;
    }
    return IsDialogMessageW(m_window, &message) != FALSE;
}

void CIeBrowser18::Layout() {
    if (m_window == nullptr) return;
    RECT area{};
    GetClientRect(m_window, &area);
    const int barHeight = m_addressBar.Height();
    if (m_addressBar.Window() != nullptr) MoveWindow(m_addressBar.Window(), 0, 0, area.right, barHeight, TRUE);
    if (m_page.Window() != nullptr) {
        MoveWindow(m_page.Window(), 0, barHeight, area.right, std::max(0L, area.bottom - barHeight), TRUE);
    }
}

INT_PTR CIeBrowser18::DialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) m_window = window;
    if (message == WM_NCDESTROY) {
        m_window = nullptr;
        if (m_beingDeleted) return FALSE;
        // The window is gone: this object leaves the process's list and is deleted now; nothing
        // of it may be touched after the erase.
        auto& windows = BrowserWindows();
        const auto found =
            std::find_if(windows.begin(), windows.end(),
                         [this](const std::unique_ptr<CIeBrowser18>& each) { return each.get() == this; });
        if (found != windows.end()) windows.erase(found);
        return FALSE;
    }
    return HandleMessage(message, wParam, lParam);
}

INT_PTR CIeBrowser18::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_SIZE:
            Layout();
            return TRUE;
        case WM_COMMAND:
            // Enter in the address field reaches the frame as its default button.
            if (LOWORD(wParam) == IDOK) m_addressBar.GoToTypedAddress();
            return TRUE;
        case WM_CLOSE:
            // A message box of this window runs its own message loop: closing now would take the
            // objects of its caller away under it.
            if (m_openMessageBoxes > 0) {
                m_closeDeferred = true;
                return TRUE;
            }
            DestroyWindow(m_window);
            return TRUE;
        case WM_DESTROY:
            BrowserWindowClosed(m_programFileName);
            if (m_role == BrowserWindowRole::kBrowserInstance || m_endsForUpdate) PostQuitMessage(m_quitCode);
            return FALSE;
        default:
            return FALSE;
    }
}

// --- The browser windows of the process ----------------------------------------------------

CIeBrowser18* OpenBrowserWindow(const std::wstring& address, BrowserWindowRole role) {
    auto browser = std::make_unique<CIeBrowser18>(role);
    CIeBrowser18* opened = browser.get();
    BrowserWindows().push_back(std::move(browser));
    if (!opened->Create()) {
        // A window that was made is gone again, and took its object out of the list.
        auto& windows = BrowserWindows();
        const auto found =
            std::find_if(windows.begin(), windows.end(),
                         [opened](const std::unique_ptr<CIeBrowser18>& each) { return each.get() == opened; });
        if (found != windows.end()) windows.erase(found);
        return nullptr;
    }
    if (!address.empty()) opened->Navigate(address);
    return opened;
}

std::vector<CIeBrowser18*> OpenBrowserWindows() {
    std::vector<CIeBrowser18*> open;
    for (const auto& browser : BrowserWindows()) open.push_back(browser.get());
    return open;
}

bool BrowserWindowMessageHook(MSG& message) {
    for (const auto& browser : BrowserWindows()) {
        if (browser->PreTranslateMessage(message)) return true;
    }
    return false;
}

int RunBrowserMessageLoop() {
    MSG message{};
    for (;;) {
        const BOOL result = GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) return static_cast<int>(message.wParam);
        if (result == -1) return 0;
        if (BrowserWindowMessageHook(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
