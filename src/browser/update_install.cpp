#include "browser/update_install.h"

#include <cwchar>
#include <vector>

#include "browser/browser_language.h"
#include "browser/program_identity.h"
#include "common/file_attributes.h"
#include "common/module_path.h"
#include "common/system_folders.h"
#include "common/unique_handle.h"
#include "install/installation.h"
#include "install/self_delete_batch.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "settings/settings_location.h"
#include "settings/settings_paths.h"

namespace {

constexpr DWORD kWritablePollMs = 200;
// Attempts at side names before the replacement gives up.
constexpr int kSideNameAttempts = 64;

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring ImageOfProcess(DWORD processId) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.IsValid()) return std::wstring();
    std::vector<wchar_t> buffer(32768, L'\0');
    DWORD length = static_cast<DWORD>(buffer.size());
    if (!QueryFullProcessImageNameW(process.Get(), 0, buffer.data(), &length)) return std::wstring();
    return std::wstring(buffer.data(), length);
}

struct EndRequest {
    const std::wstring* programPath;
    int asked;
};

BOOL CALLBACK AskWindowToClose(HWND window, LPARAM parameter) {
    auto* request = reinterpret_cast<EndRequest*>(parameter);
    wchar_t className[64] = L"";
    wchar_t title[64] = L"";
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, title, 64);
    const bool mainWindow = lstrcmpW(className, L"Orbelin") == 0;
    const bool browserWindow = lstrcmpW(className, L"#32770") == 0 && lstrcmpW(title, L"Glimmerpane") == 0;
    if (!mainWindow && !browserWindow) return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId() || !SamePath(ImageOfProcess(processId), *request->programPath)) return TRUE;
    PostMessageW(window, WM_CLOSE, 0, 0);
    ++request->asked;
    return TRUE;
}

std::wstring ReplaceEvery(std::wstring text, const std::wstring& what, const std::wstring& with) {
    for (size_t at = text.find(what); at != std::wstring::npos; at = text.find(what, at + with.size())) {
        text.replace(at, what.size(), with);
    }
    return text;
}

// Text `id` with "#APP#" for the program's name and "XX" for `value`.
std::wstring UpdateText(int id, const std::wstring& value = std::wstring()) {
    return ReplaceEvery(ReplaceEvery(LangString(id), L"#APP#", kProgramName), L"XX", value);
}

void ShowUpdateMessage(const std::wstring& text) {
    MessageBoxW(nullptr, text.c_str(), UpdateMessageCaption().c_str(), MB_OK | MB_ICONERROR);
}

void ShowFailure(const std::wstring& version, const std::wstring& reason, const std::wstring& programPath) {
    ShowUpdateMessage(UpdateFailureText(version, reason, programPath));
}

// A number for side names that differs from start to start.
unsigned long SideNameSeed() {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return static_cast<unsigned long>(counter.QuadPart) ^ (GetCurrentProcessId() << 16);
}

// Has the received program file and its folder deleted once this process has ended: a running
// program file cannot delete itself. Only a file in a folder of the receiving program's own is
// deleted. The batch stays held until the process ends, so that nobody changes it meanwhile.
void DeleteReceivedFileLater(const std::wstring& receivedFile) {
    if (!IsReceivedUpdateFile(receivedFile, TemporaryFolderPath())) return;
    static UniqueHandle heldBatch;
    heldBatch = StartSelfDeletion(SelfDeletion{receivedFile, std::wstring(), FolderOfPath(receivedFile)});
}

}  // namespace

std::wstring UpdateMessageCaption() { return std::wstring(kProgramName) + L" - " + LangString(kTextAutoUpdate); }

std::wstring UpdateFailureText(const std::wstring& version, const std::wstring& reason,
                               const std::wstring& programPath) {
    return UpdateText(kUpdateNotInstalledText, version) + L"\r\n" + reason + L"\r\n\r\n" +
           UpdateText(kUpdateProgramKeptText) + L"\r\n" + programPath;
}

std::wstring UpdateOldFileAsideText(const std::wstring& version, const std::wstring& reason,
                                    const std::wstring& programPath, const std::wstring& keptAs) {
    return UpdateText(kUpdateNotInstalledText, version) + L"\r\n" + reason + L"\r\n\r\n" +
           UpdateText(kUpdateOldFileAsideText) + L"\r\n" + keptAs + L"\r\n" + UpdateText(kUpdateRenameItText) +
           L"\r\n" + programPath;
}

std::wstring UpdateRefusalReason(UpdateTargetVerdict verdict, const std::wstring& versionText,
                                 const std::wstring& targetVersion) {
    switch (verdict) {
        case UpdateTargetVerdict::kNewFileNotThisProgram:
        case UpdateTargetVerdict::kVersionTextDisagrees:
            return UpdateText(kUpdateWrongVersionText, versionText);
        case UpdateTargetVerdict::kTargetNotThisProgram:
            return UpdateText(kUpdateTargetForeignText);
        case UpdateTargetVerdict::kTargetNotOlder:
            return UpdateText(kUpdateTargetNotOlderText, targetVersion);
        case UpdateTargetVerdict::kAccepted:
            break;
    }
    return std::wstring();
}

int AskRunningProgramToEnd(const std::wstring& programPath) {
    EndRequest request{&programPath, 0};
    EnumWindows(AskWindowToClose, reinterpret_cast<LPARAM>(&request));
    return request.asked;
}

bool WaitUntilWritable(const std::wstring& path, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        UniqueHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.IsValid()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(kWritablePollMs);
    }
}

bool MoveFileWithoutReplacing(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

ReplaceOutcome ReplaceProgramFile(const std::wstring& programPath, const std::wstring& newProgram,
                                  const FileMove& move) {
    ReplaceOutcome outcome;
    // Side names that no file has: the copy is made only where nothing is, and the old file's
    // side name is free too when the copy stands.
    std::wstring copy;
    std::wstring previous;
    unsigned long number = SideNameSeed();
    for (int attempt = 0; attempt < kSideNameAttempts && copy.empty(); ++attempt, number = number * 69069 + 1) {
        wchar_t tag[16];
        swprintf(tag, 16, L".%08lx", number);
        const std::wstring candidate = programPath + tag + L".update-new";
        const std::wstring candidatePrevious = programPath + tag + L".update-old";
        if (PathExists(candidatePrevious)) continue;
        if (CopyFileW(newProgram.c_str(), candidate.c_str(), TRUE)) {
            copy = candidate;
            previous = candidatePrevious;
            break;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
        // The name was free, so whatever a copy broken off half way left there is ours.
        DeleteFileW(candidate.c_str());
        return outcome;
    }
    if (copy.empty()) return outcome;

    if (!move(programPath, previous)) {
        DeleteFileW(copy.c_str());
        outcome.result = ReplaceResult::kSwapFailed;
        return outcome;
    }
    if (!move(copy, programPath)) {
        const bool restored = move(previous, programPath);
        DeleteFileW(copy.c_str());
        outcome.result = restored ? ReplaceResult::kSwapFailed : ReplaceResult::kOldFileKeptAside;
        if (!restored) outcome.keptAs = previous;
        return outcome;
    }
    DeleteFileW(previous.c_str());
    outcome.result = ReplaceResult::kReplaced;
    return outcome;
}

int RunUpdateInstall(const UpdateStartRequest& request) {
    const std::wstring& target = request.programPath;
    const std::wstring& version = request.version;
    // The messages speak the language that the program to be replaced stores, if it stores one.
    SetCurrentLanguageIndex(StoredLanguage(target, CurrentLanguageIndex()));

    const std::wstring self = ProgramFilePath();
    if (self.empty() || SamePath(self, target)) {
        ShowFailure(version, UpdateText(kUpdateReplacesItselfText), target);
        return 0;
    }
    if (!IsExistingFile(target)) {
        ShowFailure(version, UpdateText(kUpdateTargetMissingText), target);
        return 0;
    }
    // Nothing is asked of a running program before both files are known for what they are.
    const std::optional<ProgramIdentity> targetIdentity = ReadProgramIdentity(target);
    const UpdateTargetVerdict verdict =
        CheckUpdateTarget(ReadProgramIdentity(self), targetIdentity, version, kProgramName);
    if (verdict != UpdateTargetVerdict::kAccepted) {
        const std::wstring targetVersion = targetIdentity ? ProgramVersionText(targetIdentity->fileVersion) : L"";
        ShowFailure(version, UpdateRefusalReason(verdict, version, targetVersion), target);
        return 0;
    }

    AskRunningProgramToEnd(target);
    if (!WaitUntilWritable(target, kProgramReleaseWaitMs)) {
        ShowFailure(version, UpdateText(kUpdateProgramKeptRunningText), target);
        return 0;
    }
    const ReplaceOutcome replaced = ReplaceProgramFile(target, self);
    switch (replaced.result) {
        case ReplaceResult::kReplaced:
            break;
        case ReplaceResult::kCopyFailed:
            ShowFailure(version, UpdateText(kUpdateCopyFailedText), target);
            return 0;
        case ReplaceResult::kSwapFailed:
            ShowFailure(version, UpdateText(kUpdateSwapFailedText), target);
            return 0;
        case ReplaceResult::kOldFileKeptAside:
            ShowUpdateMessage(
                UpdateOldFileAsideText(version, UpdateText(kUpdateSwapFailedText), target, replaced.keptAs));
            return 0;
    }

    // This process may run with administrator rights (the received file is started with "runas"
    // when the program's folder needs them): the program starts as the installer starts it, with
    // the user's ordinary rights.
    if (!StartInstalledProgram(target)) {
        ShowUpdateMessage(UpdateText(kUpdateNotStartedText, version) + L"\r\n" + target);
    }
    DeleteReceivedFileLater(self);
    return 0;
}
