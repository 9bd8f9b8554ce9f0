// The page of the browser window: the dialog that hosts the system's web-browser control, the
// program's own home and options pages written into it, and the documents it loads handed to the
// update processing.

#include "browser/ie_browser_tab.h"

#include <mshtml.h>
#include <oleauto.h>

#include <ctime>

#include "browser/browser_page_content.h"
#include "common/bstr.h"
#include "common/com_pointer.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "maker.h"
#include "res/resource.h"
#include "version.h"
#include "web/web_address.h"

namespace {

// Posted to the page to show one of its own pages after the control's event has returned.
constexpr UINT kShowOwnPageMessage = WM_APP + 18;

constexpr const wchar_t* kAutoUpdateOption = L"autoupdate";

bool SameObject(IUnknown* a, IUnknown* b) {
    if (a == nullptr || b == nullptr) return false;
    ComPointer<IUnknown> first;
    ComPointer<IUnknown> second;
    if (FAILED(a->QueryInterface(IID_IUnknown, first.ReceiveVoid()))) return false;
    if (FAILED(b->QueryInterface(IID_IUnknown, second.ReceiveVoid()))) return false;
    return first.Get() == second.Get();
}

// Replaces the whole content of a loaded document with `html`.
void WriteDocument(IHTMLDocument2* document, const std::wstring& html) {
    SAFEARRAY* lines = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    if (lines == nullptr) return;
    VARIANT* line = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(lines, reinterpret_cast<void**>(&line)))) {
        line->vt = VT_BSTR;
        line->bstrVal = SysAllocStringLen(html.data(), static_cast<UINT>(html.size()));
        SafeArrayUnaccessData(lines);
        ComPointer<IDispatch> window;
        const UniqueBstr type(SysAllocString(L"text/html"));
        VARIANT empty;
        VariantInit(&empty);
        document->open(type.Get(), empty, empty, empty, window.Receive());
        document->write(lines);
        document->close();
    }
    SafeArrayDestroy(lines);
}

}  // namespace

CIeBrowserTab18::CIeBrowserTab18(BrowserPageOwner& owner)
    : m_owner(owner),
      m_updates(*this, UpdateFilesOfThisProgram(), static_cast<uint64_t>(time(nullptr)), MakerSiteHosts()),
      m_readDocument([this](IDispatch* frame) { ReadDocument(frame); }) {
    m_options.push_back({kAutoUpdateOption, LangString(kTextAutoUpdate), true});
}

CIeBrowserTab18::~CIeBrowserTab18() {
    if (m_window != nullptr) DestroyWindow(m_window);
}

bool CIeBrowserTab18::Create(HWND frame) {
    if (!RegisterBrowserHostClass()) return false;
    m_window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_BROWSER_CONTROL), frame,
                                  DialogThunk<CIeBrowserTab18>, reinterpret_cast<LPARAM>(this));
    if (m_window == nullptr) return false;
    m_host = GetDlgItem(m_window, IDC_BROWSER_CONTROL);
    if (ControlSite* site = Site()) site->SetEvents(this);
    ShowWindow(m_window, SW_SHOW);
    return true;
}

ControlSite* CIeBrowserTab18::Site() const {
    ControlSite* site = ControlSiteOf(m_host);
    return site != nullptr && site->Browser() != nullptr ? site : nullptr;
}

std::wstring CIeBrowserTab18::UpdateCheckAddress() const {
    return UpdatePageAddress(WebRoot(), ORBELIN_VERSION_WTEXT, m_updates.ExpectedTime());
}

std::wstring CIeBrowserTab18::PageHtml(BrowserPageKind kind) const {
    return BuildBrowserPage(BrowserPageTemplate(), kind, CurrentPageTexts(UpdateCheckAddress()), m_options);
}

bool CIeBrowserTab18::SetOption(const std::wstring& name, int value) {
    for (BrowserOption& option : m_options) {
        if (option.name != name) continue;
        option.checked = value < 0 ? !option.checked : value != 0;
        return true;
    }
    return false;
}

bool CIeBrowserTab18::IsOptionOn(const wchar_t* name) const {
    for (const BrowserOption& option : m_options) {
        if (option.name == name) return option.checked;
    }
    return false;
}

void CIeBrowserTab18::Navigate(const std::wstring& address) {
    const PageRequest request = PageRequestOf(address);
    switch (request.kind) {
        case PageRequest::Kind::kSetOption:
            SetOption(request.option, request.value);
            m_pendingPage = BrowserPageKind::kOptions;
            LoadInControl(kOptionsPageAddress);
            return;
        case PageRequest::Kind::kHome:
            m_pendingPage = BrowserPageKind::kHome;
            break;
        case PageRequest::Kind::kOptions:
            m_pendingPage = BrowserPageKind::kOptions;
            break;
        case PageRequest::Kind::kNone:
            m_pendingPage.reset();
            break;
    }
    LoadInControl(address);
}

void CIeBrowserTab18::LoadInControl(const std::wstring& address) {
    m_owner.ShowAddress(address);
    ControlSite* site = Site();
    if (site == nullptr) return;
    const UniqueBstr target(SysAllocStringLen(address.data(), static_cast<UINT>(address.size())));
    VARIANT empty;
    VariantInit(&empty);
    m_ownNavigation = address;
    site->Browser()->Navigate(target.Get(), &empty, &empty, &empty, &empty);
}

void CIeBrowserTab18::OnDocumentText(std::wstring_view address, std::wstring_view documentText) {
    if (!IsOptionOn(kAutoUpdateOption)) return;
    m_updates.OnDocument(address, documentText);
}

bool CIeBrowserTab18::IsTopLevel(IDispatch* frame) const {
    ControlSite* site = Site();
    return site != nullptr && SameObject(frame, site->Browser());
}

void CIeBrowserTab18::OnBeforeNavigate(IDispatch* frame, const std::wstring& address, bool& cancel) {
    const bool ownNavigation = !m_ownNavigation.empty() && address == m_ownNavigation;
    if (ownNavigation) {
        m_ownNavigation.clear();
    } else if (PageRequestOf(address).kind != PageRequest::Kind::kNone) {
        // A link of the program's own pages: the page is made again outside this event.
        cancel = true;
        QueueNavigation(address);
        return;
    }
    // Another page comes: what the connection of the last one showed is over.
    if (IsTopLevel(frame)) m_trust.OnTopLevelNavigation();
}

void CIeBrowserTab18::OnDocumentComplete(IDispatch* frame, const std::wstring& address) {
    ControlSite* site = Site();
    // A frame's document is never heard: a page may hold frames of any site.
    if (site == nullptr || !IsTopLevel(frame)) return;
    m_owner.ShowAddress(address);
    if (m_pendingPage && PageRequestOf(address).kind != PageRequest::Kind::kNone) {
        const BrowserPageKind kind = *m_pendingPage;
        m_pendingPage.reset();
        ComPointer<IDispatch> documentDispatch;
        ComPointer<IHTMLDocument2> document;
        if (SUCCEEDED(site->Browser()->get_Document(documentDispatch.Receive())) && documentDispatch &&
            SUCCEEDED(documentDispatch->QueryInterface(IID_IHTMLDocument2, document.ReceiveVoid()))) {
            WriteDocument(document.Get(), PageHtml(kind));
        }
        return;
    }
    if (!m_trust.Trusted()) return;
    if (m_readDocument) m_readDocument(frame);
}

void CIeBrowserTab18::OnNavigateError(IDispatch* frame, const std::wstring&, long statusCode) {
    m_trust.OnNavigateError(IsTopLevel(frame), statusCode);
    CheckTrust();
}

void CIeBrowserTab18::OnSecureLockIcon(long state) {
    m_trust.OnSecureLockIcon(state);
    CheckTrust();
}

void CIeBrowserTab18::CheckTrust() {
    if (!m_trust.Trusted()) m_updates.OnPageDistrusted();
}

// Reads the text of the document that `frame` loaded, with the address it came from (the
// document's own address, after any redirection), and hands both to the update processing.
void CIeBrowserTab18::ReadDocument(IDispatch* frame) {
    if (frame == nullptr) return;
    ComPointer<IWebBrowser2> browser;
    ComPointer<IDispatch> documentDispatch;
    ComPointer<IHTMLDocument2> document;
    ComPointer<IHTMLDocument3> documentTree;
    ComPointer<IHTMLElement> root;
    if (FAILED(frame->QueryInterface(IID_IWebBrowser2, browser.ReceiveVoid())) ||
        FAILED(browser->get_Document(documentDispatch.Receive())) || !documentDispatch ||
        FAILED(documentDispatch->QueryInterface(IID_IHTMLDocument2, document.ReceiveVoid())) ||
        FAILED(documentDispatch->QueryInterface(IID_IHTMLDocument3, documentTree.ReceiveVoid())) ||
        FAILED(documentTree->get_documentElement(root.Receive())) || !root) {
        return;
    }
    UniqueBstr address;
    UniqueBstr text;
    if (FAILED(document->get_URL(address.Receive())) || FAILED(root->get_outerHTML(text.Receive()))) return;
    m_documentBeingRead = documentTree.Get();
    OnDocumentText(BstrView(address.Get()), BstrView(text.Get()));
    m_documentBeingRead = nullptr;
}

void CIeBrowserTab18::OnTitleChange(const std::wstring& title) { m_owner.ShowStatus(title); }

void CIeBrowserTab18::OnNewWindow(const std::wstring& address, bool& cancel) {
    // Pages open in this window; the program makes no windows for them.
    cancel = true;
    if (!address.empty()) QueueNavigation(address);
}

void CIeBrowserTab18::QueueNavigation(const std::wstring& address) {
    m_queuedAddress = address;
    PostMessageW(m_window, kShowOwnPageMessage, 0, 0);
}

void CIeBrowserTab18::OnWindowClosing() { PostMessageW(m_owner.Window(), WM_CLOSE, 0, 0); }

void CIeBrowserTab18::ShowUpdateOutcome(const std::wstring& html) {
    if (m_documentBeingRead == nullptr) return;
    const UniqueBstr id(SysAllocString(kUpdateOutcomeElementId));
    ComPointer<IHTMLElement> element;
    if (SUCCEEDED(m_documentBeingRead->getElementById(id.Get(), element.Receive())) && element) {
        const UniqueBstr content(SysAllocStringLen(html.data(), static_cast<UINT>(html.size())));
        element->put_innerHTML(content.Get());
    }
}

void CIeBrowserTab18::EndProgramForUpdate() { m_owner.EndForUpdate(); }

int CIeBrowserTab18::ShowUpdateMessage(const std::wstring& text, const std::wstring& caption, UINT flags) {
    return m_owner.ShowMessageBox(m_window, text, caption, flags);
}

INT_PTR CIeBrowserTab18::DialogMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) m_window = window;
    if (message == WM_NCDESTROY) {
        m_window = nullptr;
        m_host = nullptr;
        return FALSE;
    }
    return HandleMessage(message, wParam, lParam);
}

INT_PTR CIeBrowserTab18::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return FALSE;
        case WM_SIZE:
            if (m_host != nullptr) MoveWindow(m_host, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return TRUE;
        case WM_TIMER:
            if (wParam != kUpdateTimerId) return FALSE;
            m_updates.OnTimer();
            return TRUE;
        case kShowOwnPageMessage: {
            const std::wstring address = std::move(m_queuedAddress);
            m_queuedAddress.clear();
            if (!address.empty()) Navigate(address);
            return TRUE;
        }
        case WM_DESTROY:
            KillTimer(m_window, kUpdateTimerId);
            // The control goes with its host window; it must not call back into this page.
            if (ControlSite* site = ControlSiteOf(m_host)) site->SetEvents(nullptr);
            return FALSE;
        default:
            return FALSE;
    }
}
