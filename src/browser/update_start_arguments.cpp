#include "browser/update_start_arguments.h"

#include "common/ascii_case.h"

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

namespace {

bool IsHexDigit(wchar_t c) { return (c >= L'0' && c <= L'9') || (AsciiLower(c) >= L'a' && AsciiLower(c) <= L'f'); }

}  // namespace

bool IsReceivedUpdateFile(std::wstring_view path, std::wstring_view temporaryFolder) {
    constexpr size_t kFolderNumberDigits = 8;
    if (temporaryFolder.empty() || temporaryFolder.back() != L'\\') return false;
    if (!StartsWithIgnoringAsciiCase(path, temporaryFolder)) return false;
    std::wstring_view rest = path.substr(temporaryFolder.size());
    const std::wstring_view prefix = kUpdateFolderPrefix;
    if (!StartsWithIgnoringAsciiCase(rest, prefix)) return false;
    rest = rest.substr(prefix.size());
    if (rest.size() < kFolderNumberDigits + 1) return false;
    for (size_t i = 0; i < kFolderNumberDigits; ++i) {
        if (!IsHexDigit(rest[i])) return false;
    }
    if (rest[kFolderNumberDigits] != L'\\') return false;
    const std::wstring_view name = rest.substr(kFolderNumberDigits + 1);
    const std::wstring_view expected = kReceivedUpdateFileName;
    return EqualsIgnoringAsciiCase(name, expected);
}
