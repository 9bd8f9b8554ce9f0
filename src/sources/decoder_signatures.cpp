#include "sources/decoder_signatures.h"

bool MatchesDecoderSignature(const DecoderSignature& signature, const uint8_t* bytes, size_t count) {
    const size_t length = signature.pattern.size();
    if (length == 0 || signature.mask.size() != length || bytes == nullptr || count < length) return false;
    for (size_t i = 0; i < length; ++i) {
        if ((bytes[i] & signature.mask[i]) != signature.pattern[i]) return false;
    }
    return true;
}

bool MatchesAnyDecoderSignature(const std::vector<DecoderSignature>& signatures, const uint8_t* bytes, size_t count) {
    for (const DecoderSignature& signature : signatures) {
        if (MatchesDecoderSignature(signature, bytes, count)) return true;
    }
    return false;
}
