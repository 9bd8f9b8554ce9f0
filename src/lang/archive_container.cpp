#include "lang/archive_container.h"

#include <algorithm>

namespace {

// The two markers share their letters; the dashes and framing differ.
std::string MarkerLetters() {
    std::string letters;
    for (char letter : {'S', 'D', 'S', 'G', 'D', 'G', 'S', 'D', 'H', 'R', 'E', 'E',
                        'T', 'E', 'T', 'B', 'C', 'N', 'M', 'J', 'U', 'K', 'R'}) {
        letters.push_back(letter);
    }
    return letters;
}

std::optional<size_t> FindBytes(const uint8_t* bytes, size_t size, const std::string& pattern) {
    const auto* begin = reinterpret_cast<const char*>(bytes);
    const char* end = begin + size;
    const char* found = std::search(begin, end, pattern.begin(), pattern.end());
    if (found == end) return std::nullopt;
    return static_cast<size_t>(found - begin);
}

}  // namespace

std::string ArchiveStartMarker() {
    std::string marker(1, '\n');
    marker += '<';
    marker += '!';
    marker += '-';
    marker += ' ';
    marker.append(6, '-');
    marker += MarkerLetters();
    marker.append(10, '-');
    marker += '\n';
    return marker;
}

std::string ArchiveEndMarker() {
    std::string marker(1, '\n');
    marker.append(7, '-');
    marker += MarkerLetters();
    marker.append(8, '-');
    marker += ' ';
    marker.append(2, '-');
    marker += '>';
    marker += '\n';
    return marker;
}

std::optional<PayloadPlace> FindArchivePayload(const uint8_t* bytes, size_t size) {
    if (bytes == nullptr) return std::nullopt;
    const std::string startMarker = ArchiveStartMarker();
    const std::optional<size_t> start = FindBytes(bytes, size, startMarker);
    const std::optional<size_t> end = FindBytes(bytes, size, ArchiveEndMarker());
    if (!start || !end) return std::nullopt;
    const size_t payloadStart = *start + startMarker.size();
    if (*end < payloadStart) return std::nullopt;
    return PayloadPlace{payloadStart, *end - payloadStart};
}
