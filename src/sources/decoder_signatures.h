#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The signatures by which the picture decoder chooses a decoder for a file's first bytes: a file
// whose first bytes match none of them cannot decode, so it is no picture, whatever it holds
// further on. One signature: `pattern` and `mask` of the same length; the file matches when it
// has at least that many bytes and each byte, masked, equals the pattern byte.
struct DecoderSignature {
    std::vector<uint8_t> pattern;
    std::vector<uint8_t> mask;
};

// Bytes of the file's start that the decision needs at most.
inline constexpr size_t kDecoderSignatureBytes = 64;

bool MatchesDecoderSignature(const DecoderSignature& signature, const uint8_t* bytes, size_t count);
bool MatchesAnyDecoderSignature(const std::vector<DecoderSignature>& signatures, const uint8_t* bytes, size_t count);
