#include "lzari_encoder.h"

#include <algorithm>
#include <cstddef>

#include "lang/lzari_model.h"

namespace {

// Matches reach back at most this far: the decoder's ring always holds that many earlier bytes.
constexpr size_t kWindow = kLzariRingSize - kLzariLongestMatch;
// How many earlier places with the same three bytes are tried for each match.
constexpr int kCandidateLimit = 512;
constexpr size_t kHashSize = 1 << 16;
constexpr size_t kNoPosition = static_cast<size_t>(-1);

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& output) : m_output(output) {}

    void Put(int bit) {
        m_byte = static_cast<uint8_t>(m_byte << 1 | (bit != 0 ? 1 : 0));
        if (++m_count == 8) {
            m_output.push_back(m_byte);
            m_byte = 0;
            m_count = 0;
        }
    }

    void Flush() {
        while (m_count != 0) Put(0);
    }

private:
    std::vector<uint8_t>& m_output;
    uint8_t m_byte = 0;
    int m_count = 0;
};

class ArithmeticEncoder {
public:
    explicit ArithmeticEncoder(std::vector<uint8_t>& output) : m_bits(output) {}

    void EncodeCharacter(int character) {
        const int symbol = m_characters.SymbolOf(character);
        Narrow(m_characters.Cumulative(symbol), m_characters.Cumulative(symbol - 1), m_characters.Total());
        m_characters.Update(symbol);
    }

    void EncodePosition(int position) {
        Narrow(m_positions.Cumulative(position + 1), m_positions.Cumulative(position), m_positions.Total());
    }

    // Sends enough bits that every continuation of the stream stays inside the final interval.
    void Finish() {
        ++m_pendingBits;
        Output(m_low < kLzariQ1 ? 0 : 1);
        m_bits.Flush();
    }

private:
    void Output(int bit) {
        m_bits.Put(bit);
        for (; m_pendingBits > 0; --m_pendingBits) m_bits.Put(!bit);
    }

    void Narrow(uint64_t lowCumulative, uint64_t highCumulative, uint64_t total) {
        const uint64_t range = m_high - m_low;
        m_high = m_low + static_cast<uint32_t>(range * highCumulative / total);
        m_low += static_cast<uint32_t>(range * lowCumulative / total);
        for (;;) {
            if (m_high <= kLzariQ2) {
                Output(0);
            } else if (m_low >= kLzariQ2) {
                Output(1);
                m_low -= kLzariQ2;
                m_high -= kLzariQ2;
            } else if (m_low >= kLzariQ1 && m_high <= kLzariQ3) {
                ++m_pendingBits;
                m_low -= kLzariQ1;
                m_high -= kLzariQ1;
            } else {
                break;
            }
            m_low += m_low;
            m_high += m_high;
        }
    }

    BitWriter m_bits;
    LzariCharacterModel m_characters;
    LzariPositionModel m_positions;
    uint32_t m_low = 0;
    uint32_t m_high = kLzariQ4;
    int m_pendingBits = 0;
};

size_t HashAt(const std::vector<uint8_t>& input, size_t position) {
    return (static_cast<size_t>(input[position]) << 8 ^ static_cast<size_t>(input[position + 1]) << 4 ^
            input[position + 2]) %
           kHashSize;
}

}  // namespace

std::vector<uint8_t> EncodeLzari(const std::vector<uint8_t>& input) {
    if (input.size() > 0xFFFFFFFFu) return {};
    const auto size = static_cast<uint32_t>(input.size());
    std::vector<uint8_t> output = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                                   static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    if (input.empty()) return output;

    ArithmeticEncoder encoder(output);
    // Earlier places with the same three-byte hash, newest first: head per hash, then a chain.
    std::vector<size_t> head(kHashSize, kNoPosition);
    std::vector<size_t> previous(input.size(), kNoPosition);
    auto remember = [&](size_t position) {
        if (position + 2 >= input.size()) return;
        const size_t hash = HashAt(input, position);
        previous[position] = head[hash];
        head[hash] = position;
    };

    size_t position = 0;
    while (position < input.size()) {
        const size_t longest = std::min<size_t>(kLzariLongestMatch, input.size() - position);
        size_t bestLength = 0;
        size_t bestDistance = 0;
        if (longest > kLzariThreshold) {
            size_t candidate = head[HashAt(input, position)];
            for (int tries = 0; candidate != kNoPosition && tries < kCandidateLimit; ++tries) {
                const size_t distance = position - candidate;
                if (distance > kWindow) break;
                size_t length = 0;
                while (length < longest && input[candidate + length] == input[position + length]) ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = distance;
                    if (length == longest) break;
                }
                candidate = previous[candidate];
            }
        }
        size_t step = 1;
        if (bestLength > kLzariThreshold) {
            encoder.EncodeCharacter(LzariMatchCharacter(static_cast<int>(bestLength)));
            encoder.EncodePosition(static_cast<int>(bestDistance - 1));
            step = bestLength;
        } else {
            encoder.EncodeCharacter(input[position]);
        }
        for (size_t i = 0; i < step; ++i) remember(position + i);
        position += step;
    }
    encoder.Finish();
    return output;
}
