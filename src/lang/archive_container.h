#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The container of the language archive inside the program file: start marker, payload, end
// marker, each marker a line of its own. The markers are assembled at run time from single
// characters, so that the program file holds them whole only around the archive itself.

std::string ArchiveStartMarker();  // 45 bytes
std::string ArchiveEndMarker();    // 44 bytes

// The largest decoded text a payload may announce. The archive is tens of kilobytes; a larger
// size can only come from a damaged file and is refused before anything is allocated.
inline constexpr uint32_t kMaxArchiveTextSize = 4u * 1024 * 1024;

struct PayloadPlace {
    size_t offset = 0;
    size_t length = 0;
};

// Finds the payload in the bytes of a file: after the first start marker and before the first
// end marker, both searched from the first byte. Nothing when a marker is missing or the end
// marker does not follow the start marker.
std::optional<PayloadPlace> FindArchivePayload(const uint8_t* bytes, size_t size);
