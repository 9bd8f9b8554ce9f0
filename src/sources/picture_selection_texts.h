#pragma once

#include <string>
#include <string_view>

// Texts of the picture selection dialog, put together from the language texts the caller looked
// up (so that they can be checked without the archive).

// The information text: `placeText` (text 4) with "XX" replaced by the picture limit and every
// "&" doubled (a static control would take it for a mnemonic), then CR LF and `deleteText`
// (text 5).
std::wstring PictureSelectionInfoText(std::wstring_view placeText, std::wstring_view deleteText);

// "Currently up to 32 images": `limitText` (text 41) with "XX" replaced by the limit.
std::wstring PictureLimitText(std::wstring_view limitText);

// The status line: "Ready // Items:3 1.5 KB" from text 15, text 33, the number of shown
// pictures and their size text.
std::wstring PictureStatusLine(std::wstring_view readyText, std::wstring_view itemsText, int shownCount,
                               std::wstring_view sizeText);

// A toolbar label: "[" text "]".
std::wstring BracketedLabel(std::wstring_view text);

// The folder column: the lower-case key up to and including its last "\" (empty without one).
std::wstring FolderOfKey(std::wstring_view key);

// Every "XX" in `text` replaced by `value`.
std::wstring ReplacePlaceholder(std::wstring_view text, std::wstring_view value);
