#include "install/install_detection.h"

namespace {

constexpr std::wstring_view kUninstallSwitch = L" -?uninstall";

wchar_t FoldAsciiLetter(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

}  // namespace

std::wstring ProgramPathOfUninstallString(std::wstring_view uninstallString) {
    std::wstring path(uninstallString);
    for (size_t found = path.find(kUninstallSwitch); found != std::wstring::npos; found = path.find(kUninstallSwitch)) {
        path.erase(found, kUninstallSwitch.size());
    }
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') return path.substr(1, path.size() - 2);
    return path;
}

bool UninstallStringNamesProgram(std::wstring_view uninstallString, std::wstring_view programPath) {
    const std::wstring installed = ProgramPathOfUninstallString(uninstallString);
    if (installed.empty() || installed.size() != programPath.size()) return false;
    for (size_t i = 0; i < installed.size(); ++i) {
        if (FoldAsciiLetter(installed[i]) != FoldAsciiLetter(programPath[i])) return false;
    }
    return true;
}
