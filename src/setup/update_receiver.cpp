#include "setup/update_receiver.h"

#include <shellapi.h>

#include "common/module_path.h"
#include "common/system_folders.h"
#include "common/unique_handle.h"
#include "lang/language_archive.h"
#include "maker.h"
#include "settings/settings_paths.h"
#include "setup/browser_pages.h"
#include "setup/update_offer.h"
#include "setup/update_source.h"
#include "setup/update_start_arguments.h"

namespace {

constexpr const wchar_t* kProgramName = ORBELIN_PROGRAM_NAME;
constexpr int kAutoUpdateText = 203;

void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags = MB_OK) {
    MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

// Writes the whole file; a file left half written is removed.
bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    bool written = false;
    {
        UniqueHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid()) return false;
        DWORD done = 0;
        written =
            bytes.empty() || (WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                              done == bytes.size());
    }
    if (!written) DeleteFileW(path.c_str());
    return written;
}

}  // namespace

UpdateFiles UpdateFilesOfThisProgram() {
    const std::wstring updateName = std::wstring(kProgramName) + L"_Autoupdate.exe";
    UpdateFiles files;
    files.programPath = ProgramFilePath();
    files.updateFile = TemporaryFolderPath() + updateName;
    files.writeTestFile = WithTrailingBackslash(FolderOfPath(files.programPath)) + updateName;
    return files;
}

bool ProgramFolderWritable(const std::wstring& writeTestFile) {
    HANDLE probe = CreateFileW(writeTestFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return false;
    // A file of that name is already there and not ours to delete: can it be written?
    UniqueHandle existing(CreateFileW(writeTestFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return existing.IsValid();
}

UpdateReceiver::UpdateReceiver(UpdatePageHost& host, UpdateFiles files, uint64_t expectedTime,
                               std::vector<std::wstring> makerHosts)
    : m_host(host), m_files(std::move(files)), m_expectedTime(expectedTime), m_makerHosts(std::move(makerHosts)) {}

void UpdateReceiver::OnDocument(std::wstring_view address, std::wstring_view documentText) {
    if (!IsMakerUpdateAddress(address, m_makerHosts)) return;

    OfferCheck offer = CheckUpdateOffer(ParseUpdateFields(documentText), m_expectedTime);
    if (offer.verdict == OfferVerdict::kNoOffer) return;
    if (offer.verdict == OfferVerdict::kRefused) {
        ShowMessage(m_host.UpdateWindow(), offer.message.text, offer.message.caption);
        return;
    }

    // A folder this process cannot write needs administrator rights for the replacement.
    m_elevated = !ProgramFolderWritable(m_files.writeTestFile);
    if (!WriteWholeFile(m_files.updateFile, offer.program)) {
        ShowMessage(m_host.UpdateWindow(), L"Create Error!", L"");
        return;
    }
    m_host.ShowUpdateOutcome(L"<h4>" + HtmlText(std::wstring(kProgramName) + L" " + offer.version) + L"</h4>" +
                             HtmlText(LangString(kAutoUpdateText)) + L": OK");

    m_pendingVersion = offer.version;
    SetTimer(m_host.UpdateWindow(), kUpdateTimerId, kUpdateStartDelayMs, nullptr);
}

void UpdateReceiver::OnTimer() {
    KillTimer(m_host.UpdateWindow(), kUpdateTimerId);
    if (m_pendingVersion.empty()) return;
    const std::wstring version = std::move(m_pendingVersion);
    m_pendingVersion.clear();

    // The received file runs only with the user's word, given for the version it claims to be.
    const std::wstring program = kProgramName;
    const std::wstring question = program + L" " + version + L"\r\n\r\n" + L"Install this version of " + program +
                                  L" now? " + program + L" closes and starts again.";
    const std::wstring caption = program + L" - " + LangString(kAutoUpdateText);
    if (MessageBoxW(m_host.UpdateWindow(), question.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) {
        DeleteFileW(m_files.updateFile.c_str());
        return;
    }

    const std::wstring parameters = UpdateStartParameters(m_files.programPath, version);
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.hwnd = m_host.UpdateWindow();
    start.lpVerb = m_elevated ? L"runas" : nullptr;
    start.lpFile = m_files.updateFile.c_str();
    start.lpParameters = parameters.c_str();
    start.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&start)) {
        m_host.EndProgramForUpdate();
        return;
    }
    ShowMessage(m_host.UpdateWindow(), m_files.updateFile, L"Autoupdate-Error1!");
}
