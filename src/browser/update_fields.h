#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The fields a page of the maker's web site carries when it offers a new program version, read
// from the text of the loaded document. Each value is a view into that text, so that reading a
// page of any size allocates nothing. Carriage returns do not count anywhere in the text; a
// value may still hold some, which the helpers below leave out.
struct UpdateFields {
    std::optional<std::wstring_view> versionInfo;    // "Version-Info": the offered version
    std::optional<std::wstring_view> digest;         // "New-Version-SHA256": SHA-256 of the file, hex
    std::optional<std::wstring_view> program;        // "New-Version": the program file, Base64
    std::optional<std::wstring_view> base64Length;   // "New-Version-Base64_len": characters of the Base64 text
    std::optional<std::wstring_view> programLength;  // "New-Version-len": bytes of the decoded file
    std::optional<std::wstring_view> base64Code;     // "base_64_code": further Base64 content (not used)
    std::optional<std::wstring_view> timeBase64;     // "time_base_64": the page's time number, Base64
};

// Reads the update fields from a document's text: with every carriage return left out, the text
// is cut at line feeds, and only lines ended by a line feed count (the text after the last one
// is no line); a line that holds an "=" gives the name before its first "=" and the value after
// it. Names are compared exactly; the first line of a name counts.
UpdateFields ParseUpdateFields(std::wstring_view documentText);

// The value without its carriage returns, as a copy; for the short fields.
std::wstring WithoutCarriageReturns(std::wstring_view value);

// The number of characters of the value that are not carriage returns.
size_t CharactersWithoutCarriageReturns(std::wstring_view value);

// A length as a page writes it: blanks and tabs before the digits are skipped, then decimal
// digits up to the first other character count; no digits read as 0, and a number too large for
// 64 bits stays at the largest one, so that any number written compares as at least as large.
uint64_t ReadStatedLength(std::wstring_view text);
