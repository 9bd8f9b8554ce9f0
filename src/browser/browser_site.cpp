#include "browser/browser_site.h"

#include <exdispid.h>
#include <mshtmhst.h>
#include <oleauto.h>

#include <atomic>

namespace {

std::atomic<int> g_siteObjectsAlive{0};
std::atomic<int> g_siteObjectsMade{0};

// The reference count and the process-wide tally shared by the site's objects.
class CountedObject {
protected:
    CountedObject() {
        ++g_siteObjectsAlive;
        ++g_siteObjectsMade;
    }
    virtual ~CountedObject() { --g_siteObjectsAlive; }

    ULONG AddReference() { return ++m_references; }
    ULONG ReleaseReference() {
        const ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }

private:
    std::atomic<ULONG> m_references{1};
};

std::wstring TextOfVariant(const VARIANT& value) {
    const VARIANT* inner = &value;
    if (inner->vt == (VT_VARIANT | VT_BYREF) && inner->pvarVal != nullptr) inner = inner->pvarVal;
    if (inner->vt == VT_BSTR && inner->bstrVal != nullptr)
        return std::wstring(inner->bstrVal, SysStringLen(inner->bstrVal));
    if (inner->vt == (VT_BSTR | VT_BYREF) && inner->pbstrVal != nullptr && *inner->pbstrVal != nullptr) {
        return std::wstring(*inner->pbstrVal, SysStringLen(*inner->pbstrVal));
    }
    return std::wstring();
}

IDispatch* DispatchOfVariant(const VARIANT& value) {
    if (value.vt == VT_DISPATCH) return value.pdispVal;
    if (value.vt == (VT_DISPATCH | VT_BYREF) && value.ppdispVal != nullptr) return *value.ppdispVal;
    return nullptr;
}

// A number argument: by value, by reference, or a variant by reference that holds one.
long LongOfVariant(const VARIANT& value) {
    const VARIANT* inner = &value;
    if (inner->vt == (VT_VARIANT | VT_BYREF) && inner->pvarVal != nullptr) inner = inner->pvarVal;
    if (inner->vt == VT_I4) return inner->lVal;
    if (inner->vt == (VT_I4 | VT_BYREF) && inner->plVal != nullptr) return *inner->plVal;
    if (inner->vt == VT_INT) return inner->intVal;
    return 0;
}

void SetCancel(const VARIANT& value, bool cancel) {
    if (value.vt == (VT_BOOL | VT_BYREF) && value.pboolVal != nullptr)
        *value.pboolVal = cancel ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace

// The frame the control sees around itself: the top-level window of the host. It has no menus,
// tool space or status bar to share.
class InPlaceFrame final : public IOleInPlaceFrame, private CountedObject {
public:
    explicit InPlaceFrame(HWND host) : m_host(host) {}

    STDMETHODIMP QueryInterface(REFIID id, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (id == IID_IUnknown || id == IID_IOleWindow || id == IID_IOleInPlaceUIWindow || id == IID_IOleInPlaceFrame) {
            *object = static_cast<IOleInPlaceFrame*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

    STDMETHODIMP GetWindow(HWND* window) override {
        if (window == nullptr) return E_POINTER;
        *window = GetAncestor(m_host, GA_ROOT);
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    HWND m_host;
};

// The control's place in the host window, and the host's say over the document's look.
class ClientSite final : public IOleClientSite,
                         public IOleInPlaceSite,
                         public IDocHostUIHandler,
                         private CountedObject {
public:
    ClientSite(HWND host, InPlaceFrame* frame) : m_host(host) {
        frame->AddRef();
        m_frame.Reset(frame);
    }

    // Lets go of the frame; the control may still hold the site for a while.
    void LetGoOfHost() {
        m_frame.Reset();
        m_host = nullptr;
    }

    STDMETHODIMP QueryInterface(REFIID id, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (id == IID_IUnknown || id == IID_IOleClientSite) {
            *object = static_cast<IOleClientSite*>(this);
        } else if (id == IID_IOleWindow || id == IID_IOleInPlaceSite) {
            *object = static_cast<IOleInPlaceSite*>(this);
        } else if (id == IID_IDocHostUIHandler) {
            *object = static_cast<IDocHostUIHandler*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

    // IOleClientSite: the control is never saved and lives in no container document.
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker != nullptr) *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        if (container != nullptr) *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow and IOleInPlaceSite: the control fills the host window.
    STDMETHODIMP GetWindow(HWND* window) override {
        if (window == nullptr) return E_POINTER;
        *window = m_host;
        return m_host != nullptr ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return m_host != nullptr ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override {
        if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr || frameInfo == nullptr) {
            return E_POINTER;
        }
        *document = nullptr;
        *frame = m_frame.Get();
        if (!m_frame) return E_FAIL;
        m_frame->AddRef();
        GetClientRect(m_host, position);
        *clip = *position;
        frameInfo->fMDIApp = FALSE;
        frameInfo->hwndFrame = GetAncestor(m_host, GA_ROOT);
        frameInfo->haccel = nullptr;
        frameInfo->cAccelEntries = 0;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IDocHostUIHandler: a flat document with the browser's own menus and keys.
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override {
        if (info == nullptr) return E_POINTER;
        info->dwFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_THEME;
        info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        return S_OK;
    }
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override {
        return S_FALSE;
    }
    STDMETHODIMP HideUI() override { return S_OK; }
    STDMETHODIMP UpdateUI() override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override {
        if (key != nullptr) *key = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** target) override {
        if (target != nullptr) *target = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetExternal(IDispatch** external) override {
        if (external != nullptr) *external = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) override {
        if (translated != nullptr) *translated = nullptr;
        return S_FALSE;
    }
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** filtered) override {
        if (filtered != nullptr) *filtered = nullptr;
        return S_FALSE;
    }

private:
    ~ClientSite() override { LetGoOfHost(); }

    HWND m_host;
    ComPointer<InPlaceFrame> m_frame;
};

// Receives DWebBrowserEvents2 and hands the ones the page needs to its BrowserEvents.
class EventSink final : public IDispatch, private CountedObject {
public:
    void SetEvents(BrowserEvents* events) { m_events = events; }

    STDMETHODIMP QueryInterface(REFIID id, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (id == IID_IUnknown || id == IID_IDispatch || id == DIID_DWebBrowserEvents2) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count != nullptr) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

    // The arguments arrive last one first.
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*, UINT*) override {
        if (m_events == nullptr || parameters == nullptr) return S_OK;
        const VARIANT* arguments = parameters->rgvarg;
        const UINT count = parameters->cArgs;
        switch (id) {
            case DISPID_BEFORENAVIGATE2:
                if (count == 7) {
                    bool cancel = false;
                    m_events->OnBeforeNavigate(DispatchOfVariant(arguments[6]), TextOfVariant(arguments[5]), cancel);
                    SetCancel(arguments[0], cancel);
                }
                break;
            case DISPID_DOCUMENTCOMPLETE:
                if (count == 2)
                    m_events->OnDocumentComplete(DispatchOfVariant(arguments[1]), TextOfVariant(arguments[0]));
                break;
            case DISPID_NAVIGATEERROR:
                // The control's own error page follows; nothing here cancels it.
                if (count == 5) {
                    m_events->OnNavigateError(DispatchOfVariant(arguments[4]), TextOfVariant(arguments[3]),
                                              LongOfVariant(arguments[1]));
                }
                break;
            case DISPID_SETSECURELOCKICON:
                if (count == 1) m_events->OnSecureLockIcon(LongOfVariant(arguments[0]));
                break;
            case DISPID_TITLECHANGE:
                if (count == 1) m_events->OnTitleChange(TextOfVariant(arguments[0]));
                break;
            case DISPID_NEWWINDOW3:
                if (count == 5) {
                    bool cancel = false;
                    m_events->OnNewWindow(TextOfVariant(arguments[0]), cancel);
                    SetCancel(arguments[3], cancel);
                }
                break;
            case DISPID_NEWWINDOW2:
                if (count == 2) {
                    bool cancel = false;
                    m_events->OnNewWindow(std::wstring(), cancel);
                    SetCancel(arguments[0], cancel);
                }
                break;
            case DISPID_WINDOWCLOSING:
                if (count == 2) {
                    SetCancel(arguments[0], true);
                    m_events->OnWindowClosing();
                }
                break;
            default:
                break;
        }
        return S_OK;
    }

private:
    BrowserEvents* m_events = nullptr;
};

int SiteObjectsAlive() { return g_siteObjectsAlive; }

int SiteObjectsMade() { return g_siteObjectsMade; }

ControlSite::~ControlSite() { Close(); }

bool ControlSite::Open(HWND hostWindow, const CLSID& classId) {
    Close();
    m_host = hostWindow;
    // Each made with its one reference, which the site holds.
    m_frame.Reset(new InPlaceFrame(hostWindow));
    m_clientSite.Reset(new ClientSite(hostWindow, m_frame.Get()));
    m_sink.Reset(new EventSink());

    if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, m_object.ReceiveVoid()))) {
        m_object.Reset();
        Close();
        return false;
    }
    m_object->SetClientSite(m_clientSite.Get());
    m_object->SetHostNames(L"Glimmerpane", nullptr);

    if (FAILED(m_object->QueryInterface(IID_IWebBrowser2, m_browser.ReceiveVoid()))) m_browser.Reset();

    ComPointer<IConnectionPointContainer> container;
    if (SUCCEEDED(m_object->QueryInterface(IID_IConnectionPointContainer, container.ReceiveVoid()))) {
        if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, m_connection.Receive()))) {
            if (FAILED(m_connection->Advise(static_cast<IDispatch*>(m_sink.Get()), &m_cookie))) {
                m_connection.Reset();
                m_cookie = 0;
            }
        } else {
            m_connection.Reset();
        }
    }

    RECT area{};
    GetClientRect(hostWindow, &area);
    if (FAILED(m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_clientSite.Get(), 0, hostWindow, &area))) {
        Close();
        return false;
    }
    if (m_browser) m_browser->put_Silent(VARIANT_TRUE);
    return true;
}

void ControlSite::Close() {
    if (m_sink) m_sink->SetEvents(nullptr);
    if (m_connection) {
        m_connection->Unadvise(m_cookie);
        m_connection.Reset();
        m_cookie = 0;
    }
    if (m_browser) {
        m_browser->Stop();
        m_browser.Reset();
    }
    if (m_object) {
        ComPointer<IOleInPlaceObject> inPlace;
        if (SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceObject, inPlace.ReceiveVoid()))) {
            inPlace->InPlaceDeactivate();
        }
        inPlace.Reset();
        m_object->Close(OLECLOSE_NOSAVE);
        m_object->SetClientSite(nullptr);
        m_object.Reset();
    }
    if (m_clientSite) {
        // The control may keep the site past its release; without a host it does nothing more.
        m_clientSite->LetGoOfHost();
        m_clientSite.Reset();
    }
    m_frame.Reset();
    m_sink.Reset();
    m_host = nullptr;
}

void ControlSite::SetEvents(BrowserEvents* events) {
    if (m_sink) m_sink->SetEvents(events);
}

IDispatch* ControlSite::EventReceiver() const { return m_sink.Get(); }

void ControlSite::FitToHost() {
    if (!m_object || m_host == nullptr) return;
    RECT area{};
    GetClientRect(m_host, &area);
    ComPointer<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceObject, inPlace.ReceiveVoid()))) {
        inPlace->SetObjectRects(&area, &area);
    }
}

bool ControlSite::TranslateKey(MSG& message) {
    if (!m_object) return false;
    ComPointer<IOleInPlaceActiveObject> active;
    if (FAILED(m_object->QueryInterface(IID_IOleInPlaceActiveObject, active.ReceiveVoid()))) return false;
    return active->TranslateAccelerator(&message) == S_OK;
}

namespace {

LRESULT CALLBACK BrowserHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* site = reinterpret_cast<ControlSite*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_CREATE: {
            CLSID classId{};
            if (FAILED(CLSIDFromString(const_cast<wchar_t*>(kBrowserControlClassName), &classId))) return -1;
            site = new ControlSite();
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(site));
            // A host without its control stays as an empty area: the page says what failed.
            site->Open(window, classId);
            return 0;
        }
        case WM_SIZE:
            if (site != nullptr) site->FitToHost();
            return 0;
        case WM_ERASEBKGND:
            return site != nullptr && site->Browser() != nullptr ? 1 : DefWindowProcW(window, message, wParam, lParam);
        case WM_DESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            delete site;
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

bool RegisterBrowserHostClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, kBrowserControlClassName, &windowClass)) return true;
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = BrowserHostProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kBrowserControlClassName;
    return RegisterClassExW(&windowClass) != 0;
}

ControlSite* ControlSiteOf(HWND hostWindow) {
    wchar_t className[64] = L"";
    if (hostWindow == nullptr || GetClassNameW(hostWindow, className, 64) == 0 ||
        lstrcmpiW(className, kBrowserControlClassName) != 0) {
        return nullptr;
    }
    return reinterpret_cast<ControlSite*>(GetWindowLongPtrW(hostWindow, GWLP_USERDATA));
}
