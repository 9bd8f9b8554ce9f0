#pragma once

#include <optional>
#include <string>
#include <string_view>

// The command line with which a received program file is started to put itself in the place of
// the running program: Path="<the running program's file>" Version="<the offered version>",
// each followed by a blank. And where a received program file lives.

// The parameter text for starting the received file.
std::wstring UpdateStartParameters(const std::wstring& programPath, const std::wstring& version);

struct UpdateStartRequest {
    std::wstring programPath;  // the program file to replace
    std::wstring version;      // the version the new file brings, as the page named it
};

// Finds "Path=" and "Version=" among the blank-separated words of a command line. A value in
// double quotes runs to the closing quote, blanks and colons included; an unquoted value runs to
// the next blank. Null unless a non-empty path is there; the version may be empty.
std::optional<UpdateStartRequest> ParseUpdateStartArguments(std::wstring_view commandLine);

// A received program file is written as kReceivedUpdateFileName into a folder that the
// receiving program made for itself in the temporary folder: kUpdateFolderPrefix followed by
// eight hexadecimal digits (common/system_folders.h, CreateOwnTemporaryFolder).
inline constexpr const wchar_t* kUpdateFolderPrefix = L"Orbelin_update_";
inline constexpr const wchar_t* kReceivedUpdateFileName = L"Orbelin_Autoupdate.exe";

// True when `path` names a received program file in such a folder directly below
// `temporaryFolder` (given with its trailing backslash); letter case of A-Z ignored. Only such a
// file is the program's own to delete once it has done its work.
bool IsReceivedUpdateFile(std::wstring_view path, std::wstring_view temporaryFolder);
