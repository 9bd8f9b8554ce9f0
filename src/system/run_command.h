#pragma once

#include <string>
#include <string_view>

// The command line of the start-with-Windows value: the quoted program path followed by " -bg".

// The text of the Run value for a program file.
std::wstring AutostartCommandLine(const std::wstring& modulePath);

// The program file that a Run value's command line starts: the text inside the leading pair of
// double quotes (to the end when the closing quote is missing), or, unquoted, the text before the
// first blank. Empty when the command line names nothing.
std::wstring ProgramPathOfRunCommand(std::wstring_view commandLine);

// Whether the Run value's command line starts the program file `programPath`: the path it names
// equals it, letters A to Z compared without regard to case.
bool RunCommandStartsProgram(std::wstring_view commandLine, std::wstring_view programPath);
