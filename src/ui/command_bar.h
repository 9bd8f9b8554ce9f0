#pragma once

#include <windows.h>

#include "common/gdi_objects.h"

// A menu bar made of a flat toolbar: one button per top-level item of a menu, each opening its
// item's popup below it, with the keyboard and mouse moving between the popups as in a real
// menu bar (left and right arrows wrap around, the mouse hot-tracks from button to button, a
// click on the open button closes it, Escape closes, Alt + a mnemonic opens). Commands chosen
// in a popup reach the owner window as WM_COMMAND; the bar itself executes nothing.
//
// The bar routes the owner's and the toolbar's messages through itself (window subclassing):
// each message goes first to the matching filter below, and only when the filter does not
// take it to the window's own procedure. Main thread only; one popup is tracked at a time.
class CWinCmdBar {
public:
    // Toolbar button ids are this plus the index of the top-level item.
    static constexpr int kFirstButtonId = 40000;
    // Posted to the toolbar: open the current item's popup.
    static constexpr UINT kOpenItemRequest = WM_USER + 1101;

    CWinCmdBar() = default;
    virtual ~CWinCmdBar();
    CWinCmdBar(const CWinCmdBar&) = delete;
    CWinCmdBar& operator=(const CWinCmdBar&) = delete;

    // Creates the toolbar across the top of the owner's client area and starts routing the
    // owner's and the toolbar's messages through the bar. Once per bar; returns false when the
    // toolbar cannot be made or the bar is attached already.
    bool Attach(HWND owner);

    // Takes `menu` over and shows one button per top-level item. The previous menu is
    // destroyed; a menu handed to the bar must not be destroyed by the caller.
    void SetMenu(HMENU menu);

    // Opens the popup of top-level item `index`, wrapped into the item range; returns when the
    // popup has closed. Does nothing while the owner is hidden or when the item has no popup.
    void OpenItem(int index);

    HWND Owner() const { return m_owner; }
    HWND Toolbar() const { return m_toolbar; }
    HMENU Menu() const { return m_menu; }
    int ItemCount() const { return m_itemCount; }
    int CurrentItem() const { return m_currentItem; }
    int Height() const { return m_height; }
    bool IsTracking() const { return m_tracking; }

protected:
    // The filters return true when they took the message, with its answer in `result`.
    virtual bool OwnerMessageFilter(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual bool ToolbarMessageFilter(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Called for the popup being opened while the bar tracks it.
    virtual void OnPopupOpening(HMENU) {}
    // Called when the menu has been replaced and the previous one destroyed.
    virtual void OnMenuReplaced() {}

private:
    static LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR bar);
    static LRESULT CALLBACK ToolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR bar);
    static LRESULT CALLBACK MenuFilterHook(int code, WPARAM wParam, LPARAM lParam);

    void TrackPopup(int index);
    // A message of the open popup's menu loop; true when it is taken away from the menu.
    bool OnMenuLoopMessage(const MSG& message);
    // Closes the open popup and asks for `index` to open next, optionally with its first item
    // selected.
    void SwitchToItem(int index, bool selectFirstItem);
    void PressButton(int index, bool pressed);
    // The top-level item whose button lies under a screen point, or -1.
    int ItemAtScreenPoint(POINT point) const;
    void Detach();

    HWND m_owner = nullptr;
    HWND m_toolbar = nullptr;
    UniqueFont m_font;
    HMENU m_menu = nullptr;
    int m_itemCount = 0;
    int m_currentItem = 0;
    int m_height = 20;

    bool m_tracking = false;
    HHOOK m_hook = nullptr;
    POINT m_lastCursor{-1, -1};
    UINT m_selectedItemId = 0;
    UINT m_selectedItemFlags = 0;

    bool m_ownButtonChange = false;  // lets the bar's own button changes through to the toolbar
};
