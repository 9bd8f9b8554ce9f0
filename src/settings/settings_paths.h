#pragma once

#include <string>
#include <string_view>

// Rules about the program's own file and folders that decide where the settings file lives.
// All of them work on plain path texts.

// The file name of a path: the part after the last backslash (the whole text if there is none).
std::wstring FileNameOfPath(std::wstring_view path);

// The folder of a module path without the final separator: up to the last backslash, or the
// last slash if there is no backslash. Empty when the path holds neither.
std::wstring FolderOfPath(std::wstring_view path);

// Lower-cases the ASCII letters and the Latin-1 capitals of a text; enough for comparing
// paths and program names against the program's fixed markers.
std::wstring LowerCaseText(std::wstring_view text);

// Appends a backslash unless the text already ends with one.
std::wstring WithTrailingBackslash(std::wstring_view folder);

// A program file counts as portable when its lower-cased name holds "_p" (which also covers
// "_port" and "_portable") anywhere after its first character.
bool IsPortableProgramName(std::wstring_view fileName);

// True when `folder` lies inside (or is) `parent`, compared without regard to letter case,
// each with a trailing backslash.
bool IsFolderInside(std::wstring_view folder, std::wstring_view parent);
