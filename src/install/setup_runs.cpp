// The installer, portable installer and uninstaller start modes.
#include <windows.h>

#include "common/system_folders.h"
#include "common/unique_handle.h"
#include "install/admin_probe.h"
#include "install/install_dialog.h"
#include "install/install_rules.h"
#include "install/installation.h"
#include "install/setup_modes.h"
#include "install/uninstall_dialog.h"
#include "install/uninstall_page.h"
#include "install/uninstallation.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "settings/ini_file.h"

namespace {

bool NamesLanguage(int language) {
    const LanguageArchive* archive = LoadedLanguageArchive();
    return archive != nullptr && language >= 0 && language < archive->SectionCount();
}

int RunInstallDialog(const SetupRequest& request, bool portable) {
    std::optional<int> language = request.preselectedLanguage;
    if (language && !NamesLanguage(*language)) language.reset();
    InstallDialog dialog(SystemInstallDialogSetup(portable, language));
    dialog.RunModal();
    return 0;
}

// The second stage: the temporary copy removes the installation in `folder`, then itself.
int RunUninstallDialog(const SetupRequest& request, const std::wstring& folder) {
    int language = request.preselectedLanguage.value_or(-1);
    if (!NamesLanguage(language)) {
        // The language chosen at the installation.
        language = IniReadInt(kProgramSection, kKeyLanguage, -1, -1, -1, PathInFolder(folder, kUninstallInfoName));
    }
    if (NamesLanguage(language)) SetCurrentLanguageIndex(language);

    UninstallDialogSetup setup;
    setup.administrator = ProcessIsAdministrator();
    setup.folder = folder;
    setup.remove = RemoveInstallation;
    setup.openUninstallPage = [] { OpenUninstallPage(TemporaryFolderPath()); };
    UninstallDialog dialog(std::move(setup));
    dialog.RunModal();
    // Removed or not, the temporary copy leaves nothing behind; its batch stays closed to
    // others until this process ends.
    const UniqueHandle batch = DeleteTemporaryUninstallerLater();
    return 0;
}

}  // namespace

int RunInstaller(const SetupRequest& request) { return RunInstallDialog(request, false); }

int RunPortableInstaller(const SetupRequest& request) { return RunInstallDialog(request, true); }

int RunUninstaller(const SetupRequest& request) {
    if (request.uninstallPath.empty()) {
        if (!StartTemporaryUninstaller()) {
            ShowSetupMessage(nullptr, LangString(kTextCreationError) + L":\r\n" + TemporaryFolderPath());
        }
        return 0;
    }
    const std::wstring folder = InstallationFolderOfArgument(request.uninstallPath);
    if (folder.empty() || !HoldsInstallation(folder)) {
        if (!folder.empty()) ReportMissingInstallation(nullptr, folder);
        const UniqueHandle batch = DeleteTemporaryUninstallerLater();
        return 0;
    }
    return RunUninstallDialog(request, folder);
}
