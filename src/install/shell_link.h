#pragma once

#include <optional>
#include <string>

// Standard shell links (".lnk" files) through the shell's IShellLinkW and IPersistFile. The
// calling thread must have initialised COM.

struct ShellLinkContent {
    std::wstring target;         // the program the link starts
    std::wstring arguments;      // its command-line parameters
    std::wstring workingFolder;  // the folder it starts in
    std::wstring iconFile;       // the file holding the link's icon
    int iconIndex = 0;
};

// Writes the link file `linkPath` (replacing an existing one). False when the shell cannot make
// or save the link.
bool CreateShellLink(const std::wstring& linkPath, const ShellLinkContent& content);

// Reads a link file back; nothing when it cannot be loaded as a shell link.
std::optional<ShellLinkContent> ReadShellLink(const std::wstring& linkPath);
