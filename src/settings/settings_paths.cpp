#include "settings/settings_paths.h"

std::wstring FileNameOfPath(std::wstring_view path) {
    const size_t slash = path.find_last_of(L'\\');
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::wstring FolderOfPath(std::wstring_view path) {
    size_t separator = path.find_last_of(L'\\');
    if (separator == std::wstring_view::npos) separator = path.find_last_of(L'/');
    if (separator == std::wstring_view::npos) return std::wstring();
    return std::wstring(path.substr(0, separator));
}

std::wstring LowerCaseText(std::wstring_view text) {
    std::wstring lower(text);
    for (wchar_t& c : lower) {
        if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c = static_cast<wchar_t>(c + 32);
    }
    return lower;
}

std::wstring WithTrailingBackslash(std::wstring_view folder) {
    std::wstring result(folder);
    if (result.empty() || result.back() != L'\\') result += L'\\';
    return result;
}

bool IsPortableProgramName(std::wstring_view fileName) {
    // "_p" is the start of the other two markers, so one search finds all three.
    return LowerCaseText(fileName).find(L"_p", 1) != std::wstring::npos;
}

bool IsFolderInside(std::wstring_view folder, std::wstring_view parent) {
    const std::wstring lowerFolder = LowerCaseText(WithTrailingBackslash(folder));
    const std::wstring lowerParent = LowerCaseText(WithTrailingBackslash(parent));
    return lowerFolder.starts_with(lowerParent);
}
