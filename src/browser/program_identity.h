#pragma once

#include <optional>
#include <string>

#include "browser/update_target_rules.h"

// The product name and file version that the version resource of the program file at `path`
// holds (read as data: nothing of the file runs). Nothing when the file cannot be read or has
// no version resource with a product name (a text file, a program without one).
std::optional<ProgramIdentity> ReadProgramIdentity(const std::wstring& path);
