#pragma once

#include <string>

// Opens the maker's uninstall page after the program was removed, maximised. A process with
// administrator rights hands it to the desktop shell through an Internet shortcut file
// "kestrova_tmp_link.url" in `temporaryFolder` (with its trailing backslash), so that the
// browser does not run with those rights; otherwise the address is opened directly. Returns
// whether the shell accepted the request.
//
// The one place where the uninstall page is opened (portable removal and uninstaller): the
// program's own browser window can take it over here.
bool OpenUninstallPage(const std::wstring& temporaryFolder);
