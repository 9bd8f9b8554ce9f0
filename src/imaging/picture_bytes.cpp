#include "imaging/picture_bytes.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/unique_handle.h"
#include "imaging/decoding_budget.h"

PictureBytes::PictureBytes(PictureBytes&& other) noexcept
    : m_block(std::exchange(other.m_block, nullptr)),
      m_data(std::exchange(other.m_data, nullptr)),
      m_size(std::exchange(other.m_size, 0)) {}

PictureBytes& PictureBytes::operator=(PictureBytes&& other) noexcept {
    if (this != &other) {
        Free();
        m_block = std::exchange(other.m_block, nullptr);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

bool PictureBytes::Allocate(uint64_t count) {
    Free();
    if (count > kMaxPictureFileBytes) return false;
    const size_t blockSize = count == 0 ? 1 : static_cast<size_t>(count);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, blockSize);
    if (block == nullptr) return false;
    void* data = GlobalLock(block);
    if (data == nullptr) {
        GlobalFree(block);
        return false;
    }
    m_block = block;
    m_data = static_cast<uint8_t*>(data);
    m_size = static_cast<size_t>(count);
    return true;
}

bool PictureBytes::CopyFrom(const void* bytes, uint64_t count) {
    if (bytes == nullptr && count != 0) {
        Free();
        return false;
    }
    if (!Allocate(count)) return false;
    if (count != 0) std::memcpy(m_data, bytes, static_cast<size_t>(count));
    return true;
}

void PictureBytes::Free() {
    if (m_block == nullptr) return;
    GlobalUnlock(m_block);
    GlobalFree(m_block);
    m_block = nullptr;
    m_data = nullptr;
    m_size = 0;
}

HANDLE OpenPictureFile(const wchar_t* path) {
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

PictureFileRead ReadPictureFile(const wchar_t* path, PictureBytes& bytes) {
    bytes.Free();
    UniqueHandle file(OpenPictureFile(path));
    if (!file.IsValid()) return PictureFileRead::kCannotOpen;
    return ReadPictureFile(file.Get(), bytes);
}

PictureFileRead ReadPictureFile(HANDLE file, PictureBytes& bytes) {
    bytes.Free();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return PictureFileRead::kCannotRead;
    if (!bytes.Allocate(static_cast<uint64_t>(size.QuadPart))) return PictureFileRead::kCannotRead;

    size_t done = 0;
    while (done < bytes.Size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.Size() - done, 64u * 1024 * 1024));
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(done);
        position.OffsetHigh = static_cast<DWORD>(uint64_t{done} >> 32);
        DWORD read = 0;
        if (!ReadFile(file, bytes.Data() + done, chunk, &read, &position) || read == 0) {
            bytes.Free();
            return PictureFileRead::kCannotRead;
        }
        done += read;
    }
    return PictureFileRead::kRead;
}

ComPointer<IStream> MakeStreamOnBytes(const PictureBytes& bytes) {
    if (bytes.IsEmpty()) return nullptr;
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(bytes.Block(), FALSE, &stream))) return nullptr;
    return ComPointer<IStream>(stream);
}
