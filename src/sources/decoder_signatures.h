#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/picture_header.h"

// The signatures by which the picture decoders choose a decoder for a file's bytes: a file that
// matches none of them cannot decode, so it is no picture, whatever it holds further on. One
// signature: `pattern` and `mask` of the same length at `position` bytes from the file's start,
// or from its end when `fromEnd` is set (as some codecs of the system's imaging component mark
// their formats by a footer); the file matches when each of its bytes there, masked, equals the
// pattern byte.
struct DecoderSignature {
    std::vector<uint8_t> pattern;
    std::vector<uint8_t> mask;
    uint64_t position = 0;
    bool fromEnd = false;
};

// Bytes of the file's start that the decision needs at most for the signatures of GDI+.
inline constexpr size_t kDecoderSignatureBytes = 64;

// Against the first `count` bytes of a file: only signatures counted from the start can match.
bool MatchesDecoderSignature(const DecoderSignature& signature, const uint8_t* bytes, size_t count);
bool MatchesAnyDecoderSignature(const std::vector<DecoderSignature>& signatures, const uint8_t* bytes, size_t count);

// Against a whole file of `fileSize` bytes, read through `read` where a signature lies.
bool MatchesDecoderSignature(const DecoderSignature& signature, const HeaderByteReader& read, uint64_t fileSize);
bool MatchesAnyDecoderSignature(const std::vector<DecoderSignature>& signatures, const HeaderByteReader& read,
                                uint64_t fileSize);
