#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <exdispid.h>
#include <ole2.h>
#include <oleauto.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

#include "common/message_box_watcher.h"
#include "common/module_path.h"
#include "common/test_files.h"
#include "common/web_traffic_guard.h"
#include "common/window_text.h"
#include "lang/language_archive.h"
#include "res/resource.h"
#include "settings/settings_paths.h"
#include "browser/browser_emulation.h"
#include "browser/browser_language.h"
#include "browser/browser_module.h"
#include "browser/ie_browser.h"
#include "browser/setup_test_support.h"
#include "browser/update_page_trust.h"
#include "web/web_address.h"
#include "web/web_root.h"

namespace {

constexpr const wchar_t* kMakerPage = L"https://www.kestrova.eu/?seite=Freeware/Orbelin/Update";

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = L"";
    GetClassNameW(window, name, 128);
    return name;
}

std::wstring ThisProgramFileName() { return FileNameOfPath(ProgramFilePath()); }

// An object the control would hand over as the frame of a document inside the page: any
// dispatch object other than the control itself.
class FrameOfThePage final : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID id, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (id != IID_IUnknown && id != IID_IDispatch) return E_NOINTERFACE;
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

// Sends DWebBrowserEvents2 to a page's site as the control sends them: the arguments last one
// first, the address, status and cancel flag by reference.
class ControlEvents {
public:
    explicit ControlEvents(CIeBrowserTab18& page)
        : m_receiver(page.Site()->EventReceiver()), m_control(page.Site()->Browser()) {}

    IDispatch* TopLevel() const { return m_control; }
    IDispatch* Frame() { return &m_frame; }

    void BeforeNavigate(IDispatch* frame, const std::wstring& address) {
        Text url(address);
        VARIANT flags = Number(0);
        VARIANT empty;
        VariantInit(&empty);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT arguments[7] = {CancelFlag(&cancel), ByReference(&empty), ByReference(&empty), ByReference(&empty),
                                ByReference(&flags), url.Argument(),      Dispatch(frame)};
        Invoke(DISPID_BEFORENAVIGATE2, arguments, 7);
    }
    void DocumentComplete(IDispatch* frame, const std::wstring& address) {
        Text url(address);
        VARIANT arguments[2] = {url.Argument(), Dispatch(frame)};
        Invoke(DISPID_DOCUMENTCOMPLETE, arguments, 2);
    }
    void NavigateError(IDispatch* frame, const std::wstring& address, long statusCode) {
        Text url(address);
        Text frameName(L"");
        VARIANT status = Number(statusCode);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        VARIANT arguments[5] = {CancelFlag(&cancel), ByReference(&status), frameName.Argument(), url.Argument(),
                                Dispatch(frame)};
        Invoke(DISPID_NAVIGATEERROR, arguments, 5);
    }
    void SecureLockIcon(long state) {
        VARIANT arguments[1] = {Number(state)};
        Invoke(DISPID_SETSECURELOCKICON, arguments, 1);
    }

private:
    // A text argument: a variant holding a BSTR, passed by reference.
    class Text {
    public:
        explicit Text(const std::wstring& text) {
            VariantInit(&m_value);
            m_value.vt = VT_BSTR;
            m_value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        }
        ~Text() { VariantClear(&m_value); }
        VARIANT Argument() { return ByReference(&m_value); }

    private:
        VARIANT m_value;
    };
    static VARIANT Typed(VARTYPE type) {
        VARIANT argument;
        VariantInit(&argument);
        argument.vt = type;
        return argument;
    }
    static VARIANT ByReference(VARIANT* value) {
        VARIANT argument = Typed(VT_VARIANT | VT_BYREF);
        argument.pvarVal = value;
        return argument;
    }
    static VARIANT Number(long value) {
        VARIANT argument = Typed(VT_I4);
        argument.lVal = value;
        return argument;
    }
    static VARIANT Dispatch(IDispatch* object) {
        VARIANT argument = Typed(VT_DISPATCH);
        argument.pdispVal = object;
        return argument;
    }
    static VARIANT CancelFlag(VARIANT_BOOL* cancel) {
        VARIANT argument = Typed(VT_BOOL | VT_BYREF);
        argument.pboolVal = cancel;
        return argument;
    }
    void Invoke(DISPID id, VARIANT* arguments, UINT count) {
        DISPPARAMS parameters{arguments, nullptr, count, 0};
        m_receiver->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
    }

    IDispatch* m_receiver;
    IDispatch* m_control;
    FrameOfThePage m_frame;
};

// The boxes among dialogs of this process that carry a message text (the frame is a dialog too).
std::vector<SeenMessageBox> OnlyMessageBoxes(std::vector<SeenMessageBox> seen) {
    seen.erase(std::remove_if(seen.begin(), seen.end(), [](const SeenMessageBox& box) { return box.text.empty(); }),
               seen.end());
    return seen;
}

// The browser windows of these tests run in the test program itself: it carries the program's
// resources (the dialogs, the page template and the language archive).
class BrowserWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        OleInitialize(nullptr);
        ASSERT_TRUE(LoadLanguageArchive());
    }
    void SetUp() override {
        m_language = CurrentLanguageIndex();
        SetCurrentLanguageIndex(kLanguageEnglish);
    }
    void TearDown() override {
        for (CIeBrowser18* browser : OpenBrowserWindows()) DestroyWindow(browser->Window());
        SetCurrentLanguageIndex(m_language);
        EXPECT_EQ(BrowserEmulationValue(ThisProgramFileName()), std::nullopt);
    }

    int m_language = kLanguageEnglish;
};

TEST_F(BrowserWindowTest, TheBrowserInstancesWindowAndItsEnd) {
    const int madeBefore = SiteObjectsMade();
    ASSERT_EQ(SiteObjectsAlive(), 0);
    ASSERT_EQ(BrowserEmulationValue(ThisProgramFileName()), std::nullopt);

    CIeBrowser18* browser = OpenBrowserWindow(L"", BrowserWindowRole::kBrowserInstance);
    ASSERT_NE(browser, nullptr);
    HWND frame = browser->Window();
    EXPECT_EQ(WindowText(frame), L"Glimmerpane");
    EXPECT_EQ(ClassOf(frame), L"#32770");
    EXPECT_TRUE(IsWindowVisible(frame));
    EXPECT_EQ(BrowserEmulationValue(ThisProgramFileName()), std::optional<unsigned long>(11001));

    // The address bar above the page, the page filling the rest of the frame.
    HWND bar = browser->AddressBar().Window();
    HWND page = browser->Page().Window();
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ClassOf(GetDlgItem(bar, IDC_BROWSER_ADDRESS)), L"ComboBoxEx32");
    EXPECT_EQ(ClassOf(GetDlgItem(bar, IDC_BROWSER_STATUS)), L"Static");
    RECT client{}, barArea{}, pageArea{};
    GetClientRect(frame, &client);
    GetWindowRect(bar, &barArea);
    GetWindowRect(page, &pageArea);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&barArea), 2);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&pageArea), 2);
    EXPECT_EQ(barArea.top, 0);
    EXPECT_EQ(barArea.right - barArea.left, client.right);
    EXPECT_GT(barArea.bottom, 10);
    EXPECT_EQ(pageArea.top, barArea.bottom);
    EXPECT_EQ(pageArea.bottom, client.bottom);

    // The control in its host window, through the program's own site objects.
    HWND host = GetDlgItem(page, IDC_BROWSER_CONTROL);
    EXPECT_EQ(ClassOf(host), L"{8856F961-340A-11D0-A96B-00C04FD705A2}");
    ASSERT_NE(browser->Page().Site(), nullptr) << "the system's browser control was not made";
    EXPECT_NE(browser->Page().Site()->Browser(), nullptr);
    EXPECT_EQ(SiteObjectsMade() - madeBefore, 3);
    EXPECT_EQ(SiteObjectsAlive(), 3);

    PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunBrowserMessageLoop(), kBrowserClosedQuitCode);
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_TRUE(OpenBrowserWindows().empty());
    EXPECT_EQ(BrowserEmulationValue(ThisProgramFileName()), std::nullopt);
    // Every object of the site was released (the control lets go of the ones it held).
    EXPECT_EQ(SiteObjectsAlive(), 0);
}

TEST_F(BrowserWindowTest, AWindowAmongOthersOnlyGoesAway) {
    CIeBrowser18* browser = OpenBrowserWindow(L"", BrowserWindowRole::kAmongOthers);
    ASSERT_NE(browser, nullptr);
    HWND frame = browser->Window();
    PostMessageW(frame, WM_CLOSE, 0, 0);
    // A quit request of the window's own would replace this one.
    PostQuitMessage(7);
    EXPECT_EQ(RunBrowserMessageLoop(), 7);
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_EQ(SiteObjectsAlive(), 0);
}

TEST_F(BrowserWindowTest, AnUpdateEndsTheLoopWithZero) {
    for (BrowserWindowRole role : {BrowserWindowRole::kBrowserInstance, BrowserWindowRole::kAmongOthers}) {
        SCOPED_TRACE(role == BrowserWindowRole::kBrowserInstance ? "browser instance" : "among others");
        CIeBrowser18* browser = OpenBrowserWindow(L"", role);
        ASSERT_NE(browser, nullptr);
        browser->Page().EndProgramForUpdate();
        EXPECT_EQ(RunBrowserMessageLoop(), 0);
        EXPECT_TRUE(OpenBrowserWindows().empty());
        EXPECT_EQ(BrowserEmulationValue(ThisProgramFileName()), std::nullopt);
    }
}

TEST_F(BrowserWindowTest, TheEmulationValueStaysWhileAnyWindowIsOpen) {
    CIeBrowser18* first = OpenBrowserWindow(L"", BrowserWindowRole::kAmongOthers);
    CIeBrowser18* second = OpenBrowserWindow(L"", BrowserWindowRole::kAmongOthers);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(OpenBrowserWindows().size(), 2u);
    DestroyWindow(first->Window());
    EXPECT_EQ(BrowserEmulationValue(ThisProgramFileName()), std::optional<unsigned long>(11001));
    DestroyWindow(second->Window());
    EXPECT_EQ(BrowserEmulationValue(ThisProgramFileName()), std::nullopt);
    EXPECT_EQ(SiteObjectsAlive(), 0);
}

TEST_F(BrowserWindowTest, OwnPagesAndTheirOptionLinks) {
    CIeBrowser18* browser = OpenBrowserWindow(kHomePageAddress, BrowserWindowRole::kAmongOthers);
    ASSERT_NE(browser, nullptr);
    CIeBrowserTab18& page = browser->Page();
    EXPECT_EQ(browser->AddressBar().Address(), L"about:blank#home");

    const std::wstring home = page.PageHtml(BrowserPageKind::kHome);
    EXPECT_EQ(home.find(kHomePlaceholder), std::wstring::npos);
    EXPECT_EQ(home.find(kOptionsPlaceholder), std::wstring::npos);
    EXPECT_NE(home.find(L"<a href=\"#opt\"><img"), std::wstring::npos);
    EXPECT_NE(home.find(L">Check for updates</a>"), std::wstring::npos);
    EXPECT_NE(home.find(HtmlText(page.UpdateCheckAddress())), std::wstring::npos);
    EXPECT_NE(home.find(L"<title>Glimmerpane</title>"), std::wstring::npos) << "not the page template";

    const struct {
        const wchar_t* link;
        bool checkedAfter;
    } links[] = {
        {L"about:blank#opt-option:autoupdate=0", false}, {L"about:blank#opt-option:autoupdate=1", true},
        {L"about:blank#opt-option:autoupdate=2", true},  // no state a check box reports: an ordinary address
        {L"about:blank#opt-option:unknown=0", true},     {L"about:blank#opt-option:autoupdate", false},
        {L"about:blank#opt-option:autoupdate", true},
    };
    for (const auto& link : links) {
        SCOPED_TRACE(link.link);
        browser->Navigate(link.link);
        ASSERT_EQ(page.Options().size(), 1u);
        EXPECT_EQ(page.Options()[0].checked, link.checkedAfter);
    }
    const std::wstring options = page.PageHtml(BrowserPageKind::kOptions);
    EXPECT_NE(options.find(L"id=\"autoupdate\" checked"), std::wstring::npos);
    EXPECT_NE(options.find(L"#opt-option:autoupdate="), std::wstring::npos);
    EXPECT_NE(options.find(L"Auto Update"), std::wstring::npos);

    // The address bar keeps the addresses it went to, newest first and each once.
    const std::vector<std::wstring> listed = browser->AddressBar().ListedAddresses();
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ(listed.front(), L"about:blank#opt");
    EXPECT_EQ(std::count(listed.begin(), listed.end(), L"about:blank#opt"), 1);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), L"about:blank#home"), 1);
}

TEST_F(BrowserWindowTest, EnterInTheAddressFieldGoesThere) {
    CIeBrowser18* browser = OpenBrowserWindow(kHomePageAddress, BrowserWindowRole::kAmongOthers);
    ASSERT_NE(browser, nullptr);
    HWND list = GetDlgItem(browser->AddressBar().Window(), IDC_BROWSER_ADDRESS);
    HWND field = reinterpret_cast<HWND>(SendMessageW(list, CBEM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(field, nullptr);
    SetWindowTextW(field, L"  about:blank#opt-option:autoupdate=0 ");
    SendMessageW(browser->Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(browser->Page().Options()[0].checked);
    EXPECT_EQ(browser->AddressBar().ListedAddresses().front(), L"about:blank#opt");
}

TEST_F(BrowserWindowTest, PagesFollowTheLanguage) {
    const struct {
        int language;
        const wchar_t* checkForUpdates;
        const wchar_t* host;
    } cases[] = {
        {kLanguageGerman, L"Nach Updates suchen", L"https://www.kestrova.de/"},
        {kLanguageFrench, L"Rechercher des mises à jour", nullptr},
        // Danish has no translation of it yet: the English text stands in.
        {kLanguageDanish, L"Check for updates", nullptr},
        {kLanguageEnglish, L"Check for updates", nullptr},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.language);
        SetCurrentLanguageIndex(testCase.language);
        CIeBrowser18* browser = OpenBrowserWindow(L"", BrowserWindowRole::kAmongOthers);
        ASSERT_NE(browser, nullptr);
        const std::wstring home = browser->Page().PageHtml(BrowserPageKind::kHome);
        EXPECT_NE(home.find(HtmlText(testCase.checkForUpdates)), std::wstring::npos);
        if (testCase.host != nullptr) {
            EXPECT_EQ(browser->Page().UpdateCheckAddress().rfind(testCase.host, 0), 0u);
        }
        DestroyWindow(browser->Window());
    }
}

TEST_F(BrowserWindowTest, DocumentsReachTheUpdateCheckOnlyWithTheOptionOn) {
    // An offer that fails its first check shows "error1" when it is read at all.
    OfferLines offer = GoodOffer(SomeProgramBytes(10), 1);
    offer.base64Length = L"0";
    const std::wstring document = OfferDocument(offer);
    for (bool optionOn : {true, false}) {
        SCOPED_TRACE(optionOn ? "option on" : "option off");
        auto seen = RunAnsweringMessageBoxes(
            [&] {
                OleInitialize(nullptr);
                CIeBrowser18* browser = OpenBrowserWindow(L"", BrowserWindowRole::kAmongOthers);
                if (browser != nullptr) {
                    browser->Page().SetOption(L"autoupdate", optionOn ? 1 : 0);
                    browser->Page().OnDocumentText(kMakerPage, document);
                    DestroyWindow(browser->Window());
                }
                OleUninitialize();
            },
            20000);
        // The frame is a dialog too, but without a message text: only the message boxes count.
        seen.erase(std::remove_if(seen.begin(), seen.end(), [](const SeenMessageBox& box) { return box.text.empty(); }),
                   seen.end());
        testing::Message boxes;
        for (const SeenMessageBox& box : seen) boxes << box.caption << ": " << box.text << "; ";
        ASSERT_EQ(seen.size(), optionOn ? 1u : 0u) << boxes;
        if (optionOn) {
            EXPECT_EQ(seen[0].text, L"error1");
        }
    }
}

constexpr long kInetInvalidCertificate = static_cast<long>(0x800C0019u);
constexpr long kSecure128Bit = 6;

TEST_F(BrowserWindowTest, OnlyTheTopLevelUpdatePageOverATrustedConnectionIsHeard) {
    using Step = std::function<void(ControlEvents&)>;
    const Step navigate = [](ControlEvents& e) { e.BeforeNavigate(e.TopLevel(), kMakerPage); };
    const Step loaded = [](ControlEvents& e) { e.DocumentComplete(e.TopLevel(), kMakerPage); };
    const auto lock = [](long state) { return Step([state](ControlEvents& e) { e.SecureLockIcon(state); }); };
    const auto pageError = [](long status) {
        return Step([status](ControlEvents& e) { e.NavigateError(e.TopLevel(), kMakerPage, status); });
    };
    const auto frameError = [](long status) {
        return Step([status](ControlEvents& e) { e.NavigateError(e.Frame(), L"https://ads.example/", status); });
    };
    const struct {
        const char* name;
        std::vector<Step> events;
        const wchar_t* documentAddress;  // as the loaded document names itself
        bool heard;
    } cases[] = {
        {"the update page over a secure connection", {navigate, lock(kSecure128Bit), loaded}, kMakerPage, true},
        {"no security state reported", {navigate, loaded}, kMakerPage, true},
        {"a frame's document",
         {navigate, lock(kSecure128Bit), [](ControlEvents& e) { e.DocumentComplete(e.Frame(), kMakerPage); }},
         kMakerPage,
         false},
        {"another path of the maker's host",
         {navigate, lock(kSecure128Bit), loaded},
         L"https://www.kestrova.eu/forum/?seite=Freeware/Orbelin/Update",
         false},
        {"another page of the maker's host",
         {navigate, lock(kSecure128Bit), loaded},
         L"https://www.kestrova.eu/?seite=Forum",
         false},
        {"a certificate error of the page", {navigate, pageError(kInetInvalidCertificate), loaded}, kMakerPage, false},
        {"the user went on after a certificate error",
         {navigate, pageError(12045), navigate, lock(kSecure128Bit), loaded},
         kMakerPage,
         false},
        {"a certificate error of a frame", {navigate, frameError(12037), loaded}, kMakerPage, false},
        {"a mixed page", {navigate, lock(kSecureLockIconMixed), loaded}, kMakerPage, false},
        {"mixed, then secure again",
         {navigate, lock(kSecureLockIconMixed), lock(kSecure128Bit), loaded},
         kMakerPage,
         false},
        {"a page called not secure", {navigate, lock(kSecureLockIconUnsecure), loaded}, kMakerPage, false},
        {"an earlier page failed", {navigate, pageError(404), navigate, loaded}, kMakerPage, true},
        {"an earlier page was not secure",
         {navigate, lock(kSecureLockIconUnsecure), navigate, lock(kSecure128Bit), loaded},
         kMakerPage,
         true},
        {"a frame that was not found", {navigate, frameError(404), loaded}, kMakerPage, true},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        bool heard = false;
        const auto seen = OnlyMessageBoxes(RunAnsweringMessageBoxes(
            [&] {
                OleInitialize(nullptr);
                CIeBrowser18* browser = OpenBrowserWindow(L"", BrowserWindowRole::kAmongOthers);
                if (browser != nullptr && browser->Page().Site() != nullptr) {
                    CIeBrowserTab18& page = browser->Page();
                    const std::wstring document =
                        OfferDocument(GoodOffer(SomeProgramBytes(100), page.Updates().ExpectedTime()));
                    page.SetDocumentReader(
                        [&](IDispatch*) { page.OnDocumentText(testCase.documentAddress, document); });
                    ControlEvents events(page);
                    for (const Step& step : testCase.events) step(events);
                    heard = page.Updates().StartPending();
                }
                if (browser != nullptr) DestroyWindow(browser->Window());
                OleUninitialize();
            },
            20000));
        EXPECT_EQ(heard, testCase.heard);
        EXPECT_TRUE(seen.empty()) << (seen.empty() ? L"" : seen[0].text);
    }
}

TEST_F(BrowserWindowTest, AnOfferWaitingForItsStartGoesWhenThePageTurnsMixed) {
    std::wstring received;
    bool pendingBefore = false;
    bool pendingAfter = true;
    RunAnsweringMessageBoxes(
        [&] {
            OleInitialize(nullptr);
            CIeBrowser18* browser = OpenBrowserWindow(L"", BrowserWindowRole::kAmongOthers);
            if (browser != nullptr && browser->Page().Site() != nullptr) {
                CIeBrowserTab18& page = browser->Page();
                const std::wstring document =
                    OfferDocument(GoodOffer(SomeProgramBytes(100), page.Updates().ExpectedTime()));
                page.SetDocumentReader([&](IDispatch*) { page.OnDocumentText(kMakerPage, document); });
                ControlEvents events(page);
                events.BeforeNavigate(events.TopLevel(), kMakerPage);
                events.DocumentComplete(events.TopLevel(), kMakerPage);
                pendingBefore = page.Updates().StartPending();
                received = page.Updates().PendingFile();
                // An insecure part of the page arrives after the document.
                events.SecureLockIcon(kSecureLockIconMixed);
                pendingAfter = page.Updates().StartPending();
            }
            if (browser != nullptr) DestroyWindow(browser->Window());
            OleUninitialize();
        },
        20000);
    EXPECT_TRUE(pendingBefore);
    EXPECT_FALSE(pendingAfter);
    EXPECT_FALSE(received.empty());
    EXPECT_FALSE(FileExists(received));
}

TEST_F(BrowserWindowTest, ClosingTheWindowWhileItAsksWaitsForTheAnswer) {
    std::atomic<HWND> frame{nullptr};
    std::atomic<bool> done{false};
    std::wstring received;
    int quitCode = -1;
    std::thread window([&] {
        OleInitialize(nullptr);
        CIeBrowser18* browser = OpenBrowserWindow(L"", BrowserWindowRole::kBrowserInstance);
        if (browser != nullptr) {
            CIeBrowserTab18& page = browser->Page();
            page.OnDocumentText(kMakerPage,
                                OfferDocument(GoodOffer(SomeProgramBytes(100), page.Updates().ExpectedTime())));
            received = page.Updates().PendingFile();
            // The start timer's message, at once: the question comes.
            PostMessageW(page.Window(), WM_TIMER, kUpdateTimerId, 0);
            frame = browser->Window();
            quitCode = RunBrowserMessageLoop();
        }
        OleUninitialize();
        done = true;
    });

    // The question, once it is open.
    HWND question = nullptr;
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (question == nullptr && !done && GetTickCount64() < deadline) {
        for (HWND box = nullptr; (box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr;) {
            DWORD process = 0;
            GetWindowThreadProcessId(box, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(box) && GetDlgItem(box, 0xFFFF) != nullptr &&
                WindowText(box) != L"Glimmerpane") {
                question = box;
            }
        }
        Sleep(20);
    }
    EXPECT_NE(question, nullptr) << "no question was asked";
    if (question != nullptr) {
        // The window is asked to close while the question is open: it stays, and so does
        // everything the question's caller works with.
        DWORD_PTR result = 0;
        SendMessageTimeoutW(frame, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
        EXPECT_TRUE(IsWindow(frame)) << "the window went while its question was open";
        EXPECT_TRUE(IsWindow(question));
        EXPECT_TRUE(FileExists(received));
    }
    // The user says no; then the window closes as it was asked to.
    std::vector<HWND> recorded;
    std::vector<SeenMessageBox> seen;
    while (!done && GetTickCount64() < deadline + 20000) {
        AnswerMessageBoxes(GetCurrentProcessId(), recorded, seen, IDNO);
        Sleep(20);
    }
    window.join();
    EXPECT_EQ(quitCode, kBrowserClosedQuitCode);
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_TRUE(OpenBrowserWindows().empty());
    EXPECT_FALSE(received.empty());
    EXPECT_FALSE(FileExists(received)) << "the refused file stayed";
    EXPECT_EQ(SiteObjectsAlive(), 0);
}

TEST(SettingsFileToRead, TheFileTheProgramWouldUseWithoutWritingAny) {
    TestFolder folder(L"language");
    const std::wstring program = folder / L"Orbelin.exe";
    const std::wstring beside = folder / L"Orbelin.ini";
    const std::wstring appData = folder / L"appdata";
    const std::wstring perUser = appData + L"\\Orbelin\\Orbelin.ini";
    const std::wstring temp = folder / L"temp\\";

    EXPECT_EQ(SettingsFileToRead(program, temp, appData), perUser);
    ASSERT_TRUE(WriteFileBytes(beside, Utf16FileBytes(L"[Program]\r\nlng=7\r\n")));
    EXPECT_EQ(SettingsFileToRead(program, temp, appData), beside);
    // A program inside the temporary folder keeps no settings there.
    EXPECT_EQ(SettingsFileToRead(program, folder.Path() + L"\\", appData), perUser);
    SetFileAttributesW(beside.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(SettingsFileToRead(program, temp, appData), perUser);
    SetFileAttributesW(beside.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(FileExists(appData)) << "looking for the file made a folder";
}

TEST_F(BrowserWindowTest, TheUninstallPageRunsInAWindowUntilItIsClosed) {
    WebTrafficToClosedLoopbackPort noWebTraffic;
    // The window runs its own loop on this thread; another thread looks at it and closes it.
    std::wstring shownAddress;
    std::atomic<bool> closed{false};
    std::thread user([&] {
        const ULONGLONG deadline = GetTickCount64() + 30000;
        HWND frame = nullptr;
        while (GetTickCount64() < deadline && (frame = FindWindowW(L"#32770", L"Glimmerpane")) == nullptr) Sleep(50);
        if (frame == nullptr) return;
        // The frame shows before its address bar is made: wait for the bar's list too.
        HWND list = nullptr;
        while (GetTickCount64() < deadline && list == nullptr) {
            for (HWND part = nullptr;
                 list == nullptr && (part = FindWindowExW(frame, part, L"#32770", nullptr)) != nullptr;) {
                list = FindWindowExW(part, nullptr, L"ComboBoxEx32", nullptr);
            }
            if (list == nullptr) Sleep(50);
        }
        HWND field = reinterpret_cast<HWND>(SendMessageW(list, CBEM_GETEDITCONTROL, 0, 0));
        while (GetTickCount64() < deadline && GetWindowTextLengthW(field) == 0) Sleep(50);
        wchar_t text[1024] = L"";
        SendMessageW(field, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
        shownAddress = text;
        closed = PostMessageW(frame, WM_CLOSE, 0, 0) != FALSE;
    });
    const bool shown = ShowUninstallPageWindow();
    user.join();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(closed);
    EXPECT_EQ(shownAddress, UninstallPageAddress(WebRoot()));
    EXPECT_NE(shownAddress.find(L"?seite=Freeware/Orbelin/Uninstall"), std::wstring::npos) << shownAddress;
    EXPECT_TRUE(OpenBrowserWindows().empty());
    EXPECT_EQ(SiteObjectsAlive(), 0);
}

}  // namespace
