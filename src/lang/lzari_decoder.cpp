#include "lang/lzari_decoder.h"

LZARI::LZARI(const uint8_t* payload, size_t payloadLength)
    : m_payload(payload), m_payloadLength(payload != nullptr ? payloadLength : 0) {
    if (HasSize()) {
        m_decodedSize = static_cast<uint32_t>(m_payload[0]) | static_cast<uint32_t>(m_payload[1]) << 8 |
                        static_cast<uint32_t>(m_payload[2]) << 16 | static_cast<uint32_t>(m_payload[3]) << 24;
    }
}

int LZARI::NextBit() {
    m_bitMask >>= 1;
    if (m_bitMask == 0) {
        m_bitBuffer = m_readPosition < m_payloadLength ? m_payload[m_readPosition] : 0xFFu;
        ++m_readPosition;
        m_bitMask = 0x80;
    }
    return (m_bitBuffer & m_bitMask) != 0 ? 1 : 0;
}

void LZARI::Renormalise() {
    for (;;) {
        if (m_low >= kLzariQ2) {
            m_value -= kLzariQ2;
            m_low -= kLzariQ2;
            m_high -= kLzariQ2;
        } else if (m_low >= kLzariQ1 && m_high <= kLzariQ3) {
            m_value -= kLzariQ1;
            m_low -= kLzariQ1;
            m_high -= kLzariQ1;
        } else if (m_high > kLzariQ2) {
            break;
        }
        m_low += m_low;
        m_high += m_high;
        m_value = 2 * m_value + static_cast<uint32_t>(NextBit());
    }
}

// low <= value < high holds for any input bits: x then lies below the total, the chosen
// interval contains value, and every symbol's interval is at least one wide because the range
// stays above Q1 while totals stay below it.
int LZARI::DecodeCharacter() {
    const uint64_t range = m_high - m_low;
    const uint64_t total = m_characters.Total();
    const uint32_t x = static_cast<uint32_t>(((m_value - m_low + 1) * total - 1) / range);
    const int symbol = m_characters.FindSymbol(x);
    m_high = m_low + static_cast<uint32_t>(range * m_characters.Cumulative(symbol - 1) / total);
    m_low += static_cast<uint32_t>(range * m_characters.Cumulative(symbol) / total);
    Renormalise();
    const int character = m_characters.CharacterOf(symbol);
    m_characters.Update(symbol);
    return character;
}

int LZARI::DecodePosition() {
    const uint64_t range = m_high - m_low;
    const uint64_t total = m_positions.Total();
    const uint32_t x = static_cast<uint32_t>(((m_value - m_low + 1) * total - 1) / range);
    const int position = m_positions.FindPosition(x);
    m_high = m_low + static_cast<uint32_t>(range * m_positions.Cumulative(position) / total);
    m_low += static_cast<uint32_t>(range * m_positions.Cumulative(position + 1) / total);
    Renormalise();
    return position;
}

void LZARI::Emit(uint8_t byte) {
    if (m_stored + 1 < m_capacity) m_output[m_stored++] = byte;
    m_ring[m_ringPosition] = byte;
    m_ringPosition = (m_ringPosition + 1) % kLzariRingSize;
}

size_t LZARI::Decode(uint8_t* output, size_t capacity) {
    m_output = output;
    m_capacity = output != nullptr ? capacity : 0;
    m_stored = 0;
    if (m_decodedSize == 0) return 0;

    for (int i = 0; i < kLzariCodeBits; ++i) m_value = 2 * m_value + static_cast<uint32_t>(NextBit());
    for (int i = 0; i < kLzariRingSize - kLzariLongestMatch; ++i) m_ring[i] = ' ';
    m_ringPosition = kLzariRingSize - kLzariLongestMatch;

    for (uint64_t produced = 0; produced < m_decodedSize;) {
        const int character = DecodeCharacter();
        if (character < 256) {
            Emit(static_cast<uint8_t>(character));
            ++produced;
            continue;
        }
        const int source = (m_ringPosition - DecodePosition() - 1 + kLzariRingSize) % kLzariRingSize;
        const int length = LzariMatchLength(character);
        for (int k = 0; k < length; ++k) Emit(m_ring[(source + k) % kLzariRingSize]);
        produced += static_cast<uint64_t>(length);
    }
    return m_stored;
}
