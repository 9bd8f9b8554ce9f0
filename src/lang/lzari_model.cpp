#include "lang/lzari_model.h"

#include <utility>

namespace {

// Both models keep cumulative frequencies that fall with the index (entry 0 is the total). The
// first index in 1..last whose entry is not above `x`: the binary search of the decoder.
int FirstBelowOrAt(const uint32_t* cumulative, int last, uint32_t x) {
    int low = 1;
    int high = last;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (cumulative[middle] > x) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

}  // namespace

LzariCharacterModel::LzariCharacterModel() {
    m_cumulative[kLzariSymbolCount] = 0;
    for (int symbol = kLzariSymbolCount; symbol >= 1; --symbol) {
        const int character = symbol - 1;
        m_symbolOfCharacter[character] = static_cast<uint16_t>(symbol);
        m_characterOfSymbol[symbol] = static_cast<uint16_t>(character);
        m_frequency[symbol] = 1;
        m_cumulative[symbol - 1] = m_cumulative[symbol] + 1;
    }
    m_characterOfSymbol[0] = 0;
    m_frequency[0] = 0;
}

int LzariCharacterModel::FindSymbol(uint32_t x) const {
    return FirstBelowOrAt(m_cumulative, kLzariSymbolCount, x);
}

void LzariCharacterModel::Update(int symbol) {
    if (m_cumulative[0] >= kLzariMaxCumulative) {
        uint32_t total = 0;
        for (int i = kLzariSymbolCount; i > 0; --i) {
            m_cumulative[i] = total;
            m_frequency[i] = (m_frequency[i] + 1) / 2;
            total += m_frequency[i];
        }
        m_cumulative[0] = total;
    }
    // Symbol 0 has frequency 0 and every other at least 1, so the walk stops at 1 at the latest.
    int first = symbol;
    while (m_frequency[first] == m_frequency[first - 1]) --first;
    if (first < symbol) {
        const int firstCharacter = m_characterOfSymbol[first];
        const int symbolCharacter = m_characterOfSymbol[symbol];
        std::swap(m_characterOfSymbol[first], m_characterOfSymbol[symbol]);
        m_symbolOfCharacter[firstCharacter] = static_cast<uint16_t>(symbol);
        m_symbolOfCharacter[symbolCharacter] = static_cast<uint16_t>(first);
    }
    ++m_frequency[first];
    for (int i = first - 1; i >= 0; --i) ++m_cumulative[i];
}

LzariPositionModel::LzariPositionModel() {
    m_cumulative[kLzariRingSize] = 0;
    for (int i = kLzariRingSize; i >= 1; --i) m_cumulative[i - 1] = m_cumulative[i] + 10000 / (i + 200);
}

int LzariPositionModel::FindPosition(uint32_t x) const {
    return FirstBelowOrAt(m_cumulative, kLzariRingSize, x) - 1;
}
