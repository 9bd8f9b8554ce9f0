#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/ie_browser_tab.h"
#include "common/dialog_thunk.h"

// The "Glimmerpane" browser window: a frame (dialog 134) with an address bar (dialog 135) above
// one browser page (dialog 133, which hosts the system's web-browser control). It shows the
// program's own home and options pages, pages of the maker's site, and receives updates that
// the maker's pages offer.

class CIeBrowser18;

// What closing the window does.
enum class BrowserWindowRole {
    kBrowserInstance,  // the process's only window: closing it ends the message loop (quit code 45054)
    kAmongOthers,      // a window of a program that goes on: closing it only destroys it
};

inline constexpr int kBrowserClosedQuitCode = 45054;

// The address bar: a list of addresses with an edit field, and a status text (the page title).
// Enter in the field, or a pick from the list, takes the frame to that address.
class CIeAddressBar {
public:
    explicit CIeAddressBar(CIeBrowser18& owner) : m_owner(owner) {}
    CIeAddressBar(const CIeAddressBar&) = delete;
    CIeAddressBar& operator=(const CIeAddressBar&) = delete;

    // Creates dialog 135 as a child of the frame. False on failure.
    bool Create(HWND frame);
    HWND Window() const { return m_window; }
    // The height it keeps when the frame's size changes.
    int Height() const { return m_height; }

    // Shows `address` in the field and puts it at the top of the list (once).
    void ShowAddress(const std::wstring& address);
    void ShowStatus(const std::wstring& status);
    // The text of the field.
    std::wstring Address() const;
    // The list's addresses, newest first.
    std::vector<std::wstring> ListedAddresses() const;
    // Takes the frame to the field's address.
    void GoToTypedAddress();

private:
    template <typename Object>
    friend INT_PTR CALLBACK DialogThunk(HWND, UINT, WPARAM, LPARAM);
    INT_PTR DialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Layout(int width);

    CIeBrowser18& m_owner;
    HWND m_window = nullptr;
    int m_height = 0;
    std::wstring m_lastTypedAddress;
    LONG m_lastTypedTime = 0;
};

// The frame titled "Glimmerpane".
class CIeBrowser18 : public BrowserPageOwner {
public:
    explicit CIeBrowser18(BrowserWindowRole role) : m_role(role), m_addressBar(*this), m_page(*this) {}
    ~CIeBrowser18();
    CIeBrowser18(const CIeBrowser18&) = delete;
    CIeBrowser18& operator=(const CIeBrowser18&) = delete;

    // Creates and shows the frame (dialog 134) with its address bar and page; sets the
    // browser-emulation value. False on failure (nothing is left open).
    bool Create();
    HWND Window() const override { return m_window; }
    BrowserWindowRole Role() const { return m_role; }
    CIeAddressBar& AddressBar() { return m_addressBar; }
    CIeBrowserTab18& Page() { return m_page; }

    void Navigate(const std::wstring& address);
    // Ends the program for an update: the window goes once the current call has returned, and
    // the message loop ends with 0.
    void EndForUpdate() override;
    // Shows the page's address and title in the address bar.
    void ShowAddress(const std::wstring& address) override { m_addressBar.ShowAddress(address); }
    void ShowStatus(const std::wstring& status) override { m_addressBar.ShowStatus(status); }
    // Shows a message box of this window, owned by `owner` (this window or one of its parts),
    // and returns the button pressed. Until it returns, the window and every object of it stay:
    // a close asked for meanwhile (WM_CLOSE) follows once the box's caller has returned.
    int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) override;
    // Offers a keyboard message of this window to the control and the dialog navigation; true
    // when one of them took it.
    bool PreTranslateMessage(MSG& message);

private:
    template <typename Object>
    friend INT_PTR CALLBACK DialogThunk(HWND, UINT, WPARAM, LPARAM);
    INT_PTR DialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Layout();

    BrowserWindowRole m_role;
    HWND m_window = nullptr;
    std::wstring m_programFileName;
    int m_quitCode = kBrowserClosedQuitCode;
    bool m_endsForUpdate = false;
    bool m_beingDeleted = false;
    int m_openMessageBoxes = 0;  // message boxes of this window that have not returned
    bool m_closeDeferred = false;
    CIeAddressBar m_addressBar;
    CIeBrowserTab18 m_page;
};

// --- The browser windows of the process -----------------------------------------------------

// Opens a browser window at `address` (none when empty). The window belongs to the process's
// list of browser windows until it is destroyed. Null on failure.
CIeBrowser18* OpenBrowserWindow(const std::wstring& address, BrowserWindowRole role);
// The open browser windows.
std::vector<CIeBrowser18*> OpenBrowserWindows();

// The message loop of a process whose windows are browser windows; returns the quit code.
int RunBrowserMessageLoop();

// Gives a browser window a look at a message of another message loop before it is dispatched;
// true when the window took it.
bool BrowserWindowMessageHook(MSG& message);
