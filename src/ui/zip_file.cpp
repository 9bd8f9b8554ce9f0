#include "ui/zip_file.h"

#include <windows.h>

#include <vector>

#include "common/unique_handle.h"
#include "ui/zip_archive.h"

namespace {

constexpr DWORD kChunkBytes = 1 << 20;

bool WriteAll(HANDLE file, const std::vector<uint8_t>& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// Copies the source into the archive behind the local header and reports its CRC.
bool CopyContent(HANDLE source, HANDLE archive, uint32_t expectedSize, uint32_t& crc) {
    std::vector<uint8_t> chunk(kChunkBytes);
    uint64_t copied = 0;
    crc = 0;
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(source, chunk.data(), kChunkBytes, &read, nullptr)) return false;
        if (read == 0) break;
        chunk.resize(read);
        crc = Crc32Update(crc, chunk.data(), read);
        if (!WriteAll(archive, chunk)) return false;
        chunk.resize(kChunkBytes);
        copied += read;
    }
    // A file that changed its size meanwhile would make a wrong archive.
    return copied == expectedSize;
}

bool WriteArchive(HANDLE archive, HANDLE source, const ZipEntry& plan) {
    ZipEntry entry = plan;
    if (!WriteAll(archive, ZipLocalHeader(entry))) return false;
    if (!CopyContent(source, archive, entry.size, entry.crc)) return false;
    if (!WriteAll(archive, ZipDirectoryAndEnd(entry))) return false;
    // The local header is written again, now with the CRC.
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(archive, start, nullptr, FILE_BEGIN)) return false;
    return WriteAll(archive, ZipLocalHeader(entry));
}

}  // namespace

bool WriteSingleFileZip(const std::wstring& zipPath, const std::wstring& sourcePath, const std::string& entryName) {
    UniqueHandle source(CreateFileW(sourcePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.IsValid()) return false;
    LARGE_INTEGER size{};
    FILETIME lastWrite{};
    FILETIME localWrite{};
    if (!GetFileSizeEx(source.Get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > MaxZipFileSize(entryName.size()) ||
        !GetFileTime(source.Get(), nullptr, nullptr, &lastWrite)) {
        return false;
    }
    ZipEntry entry;
    entry.name = entryName;
    entry.size = static_cast<uint32_t>(size.QuadPart);
    WORD dosDate = 0;
    WORD dosTime = 0;
    if (FileTimeToLocalFileTime(&lastWrite, &localWrite) && FileTimeToDosDateTime(&localWrite, &dosDate, &dosTime)) {
        entry.dosDate = dosDate;
        entry.dosTime = dosTime;
    }

    bool written = false;
    {
        UniqueHandle archive(
            CreateFileW(zipPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!archive.IsValid()) return false;
        written = WriteArchive(archive.Get(), source.Get(), entry);
    }
    if (!written) DeleteFileW(zipPath.c_str());
    return written;
}
