#include "ui/command_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/menu_item_layout.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x4D42;  // "MB": the bar's subclass on both windows
constexpr int kMaxButtonText = 100;

// The bar whose popup is open; the message-filter hook serves only it.
CWinCmdBar* g_trackingBar = nullptr;

bool IsButtonChange(UINT message) {
    switch (message) {
        case TB_INSERTBUTTONW:
        case TB_INSERTBUTTONA:
        case TB_ADDBUTTONSW:
        case TB_ADDBUTTONSA:
        case TB_SETBUTTONINFOW:
        case TB_SETBUTTONINFOA:
            return true;
        default:
            return false;
    }
}

void PostKey(HWND window, UINT key) {
    const LPARAM lParam = 1 | (static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16);
    PostMessageW(window, WM_KEYDOWN, key, lParam);
}

}  // namespace

CWinCmdBar::~CWinCmdBar() {
    Detach();
    if (m_menu != nullptr) DestroyMenu(m_menu);
}

bool CWinCmdBar::Attach(HWND owner) {
    if (m_owner != nullptr || owner == nullptr || !IsWindow(owner)) return false;

    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = PROOF_QUALITY;
    if (!m_font) m_font.Reset(CreateFontIndirectW(&font));

    m_toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                WS_CHILD | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TRANSPARENT | TBSTYLE_TOOLTIPS |
                                    CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE,
                                0, 0, 0, 0, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (m_toolbar == nullptr) return false;
    m_owner = owner;
    SendMessageW(m_toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(m_toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    SendMessageW(m_toolbar, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);

    const int buttonHeight = HIWORD(SendMessageW(m_toolbar, TB_GETBUTTONSIZE, 0, 0));
    m_height = std::max(GetSystemMetrics(SM_CYSMICON) + 4, buttonHeight);
    RECT client{};
    GetClientRect(owner, &client);
    SetWindowPos(m_toolbar, HWND_TOP, 0, 0, client.right - client.left, m_height, SWP_NOACTIVATE | SWP_SHOWWINDOW);

    SetWindowSubclass(m_owner, OwnerProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(m_toolbar, ToolbarProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    return true;
}

void CWinCmdBar::Detach() {
    if (m_owner != nullptr && IsWindow(m_owner)) RemoveWindowSubclass(m_owner, OwnerProc, kSubclassId);
    if (m_toolbar != nullptr && IsWindow(m_toolbar)) RemoveWindowSubclass(m_toolbar, ToolbarProc, kSubclassId);
    m_owner = nullptr;
    m_toolbar = nullptr;
}

void CWinCmdBar::SetMenu(HMENU menu) {
    if (m_menu != nullptr && m_menu != menu) {
        DestroyMenu(m_menu);
        OnMenuReplaced();
    }
    m_menu = menu;
    m_itemCount = menu != nullptr ? std::max(GetMenuItemCount(menu), 0) : 0;
    m_currentItem = std::clamp(m_currentItem, 0, std::max(m_itemCount - 1, 0));
    if (m_toolbar == nullptr) return;

    m_ownButtonChange = true;
    SendMessageW(m_toolbar, WM_SETREDRAW, FALSE, 0);
    while (SendMessageW(m_toolbar, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageW(m_toolbar, TB_DELETEBUTTON, 0, 0);
    for (int index = 0; index < m_itemCount; ++index) {
        wchar_t text[kMaxButtonText + 1] = L"";
        GetMenuStringW(menu, static_cast<UINT>(index), text, kMaxButtonText + 1, MF_BYPOSITION);
        TBBUTTON button{};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = kFirstButtonId + index;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        button.iString = reinterpret_cast<INT_PTR>(text);
        SendMessageW(m_toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
    SendMessageW(m_toolbar, TB_AUTOSIZE, 0, 0);
    SendMessageW(m_toolbar, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_toolbar, nullptr, TRUE);
    m_ownButtonChange = false;
}

void CWinCmdBar::OpenItem(int index) {
    const int wrapped = WrapItemIndex(index, m_itemCount);
    if (wrapped < 0) return;
    m_currentItem = wrapped;
    TrackPopup(wrapped);
}

void CWinCmdBar::PressButton(int index, bool pressed) {
    if (m_toolbar != nullptr) SendMessageW(m_toolbar, TB_PRESSBUTTON, kFirstButtonId + index, MAKELPARAM(pressed, 0));
}

int CWinCmdBar::ItemAtScreenPoint(POINT point) const {
    if (m_toolbar == nullptr) return -1;
    ScreenToClient(m_toolbar, &point);
    const int hit = static_cast<int>(SendMessageW(m_toolbar, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)));
    return hit >= 0 && hit < m_itemCount ? hit : -1;
}

void CWinCmdBar::TrackPopup(int index) {
    if (m_tracking || m_menu == nullptr || m_owner == nullptr || !IsWindowVisible(m_owner)) return;
    HMENU popup = GetSubMenu(m_menu, index);
    if (popup == nullptr) return;

    RECT button{};
    SendMessageW(m_toolbar, TB_GETRECT, kFirstButtonId + index, reinterpret_cast<LPARAM>(&button));
    MapWindowPoints(m_toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    TPMPARAMS exclude{};
    exclude.cbSize = sizeof(exclude);
    exclude.rcExclude = button;

    m_tracking = true;
    m_selectedItemId = 0;
    m_selectedItemFlags = 0;
    GetCursorPos(&m_lastCursor);
    PressButton(index, true);
    g_trackingBar = this;
    m_hook = SetWindowsHookExW(WH_MSGFILTER, MenuFilterHook, nullptr, GetCurrentThreadId());
    TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_VERTICAL, button.left, button.bottom, m_toolbar,
                     &exclude);
    PressButton(index, false);
    if (m_hook != nullptr) UnhookWindowsHookEx(m_hook);
    m_hook = nullptr;
    g_trackingBar = nullptr;
    m_tracking = false;
}

void CWinCmdBar::SwitchToItem(int index, bool selectFirstItem) {
    PressButton(m_currentItem, false);
    m_currentItem = WrapItemIndex(index, m_itemCount);
    // The next popup opens once this one's loop has ended; the posted Down key then selects
    // its first item, as in a real menu bar.
    EndMenu();
    PostMessageW(m_toolbar, kOpenItemRequest, 0, 0);
    if (selectFirstItem) PostKey(m_toolbar, VK_DOWN);
}

LRESULT CALLBACK CWinCmdBar::MenuFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_MENU && g_trackingBar != nullptr && lParam != 0 &&
        g_trackingBar->OnMenuLoopMessage(*reinterpret_cast<const MSG*>(lParam))) {
        return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool CWinCmdBar::OnMenuLoopMessage(const MSG& message) {
    switch (message.message) {
        case WM_KEYDOWN:
            if (message.wParam == VK_LEFT) {
                SwitchToItem(m_currentItem - 1, true);
                return true;
            }
            if (message.wParam == VK_RIGHT) {
                const bool opensSubmenu = (m_selectedItemFlags & MF_POPUP) != 0;
                m_selectedItemId = 0;
                m_selectedItemFlags = 0;
                if (opensSubmenu) return false;
                SwitchToItem(m_currentItem + 1, true);
                return true;
            }
            if (message.wParam == VK_ESCAPE) {
                EndMenu();
                return true;
            }
            return false;
        case WM_MENUSELECT:
            m_selectedItemId = LOWORD(message.wParam);
            m_selectedItemFlags = HIWORD(message.wParam);
            SendMessageW(m_owner, message.message, message.wParam, message.lParam);
            return false;
        case WM_MOUSEMOVE: {
            const POINT cursor = message.pt;
            if (cursor.x == m_lastCursor.x && cursor.y == m_lastCursor.y) return false;
            m_lastCursor = cursor;
            const int item = ItemAtScreenPoint(cursor);
            if (item >= 0 && item != m_currentItem) SwitchToItem(item, false);
            return false;
        }
        case WM_LBUTTONDOWN:
            if (ItemAtScreenPoint(message.pt) == m_currentItem) {
                EndMenu();
                return true;
            }
            return false;
        default:
            return false;
    }
}

bool CWinCmdBar::OwnerMessageFilter(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_MENUCHAR || m_toolbar == nullptr) return false;
    UINT buttonId = 0;
    if (!SendMessageW(m_toolbar, TB_MAPACCELERATORW, LOWORD(wParam), reinterpret_cast<LPARAM>(&buttonId))) {
        return false;
    }
    const int index = static_cast<int>(buttonId) - kFirstButtonId;
    if (index < 0 || index >= m_itemCount) return false;
    m_currentItem = index;
    PostMessageW(m_toolbar, kOpenItemRequest, 0, 0);
    PostKey(m_toolbar, VK_DOWN);
    result = MAKELRESULT(0, MNC_CLOSE);
    return true;
}

bool CWinCmdBar::ToolbarMessageFilter(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_LBUTTONDOWN: {
            const DWORD position = GetMessagePos();
            const POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
            const int item = ItemAtScreenPoint(point);
            if (item < 0) return false;
            OpenItem(item);
            result = 0;
            return true;
        }
        case WM_MENUSELECT:
            m_selectedItemId = LOWORD(wParam);
            m_selectedItemFlags = HIWORD(wParam);
            result = SendMessageW(m_owner, message, wParam, lParam);
            return true;
        case WM_INITMENUPOPUP:
            if (m_tracking && !HIWORD(lParam)) OnPopupOpening(reinterpret_cast<HMENU>(wParam));
            result = SendMessageW(m_owner, message, wParam, lParam);
            return true;
        case WM_ENTERMENULOOP:
        case WM_EXITMENULOOP:
        case WM_COMMAND:
        case WM_MEASUREITEM:
        case WM_DRAWITEM:
            // The popup's owner is the toolbar; its commands and drawing belong to the owner.
            result = SendMessageW(m_owner, message, wParam, lParam);
            return true;
        case kOpenItemRequest:
            OpenItem(m_currentItem);
            result = 0;
            return true;
        default:
            if (IsButtonChange(message) && !m_ownButtonChange) {
                result = FALSE;
                return true;
            }
            return false;
    }
}

LRESULT CALLBACK CWinCmdBar::OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR data) {
    auto* bar = reinterpret_cast<CWinCmdBar*>(data);
    if (message == WM_NCDESTROY) {
        bar->Detach();
        return DefSubclassProc(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (bar->OwnerMessageFilter(message, wParam, lParam, result)) return result;
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK CWinCmdBar::ToolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
    auto* bar = reinterpret_cast<CWinCmdBar*>(data);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, ToolbarProc, kSubclassId);
        bar->m_toolbar = nullptr;
        return DefSubclassProc(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (bar->ToolbarMessageFilter(message, wParam, lParam, result)) return result;
    return DefSubclassProc(window, message, wParam, lParam);
}
