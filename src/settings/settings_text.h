#pragma once

#include <string>
#include <string_view>

// The settings file keeps paths and path lists in an encoded form: a line of decimal numbers,
// each followed by ",". The text is reversed and given the marker "AAAAAA" at its end, and
// every code unit is stored as (128 + position + code unit) modulo 65536.
std::wstring EncodeSettingText(std::wstring_view text);

// Turns an encoded value back into its text. A value that was never encoded, that was cut
// short or that is empty decodes to the empty text, never to garbage.
std::wstring DecodeSettingText(std::wstring_view encoded);
