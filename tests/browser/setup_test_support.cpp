#include "browser/setup_test_support.h"

#include <windows.h>
#include <bcrypt.h>

std::wstring Base64Of(const std::vector<uint8_t>& bytes) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::wstring text;
    size_t at = 0;
    while (at + 3 <= bytes.size()) {
        const uint32_t group = (bytes[at] << 16) | (bytes[at + 1] << 8) | bytes[at + 2];
        for (int shift = 18; shift >= 0; shift -= 6) text += static_cast<wchar_t>(kAlphabet[(group >> shift) & 63]);
        at += 3;
    }
    const size_t left = bytes.size() - at;
    if (left == 1) {
        const uint32_t group = bytes[at] << 16;
        text += static_cast<wchar_t>(kAlphabet[(group >> 18) & 63]);
        text += static_cast<wchar_t>(kAlphabet[(group >> 12) & 63]);
        text += L"==";
    } else if (left == 2) {
        const uint32_t group = (bytes[at] << 16) | (bytes[at + 1] << 8);
        text += static_cast<wchar_t>(kAlphabet[(group >> 18) & 63]);
        text += static_cast<wchar_t>(kAlphabet[(group >> 12) & 63]);
        text += static_cast<wchar_t>(kAlphabet[(group >> 6) & 63]);
        text += L'=';
    }
    return text;
}

std::wstring Base64Of(const std::string& text) { return Base64Of(std::vector<uint8_t>(text.begin(), text.end())); }

std::wstring Sha256OfBytes(const std::vector<uint8_t>& bytes) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    UCHAR digest[32] = {};
    std::wstring text;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0 &&
        BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0 &&
        BCryptHashData(hash, const_cast<UCHAR*>(bytes.data()), static_cast<ULONG>(bytes.size()), 0) == 0 &&
        BCryptFinishHash(hash, digest, sizeof(digest), 0) == 0) {
        static const wchar_t kHex[] = L"0123456789abcdef";
        for (UCHAR byte : digest) {
            text += kHex[byte >> 4];
            text += kHex[byte & 15];
        }
    }
    if (hash != nullptr) BCryptDestroyHash(hash);
    if (algorithm != nullptr) BCryptCloseAlgorithmProvider(algorithm, 0);
    return text;
}

OfferLines GoodOffer(const std::vector<uint8_t>& program, uint64_t time) {
    OfferLines offer;
    offer.program = Base64Of(program);
    offer.digest = Sha256OfBytes(program);
    offer.base64Length = std::to_wstring(offer.program.size());
    offer.programLength = std::to_wstring(program.size());
    offer.timeBase64 = Base64Of(std::to_string(time));
    return offer;
}

std::wstring OfferDocument(const OfferLines& offer, const std::wstring& lineEnd) {
    std::wstring text = L"<html><head><title>Update</title></head><body><pre>" + lineEnd;
    if (offer.withVersionInfo) text += L"Version-Info=" + offer.versionInfo + lineEnd;
    if (offer.withDigest) text += L"New-Version-SHA256=" + offer.digest + lineEnd;
    text += L"New-Version-Base64_len=" + offer.base64Length + lineEnd;
    text += L"New-Version-len=" + offer.programLength + lineEnd;
    text += L"New-Version=" + offer.program + lineEnd;
    text += L"base_64_code=" + Base64Of(std::string("further")) + lineEnd;
    if (offer.withTime) text += L"time_base_64=" + offer.timeBase64 + lineEnd;
    text += L"</pre><h4 id=\"FFFAEETFFFAEET\"></h4></body></html>" + lineEnd;
    return text;
}

std::vector<uint8_t> SomeProgramBytes(size_t size) {
    std::vector<uint8_t> bytes(size);
    uint32_t state = 12345;
    for (uint8_t& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}
