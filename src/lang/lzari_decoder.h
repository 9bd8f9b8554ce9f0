#pragma once

#include <cstddef>
#include <cstdint>

#include "lang/lzari_model.h"

// Decoder of an LZARI payload: bytes 0-3 hold the decoded size S (unsigned, little-endian),
// the code stream follows from byte 4, most significant bit of each byte first. Bits asked for
// beyond the end of the payload read as 1, so any byte run decodes to exactly S bytes (or
// slightly more, see Decode) in at most S steps: bad input gives wrong text, never a fault.
// The object only reads the payload it is given; the caller keeps it alive during Decode.
class LZARI {
public:
    LZARI(const uint8_t* payload, size_t payloadLength);
    virtual ~LZARI() = default;
    LZARI(const LZARI&) = delete;
    LZARI& operator=(const LZARI&) = delete;

    // Whether the payload is long enough to hold the size S.
    bool HasSize() const { return m_payloadLength >= 4; }
    // S, the number of bytes the payload decodes to; 0 without a size.
    uint32_t DecodedSize() const { return m_decodedSize; }

    // Decodes the whole payload into `output`. A byte is stored only while the number of
    // stored bytes plus one is below `capacity`, so a caller that wants all S bytes gives
    // S + 1 or more; a last match may run a few bytes past S, which are stored while there is
    // room. Returns the number of bytes stored.
    size_t Decode(uint8_t* output, size_t capacity);

private:
    int NextBit();
    void Renormalise();
    int DecodeCharacter();
    int DecodePosition();
    void Emit(uint8_t byte);

    // Input.
    const uint8_t* m_payload;
    size_t m_payloadLength;
    size_t m_readPosition = 4;
    uint32_t m_decodedSize = 0;

    // Arithmetic decoder state.
    uint32_t m_low = 0;
    uint32_t m_high = kLzariQ4;
    uint32_t m_value = 0;
    unsigned m_bitBuffer = 0;
    unsigned m_bitMask = 0;

    LzariCharacterModel m_characters;
    LzariPositionModel m_positions;
    uint8_t m_ring[kLzariRingSize] = {};
    int m_ringPosition = 0;

    // Output.
    uint8_t* m_output = nullptr;
    size_t m_capacity = 0;
    size_t m_stored = 0;
};
