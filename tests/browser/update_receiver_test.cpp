#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>

#include "common/message_box_watcher.h"
#include "common/message_pump.h"
#include "common/module_path.h"
#include "common/system_folders.h"
#include "common/test_files.h"
#include "common/unique_handle.h"
#include "browser/browser_page_content.h"
#include "browser/setup_test_support.h"
#include "browser/update_receiver.h"
#include "browser/update_start_arguments.h"

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
    int ShowUpdateMessage(const std::wstring& text, const std::wstring& caption, UINT flags) override {
        return MessageBoxW(m_window, text.c_str(), caption.c_str(), flags);
    }
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

class UpdateReceiverTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW((m_folder / L"program").c_str(), nullptr);
        m_files.programPath = m_folder / L"program\\Orbelin.exe";
        m_files.writeTestFile = m_folder / L"program\\Orbelin_Autoupdate.exe";
        // Each received file gets a new folder, as the program's own temporary folders are.
        m_files.makeFolder = [this] {
            const std::wstring folder = m_folder / (L"received" + std::to_wstring(++m_foldersMade));
            return CreateDirectoryW(folder.c_str(), nullptr) ? folder + L"\\" : std::wstring();
        };
    }
    std::wstring ReceivedFolder(int number) { return m_folder / (L"received" + std::to_wstring(number)); }
    std::wstring ReceivedFile(int number) { return ReceivedFolder(number) + L"\\Orbelin_Autoupdate.exe"; }

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
    int m_foldersMade = 0;
    UpdateFiles m_files;
    std::vector<std::wstring> m_outcomes;
    bool m_ended = false;
    bool m_elevated = false;
};

// The command line that the start_recorder fixture recorded beside `file`; empty when none came.
std::wstring RecordedCommandLine(const std::wstring& file) {
    const std::wstring record = file + L".txt";
    if (!WaitUntilFile(record)) return std::wstring();
    const auto bytes = ReadFileBytes(record);
    if (!bytes) return std::wstring();
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes->data()), bytes->size() / sizeof(wchar_t));
}

std::vector<uint8_t> StartRecorderBytes() {
    return ReadFileBytes(FixturePath(L"start_recorder.exe")).value_or(std::vector<uint8_t>{});
}

TEST_F(UpdateReceiverTest, AGoodOfferIsWrittenAndStartedWithTheUsersConsent) {
    const std::vector<uint8_t> program = StartRecorderBytes();
    ASSERT_FALSE(program.empty()) << "no start_recorder fixture";

    const std::wstring document = OfferDocument(GoodOffer(program, kTime), L"\r\n");
    std::optional<std::vector<uint8_t>> writtenBeforeTheStart;
    std::wstring pendingFile;
    const auto seen = Receive(
        kMakerPage, document,
        [&](TestPage& page, UpdateReceiver& receiver) {
            pendingFile = receiver.PendingFile();
            writtenBeforeTheStart = ReadFileBytes(pendingFile);
            EXPECT_TRUE(receiver.StartPending());
            // The real start timer: five seconds, then the question, then the start.
            WaitUntil([&] { return page.ended; }, 15000);
            EXPECT_TRUE(receiver.PendingFile().empty());
        },
        IDYES);

    // Written into a new folder of its own under the received file's name.
    EXPECT_EQ(pendingFile, ReceivedFile(1));
    ASSERT_TRUE(writtenBeforeTheStart.has_value());
    EXPECT_EQ(Sha256OfBytes(*writtenBeforeTheStart), Sha256OfBytes(program));
    EXPECT_EQ(*writtenBeforeTheStart, program);
    ASSERT_EQ(m_outcomes.size(), 1u);
    EXPECT_EQ(m_outcomes[0].rfind(L"<h4>Orbelin 2.0.0</h4>", 0), 0u) << m_outcomes[0];

    // One question, naming the offered version; nothing else was said.
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen[0].text.find(L"Orbelin 2.0.0"), std::wstring::npos) << seen[0].text;
    EXPECT_NE(seen[0].caption.find(L"Orbelin"), std::wstring::npos);
    EXPECT_TRUE(m_ended) << "the program was not asked to end for the update";
    EXPECT_FALSE(m_elevated);
    EXPECT_FALSE(FileExists(m_files.writeTestFile)) << "the write test left its file";

    // The fixture recorded the command line it was started with.
    const std::wstring commandLine = RecordedCommandLine(ReceivedFile(1));
    const std::wstring parameters = L"Path=\"" + m_files.programPath + L"\" Version=\"2.0.0\" ";
    EXPECT_EQ(parameters, UpdateStartParameters(m_files.programPath, L"2.0.0"));
    ASSERT_GE(commandLine.size(), parameters.size());
    EXPECT_EQ(commandLine.substr(commandLine.size() - parameters.size()), parameters) << commandLine;
    EXPECT_NE(commandLine.find(L"Orbelin_Autoupdate.exe"), std::wstring::npos) << commandLine;
}

TEST_F(UpdateReceiverTest, NoOtherProcessCanChangeTheReceivedFileBeforeItsStart) {
    const std::vector<uint8_t> program = StartRecorderBytes();
    ASSERT_FALSE(program.empty()) << "no start_recorder fixture";
    const std::vector<uint8_t> otherProgram = SomeProgramBytes(program.size());
    struct Attempt {
        const char* name;
        bool succeeded;
    };
    std::vector<Attempt> attempts;
    const auto seen = Receive(
        kMakerPage, OfferDocument(GoodOffer(program, kTime)),
        [&](TestPage& page, UpdateReceiver& receiver) {
            // What another process of the user could do between the check and the start.
            const std::wstring file = receiver.PendingFile();
            ASSERT_FALSE(file.empty());
            {
                UniqueHandle writer(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
                DWORD written = 0;
                attempts.push_back({"overwrite", writer.IsValid() && WriteFile(writer.Get(), otherProgram.data(),
                                                                               static_cast<DWORD>(otherProgram.size()),
                                                                               &written, nullptr)});
            }
            attempts.push_back({"replace", WriteFileBytes(file, otherProgram)});
            attempts.push_back({"rename", MoveFileW(file.c_str(), (file + L".moved").c_str()) != FALSE});
            attempts.push_back({"delete", DeleteFileW(file.c_str()) != FALSE});
            // A rename left a file to put back, whose place an impostor then takes.
            if (FileExists(file + L".moved")) {
                WriteFileBytes(file, otherProgram);
                DeleteFileW((file + L".moved").c_str());
            }
            PostMessageW(page.UpdateWindow(), WM_TIMER, kUpdateTimerId, 0);
            WaitUntil([&] { return page.ended || !receiver.StartPending(); }, 15000);
        },
        IDYES);
    for (const Attempt& attempt : attempts) {
        SCOPED_TRACE(attempt.name);
        EXPECT_FALSE(attempt.succeeded) << "another process changed the received file";
    }
    // The file that was checked is the file that started.
    EXPECT_EQ(ReadFileBytes(ReceivedFile(1)), std::optional<std::vector<uint8_t>>(program));
    ASSERT_EQ(seen.size(), 1u) << seen.back().caption;
    EXPECT_TRUE(m_ended);
    EXPECT_FALSE(RecordedCommandLine(ReceivedFile(1)).empty()) << "the offered program did not run";
}

TEST(HoldFileWithContent, HoldsOnlyAFileThatHoldsTheCheckedBytes) {
    TestFolder folder(L"hold");
    const std::wstring path = folder / L"Orbelin_Autoupdate.exe";
    const std::vector<uint8_t> bytes = SomeProgramBytes(200000);
    std::vector<uint8_t> changed = bytes;
    changed[150000] ^= 1;
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    const struct {
        const char* name;
        std::optional<std::vector<uint8_t>> content;  // none: no file
        bool held;
    } cases[] = {
        {"the same bytes", bytes, true},
        {"one bit changed", changed, false},
        {"one byte more", longer, false},
        {"one byte less", std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), false},
        {"no file", std::nullopt, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        DeleteFileW(path.c_str());
        if (testCase.content) {
            ASSERT_TRUE(WriteFileBytes(path, *testCase.content));
        }
        EXPECT_EQ(HoldFileWithContent(path, bytes).IsValid(), testCase.held);
    }

    // A file that another process has open for writing cannot be held: it could still change.
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    {
        UniqueHandle writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(writer.IsValid());
        EXPECT_FALSE(HoldFileWithContent(path, bytes).IsValid());
    }
    // Held, it can be read (and started) but not written, renamed or deleted.
    UniqueHandle held = HoldFileWithContent(path, bytes);
    ASSERT_TRUE(held.IsValid());
    EXPECT_EQ(ReadFileBytes(path), std::optional<std::vector<uint8_t>>(bytes));
    EXPECT_FALSE(UniqueHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
                     .IsValid());
    EXPECT_FALSE(MoveFileW(path.c_str(), (folder / L"other.exe").c_str()));
    EXPECT_FALSE(DeleteFileW(path.c_str()));
    held.Reset();
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

TEST(WriteAndHoldFile, WritesOnlyANewFile) {
    TestFolder folder(L"write_hold");
    const std::wstring path = folder / L"Orbelin_Autoupdate.exe";
    const std::vector<uint8_t> bytes = SomeProgramBytes(3000);
    {
        UniqueHandle held = WriteAndHoldFile(path, bytes);
        EXPECT_TRUE(held.IsValid());
        EXPECT_EQ(ReadFileBytes(path), std::optional<std::vector<uint8_t>>(bytes));
        // A second write finds the file there and leaves it alone.
        EXPECT_FALSE(WriteAndHoldFile(path, SomeProgramBytes(10)).IsValid());
    }
    EXPECT_EQ(ReadFileBytes(path), std::optional<std::vector<uint8_t>>(bytes));
    EXPECT_FALSE(WriteAndHoldFile(folder / L"missing\\Orbelin_Autoupdate.exe", bytes).IsValid());
}

TEST_F(UpdateReceiverTest, WithoutConsentTheFileAndItsFolderGoAndNothingStarts) {
    const std::vector<uint8_t> program = SomeProgramBytes(5000);
    const auto seen = Receive(
        kMakerPage, OfferDocument(GoodOffer(program, kTime)),
        [&](TestPage& page, UpdateReceiver& receiver) {
            EXPECT_TRUE(FileExists(ReceivedFile(1)));
            // The start timer's message, sent at once rather than waited for.
            PostMessageW(page.UpdateWindow(), WM_TIMER, kUpdateTimerId, 0);
            WaitUntil([&] { return !receiver.StartPending(); }, 10000);
            // A later timer message finds nothing to start.
            receiver.OnTimer();
        },
        IDNO);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_NE(seen[0].text.find(L"2.0.0"), std::wstring::npos);
    EXPECT_FALSE(FileExists(ReceivedFolder(1)));
    EXPECT_FALSE(m_ended);
}

TEST_F(UpdateReceiverTest, ANewerOfferTakesTheWaitingOnesPlace) {
    Receive(kMakerPage, OfferDocument(GoodOffer(SomeProgramBytes(100), kTime)),
            [&](TestPage&, UpdateReceiver& receiver) {
                EXPECT_TRUE(FileExists(ReceivedFile(1)));
                OfferLines second = GoodOffer(SomeProgramBytes(200), kTime);
                second.versionInfo = L"2.0.1";
                receiver.OnDocument(kMakerPage, OfferDocument(second));
                EXPECT_FALSE(FileExists(ReceivedFolder(1)));
                EXPECT_EQ(receiver.PendingFile(), ReceivedFile(2));
                EXPECT_EQ(ReadFileBytes(ReceivedFile(2)), std::optional<std::vector<uint8_t>>(SomeProgramBytes(200)));
            });
    // A receiver that goes takes its waiting file along.
    EXPECT_FALSE(FileExists(ReceivedFolder(2)));
}

TEST_F(UpdateReceiverTest, AnOfferWhosePageIsDistrustedGoes) {
    Receive(kMakerPage, OfferDocument(GoodOffer(SomeProgramBytes(100), kTime)),
            [&](TestPage& page, UpdateReceiver& receiver) {
                ASSERT_TRUE(receiver.StartPending());
                receiver.OnPageDistrusted();
                EXPECT_FALSE(receiver.StartPending());
                EXPECT_FALSE(FileExists(ReceivedFolder(1)));
                // Its timer finds nothing to ask about.
                receiver.OnTimer();
                EXPECT_FALSE(page.ended);
            });
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
        EXPECT_EQ(m_foldersMade, 0);
        EXPECT_TRUE(m_outcomes.empty());
    }
}

TEST_F(UpdateReceiverTest, NoDigestMeansNoOfferAndNoMessage) {
    OfferLines offer = GoodOffer(SomeProgramBytes(100), kTime);
    offer.digest.clear();
    offer.programLength = L"1";  // would fail, were it looked at
    const auto seen = Receive(kMakerPage, OfferDocument(offer));
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(m_foldersMade, 0);
}

TEST_F(UpdateReceiverTest, PagesOtherThanTheMakersUpdatePageAreNotReadAtAll) {
    // A perfect offer, and a broken one that would show a message: neither is heard.
    OfferLines broken = GoodOffer(SomeProgramBytes(100), kTime);
    broken.base64Length = L"0";
    for (const wchar_t* address : {
             L"http://www.kestrova.com/?seite=Freeware/Orbelin/Update",
             L"https://www.kestrova.net/?seite=Freeware/Orbelin/Update",
             L"https://www.kestrova.com.evil.example/?seite=Freeware/Orbelin/Update",
             L"https://www.kestrova.com@evil.example/?seite=Freeware/Orbelin/Update",
             L"about:blank",
             // Other pages of the maker's own hosts.
             L"https://www.kestrova.com/",
             L"https://www.kestrova.com/forum/?seite=Freeware/Orbelin/Update",
             L"https://www.kestrova.de/?seite=Forum/Freeware/Orbelin/Update",
             L"https://www.kestrova.eu/?seite=Freeware/Orbelin/UpdateX",
             L"https://www.kestrova.eu/?seite=Freeware/Orbelin/Update/../../Forum",
             L"https://www.kestrova.com/?x=1&seite=Freeware/Orbelin/Update",
         }) {
        SCOPED_TRACE(address);
        for (const OfferLines& offer : {GoodOffer(SomeProgramBytes(100), kTime), broken}) {
            const auto seen = Receive(address, OfferDocument(offer));
            EXPECT_TRUE(seen.empty());
            EXPECT_EQ(m_foldersMade, 0);
            EXPECT_TRUE(m_outcomes.empty());
        }
    }
}

TEST_F(UpdateReceiverTest, AFolderThatCannotBeMadeSaysCreateError) {
    m_files.makeFolder = [] { return std::wstring(); };
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
    bool written = false;
    Receive(kMakerPage, OfferDocument(GoodOffer(SomeProgramBytes(100), kTime)),
            [&](TestPage&, UpdateReceiver& r) { written = FileExists(r.PendingFile()); });
    EXPECT_TRUE(m_elevated);
    EXPECT_TRUE(written);
}

TEST(UpdateFilesOfThisProgram, ReceivedFilesGoIntoNewFoldersOfTheProgramsOwn) {
    const UpdateFiles files = UpdateFilesOfThisProgram();
    EXPECT_EQ(files.programPath, ProgramFilePath());
    ASSERT_TRUE(files.makeFolder);
    const std::wstring first = files.makeFolder();
    const std::wstring second = files.makeFolder();
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind(TemporaryFolderPath(), 0), 0u) << first;
    EXPECT_TRUE(IsReceivedUpdateFile(first + kReceivedUpdateFileName, TemporaryFolderPath())) << first;
    RemoveDirectoryW(first.c_str());
    RemoveDirectoryW(second.c_str());
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
