#include "browser/update_fields.h"

#include <limits>

namespace {

// Compares a name that may hold carriage returns with one that holds none.
bool NameEquals(std::wstring_view rawName, std::wstring_view name) {
    size_t at = 0;
    for (wchar_t c : rawName) {
        if (c == L'\r') continue;
        if (at == name.size() || name[at] != c) return false;
        ++at;
    }
    return at == name.size();
}

void TakeField(UpdateFields& fields, std::wstring_view rawName, std::wstring_view value) {
    struct Field {
        const wchar_t* name;
        std::optional<std::wstring_view> UpdateFields::*member;
    };
    static const Field kFields[] = {
        {L"Version-Info", &UpdateFields::versionInfo},      {L"New-Version-SHA256", &UpdateFields::digest},
        {L"New-Version", &UpdateFields::program},           {L"New-Version-Base64_len", &UpdateFields::base64Length},
        {L"New-Version-len", &UpdateFields::programLength}, {L"base_64_code", &UpdateFields::base64Code},
        {L"time_base_64", &UpdateFields::timeBase64},
    };
    for (const Field& field : kFields) {
        if (!NameEquals(rawName, field.name)) continue;
        std::optional<std::wstring_view>& slot = fields.*(field.member);
        if (!slot) slot = value;
        return;
    }
}

}  // namespace

UpdateFields ParseUpdateFields(std::wstring_view documentText) {
    UpdateFields fields;
    size_t lineStart = 0;
    for (;;) {
        const size_t lineEnd = documentText.find(L'\n', lineStart);
        if (lineEnd == std::wstring_view::npos) break;
        const std::wstring_view line = documentText.substr(lineStart, lineEnd - lineStart);
        const size_t equals = line.find(L'=');
        if (equals != std::wstring_view::npos) TakeField(fields, line.substr(0, equals), line.substr(equals + 1));
        lineStart = lineEnd + 1;
    }
    return fields;
}

std::wstring WithoutCarriageReturns(std::wstring_view value) {
    std::wstring text;
    text.reserve(value.size());
    for (wchar_t c : value) {
        if (c != L'\r') text += c;
    }
    return text;
}

size_t CharactersWithoutCarriageReturns(std::wstring_view value) {
    size_t count = 0;
    for (wchar_t c : value) count += c != L'\r' ? 1 : 0;
    return count;
}

uint64_t ReadStatedLength(std::wstring_view text) {
    constexpr uint64_t kLargest = std::numeric_limits<uint64_t>::max();
    size_t at = 0;
    while (at < text.size() && (text[at] == L' ' || text[at] == L'\t' || text[at] == L'\r')) ++at;
    uint64_t number = 0;
    for (; at < text.size(); ++at) {
        if (text[at] == L'\r') continue;
        if (text[at] < L'0' || text[at] > L'9') break;
        const uint64_t digit = static_cast<uint64_t>(text[at] - L'0');
        if (number > (kLargest - digit) / 10) return kLargest;
        number = number * 10 + digit;
    }
    return number;
}
