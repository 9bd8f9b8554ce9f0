#include "sources/decoder_signatures.h"

namespace {

bool IsWellFormed(const DecoderSignature& signature) {
    return !signature.pattern.empty() && signature.mask.size() == signature.pattern.size();
}

// `bytes` are the file's bytes where the signature lies, at least as many as the pattern has.
bool PatternMatches(const DecoderSignature& signature, const uint8_t* bytes) {
    for (size_t i = 0; i < signature.pattern.size(); ++i) {
        if ((bytes[i] & signature.mask[i]) != signature.pattern[i]) return false;
    }
    return true;
}

}  // namespace

bool MatchesDecoderSignature(const DecoderSignature& signature, const uint8_t* bytes, size_t count) {
    if (!IsWellFormed(signature) || signature.fromEnd || bytes == nullptr) return false;
    const uint64_t length = signature.pattern.size();
    if (signature.position > count || count - signature.position < length) return false;
    return PatternMatches(signature, bytes + signature.position);
}

bool MatchesAnyDecoderSignature(const std::vector<DecoderSignature>& signatures, const uint8_t* bytes, size_t count) {
    for (const DecoderSignature& signature : signatures) {
        if (MatchesDecoderSignature(signature, bytes, count)) return true;
    }
    return false;
}

bool MatchesDecoderSignature(const DecoderSignature& signature, const HeaderByteReader& read, uint64_t fileSize) {
    if (!IsWellFormed(signature) || !read) return false;
    const uint64_t length = signature.pattern.size();
    if (signature.position > fileSize) return false;
    const uint64_t offset = signature.fromEnd ? fileSize - signature.position : signature.position;
    if (offset > fileSize || fileSize - offset < length) return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    if (read(offset, bytes.data(), bytes.size()) != bytes.size()) return false;
    return PatternMatches(signature, bytes.data());
}

bool MatchesAnyDecoderSignature(const std::vector<DecoderSignature>& signatures, const HeaderByteReader& read,
                                uint64_t fileSize) {
    for (const DecoderSignature& signature : signatures) {
        if (MatchesDecoderSignature(signature, read, fileSize)) return true;
    }
    return false;
}
