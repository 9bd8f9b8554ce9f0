#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A zip archive of one stored (uncompressed) file, as every zip reader opens it: a local
// header, the file's bytes, the central directory with its one entry, and the end record.
// Plain bytes only; ui/zip_file.h writes such an archive from a file on disk.

// The CRC-32 of zip archives (polynomial 0xEDB88320), continued over `size` more bytes from
// `crc` (0 for the first bytes).
uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t size);

struct ZipEntry {
    std::string name;  // the file's name inside the archive (ASCII)
    uint32_t crc = 0;
    uint32_t size = 0;     // stored: the compressed size is the same
    uint16_t dosTime = 0;  // MS-DOS time and date of the file's last change
    uint16_t dosDate = 0;
};

// The local header that precedes the file's bytes.
std::vector<uint8_t> ZipLocalHeader(const ZipEntry& entry);

// What follows the file's bytes: the central directory entry (the local header at offset 0)
// and the end record.
std::vector<uint8_t> ZipDirectoryAndEnd(const ZipEntry& entry);

// The largest file that an archive of this kind can hold under a name of `nameLength` bytes. A
// plain (not Zip64) archive keeps its offsets in 32 bits and takes 0xFFFFFFFF for the mark of a
// Zip64 archive: the central directory, which starts behind the local header and the file's
// bytes, must start at 0xFFFFFFFE at the latest.
uint64_t MaxZipFileSize(size_t nameLength);
