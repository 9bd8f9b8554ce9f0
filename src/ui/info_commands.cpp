#include "ui/info_commands.h"

#include <shellapi.h>

#include <string>

#include "browser/browser_module.h"
#include "common/module_path.h"
#include "common/system_folders.h"
#include "install/portable_removal.h"
#include "install/uninstall_page.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "res/resource.h"
#include "settings/ini_file.h"
#include "settings/settings_location.h"
#include "settings/settings_paths.h"
#include "sources/picture_selection_set.h"
#include "ui/info_command_texts.h"
#include "ui/info_menu.h"
#include "ui/mapi_mail.h"
#include "ui/zip_file.h"
#include "web/web_address.h"

namespace {

constexpr const wchar_t* kArchiveEntryName = L"Orbelin_install.exe";

std::wstring ProgramPage() { return LangHeaderString(ProgramPageHeaderText(GermanInterface())); }

bool ShellOpen(const std::wstring& target) {
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

void ShowInfoBox(HWND dialog) {
    const std::wstring text =
        InfoBoxText(LangString(kTextInfo), LangString(kTextAboutProgram), LangString(kTextAboutThemes),
                    LangString(kTextPlacePictures), static_cast<int>(kMaxIndividualPictures));
    // Not a slip: the info box has always taken its caption from the aspect mode's text 90.
    MessageBoxW(dialog, text.c_str(), LangString(kTextKeepAndStretch).c_str(), MB_OK);
}

MailTexts RecommendMail() {
    return ComposeRecommendMail(LangString(kTextRecommendSubject), LangString(kTextRecommendBody), kProgramName,
                                ProgramPage());
}

void SendProgramByMail(HWND dialog) {
    SendProgramArchive(dialog, [dialog](const std::wstring& archive) {
        return SendMailThroughMapi(dialog, RecommendMail(), archive, FileNameOfPath(archive));
    });
}

// Starts `program` with `parameters` and `verb` (null: the default one); false when it could
// not be started. The caller handles a failure: no system error box.
bool StartProgram(const std::wstring& program, const wchar_t* verb, const wchar_t* parameters) {
    if (program.empty()) return false;
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_FLAG_NO_UI;
    start.lpVerb = verb;
    start.lpFile = program.c_str();
    start.lpParameters = parameters;
    start.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&start) != FALSE;
}

// Starts the installed program's uninstaller in this copy's place. The entry names this very
// file (its letter case aside), so this file is the one started.
void Uninstall(bool allUsers, const InfoCommandHost& host) {
    const Installation& installation = RememberedInstallation();
    if (installation.kind == InstallKind::kNotInstalled || !host.startInPlace) return;
    const std::wstring program = ProgramFilePath();
    if (!UninstallStringNamesProgram(installation.uninstallString, program)) return;
    const bool started =
        host.startInPlace([&] { return StartProgram(program, allUsers ? L"runas" : nullptr, L" -?uninstall"); });
    if (started) PostQuitMessage(kReplacedQuitCode);
}

void Restart(const InfoCommandHost& host) {
    if (!host.startInPlace) return;
    const std::wstring program = ProgramFilePath();
    if (!host.startInPlace([&] { return StartProgram(program, nullptr, nullptr); })) return;
    PostQuitMessage(kRestartQuitCode);
    PostQuitMessage(kReplacedQuitCode);
}

// The batch that deletes this copy once it has ended: nobody may change it while the program
// still runs, so it stays open until the process ends.
UniqueHandle& RemovalBatch() {
    static UniqueHandle batch;
    return batch;
}

// Removes this portable copy and what belongs only to it: the program file and its settings
// file go once the program has ended, by a batch file that then deletes itself.
void RemoveThisPortableCopy(const InfoCommandHost& host) {
    // An installed copy is removed by its uninstaller, which also takes its entries away.
    if (RememberedInstallation().kind != InstallKind::kNotInstalled) return;
    const std::wstring question = LangString(kTextUninstall) + L"?";
    const std::wstring caption = LangString(kTextUninstall);
    if (MessageBoxW(host.dialog, question.c_str(), caption.c_str(), MB_TOPMOST | MB_ICONQUESTION | MB_YESNOCANCEL) !=
        IDYES) {
        return;
    }
    // Without a batch that can delete the files, the copy stays and keeps running.
    RemovalBatch() = RemovePortableCopy(ProgramFilePath(), SettingsPath());
    if (!RemovalBatch().IsValid()) return;
    OpenUninstallPage(TemporaryFolderPath());
    Sleep(100);
    PostQuitMessage(0);
}

}  // namespace

std::wstring MailArchivePath() { return TemporaryFolderPath() + kProgramName + L".zip"; }

bool SendProgramArchive(HWND dialog, const std::function<bool(const std::wstring& archivePath)>& send) {
    if (dialog == nullptr || !IsWindow(dialog)) return false;
    const std::wstring archive = MailArchivePath();
    const std::string entryName(kArchiveEntryName, kArchiveEntryName + wcslen(kArchiveEntryName));
    if (TemporaryFolderPath().empty() || !WriteSingleFileZip(archive, ProgramFilePath(), entryName)) {
        const std::wstring text = L"Error ;) The archive could not be written:\r\n" + archive;
        MessageBoxW(dialog, text.c_str(), L"Error", MB_OK | MB_ICONERROR);
        return false;
    }
    // The mail program has taken its copy of the attachment once the call returns.
    const bool sent = send(archive);
    DeleteFileW(archive.c_str());
    return sent;
}

bool ExecuteInfoCommand(int commandId, const InfoCommandHost& host) {
    const bool german = GermanInterface();
    switch (commandId) {
        case IDM_INFO:
            ShowInfoBox(host.dialog);
            return true;
        case IDM_RECOMMEND:
            SendMailThroughMapi(host.dialog, RecommendMail(), std::wstring(), std::wstring());
            return true;
        case IDM_SEND_PROGRAM:
            SendProgramByMail(host.dialog);
            return true;
        case IDM_UNINSTALL_USER:
        case IDM_UNINSTALL_ALL_USERS:
            Uninstall(commandId == IDM_UNINSTALL_ALL_USERS, host);
            return true;
        case IDM_OPEN_PROGRAM_FOLDER:
            ShellOpen(FolderOfPath(ProgramFilePath()));
            return true;
        case IDM_OPEN_SETTINGS_FOLDER:
            ShellOpen(FolderOfPath(SettingsPath()));
            return true;
        case IDM_OPEN_SETTINGS_FILE:
            ShellOpen(SettingsPath());
            return true;
        case IDM_REMOVE_PORTABLE:
            RemoveThisPortableCopy(host);
            return true;
        case IDM_HOMEPAGE:
            OpenWebAddress(HomepageAddress(WebRoot(), german));
            return true;
        case IDM_HISTORY:
            OpenWebAddress(HistoryAddress(WebRoot()));
            return true;
        case IDM_CHECK_FOR_UPDATES:
            StartBrowserWindowProcess();
            return true;
        case IDM_LICENSE:
            OpenWebAddress(LicenseAddress(ProgramPage(), german));
            return true;
        case IDM_RESTART:
            Restart(host);
            return true;
        default:
            return false;
    }
}
