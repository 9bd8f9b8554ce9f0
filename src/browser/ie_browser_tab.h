#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/browser_pages.h"
#include "browser/browser_site.h"
#include "browser/update_page_trust.h"
#include "browser/update_receiver.h"
#include "common/dialog_thunk.h"

// The page of the "Glimmerpane" browser window (ie_browser.h), in ie_browser_tab.cpp.

// What the page asks of the window that holds it: the address bar's two texts, the window for
// the control's close request, the end of the program for an update, and message boxes that
// keep the window alive until they return.
class BrowserPageOwner {
public:
    virtual HWND Window() const = 0;
    virtual void ShowAddress(const std::wstring& address) = 0;
    virtual void ShowStatus(const std::wstring& status) = 0;
    virtual void EndForUpdate() = 0;
    virtual int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) = 0;

protected:
    ~BrowserPageOwner() = default;
};

// One browser page: its dialog hosts the control, generates the program's own pages, and hands
// the documents that the control loads as its top-level page over a trusted connection to the
// update processing (never a frame's document).
class CIeBrowserTab18 : public BrowserEvents, public UpdatePageHost {
public:
    explicit CIeBrowserTab18(BrowserPageOwner& owner);
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

    BrowserPageOwner& m_owner;
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
