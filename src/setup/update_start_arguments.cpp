#include "setup/update_start_arguments.h"

std::wstring UpdateStartParameters(const std::wstring& programPath, const std::wstring& version) {
    return L"Path=\"" + programPath + L"\" Version=\"" + version + L"\" ";
}

std::optional<UpdateStartRequest> ParseUpdateStartArguments(std::wstring_view commandLine) {
    std::optional<std::wstring> path;
    std::optional<std::wstring> version;
    size_t at = 0;
    while (at < commandLine.size()) {
        while (at < commandLine.size() && (commandLine[at] == L' ' || commandLine[at] == L'\t')) ++at;
        // One word: quoted parts keep their blanks.
        std::wstring word;
        bool quoted = false;
        while (at < commandLine.size() && (quoted || (commandLine[at] != L' ' && commandLine[at] != L'\t'))) {
            if (commandLine[at] == L'"') {
                quoted = !quoted;
            } else {
                word += commandLine[at];
            }
            ++at;
        }
        constexpr std::wstring_view kPath = L"Path=";
        constexpr std::wstring_view kVersion = L"Version=";
        if (!path && word.compare(0, kPath.size(), kPath) == 0) {
            path = word.substr(kPath.size());
        } else if (!version && word.compare(0, kVersion.size(), kVersion) == 0) {
            version = word.substr(kVersion.size());
        }
    }
    if (!path || path->empty()) return std::nullopt;
    return UpdateStartRequest{*path, version.value_or(L"")};
}
