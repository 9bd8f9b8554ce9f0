#include "browser/update_receiver.h"

#include <shellapi.h>

#include <algorithm>

#include "browser/browser_pages.h"
#include "browser/update_offer.h"
#include "browser/update_source.h"
#include "browser/update_start_arguments.h"
#include "common/module_path.h"
#include "common/system_folders.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "maker.h"
#include "settings/settings_paths.h"

namespace {

constexpr const wchar_t* kProgramName = ORBELIN_PROGRAM_NAME;

bool HoldsExactly(HANDLE file, const std::vector<uint8_t>& bytes) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || static_cast<uint64_t>(size.QuadPart) != bytes.size()) return false;
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
    std::vector<uint8_t> chunk(1 << 16);
    size_t compared = 0;
    while (compared < bytes.size()) {
        const DWORD wanted = static_cast<DWORD>(std::min(chunk.size(), bytes.size() - compared));
        DWORD read = 0;
        if (!ReadFile(file, chunk.data(), wanted, &read, nullptr) || read != wanted) return false;
        if (!std::equal(chunk.begin(), chunk.begin() + read, bytes.begin() + static_cast<ptrdiff_t>(compared))) {
            return false;
        }
        compared += read;
    }
    return true;
}

}  // namespace

UpdateFiles UpdateFilesOfThisProgram() {
    UpdateFiles files;
    files.programPath = ProgramFilePath();
    files.writeTestFile = WithTrailingBackslash(FolderOfPath(files.programPath)) + kReceivedUpdateFileName;
    files.makeFolder = [] { return CreateOwnTemporaryFolder(kUpdateFolderPrefix); };
    return files;
}

bool ProgramFolderWritable(const std::wstring& writeTestFile) {
    // Deleted again as the handle closes.
    const UniqueHandle probe(CreateFileW(writeTestFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (probe.IsValid()) return true;
    if (GetLastError() != ERROR_FILE_EXISTS) return false;
    // A file of that name is already there and not ours to delete: can it be written?
    UniqueHandle existing(CreateFileW(writeTestFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return existing.IsValid();
}

UniqueHandle HoldFileWithContent(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    // No write and no delete sharing: while this handle is open nobody can change the file,
    // rename or delete it, and it could not be opened while anybody had it open for writing.
    // Starting it stays possible, as the system opens a program file for reading.
    UniqueHandle held(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!held.IsValid() || !HoldsExactly(held.Get(), bytes)) return UniqueHandle();
    return held;
}

UniqueHandle WriteAndHoldFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    {
        UniqueHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid()) return UniqueHandle();
        DWORD done = 0;
        const bool written =
            bytes.empty() || (WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                              done == bytes.size());
        if (!written) {
            file.Reset();
            DeleteFileW(path.c_str());
            return UniqueHandle();
        }
    }
    // Between the write and this hold another process could have changed the file: what is
    // held is read back in full.
    UniqueHandle held = HoldFileWithContent(path, bytes);
    if (!held.IsValid()) DeleteFileW(path.c_str());
    return held;
}

UpdateReceiver::UpdateReceiver(UpdatePageHost& host, UpdateFiles files, uint64_t expectedTime,
                               std::vector<std::wstring> makerHosts)
    : m_host(host), m_files(std::move(files)), m_expectedTime(expectedTime), m_makerHosts(std::move(makerHosts)) {}

UpdateReceiver::~UpdateReceiver() {
    // The page's window (and its timer) may be gone already: only the files are taken away.
    m_heldFile.Reset();
    if (!m_pendingFile.empty()) DeleteFileW(m_pendingFile.c_str());
    if (!m_pendingFolder.empty()) RemoveDirectoryW(m_pendingFolder.c_str());
}

void UpdateReceiver::OnDocument(std::wstring_view address, std::wstring_view documentText) {
    if (m_asking || !IsMakerUpdatePageAddress(address, m_makerHosts)) return;

    OfferCheck offer = CheckUpdateOffer(ParseUpdateFields(documentText), m_expectedTime);
    if (offer.verdict == OfferVerdict::kNoOffer) return;
    if (offer.verdict == OfferVerdict::kRefused) {
        m_host.ShowUpdateMessage(offer.message.text, offer.message.caption, MB_OK);
        return;
    }

    // One offer waits at a time: the newest.
    DiscardPending();
    // A folder this process cannot write needs administrator rights for the replacement.
    m_elevated = !ProgramFolderWritable(m_files.writeTestFile);
    const std::wstring folder = m_files.makeFolder ? m_files.makeFolder() : std::wstring();
    const std::wstring file = folder.empty() ? std::wstring() : folder + kReceivedUpdateFileName;
    UniqueHandle held = file.empty() ? UniqueHandle() : WriteAndHoldFile(file, offer.program);
    if (!held.IsValid()) {
        if (!folder.empty()) RemoveDirectoryW(folder.c_str());
        m_host.ShowUpdateMessage(L"Create Error!", L"", MB_OK);
        return;
    }
    m_heldFile = std::move(held);
    m_pendingFolder = folder;
    m_pendingFile = file;
    m_pendingVersion = offer.version;
    ++m_offerNumber;
    m_host.ShowUpdateOutcome(L"<h4>" + HtmlText(std::wstring(kProgramName) + L" " + offer.version) + L"</h4>" +
                             HtmlText(LangString(kTextAutoUpdate)) + L": OK");
    SetTimer(m_host.UpdateWindow(), kUpdateTimerId, kUpdateStartDelayMs, nullptr);
}

void UpdateReceiver::OnTimer() {
    KillTimer(m_host.UpdateWindow(), kUpdateTimerId);
    if (m_pendingVersion.empty() || m_asking) return;
    const unsigned offer = m_offerNumber;
    const std::wstring version = m_pendingVersion;

    // The received file runs only with the user's word, given for the version it claims to be.
    const std::wstring program = kProgramName;
    const std::wstring question = program + L" " + version + L"\r\n\r\n" + L"Install this version of " + program +
                                  L" now? " + program + L" closes and starts again.";
    const std::wstring caption = program + L" - " + LangString(kTextAutoUpdate);
    m_asking = true;
    const int answer = m_host.ShowUpdateMessage(question, caption, MB_YESNO | MB_ICONQUESTION);
    m_asking = false;
    // While the question was open the offer may have gone (its page was found untrustworthy).
    if (m_pendingVersion.empty() || m_offerNumber != offer) return;
    if (answer != IDYES) {
        DiscardPending();
        return;
    }

    const std::wstring parameters = UpdateStartParameters(m_files.programPath, version);
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.hwnd = m_host.UpdateWindow();
    start.lpVerb = m_elevated ? L"runas" : nullptr;
    start.lpFile = m_pendingFile.c_str();
    start.lpParameters = parameters.c_str();
    start.nShow = SW_SHOWNORMAL;
    const bool started = ShellExecuteExW(&start) != FALSE;
    // The started program runs from its own image now; the received file is its own to delete.
    const std::wstring file = m_pendingFile;
    m_heldFile.Reset();
    m_pendingVersion.clear();
    m_pendingFolder.clear();
    m_pendingFile.clear();
    if (started) {
        m_host.EndProgramForUpdate();
        return;
    }
    m_host.ShowUpdateMessage(file, L"Autoupdate-Error1!", MB_OK);
}

void UpdateReceiver::OnPageDistrusted() { DiscardPending(); }

void UpdateReceiver::DiscardPending() {
    if (m_pendingFile.empty()) return;
    KillTimer(m_host.UpdateWindow(), kUpdateTimerId);
    m_heldFile.Reset();
    DeleteFileW(m_pendingFile.c_str());
    RemoveDirectoryW(m_pendingFolder.c_str());
    m_pendingVersion.clear();
    m_pendingFolder.clear();
    m_pendingFile.clear();
}
