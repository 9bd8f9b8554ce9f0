#include "imaging/picture_file_reader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kWindowBytes = 4096;

}  // namespace

size_t PictureFileReader::Read(uint64_t offset, uint8_t* buffer, size_t count) {
    if (offset < m_windowStart || offset + count > m_windowStart + m_window.size()) {
        if (!Fill(offset, std::max(count, kWindowBytes))) return 0;
    }
    const size_t from = static_cast<size_t>(offset - m_windowStart);
    const size_t available = std::min(count, m_window.size() - std::min(from, m_window.size()));
    if (available > 0) std::memcpy(buffer, m_window.data() + from, available);
    return available;
}

PictureHeader PictureFileReader::ReadHeader() {
    return ReadPictureHeader(
        [this](uint64_t offset, uint8_t* buffer, size_t count) { return Read(offset, buffer, count); });
}

bool PictureFileReader::Fill(uint64_t offset, size_t count) {
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
