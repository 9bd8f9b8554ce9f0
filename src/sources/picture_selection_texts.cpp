#include "sources/picture_selection_texts.h"

#include "sources/picture_selection_set.h"

std::wstring ReplacePlaceholder(std::wstring_view text, std::wstring_view value) {
    std::wstring result;
    size_t position = 0;
    while (position < text.size()) {
        const size_t found = text.find(L"XX", position);
        if (found == std::wstring_view::npos) {
            result.append(text.substr(position));
            break;
        }
        result.append(text.substr(position, found - position));
        result.append(value);
        position = found + 2;
    }
    return result;
}

namespace {

std::wstring LimitNumber() { return std::to_wstring(kMaxIndividualPictures); }

}  // namespace

std::wstring PictureSelectionInfoText(std::wstring_view placeText, std::wstring_view deleteText) {
    std::wstring text;
    for (wchar_t c : ReplacePlaceholder(placeText, LimitNumber())) {
        text += c;
        if (c == L'&') text += L'&';
    }
    text += L"\r\n";
    text += deleteText;
    return text;
}

std::wstring PictureLimitText(std::wstring_view limitText) { return ReplacePlaceholder(limitText, LimitNumber()); }

std::wstring PictureStatusLine(std::wstring_view readyText, std::wstring_view itemsText, int shownCount,
                               std::wstring_view sizeText) {
    std::wstring line(readyText);
    line += L" // ";
    line += itemsText;
    line += L":";
    line += std::to_wstring(shownCount);
    line += L" ";
    line += sizeText;
    return line;
}

std::wstring BracketedLabel(std::wstring_view text) { return L"[" + std::wstring(text) + L"]"; }

std::wstring FolderOfKey(std::wstring_view key) {
    const size_t cut = key.find_last_of(L'\\');
    if (cut == std::wstring_view::npos) return std::wstring();
    return std::wstring(key.substr(0, cut + 1));
}
