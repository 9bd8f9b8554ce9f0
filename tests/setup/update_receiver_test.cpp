#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>

#include "common/message_box_watcher.h"
#include "common/test_files.h"
#include "setup/browser_page_content.h"
#include "setup/setup_test_support.h"
#include "setup/update_receiver.h"
#include "setup/update_start_arguments.h"

namespace {

constexpr uint64_t kTime = 1765432100;
constexpr const wchar_t* kMakerPage = L"https://www.kestrova.com/?seite=Freeware/Orbelin/Update";

std::wstring FixturePath(const std::wstring& fileName) {
    const char* fixtures = std::getenv("ORBELIN_FIXTURES_DIR");
    return fixtures != nullptr ? WindowsPathFromHost(fixtures) + L"\\" + fileName : std::wstring();
}

// The page window the receiver works for, as a plain window of the test: its timer message goes
// to the receiver, and what the receiver asks of the page is recorded.
class TestPage : public UpdatePageHost {
public:
    TestPage() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"SetupTestUpdatePage";
        RegisterClassW(&windowClass);
        m_window = CreateWindowExW(0, L"SetupTestUpdatePage", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), this);
    }
    ~TestPage() override { DestroyWindow(m_window); }

    HWND UpdateWindow() const override { return m_window; }
    void ShowUpdateOutcome(const std::wstring& html) override { outcomes.push_back(html); }
    void EndProgramForUpdate() override { ended = true; }

    UpdateReceiver* receiver = nullptr;
    std::vector<std::wstring> outcomes;
    bool ended = false;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        }
        auto* page = reinterpret_cast<TestPage*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_TIMER && wParam == kUpdateTimerId && page != nullptr && page->receiver != nullptr) {
            page->receiver->OnTimer();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
};

// Waits until the file exists and holds something (a started program writes it a moment later).
bool WaitUntilFile(const std::wstring& path) {
    const ULONGLONG deadline = GetTickCount64() + 15000;
    while (GetTickCount64() < deadline) {
        const auto bytes = ReadFileBytes(path);
        if (bytes && !bytes->empty()) return true;
        Sleep(50);
    }
    return false;
}

// Handles this thread's messages until `done` holds or `timeoutMs` passed.
void PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done() && GetTickCount64() < deadline) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

class UpdateReceiverTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW((m_folder / L"program").c_str(), nullptr);
        m_files.programPath = m_folder / L"program\\Orbelin.exe";
        m_files.updateFile = m_folder / L"Orbelin_Autoupdate.exe";
        m_files.writeTestFile = m_folder / L"program\\Orbelin_Autoupdate.exe";
    }

    // Hands `document` from `address` to a receiver on a thread of its own; `then` runs on that
    // thread afterwards with the page and receiver. Message boxes are answered with `button`.
    std::vector<SeenMessageBox> Receive(const std::wstring& address, const std::wstring& document,
                                        const std::function<void(TestPage&, UpdateReceiver&)>& then = {},
                                        int button = IDOK) {
        return RunAnsweringMessageBoxes(
            [&] {
                TestPage page;
                UpdateReceiver receiver(page, m_files, kTime, MakerSiteHosts());
                page.receiver = &receiver;
                receiver.OnDocument(address, document);
                if (then) then(page, receiver);
                m_outcomes = page.outcomes;
                m_ended = page.ended;
                m_elevated = receiver.Elevated();
            },
            30000, button);
    }

    TestFolder m_folder{L"update"};
    UpdateFiles m_files;
    std::vector<std::wstring> m_outcomes;
    bool m_ended = false;
    bool m_elevated = false;
};

TEST_F(UpdateReceiverTest, AGoodOfferIsWrittenAndStartedWithTheUsersConsent) {
    const std::wstring fixture = FixturePath(L"start_recorder.exe");
    const std::optional<std::vector<uint8_t>> program = ReadFileBytes(fixture);
    ASSERT_TRUE(program.has_value()) << "no start_recorder fixture";

    const std::wstring document = OfferDocument(GoodOffer(*program, kTime), L"\r\n");
    std::optional<std::vector<uint8_t>> writtenBeforeTheStart;
    const auto seen = Receive(
        kMakerPage, document,
        [&](TestPage& page, UpdateReceiver& receiver) {
            writtenBeforeTheStart = ReadFileBytes(m_files.updateFile);
            EXPECT_TRUE(receiver.StartPending());
            // The real start timer: five seconds, then the question, then the start.
            PumpUntil([&] { return page.ended; }, 15000);
        },
        IDYES);

    ASSERT_TRUE(writtenBeforeTheStart.has_value());
    EXPECT_EQ(Sha256OfBytes(*writtenBeforeTheStart), Sha256OfBytes(*program));
    EXPECT_EQ(*writtenBeforeTheStart, *program);
    ASSERT_EQ(m_outcomes.size(), 1u);
    EXPECT_EQ(m_outcomes[0].rfind(L"<h4>Orbelin 2.0.0</h4>", 0), 0u) << Narrow(m_outcomes[0]);

    // One question, naming the offered version; nothing else was said.
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen[0].text.find(L"Orbelin 2.0.0"), std::wstring::npos) << Narrow(seen[0].text);
    EXPECT_NE(seen[0].caption.find(L"Orbelin"), std::wstring::npos);
    EXPECT_TRUE(m_ended) << "the program was not asked to end for the update";
    EXPECT_FALSE(m_elevated);
    EXPECT_FALSE(FileExists(m_files.writeTestFile)) << "the write test left its file";

    // The fixture recorded the command line it was started with.
    const std::wstring record = m_files.updateFile + L".txt";
    ASSERT_TRUE(WaitUntilFile(record));
    const auto bytes = ReadFileBytes(record);
    ASSERT_TRUE(bytes.has_value());
    const std::wstring commandLine(reinterpret_cast<const wchar_t*>(bytes->data()), bytes->size() / sizeof(wchar_t));
    const std::wstring parameters = L"Path=\"" + m_files.programPath + L"\" Version=\"2.0.0\" ";
    EXPECT_EQ(parameters, UpdateStartParameters(m_files.programPath, L"2.0.0"));
    ASSERT_GE(commandLine.size(), parameters.size());
    EXPECT_EQ(commandLine.substr(commandLine.size() - parameters.size()), parameters) << Narrow(commandLine);
    EXPECT_NE(commandLine.find(L"Orbelin_Autoupdate.exe"), std::wstring::npos) << Narrow(commandLine);
}

TEST_F(UpdateReceiverTest, WithoutConsentTheFileGoesAndNothingStarts) {
    const std::vector<uint8_t> program = SomeProgramBytes(5000);
    const auto seen = Receive(
        kMakerPage, OfferDocument(GoodOffer(program, kTime)),
        [&](TestPage& page, UpdateReceiver& receiver) {
            EXPECT_TRUE(FileExists(m_files.updateFile));
            // The start timer's message, sent at once rather than waited for.
            PostMessageW(page.UpdateWindow(), WM_TIMER, kUpdateTimerId, 0);
            PumpUntil([&] { return !receiver.StartPending(); }, 10000);
            // A later timer message finds nothing to start.
            receiver.OnTimer();
        },
        IDNO);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen[0].text.find(L"2.0.0"), std::wstring::npos);
    EXPECT_FALSE(FileExists(m_files.updateFile));
    EXPECT_FALSE(m_ended);
}

TEST_F(UpdateReceiverTest, RefusedOffersSayWhyAndWriteNothing) {
    const std::vector<uint8_t> program = SomeProgramBytes(4000);
    const std::wstring otherDigest = Sha256OfBytes(SomeProgramBytes(10));
    const struct {
        const char* name;
        std::function<void(OfferLines&)> change;
        std::wstring caption;
        std::wstring text;
    } cases[] = {
        {"wrong Base64 length", [](OfferLines& o) { o.base64Length = L"1"; }, L"", L"error1"},
        {"wrong decoded length", [](OfferLines& o) { o.programLength = L"4001"; }, L"Base64 error2:4001",
         L"from base:4000\nfile-len:4001"},
        {"wrong digest", [&](OfferLines& o) { o.digest = otherDigest; }, L"sha256 error!",
         L"In:" + otherDigest + L"\nOut:" + Sha256OfBytes(program)},
        {"wrong time", [](OfferLines& o) { o.timeBase64 = Base64Of(std::string("1")); }, L"", L"error3"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        OfferLines offer = GoodOffer(program, kTime);
        testCase.change(offer);
        bool pending = true;
        const auto seen = Receive(kMakerPage, OfferDocument(offer),
                                  [&](TestPage&, UpdateReceiver& r) { pending = r.StartPending(); });
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, testCase.caption);
        // A message box shows a line feed as it is given.
        EXPECT_EQ(seen[0].text, testCase.text);
        EXPECT_FALSE(pending);
        EXPECT_FALSE(FileExists(m_files.updateFile));
        EXPECT_TRUE(m_outcomes.empty());
    }
}

TEST_F(UpdateReceiverTest, NoDigestMeansNoOfferAndNoMessage) {
    OfferLines offer = GoodOffer(SomeProgramBytes(100), kTime);
    offer.digest.clear();
    offer.programLength = L"1";  // would fail, were it looked at
    const auto seen = Receive(kMakerPage, OfferDocument(offer));
    EXPECT_TRUE(seen.empty());
    EXPECT_FALSE(FileExists(m_files.updateFile));
}

TEST_F(UpdateReceiverTest, PagesFromElsewhereAreNotReadAtAll) {
    // A perfect offer, and a broken one that would show a message: neither is heard.
    OfferLines broken = GoodOffer(SomeProgramBytes(100), kTime);
    broken.base64Length = L"0";
    for (const wchar_t* address :
         {L"http://www.kestrova.com/?seite=Freeware/Orbelin/Update", L"https://www.kestrova.net/",
          L"https://www.kestrova.com.evil.example/", L"https://www.kestrova.com@evil.example/", L"about:blank"}) {
        SCOPED_TRACE(Narrow(address));
        for (const OfferLines& offer : {GoodOffer(SomeProgramBytes(100), kTime), broken}) {
            const auto seen = Receive(address, OfferDocument(offer));
            EXPECT_TRUE(seen.empty());
            EXPECT_FALSE(FileExists(m_files.updateFile));
            EXPECT_TRUE(m_outcomes.empty());
        }
    }
}

TEST_F(UpdateReceiverTest, AnUpdateFileThatCannotBeMadeSaysCreateError) {
    m_files.updateFile = m_folder / L"missing\\Orbelin_Autoupdate.exe";
    bool pending = true;
    const auto seen = Receive(kMakerPage, OfferDocument(GoodOffer(SomeProgramBytes(100), kTime)),
                              [&](TestPage&, UpdateReceiver& r) { pending = r.StartPending(); });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"Create Error!");
    EXPECT_EQ(seen[0].caption, L"");
    EXPECT_FALSE(pending);
}

TEST_F(UpdateReceiverTest, AProgramFolderThatCannotBeWrittenAsksForAdministratorRights) {
    // The folder of the write test does not exist, so nothing can be made there.
    m_files.writeTestFile = m_folder / L"missing\\Orbelin_Autoupdate.exe";
    Receive(kMakerPage, OfferDocument(GoodOffer(SomeProgramBytes(100), kTime)));
    EXPECT_TRUE(m_elevated);
    EXPECT_TRUE(FileExists(m_files.updateFile));
}

TEST(ProgramFolderWritable, TheProbeLeavesNothingAndKeepsWhatWasThere) {
    TestFolder folder(L"probe");
    const std::wstring probe = folder / L"Orbelin_Autoupdate.exe";
    EXPECT_TRUE(ProgramFolderWritable(probe));
    EXPECT_FALSE(FileExists(probe));

    ASSERT_TRUE(WriteFileBytes(probe, std::string("someone else's")));
    EXPECT_TRUE(ProgramFolderWritable(probe));
    EXPECT_EQ(ReadFileBytes(probe), std::optional<std::vector<uint8_t>>(std::vector<uint8_t>{
                                        's', 'o', 'm', 'e', 'o', 'n', 'e', ' ', 'e', 'l', 's', 'e', '\'', 's'}));

    EXPECT_FALSE(ProgramFolderWritable(folder / L"missing\\Orbelin_Autoupdate.exe"));
}

}  // namespace
