#include "app/start_rules.h"

#include "settings/settings_paths.h"

FileNameRequest FileNameStartRequest(std::wstring_view fileName) {
    const std::wstring lower = LowerCaseText(fileName);
    const auto contains = [&lower](const wchar_t* part) { return lower.find(part) != std::wstring::npos; };
    if (contains(L"uninstall")) return FileNameRequest::kUninstall;
    if (contains(L"portable_install")) return FileNameRequest::kPortableInstall;
    if (contains(L"inst") || contains(L"set_up") || contains(L"setup")) return FileNameRequest::kInstall;
    return FileNameRequest::kNone;
}

StartMode DecideStartMode(const StartOptions& options, FileNameRequest fileNameRequest) {
    if (options.miniBrowser) return StartMode::kMiniBrowser;
    if (options.update) return StartMode::kUpdate;

    bool install = options.installRequest;
    bool uninstall = options.uninstallRequest;
    bool portableInstall = options.portableInstallRequest;
    if (!install && !uninstall) {
        install = fileNameRequest == FileNameRequest::kInstall;
        uninstall = fileNameRequest == FileNameRequest::kUninstall;
        portableInstall = portableInstall || fileNameRequest == FileNameRequest::kPortableInstall;
    }
    if (install) return StartMode::kInstall;
    if (uninstall) return StartMode::kUninstall;
    if (portableInstall) return StartMode::kPortableInstall;
    return StartMode::kNormal;
}

int LanguageIndexForLanguageId(uint16_t languageId) {
    switch (languageId & 0x3FF) {
        case 0x07: return 0;   // German
        case 0x06: return 2;   // Danish
        case 0x04: return 3;   // Chinese, any sub-language
        case 0x12: return 4;   // Korean
        case 0x19: return 5;   // Russian
        case 0x0A: return 6;   // Spanish
        case 0x0C: return 7;   // French
        case 0x08: return 8;   // Greek
        case 0x1A: return 9;   // Serbian, Croatian, Bosnian
        case 0x10: return 10;  // Italian
        default: return 1;     // English
    }
}
