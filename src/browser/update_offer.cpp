#include "browser/update_offer.h"

#include <windows.h>
#include <wincrypt.h>

#include <cwchar>

#include "common/ascii_case.h"

namespace {

std::wstring LowerCase(std::wstring text) {
    for (wchar_t& c : text) c = AsciiLower(c);
    return text;
}

OfferCheck Refused(UpdateMessage message) {
    OfferCheck check;
    check.verdict = OfferVerdict::kRefused;
    check.message = std::move(message);
    return check;
}

// The time number of a page: Base64 of its decimal digits. Null when it cannot be read.
std::optional<uint64_t> ReadTimeNumber(const std::optional<std::wstring_view>& field) {
    if (!field) return std::nullopt;
    const std::optional<std::vector<uint8_t>> bytes = DecodeBase64(*field);
    if (!bytes || bytes->empty() || bytes->size() > 19) return std::nullopt;
    uint64_t number = 0;
    for (uint8_t byte : *bytes) {
        if (byte < '0' || byte > '9') return std::nullopt;
        number = number * 10 + static_cast<uint64_t>(byte - '0');
    }
    return number;
}

// A version text is shown in a message box and passed in double quotes on a command line.
bool IsUsableVersion(const std::wstring& version) {
    if (version.empty() || version.size() > kMaxOfferedVersionCharacters) return false;
    for (wchar_t c : version) {
        if (c < L' ' || c == L'"' || c == 0x7F) return false;
    }
    return true;
}

struct CryptProvider {
    HCRYPTPROV handle = 0;
    ~CryptProvider() {
        if (handle != 0) CryptReleaseContext(handle, 0);
    }
};

struct CryptHash {
    HCRYPTHASH handle = 0;
    ~CryptHash() {
        if (handle != 0) CryptDestroyHash(handle);
    }
};

}  // namespace

UpdateMessage GeneralUpdateError() { return {L"error1", L""}; }

std::optional<std::vector<uint8_t>> DecodeBase64(std::wstring_view text) {
    // Room for what the text's Base64 characters can give, so that one pass of the decoder does:
    // asking it for the size first would decode everything twice.
    size_t symbols = 0;
    for (wchar_t c : text) {
        symbols +=
            (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'+' || c == L'/';
    }
    const size_t room = symbols / 4 * 3 + 3;
    if (symbols == 0 || room > kMaxUpdateFileBytes + 3) return std::nullopt;
    std::vector<uint8_t> bytes(room);
    DWORD size = static_cast<DWORD>(room);
    if (!CryptStringToBinaryW(text.data(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64, bytes.data(), &size,
                              nullptr, nullptr) ||
        size > kMaxUpdateFileBytes) {
        return std::nullopt;
    }
    bytes.resize(size);
    return bytes;
}

std::wstring Sha256Hex(const uint8_t* bytes, size_t size) {
    CryptProvider provider;
    if (!CryptAcquireContextW(&provider.handle, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return L"";
    CryptHash hash;
    if (!CryptCreateHash(provider.handle, CALG_SHA_256, 0, 0, &hash.handle)) return L"";
    // CryptHashData takes at most 4 GiB a call; offers are far smaller, but stay correct.
    size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(size - done > 0x40000000 ? 0x40000000 : size - done);
        if (!CryptHashData(hash.handle, bytes + done, chunk, 0)) return L"";
        done += chunk;
    }
    BYTE digest[32] = {};
    DWORD digestSize = sizeof(digest);
    if (!CryptGetHashParam(hash.handle, HP_HASHVAL, digest, &digestSize, 0) || digestSize != sizeof(digest)) {
        return L"";
    }
    static const wchar_t kHex[] = L"0123456789abcdef";
    std::wstring text;
    for (BYTE byte : digest) {
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
    }
    return text;
}

OfferCheck CheckUpdateOffer(const UpdateFields& fields, uint64_t expectedTime) {
    if (!fields.digest || CharactersWithoutCarriageReturns(*fields.digest) == 0) return {};

    // Sizes first: nothing is decoded for an offer larger than a program file can be.
    const uint64_t statedBase64Length = ReadStatedLength(fields.base64Length.value_or(L""));
    const uint64_t statedProgramLength = ReadStatedLength(fields.programLength.value_or(L""));
    if (!fields.program || statedBase64Length > kMaxUpdateBase64Characters ||
        statedProgramLength > kMaxUpdateFileBytes ||
        CharactersWithoutCarriageReturns(*fields.program) > kMaxUpdateBase64Characters) {
        return Refused(GeneralUpdateError());
    }

    if (CharactersWithoutCarriageReturns(*fields.program) != statedBase64Length) return Refused(GeneralUpdateError());
    std::optional<std::vector<uint8_t>> program = DecodeBase64(*fields.program);
    if (!program) return Refused(GeneralUpdateError());

    if (program->size() != statedProgramLength) {
        wchar_t text[96];
        swprintf(text, 96, L"from base:%d\nfile-len:%d", static_cast<int>(program->size()),
                 static_cast<int>(statedProgramLength));
        return Refused({text, L"Base64 error2:" + WithoutCarriageReturns(*fields.programLength)});
    }

    const std::wstring expectedDigest = LowerCase(WithoutCarriageReturns(*fields.digest));
    const std::wstring computedDigest = Sha256Hex(program->data(), program->size());
    if (computedDigest.empty()) return Refused(GeneralUpdateError());
    if (computedDigest != expectedDigest) {
        return Refused({L"In:" + expectedDigest + L"\nOut:" + computedDigest, L"sha256 error!"});
    }

    if (ReadTimeNumber(fields.timeBase64) != expectedTime) return Refused({L"error3", L""});

    std::wstring version = WithoutCarriageReturns(fields.versionInfo.value_or(L""));
    if (!IsUsableVersion(version)) return Refused(GeneralUpdateError());

    OfferCheck check;
    check.verdict = OfferVerdict::kAccepted;
    check.program = std::move(*program);
    check.version = std::move(version);
    return check;
}
