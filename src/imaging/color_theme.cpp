#include "imaging/color_theme.h"

#include <cstdio>
#include <cwchar>

#include "common/token_split.h"

namespace {

const ColorTheme kBuiltInThemes[] = {
    {L"Windows - 98", {L"008088", L"000000", L"008088", L"000000"}},
    {L"Windows - 98 SE", {L"008088", L"000000", L"008088", L"FFFFFF"}},
    {L"Windows - XP", {L"0000FF", L"FF0000", L"0000FF", L"FFFFFF"}},
    {L"Windows - Vista", {L"333333", L"400080", L"330033", L"FFFFFF"}},
    {L"Windows - 7", {L"DDDDDD", L"888888", L"FFFFFF", L"FFFFFF"}},
    {L"Windows - 8", {L"DDDDDD", L"888888", L"FFFFFF", L"FFFFFF"}},
    {L"Windows - 8.1", {L"FFFFFF", L"000000", L"555555", L"999999"}},
    {L"Windows - 10", {L"FFFFFF", L"DDDDDD", L"444444", L"AAAAAA"}},
    {L"Windows - 11", {L"2288FF", L"FF0088", L"88FF88", L"FF4488"}},
    {L"Windows - 12", {L"2288FF", L"FF0088", L"88FF88", L"DDFF00"}},
    {L"Neo-1", {L"00FF00", L"00FFFF", L"000000", L"000000"}},
    {L"Neo-2", {L"FFFF00", L"00FF00", L"FF00FF", L"000000"}},
};

constexpr ThemeColor kGrey = 128 | (128 << 8) | (128 << 16);

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

std::span<const ColorTheme> BuiltInColorThemes() { return kBuiltInThemes; }

std::wstring ColorToText(ThemeColor color) {
    if (color < 0) return L"-1";
    wchar_t text[8];
    std::swprintf(text, 8, L"%02X%02X%02X", color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    return text;
}

ThemeColor TextToColor(std::wstring_view text) {
    if (text.find(L'-') != std::wstring_view::npos) return kNoThemeColor;
    if (text.size() != 3 && text.size() != 6) return kGrey;
    for (wchar_t c : text) {
        if (HexDigit(c) < 0) return kGrey;
    }
    const size_t digitsPerChannel = text.size() / 3;
    int channels[3] = {};
    for (size_t channel = 0; channel < 3; ++channel) {
        for (size_t digit = 0; digit < digitsPerChannel; ++digit) {
            channels[channel] = channels[channel] * 16 + HexDigit(text[channel * digitsPerChannel + digit]);
        }
    }
    return channels[0] | (channels[1] << 8) | (channels[2] << 16);
}

std::wstring ColorThemeValue(const ColorTheme& theme) {
    std::wstring value;
    for (size_t i = 0; i < theme.colors.size(); ++i) {
        value += L"color" + std::to_wstring(i + 1) + L"=" + theme.colors[i] + L" ";
    }
    return value;
}

void ApplyColorThemeValue(std::wstring_view value, ColorTheme& theme) {
    const std::vector<SplitToken> tokens = SplitTokens(value, L'=');
    for (size_t i = 0; i < theme.colors.size(); ++i) {
        const std::wstring name = L"color" + std::to_wstring(i + 1);
        for (const SplitToken& token : tokens) {
            if (token.name != name) continue;
            if (token.value.has_value()) theme.colors[i] = *token.value;
            break;  // only the first occurrence counts
        }
    }
}
