#include "system/run_command.h"

std::wstring AutostartCommandLine(const std::wstring& modulePath) { return L"\"" + modulePath + L"\" -bg"; }

std::wstring ProgramPathOfRunCommand(std::wstring_view commandLine) {
    const size_t start = commandLine.find_first_not_of(L" \t");
    if (start == std::wstring_view::npos) return std::wstring();
    commandLine.remove_prefix(start);
    if (commandLine.front() == L'"') {
        commandLine.remove_prefix(1);
        return std::wstring(commandLine.substr(0, commandLine.find(L'"')));
    }
    return std::wstring(commandLine.substr(0, commandLine.find_first_of(L" \t")));
}

bool RunCommandStartsProgram(std::wstring_view commandLine, std::wstring_view programPath) {
    const std::wstring named = ProgramPathOfRunCommand(commandLine);
    if (named.empty() || named.size() != programPath.size()) return false;
    const auto fold = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
    for (size_t i = 0; i < named.size(); ++i) {
        if (fold(named[i]) != fold(programPath[i])) return false;
    }
    return true;
}
