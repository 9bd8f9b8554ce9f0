#pragma once

#include <string>
#include <string_view>

// Whether this copy of the program is the installed one, judged from the uninstall entry that
// the installer leaves in the registry. Plain texts only; the registry is read elsewhere.

enum class InstallKind { kNotInstalled, kPerUser, kAllUsers };

struct Installation {
    InstallKind kind = InstallKind::kNotInstalled;
    std::wstring uninstallString;  // the matching entry's value; empty when not installed
};

// The entry's text with every " -?uninstall" removed: the installed program's path. A path in
// double quotes (as the installer writes it) is taken without them; the unquoted form of older
// entries reads as before.
std::wstring ProgramPathOfUninstallString(std::wstring_view uninstallString);

// True when the entry names the program file `programPath`: the path left after removing the
// switch equals it, with the letters A to Z compared without regard to case (other characters
// exactly). An empty entry or path never matches.
bool UninstallStringNamesProgram(std::wstring_view uninstallString, std::wstring_view programPath);
