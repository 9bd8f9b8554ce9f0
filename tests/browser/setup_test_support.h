#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Helpers of the setup tests: offers as a page of the maker's site would carry them, made with
// an encoder and a digest of the test's own (not the program's).

// Base64 of the bytes, without line breaks.
std::wstring Base64Of(const std::vector<uint8_t>& bytes);
std::wstring Base64Of(const std::string& text);

// SHA-256 of the bytes in lower-case hex, computed through the CNG interface (bcrypt), which the
// program does not use.
std::wstring Sha256OfBytes(const std::vector<uint8_t>& bytes);

// The fields of an offer; an empty optional leaves the line out.
struct OfferLines {
    std::wstring versionInfo = L"2.0.0";
    std::wstring digest;
    std::wstring program;
    std::wstring base64Length;
    std::wstring programLength;
    std::wstring timeBase64;
    bool withVersionInfo = true;
    bool withDigest = true;
    bool withTime = true;
};

// A consistent offer of `program` for the time number `time`.
OfferLines GoodOffer(const std::vector<uint8_t>& program, uint64_t time);

// The offer as the text of a page: HTML around the fields, one "name=value" per line, lines ended
// by `lineEnd`.
std::wstring OfferDocument(const OfferLines& offer, const std::wstring& lineEnd = L"\n");

// Some bytes that stand for a program file.
std::vector<uint8_t> SomeProgramBytes(size_t size);
