#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/browser_pages.h"
#include "browser/browser_site.h"
#include "browser/update_page_trust.h"
#include "browser/update_receiver.h"
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

// One browser page: its dialog hosts the control, generates the program's own pages, and hands
// the documents that the control loads as its top-level page over a trusted connection to the
// update processing (never a frame's document).
class CIeBrowserTab18 : public BrowserEvents, public UpdatePageHost {
public:
    explicit CIeBrowserTab18(CIeBrowser18& owner);
    ~CIeBrowserTab18() override;
    CIeBrowserTab18(const CIeBrowserTab18&) = delete;
    CIeBrowserTab18& operator=(const CIeBrowserTab18&) = delete;

    // Creates dialog 133 (and with it the control) as a child of the frame. False on failure.
    bool Create(HWND frame);
    HWND Window() const { return m_window; }
    // The control's site; null when the system's browser control could not be made.
    ControlSite* Site() const;

    // Goes to `address`: the program's own pages are generated, links of the options page set
    // their option, everything else the control loads.
    void Navigate(const std::wstring& address);

    // The maker's update page for this page object (it carries the expected time number).
    std::wstring UpdateCheckAddress() const;
    // The generated home or options page in the current language.
    std::wstring PageHtml(BrowserPageKind kind) const;

    const std::vector<BrowserOption>& Options() const { return m_options; }
    // Sets option `name` to `value` (0 or 1), or toggles it for -1. False for an unknown option.
    bool SetOption(const std::wstring& name, int value);

    // A document finished loading from `address` with the text `documentText`: unless the
    // "autoupdate" option is off, the update processing reads it. DocumentComplete calls it with
    // the top-level document the control loaded, when the page's connection is trusted.
    void OnDocumentText(std::wstring_view address, std::wstring_view documentText);
    UpdateReceiver& Updates() { return m_updates; }

    // Reads the document that the control's `frame` finished and hands it to OnDocumentText.
    using DocumentReader = std::function<void(IDispatch* frame)>;
    // Replaces how a finished document is read (by default from the control): for tests, as the
    // control loads no documents where the system has no HTML engine.
    void SetDocumentReader(DocumentReader reader) { m_readDocument = std::move(reader); }

    // BrowserEvents
    void OnBeforeNavigate(IDispatch* frame, const std::wstring& address, bool& cancel) override;
    void OnDocumentComplete(IDispatch* frame, const std::wstring& address) override;
    void OnNavigateError(IDispatch* frame, const std::wstring& address, long statusCode) override;
    void OnSecureLockIcon(long state) override;
    void OnTitleChange(const std::wstring& title) override;
    void OnNewWindow(const std::wstring& address, bool& cancel) override;
    void OnWindowClosing() override;

    // UpdatePageHost
    HWND UpdateWindow() const override { return m_window; }
    int ShowUpdateMessage(const std::wstring& text, const std::wstring& caption, UINT flags) override;
    void ShowUpdateOutcome(const std::wstring& html) override;
    void EndProgramForUpdate() override;

private:
    template <typename Object>
    friend INT_PTR CALLBACK DialogThunk(HWND, UINT, WPARAM, LPARAM);
    INT_PTR DialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool IsOptionOn(const wchar_t* name) const;
    // Whether `frame` is the control itself, that is the top-level document, not a frame in it.
    bool IsTopLevel(IDispatch* frame) const;
    // Loads `address` in the control, letting its own BeforeNavigate pass.
    void LoadInControl(const std::wstring& address);
    void ReadDocument(IDispatch* frame);
    // After an event that may have made the page untrustworthy: a waiting offer goes.
    void CheckTrust();
    // Goes to `address` once the control's current event has returned.
    void QueueNavigation(const std::wstring& address);

    CIeBrowser18& m_owner;
    HWND m_window = nullptr;
    HWND m_host = nullptr;
    UpdateReceiver m_updates;
    UpdatePageTrust m_trust;
    DocumentReader m_readDocument;
    std::vector<BrowserOption> m_options;
    std::optional<BrowserPageKind> m_pendingPage;  // written into about:blank once it has loaded
    std::wstring m_ownNavigation;                  // an address this page itself sent the control to
    std::wstring m_queuedAddress;                  // where QueueNavigation goes next
    struct IHTMLDocument3* m_documentBeingRead = nullptr;
};

// The frame titled "Glimmerpane".
class CIeBrowser18 {
public:
    explicit CIeBrowser18(BrowserWindowRole role) : m_role(role), m_addressBar(*this), m_page(*this) {}
    ~CIeBrowser18();
    CIeBrowser18(const CIeBrowser18&) = delete;
    CIeBrowser18& operator=(const CIeBrowser18&) = delete;

    // Creates and shows the frame (dialog 134) with its address bar and page; sets the
    // browser-emulation value. False on failure (nothing is left open).
    bool Create();
    HWND Window() const { return m_window; }
    BrowserWindowRole Role() const { return m_role; }
    CIeAddressBar& AddressBar() { return m_addressBar; }
    CIeBrowserTab18& Page() { return m_page; }

    void Navigate(const std::wstring& address);
    // Ends the program for an update: the window goes once the current call has returned, and
    // the message loop ends with 0.
    void EndForUpdate();
    // Shows a message box of this window, owned by `owner` (this window or one of its parts),
    // and returns the button pressed. Until it returns, the window and every object of it stay:
    // a close asked for meanwhile (WM_CLOSE) follows once the box's caller has returned.
    int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags);
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
