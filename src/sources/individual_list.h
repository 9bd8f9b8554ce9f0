#pragma once

#include <string>
#include <vector>

#include "sources/picture_list.h"

// The individual picture list in the settings file: its text, encoded, as the only content of
// the code section of the key "Protected_User_Images".

inline constexpr const wchar_t* kIndividualListKey = L"Protected_User_Images";

// The paths the stored list names, in their stored order, as they are stored: no file is looked
// at. Empty when nothing is stored or the stored value does not decode.
std::vector<std::wstring> StoredIndividualListPaths();

// Clears `list` and fills it with the stored paths that are pictures; missing files, files
// that are not pictures and pieces too short to be a path are skipped. The stored text is not
// changed. A stored value that does not decode gives an empty list.
void LoadIndividualPictures(PictureList& list);

// Stores `paths` (in the picture selection dialog's order) as the whole individual list,
// replacing what was stored. Returns false when the settings file could not be written.
bool SaveIndividualPictures(const std::vector<std::wstring>& paths);
