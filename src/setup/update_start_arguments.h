#pragma once

#include <optional>
#include <string>
#include <string_view>

// The command line with which a received program file is started to put itself in the place of
// the running program: Path="<the running program's file>" Version="<the offered version>",
// each followed by a blank.

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
