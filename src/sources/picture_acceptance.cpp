#include "sources/picture_acceptance.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/unique_handle.h"
#include "imaging/picture_header.h"
#include "imaging/picture_holder.h"
#include "sources/header_dimensions.h"

namespace {

// Reads a file for the header parser through a small window of cached bytes, so that the few
// small reads of a header walk cost one or two file reads: the first window usually holds the
// whole header, and a JPEG with a large metadata segment needs one more.
class CachedFileReader {
public:
    explicit CachedFileReader(HANDLE file) : m_file(file) {}

    size_t Read(uint64_t offset, uint8_t* buffer, size_t count) {
        if (offset < m_windowStart || offset + count > m_windowStart + m_window.size()) {
            if (!Fill(offset, std::max(count, kWindowBytes))) return 0;
        }
        const size_t from = static_cast<size_t>(offset - m_windowStart);
        const size_t available = std::min(count, m_window.size() - std::min(from, m_window.size()));
        if (available > 0) std::memcpy(buffer, m_window.data() + from, available);
        return available;
    }

private:
    static constexpr size_t kWindowBytes = 4096;

    bool Fill(uint64_t offset, size_t count) {
        m_window.resize(count);
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(offset);
        position.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        if (!ReadFile(m_file, m_window.data(), static_cast<DWORD>(count), &read, &position)) read = 0;
        m_window.resize(read);
        m_windowStart = offset;
        return read > 0;
    }

    HANDLE m_file;
    std::vector<uint8_t> m_window;
    uint64_t m_windowStart = 0;
};

}  // namespace

bool IsListedPictureSize(uint32_t width, uint32_t height, uint64_t fileBytes) {
    if (width <= kMinPictureSideExclusive || height <= kMinPictureSideExclusive) return false;
    if (width > kMaxPictureSide || height > kMaxPictureSide) return false;
    if (uint64_t{width} * height > kMaxPicturePixels) return false;
    return fileBytes <= kMaxPictureFileBytes;
}

std::optional<bool> IsPictureByHeader(const std::wstring& path) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return std::nullopt;
    CachedFileReader reader(file.Get());
    const std::optional<HeaderDimensions> header = ReadHeaderDimensions(
        [&reader](uint64_t offset, uint8_t* buffer, size_t count) { return reader.Read(offset, buffer, count); });
    if (!header) return std::nullopt;
    return IsListedPictureSize(header->width, header->height, static_cast<uint64_t>(size.QuadPart));
}

bool IsPictureByDecoding(const std::wstring& path) {
    PictureHolder holder;
    if (!holder.LoadFile(path.c_str())) return false;
    const bool accepted = holder.Width() > kMinPictureSideExclusive && holder.Height() > kMinPictureSideExclusive;
    holder.Release();
    return accepted;
}

bool IsAcceptedPicture(const std::wstring& path) {
    if (const std::optional<bool> byHeader = IsPictureByHeader(path)) return *byHeader;
    return IsPictureByDecoding(path);
}
