#include "sources/chooser_result.h"

std::vector<std::wstring> ChosenFilePaths(std::wstring_view buffer) {
    std::vector<std::wstring> paths;
    const size_t firstEnd = buffer.find(L'\0');
    if (firstEnd == std::wstring_view::npos) return paths;
    const std::wstring first(buffer.substr(0, firstEnd));
    size_t next = firstEnd + 1;
    if (next >= buffer.size() || buffer[next] == L'\0') {
        paths.push_back(first);
        return paths;
    }
    const std::wstring folder = first.empty() || first.back() == L'\\' ? first : first + L"\\";
    while (next < buffer.size() && buffer[next] != L'\0') {
        size_t end = buffer.find(L'\0', next);
        if (end == std::wstring_view::npos) end = buffer.size();
        paths.push_back(folder + std::wstring(buffer.substr(next, end - next)));
        next = end + 1;
    }
    return paths;
}
