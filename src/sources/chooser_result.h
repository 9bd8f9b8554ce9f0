#pragma once

#include <string>
#include <string_view>
#include <vector>

// The files a multiple-selection file chooser (GetOpenFileNameW with OFN_ALLOWMULTISELECT |
// OFN_EXPLORER) wrote into its buffer: one file as its full path; several as the folder, then
// each name, each ended by a null, the list by a second null. `buffer` is the whole buffer. The
// full paths in the chooser's order; a folder without a trailing backslash gets one. Nothing when
// the buffer holds no ended first entry.
std::vector<std::wstring> ChosenFilePaths(std::wstring_view buffer);
