#include "common/window_text.h"

#include <vector>

std::wstring WindowText(HWND window) {
    // GetWindowTextW sends nothing to another process's window, so a hung program cannot hold the
    // test here; the buffer grows until the text fits.
    for (size_t size = 256;; size *= 2) {
        std::vector<wchar_t> text(size, L'\0');
        const int length = GetWindowTextW(window, text.data(), static_cast<int>(size));
        if (length <= 0) return std::wstring();
        if (static_cast<size_t>(length) < size - 1 || size >= 1 << 20) return std::wstring(text.data(), length);
    }
}

std::wstring WindowClassName(HWND window) {
    wchar_t name[256] = L"";
    const int length = GetClassNameW(window, name, 256);
    return length > 0 ? std::wstring(name, length) : std::wstring();
}
