#include "lang_test_support.h"

#include <cstdlib>
#include <string>

#include "common/test_files.h"
#include "lang/language_archive.h"
#include "lzari_encoder.h"

std::vector<uint8_t> Utf16LeBytes(const std::wstring& text) {
    std::vector<uint8_t> bytes;
    for (wchar_t unit : text) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8 & 0xFF));
    }
    return bytes;
}

std::unique_ptr<LanguageArchive> ArchiveFromText(const std::wstring& text) {
    const std::vector<uint8_t> payload = EncodeLzari(Utf16LeBytes(text));
    return LanguageArchive::FromPayload(payload.data(), payload.size());
}

std::optional<std::vector<uint8_t>> ReadFileNamedBy(const char* variable) {
    const char* hostPath = std::getenv(variable);
    if (hostPath == nullptr) return std::nullopt;
    return ReadFileBytes(WindowsPathFromHost(hostPath));
}

bool PointsIntoArchive(const LanguageArchive& archive, const wchar_t* text) {
    const auto begin = reinterpret_cast<uintptr_t>(archive.Text());
    const auto end = reinterpret_cast<uintptr_t>(archive.Text() + archive.TextLength());
    const auto at = reinterpret_cast<uintptr_t>(text);
    if (text == nullptr || at < begin || at > end) return false;
    // The buffer ends with a zero, so the walk stops inside it.
    return reinterpret_cast<uintptr_t>(text + std::char_traits<wchar_t>::length(text)) <= end;
}
