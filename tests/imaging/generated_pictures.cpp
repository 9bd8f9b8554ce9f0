#include "generated_pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

// The usual luminance table for the blocks' mean values (difference categories 0 to 11), and an
// AC table with the one code the blocks need: end of block, coded as a single 0 bit.
constexpr std::array<uint8_t, 16> kDcCodeCounts = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
constexpr std::array<uint8_t, 12> kDcSymbols = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

struct Code {
    uint32_t bits = 0;
    int length = 0;
};

std::array<Code, 12> DcCodes() {
    std::array<Code, 12> codes{};
    uint32_t code = 0;
    size_t symbol = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < kDcCodeCounts[length - 1]; ++i) codes[kDcSymbols[symbol++]] = {code++, length};
        code <<= 1;
    }
    return codes;
}

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& bytes) : m_bytes(bytes) {}
    void Put(uint32_t bits, int length) {
        for (int i = length - 1; i >= 0; --i) {
            m_current = static_cast<uint8_t>(m_current << 1 | (bits >> i & 1));
            if (++m_count == 8) Flush();
        }
    }
    // Pads the last byte with 1 bits.
    void Finish() {
        while (m_count != 0) Put(1, 1);
    }

private:
    void Flush() {
        m_bytes.push_back(m_current);
        if (m_current == 0xFF) m_bytes.push_back(0x00);  // a data byte 0xFF is followed by a stuffed 0
        m_current = 0;
        m_count = 0;
    }
    std::vector<uint8_t>& m_bytes;
    uint8_t m_current = 0;
    int m_count = 0;
};

// Byte by byte: GCC 12 warns, wrongly, about inserting brace lists into a growing vector.
void Put(std::vector<uint8_t>& bytes, std::initializer_list<int> values) {
    for (int value : values) bytes.push_back(static_cast<uint8_t>(value));
}
void PutRepeated(std::vector<uint8_t>& bytes, size_t count, uint8_t value) {
    for (size_t i = 0; i < count; ++i) bytes.push_back(value);
}

void Put16(std::vector<uint8_t>& bytes, int value) {
    bytes.push_back(static_cast<uint8_t>(value >> 8));
    bytes.push_back(static_cast<uint8_t>(value));
}

}  // namespace

std::vector<uint8_t> MakeBlockJpeg(int width, int height, const std::function<uint32_t(int, int)>& colourOfBlock) {
    std::vector<uint8_t> bytes;
    Put(bytes, {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});  // JFIF header
    // One quantisation table of ones: a coefficient is stored as it is.
    Put(bytes, {0xFF, 0xDB, 0, 67, 0});
    PutRepeated(bytes, 64, 1);
    // Baseline frame: 8-bit samples, three components (Y, Cb, Cr) without subsampling.
    Put(bytes, {0xFF, 0xC0, 0, 17, 8});
    Put16(bytes, height);
    Put16(bytes, width);
    Put(bytes, {3, 1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0});
    Put(bytes, {0xFF, 0xC4, 0, 2 + 1 + 16 + 12, 0x00});
    for (uint8_t count : kDcCodeCounts) bytes.push_back(count);
    for (uint8_t symbol : kDcSymbols) bytes.push_back(symbol);
    Put(bytes, {0xFF, 0xC4, 0, 2 + 1 + 16 + 1, 0x10, 1});
    PutRepeated(bytes, 15, 0);
    bytes.push_back(0x00);  // the one AC symbol: end of block
    Put(bytes, {0xFF, 0xDA, 0, 12, 3, 1, 0x00, 2, 0x00, 3, 0x00, 0, 63, 0});

    const std::array<Code, 12> dcCodes = DcCodes();
    BitWriter writer(bytes);
    int previous[3] = {0, 0, 0};
    const int blocksAcross = (width + 7) / 8, blocksDown = (height + 7) / 8;
    for (int blockY = 0; blockY < blocksDown; ++blockY) {
        for (int blockX = 0; blockX < blocksAcross; ++blockX) {
            const uint32_t rgb = colourOfBlock(blockX, blockY);
            const double red = rgb >> 16 & 0xFF, green = rgb >> 8 & 0xFF, blue = rgb & 0xFF;
            const double samples[3] = {0.299 * red + 0.587 * green + 0.114 * blue,
                                       -0.168736 * red - 0.331264 * green + 0.5 * blue + 128,
                                       0.5 * red - 0.418688 * green - 0.081312 * blue + 128};
            for (int component = 0; component < 3; ++component) {
                // A flat block's mean coefficient is 8 x (sample - 128).
                const int sample = std::clamp(static_cast<int>(std::lround(samples[component])), 0, 255);
                const int mean = 8 * (sample - 128);
                const int difference = mean - previous[component];
                previous[component] = mean;
                int category = 0;
                while ((std::abs(difference) >> category) != 0) ++category;
                writer.Put(dcCodes[category].bits, dcCodes[category].length);
                if (category > 0) {
                    const int value = difference >= 0 ? difference : difference + (1 << category) - 1;
                    writer.Put(static_cast<uint32_t>(value), category);
                }
                writer.Put(0, 1);  // end of block
            }
        }
    }
    writer.Finish();
    Put(bytes, {0xFF, 0xD9});
    return bytes;
}

std::vector<uint8_t> MakeRgbaTiff(int width, int height, const std::function<uint32_t(int, int)>& colourAt) {
    const uint32_t dataBytes = static_cast<uint32_t>(width) * static_cast<uint32_t>(height) * 4;
    std::vector<uint8_t> bytes;
    auto put16 = [&bytes](uint32_t value) { Put(bytes, {int(value & 0xFF), int(value >> 8 & 0xFF)}); };
    auto put32 = [&](uint32_t value) {
        put16(value & 0xFFFF);
        put16(value >> 16);
    };
    Put(bytes, {'I', 'I', 42, 0});
    put32(8 + dataBytes);  // the directory, after the picture
    bytes.reserve(8 + size_t{dataBytes} + 256);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t argb = colourAt(x, y);
            Put(bytes, {int(argb >> 16 & 0xFF), int(argb >> 8 & 0xFF), int(argb & 0xFF), int(argb >> 24)});
        }
    }
    struct Entry {
        uint32_t tag, type, count, value;
    };
    const uint32_t directoryBytes = 2 + 11 * 12 + 4;
    const uint32_t bitsPerSampleAt = 8 + dataBytes + directoryBytes;
    const Entry entries[] = {
        {256, 4, 1, static_cast<uint32_t>(width)},   // ImageWidth
        {257, 4, 1, static_cast<uint32_t>(height)},  // ImageLength
        {258, 3, 4, bitsPerSampleAt},                // BitsPerSample: 8, 8, 8, 8 after the directory
        {259, 3, 1, 1},                              // Compression: none
        {262, 3, 1, 2},                              // PhotometricInterpretation: RGB
        {273, 4, 1, 8},                              // StripOffsets
        {277, 3, 1, 4},                              // SamplesPerPixel
        {278, 4, 1, static_cast<uint32_t>(height)},  // RowsPerStrip: one strip
        {279, 4, 1, dataBytes},                      // StripByteCounts
        {284, 3, 1, 1},                              // PlanarConfiguration: interleaved
        {338, 3, 1, 2},                              // ExtraSamples: straight alpha
    };
    put16(11);
    for (const Entry& entry : entries) {
        put16(entry.tag);
        put16(entry.type);
        put32(entry.count);
        if (entry.type == 3 && entry.count == 1) {
            put16(entry.value);
            put16(0);
        } else {
            put32(entry.value);
        }
    }
    put32(0);  // no further directory
    for (int i = 0; i < 4; ++i) put16(8);
    return bytes;
}
