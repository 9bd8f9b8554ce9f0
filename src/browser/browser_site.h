#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include <string>

#include "common/com_pointer.h"

// The ActiveX container of the browser window: the in-place site that hosts one browser control
// in a child window, written without a framework. It is made of three COM objects of the
// program's own: the client site (IOleClientSite, IOleInPlaceSite, IDocHostUIHandler), the
// in-place frame (IOleInPlaceFrame) and the event sink (IDispatch for DWebBrowserEvents2).
// Each counts its references; once a site is closed and the control has let go of them, every
// one of them is gone, which SiteObjectsAlive() lets a caller check.

// What the browser reports to the page that hosts it. Every call comes on the thread that made
// the site, from inside the control.
class BrowserEvents {
public:
    virtual ~BrowserEvents() = default;
    // Before the browser (or a frame of its page, `frame`) goes to `address`; set `cancel` to
    // keep it where it is.
    virtual void OnBeforeNavigate(IDispatch* frame, const std::wstring& address, bool& cancel) = 0;
    // A document (of the page or of one of its frames) finished loading.
    virtual void OnDocumentComplete(IDispatch* frame, const std::wstring& address) = 0;
    // Going to `address` failed for the page or one of its frames (`frame`): `statusCode` is an
    // HTTP status, an INET_E_ result or a WinINet error code.
    virtual void OnNavigateError(IDispatch* frame, const std::wstring& address, long statusCode) = 0;
    // The security state of the page changed (secureLockIcon values: 0 not secure, 1 mixed, 2 to
    // 6 secure).
    virtual void OnSecureLockIcon(long state) = 0;
    virtual void OnTitleChange(const std::wstring& title) = 0;
    // The page asks for a window of its own; set `cancel` to refuse it.
    virtual void OnNewWindow(const std::wstring& address, bool& cancel) = 0;
    // A script of the page asked to close the window.
    virtual void OnWindowClosing() = 0;
};

// The site objects of the whole process that still exist.
int SiteObjectsAlive();
// The site objects made in this process so far.
int SiteObjectsMade();

// Hosts the control of `classId` in `hostWindow` (which must outlive it until Close) and
// activates it in place over the window's client area. Not copyable; Close (or the destructor)
// lets go of the control and the site objects.
class ControlSite {
public:
    ControlSite() = default;
    ~ControlSite();
    ControlSite(const ControlSite&) = delete;
    ControlSite& operator=(const ControlSite&) = delete;

    // Creates and activates the control. False when the control cannot be made; the site is
    // then empty.
    bool Open(HWND hostWindow, const CLSID& classId);

    // Stops events, deactivates the control, takes the site away from it and lets go of it.
    void Close();

    // Where the browser's events go (may be null: they are dropped).
    void SetEvents(BrowserEvents* events);

    // The object the control sends its DWebBrowserEvents2 to (IDispatch::Invoke with the
    // event's DISPID and arguments); null when the site is empty. Not AddRef'ed for the caller.
    IDispatch* EventReceiver() const;

    // The control as a web browser; null when it is none. Not AddRef'ed for the caller.
    IWebBrowser2* Browser() const { return m_browser.Get(); }

    // Fits the control to the host window's client area.
    void FitToHost();

    // Offers a keyboard message to the active control (tab, accelerators); true when it took it.
    bool TranslateKey(MSG& message);

private:
    HWND m_host = nullptr;
    ComPointer<IOleObject> m_object;
    ComPointer<IWebBrowser2> m_browser;
    ComPointer<class ClientSite> m_clientSite;
    ComPointer<class InPlaceFrame> m_frame;
    ComPointer<class EventSink> m_sink;
    ComPointer<IConnectionPoint> m_connection;
    DWORD m_cookie = 0;
};

// The window class named by the browser control's class id, as a dialog template names its
// control ("{8856F961-340A-11D0-A96B-00C04FD705A2}"): a window of it hosts that control through a
// ControlSite. Registered once per process; true when the class is there.
bool RegisterBrowserHostClass();

// The browser control's class id as a template names it.
inline constexpr const wchar_t* kBrowserControlClassName = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";

// The site of a host window of that class, or null.
ControlSite* ControlSiteOf(HWND hostWindow);
