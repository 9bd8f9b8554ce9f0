#include "ui/zip_archive.h"

#include <array>

namespace {

constexpr uint16_t kVersionNeeded = 10;  // 1.0: a stored file
constexpr uint16_t kMethodStored = 0;

const std::array<uint32_t, 256>& CrcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> values{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            values[n] = c;
        }
        return values;
    }();
    return table;
}

void Put16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    Put16(out, static_cast<uint16_t>(value));
    Put16(out, static_cast<uint16_t>(value >> 16));
}

void PutName(std::vector<uint8_t>& out, const std::string& name) { out.insert(out.end(), name.begin(), name.end()); }

// The fields that local header and directory entry share, from "version needed" on.
void PutCommonFields(std::vector<uint8_t>& out, const ZipEntry& entry) {
    Put16(out, kVersionNeeded);
    Put16(out, 0);  // flags
    Put16(out, kMethodStored);
    Put16(out, entry.dosTime);
    Put16(out, entry.dosDate);
    Put32(out, entry.crc);
    Put32(out, entry.size);  // compressed
    Put32(out, entry.size);  // uncompressed
    Put16(out, static_cast<uint16_t>(entry.name.size()));
    Put16(out, 0);  // extra field
}

}  // namespace

uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t size) {
    const auto& table = CrcTable();
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint64_t MaxZipFileSize(size_t nameLength) {
    constexpr uint64_t kLastPlainOffset = 0xFFFFFFFEull;
    const uint64_t localHeader = 30 + static_cast<uint64_t>(nameLength);
    return nameLength > 0xFFFF ? 0 : kLastPlainOffset - localHeader;
}

std::vector<uint8_t> ZipLocalHeader(const ZipEntry& entry) {
    std::vector<uint8_t> out;
    Put32(out, 0x04034B50);
    PutCommonFields(out, entry);
    PutName(out, entry.name);
    return out;
}

std::vector<uint8_t> ZipDirectoryAndEnd(const ZipEntry& entry) {
    const uint32_t localHeaderSize = static_cast<uint32_t>(30 + entry.name.size());
    const uint32_t directoryOffset = localHeaderSize + entry.size;

    std::vector<uint8_t> out;
    Put32(out, 0x02014B50);
    Put16(out, kVersionNeeded);  // made by: MS-DOS attributes, version 1.0
    PutCommonFields(out, entry);
    Put16(out, 0);     // comment
    Put16(out, 0);     // disk
    Put16(out, 0);     // internal attributes
    Put32(out, 0x20);  // external attributes: "archive"
    Put32(out, 0);     // local header offset
    PutName(out, entry.name);
    const uint32_t directorySize = static_cast<uint32_t>(out.size());

    Put32(out, 0x06054B50);
    Put16(out, 0);  // this disk
    Put16(out, 0);  // disk of the directory
    Put16(out, 1);  // entries on this disk
    Put16(out, 1);  // entries
    Put32(out, directorySize);
    Put32(out, directoryOffset);
    Put16(out, 0);  // comment
    return out;
}
