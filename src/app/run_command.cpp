#include "app/run_command.h"

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
