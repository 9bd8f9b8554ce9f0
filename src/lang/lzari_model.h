#pragma once

#include <cstdint>

// The LZARI coder of the language archive: LZSS matches in a 4,096-byte ring, coded with an
// adaptive arithmetic model for literals and match lengths and a fixed model for positions.
// The program only decodes; the build-time packer encodes with the same models, so both
// sides share this file.

inline constexpr int kLzariRingSize = 4096;    // N; ring indices are taken modulo this
inline constexpr int kLzariLongestMatch = 60;  // F
inline constexpr int kLzariThreshold = 2;      // matches of up to this length are sent as literals
inline constexpr int kLzariSymbolCount = 256 - kLzariThreshold + kLzariLongestMatch;  // 314
inline constexpr uint32_t kLzariQ1 = 0x8000;
inline constexpr uint32_t kLzariQ2 = 0x10000;
inline constexpr uint32_t kLzariQ3 = 0x18000;
inline constexpr uint32_t kLzariQ4 = 0x20000;
inline constexpr uint32_t kLzariMaxCumulative = kLzariQ1 - 1;
inline constexpr int kLzariCodeBits = 17;  // bits of the code value

// Character value of a match of `length` bytes (3 ... 60) and back.
constexpr int LzariMatchCharacter(int length) { return length + 253; }
constexpr int LzariMatchLength(int character) { return character - 253; }

// The adaptive model of the 314 characters (256 literals, 58 match lengths). Symbols run
// from 1 to 314; symbol 0 is a sentinel with frequency 0. Cumulative(s) is the sum of the
// frequencies of the symbols above s, so Cumulative(0) is the total.
class LzariCharacterModel {
public:
    LzariCharacterModel();

    uint32_t Cumulative(int symbol) const { return m_cumulative[symbol]; }
    uint32_t Total() const { return m_cumulative[0]; }
    int CharacterOf(int symbol) const { return m_characterOfSymbol[symbol]; }
    int SymbolOf(int character) const { return m_symbolOfCharacter[character]; }

    // The symbol s in 1 ... 314 with Cumulative(s) <= x < Cumulative(s - 1); x must be below Total().
    int FindSymbol(uint32_t x) const;

    // Counts one more occurrence of `symbol`, keeping the symbols ordered by frequency.
    void Update(int symbol);

private:
    uint16_t m_characterOfSymbol[kLzariSymbolCount + 1];
    uint16_t m_symbolOfCharacter[kLzariSymbolCount];
    uint32_t m_frequency[kLzariSymbolCount + 1];
    uint32_t m_cumulative[kLzariSymbolCount + 1];
};

// The fixed model of match positions 0 ... 4,095 (distance - 1): near positions are likelier.
class LzariPositionModel {
public:
    LzariPositionModel();

    uint32_t Cumulative(int position) const { return m_cumulative[position]; }
    uint32_t Total() const { return m_cumulative[0]; }

    // The position p in 0 ... 4,095 with Cumulative(p + 1) <= x < Cumulative(p); x must be below Total().
    int FindPosition(uint32_t x) const;

private:
    uint32_t m_cumulative[kLzariRingSize + 1];
};
