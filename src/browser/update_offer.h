#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/update_fields.h"

// Checking an update offer read from a page: the Base64 text and its lengths, the SHA-256
// digest and the page's time number. Decoding and hashing use the platform's CryptoAPI.

// The largest program file an offer may bring, 32 MiB: many times the program's own size, and
// far below what would strain the machine. Offers that state or carry more are refused before
// anything is decoded.
inline constexpr uint64_t kMaxUpdateFileBytes = 32ull * 1024 * 1024;
// The Base64 text of a file of that size.
inline constexpr uint64_t kMaxUpdateBase64Characters = (kMaxUpdateFileBytes + 2) / 3 * 4;

// The longest version text an offer may name; it is shown to the user and passed on the
// command line of the new program.
inline constexpr size_t kMaxOfferedVersionCharacters = 64;

// A message box's text and caption.
struct UpdateMessage {
    std::wstring text;
    std::wstring caption;
};

enum class OfferVerdict {
    kNoOffer,   // the page offers nothing (no digest, or an empty one): nothing is shown
    kRefused,   // the offer failed a check: `message` says which
    kAccepted,  // every check passed: `program` and `version` are set
};

struct OfferCheck {
    OfferVerdict verdict = OfferVerdict::kNoOffer;
    UpdateMessage message;
    std::vector<uint8_t> program;
    std::wstring version;
};

// Checks the fields of a page, in this order: the digest (none or empty: no offer); the stated
// and actual lengths against the size limit ("error1"); the Base64 text's length against
// "New-Version-Base64_len" ("error1"); decoding ("error1"); the decoded length against
// "New-Version-len" ("from base:<decoded>\nfile-len:<expected>", caption "Base64 error2:" and
// the expected length as the page wrote it); the SHA-256 digest, both in lower case ("In:"
// expected "\nOut:" computed, caption "sha256 error!"); the time number against
// `expectedTime` ("error3"); a version text that can be shown and passed on ("error1").
OfferCheck CheckUpdateOffer(const UpdateFields& fields, uint64_t expectedTime);

// Decodes Base64 text (line breaks and blanks between the characters are allowed) with the
// platform's decoder; null when the text is not Base64 or is longer than the size limit allows.
std::optional<std::vector<uint8_t>> DecodeBase64(std::wstring_view text);

// The SHA-256 digest of the bytes as 64 lower-case hexadecimal digits, computed by CryptoAPI;
// empty when the platform cannot compute it.
std::wstring Sha256Hex(const uint8_t* bytes, size_t size);

// The message of every failure that has no message of its own.
UpdateMessage GeneralUpdateError();
