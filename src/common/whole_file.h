#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/unique_handle.h"

// The whole content of the file at `path`, read in one piece (others may go on reading and
// writing it meanwhile); nothing when it cannot be opened or read whole, or holds more than
// `maxSize` bytes.
inline std::optional<std::vector<uint8_t>> ReadWholeFile(const std::wstring& path, uint64_t maxSize) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > maxSize ||
        size.QuadPart > MAXDWORD) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}
