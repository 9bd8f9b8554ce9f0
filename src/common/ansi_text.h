#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// `text` in the thread's ANSI code page, or nothing when the code page cannot hold every
// character of it (the system would put "?" or a look-alike in their place).
inline std::optional<std::string> ExactAnsiText(const std::wstring& text) {
    if (text.empty()) return std::string();
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(),
                                           static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
    if (length <= 0 || lossy) return std::nullopt;
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()), ansi.data(),
                        length, nullptr, &lossy);
    if (lossy) return std::nullopt;
    return ansi;
}

// The path of an existing file or folder as the ANSI code page can name it exactly: the path
// itself when the code page holds it, else its short (8.3) form when that exists and fits.
// Nothing when neither names it exactly.
inline std::optional<std::string> ExactAnsiPath(const std::wstring& path) {
    if (std::optional<std::string> ansi = ExactAnsiText(path)) return ansi;
    const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length == 0) return std::nullopt;
    std::vector<wchar_t> shortPath(length + 1, L'\0');
    const DWORD written = GetShortPathNameW(path.c_str(), shortPath.data(), length + 1);
    if (written == 0 || written > length) return std::nullopt;
    return ExactAnsiText(std::wstring(shortPath.data(), written));
}
