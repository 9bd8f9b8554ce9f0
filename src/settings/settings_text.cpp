#include "settings/settings_text.h"

#include <algorithm>

#include "settings/setting_value.h"

namespace {

constexpr std::wstring_view kEncodingMarker = L"AAAAAA";
constexpr unsigned kFirstCounter = 128;

}  // namespace

std::wstring EncodeSettingText(std::wstring_view text) {
    std::wstring source(text.rbegin(), text.rend());
    source += kEncodingMarker;

    std::wstring encoded;
    encoded.reserve(source.size() * 6);
    unsigned counter = kFirstCounter;
    for (wchar_t unit : source) {
        const unsigned value = (counter + static_cast<unsigned>(static_cast<uint16_t>(unit))) & 0xFFFFu;
        encoded += std::to_wstring(value);
        encoded += L',';
        ++counter;
    }
    return encoded;
}

std::wstring DecodeSettingText(std::wstring_view encoded) {
    std::wstring units;
    unsigned counter = kFirstCounter;
    size_t numberStart = 0;
    for (size_t pos = 0; pos < encoded.size(); ++pos) {
        if (encoded[pos] != L',') continue;
        const int number = ReadLeadingInt(encoded.substr(numberStart, pos - numberStart));
        units += static_cast<wchar_t>(static_cast<uint16_t>(static_cast<unsigned>(number) - counter));
        ++counter;
        numberStart = pos + 1;
    }
    std::reverse(units.begin(), units.end());
    if (!units.starts_with(kEncodingMarker)) return std::wstring();
    return units.substr(kEncodingMarker.size());
}
