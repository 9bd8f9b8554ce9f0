#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One word of a blank-separated text: "name" or "name<separator>value" (the first separator
// splits).
struct SplitToken {
    std::wstring name;
    std::optional<std::wstring> value;
};

inline constexpr size_t kMaxSplitTokens = 256;

// Splits a text the way the program reads its command line and its stored name=value lists:
// blanks separate tokens, double quotes group text with blanks into one token and are removed,
// tabs and line feeds inside a token become blanks, and at most 256 tokens are kept. Each token
// is cut at its first `separator`; tokens with an empty name are dropped.
inline std::vector<SplitToken> SplitTokens(std::wstring_view text, wchar_t separator) {
    // Blanks inside quotes become tabs for the cut and blanks again afterwards.
    std::wstring work;
    work.reserve(text.size() + 5);
    bool insideQuotes = false;
    for (wchar_t c : text) {
        if (c == L'"') {
            insideQuotes = !insideQuotes;
            continue;
        }
        work += (insideQuotes && c == L' ') ? L'\t' : c;
    }

    std::vector<SplitToken> tokens;
    size_t pos = 0;
    while (pos < work.size() && tokens.size() < kMaxSplitTokens) {
        while (pos < work.size() && work[pos] == L' ') ++pos;
        const size_t start = pos;
        while (pos < work.size() && work[pos] != L' ') ++pos;
        if (pos == start) break;

        std::wstring word = work.substr(start, pos - start);
        for (wchar_t& c : word) {
            if (c == L'\t' || c == L'\n') c = L' ';
        }
        SplitToken token;
        const size_t cut = word.find(separator);
        if (cut == std::wstring::npos) {
            token.name = std::move(word);
        } else {
            token.name = word.substr(0, cut);
            token.value = word.substr(cut + 1);
        }
        if (!token.name.empty()) tokens.push_back(std::move(token));
    }
    return tokens;
}
