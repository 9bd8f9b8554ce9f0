#include "lang/lzari_decoder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lang_test_support.h"
#include "lzari_encoder.h"

namespace {

std::vector<uint8_t> Decode(const std::vector<uint8_t>& payload, size_t capacity) {
    LZARI decoder(payload.data(), payload.size());
    std::vector<uint8_t> output(capacity, 0xAB);
    output.resize(decoder.Decode(output.data(), output.size()));
    return output;
}

std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    return bytes;
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

TEST(Lzari, RoundTrips) {
    std::string repeated;
    for (int i = 0; i < 3000; ++i) repeated += "turning cube " + std::to_string(i % 17) + "\r\n";
    std::vector<uint8_t> archiveText = ReadFileNamedBy("ORBELIN_LANGUAGE_TEXT").value_or(std::vector<uint8_t>());
    ASSERT_GT(archiveText.size(), 10000u) << "ORBELIN_LANGUAGE_TEXT names no archive text";

    const struct {
        const char* label;
        std::vector<uint8_t> input;
    } cases[] = {
        {"empty", {}},
        {"one byte", {0x00}},
        {"short text", Bytes("Orbelin")},
        {"three equal bytes", Bytes("aaa")},
        {"one long run", std::vector<uint8_t>(100000, 'x')},
        {"text with matches far back", Bytes(repeated)},
        {"random bytes", RandomBytes(70000, 7)},
        {"whole archive text", archiveText},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        const std::vector<uint8_t> payload = EncodeLzari(testCase.input);
        ASSERT_GE(payload.size(), 4u);
        LZARI decoder(payload.data(), payload.size());
        EXPECT_EQ(decoder.DecodedSize(), testCase.input.size());
        // Room for S bytes and the terminator, as the program gives it.
        std::vector<uint8_t> decoded = Decode(payload, testCase.input.size() + 2);
        ASSERT_GE(decoded.size(), testCase.input.size());
        decoded.resize(testCase.input.size());
        EXPECT_TRUE(decoded == testCase.input);
    }
}

TEST(Lzari, CompressesTheArchiveText) {
    const auto archiveText = ReadFileNamedBy("ORBELIN_LANGUAGE_TEXT");
    ASSERT_TRUE(archiveText.has_value());
    const size_t payloadSize = EncodeLzari(*archiveText).size();
    RecordProperty("text_bytes", static_cast<int>(archiveText->size()));
    RecordProperty("payload_bytes", static_cast<int>(payloadSize));
    EXPECT_LT(payloadSize, archiveText->size() / 2);
}

TEST(Lzari, SizeIsLittleEndianAndNeedsFourBytes) {
    const std::vector<uint8_t> sized = {0x01, 0x02, 0x03, 0x04};
    LZARI decoder(sized.data(), sized.size());
    EXPECT_TRUE(decoder.HasSize());
    EXPECT_EQ(decoder.DecodedSize(), 0x04030201u);

    for (size_t length = 0; length < 4; ++length) {
        SCOPED_TRACE(length);
        LZARI shortDecoder(sized.data(), length);
        EXPECT_FALSE(shortDecoder.HasSize());
        EXPECT_EQ(shortDecoder.DecodedSize(), 0u);
        uint8_t output[8] = {};
        EXPECT_EQ(shortDecoder.Decode(output, sizeof(output)), 0u);
    }
}

TEST(Lzari, BitsBeyondThePayloadReadAsOne) {
    std::vector<uint8_t> sizeOnly = {200, 0, 0, 0};
    std::vector<uint8_t> explicitOnes = sizeOnly;
    explicitOnes.insert(explicitOnes.end(), 4000, 0xFF);
    std::vector<uint8_t> zeros = sizeOnly;
    zeros.insert(zeros.end(), 4000, 0x00);

    const std::vector<uint8_t> fromNothing = Decode(sizeOnly, 202);
    ASSERT_GE(fromNothing.size(), 200u);
    EXPECT_LE(fromNothing.size(), 201u);  // a last match may run one byte past S into the room left
    EXPECT_EQ(fromNothing, Decode(explicitOnes, 202));
    EXPECT_NE(fromNothing, Decode(zeros, 202));
}

TEST(Lzari, StoresOnlyWhileCountPlusOneIsBelowCapacity) {
    const std::vector<uint8_t> input = Bytes("Einstellungen und Bilder, Einstellungen und Bilder");
    const std::vector<uint8_t> payload = EncodeLzari(input);
    const struct {
        size_t capacity;
        size_t stored;
    } cases[] = {{0, 0}, {1, 0}, {2, 1}, {11, 10}, {input.size() + 1, input.size()}};
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.capacity);
        std::vector<uint8_t> output(testCase.capacity + 8, 0xAB);
        LZARI decoder(payload.data(), payload.size());
        EXPECT_EQ(decoder.Decode(output.data(), testCase.capacity), testCase.stored);
        EXPECT_TRUE(
            std::equal(output.begin(), output.begin() + static_cast<std::ptrdiff_t>(testCase.stored), input.begin()));
        EXPECT_EQ(output[testCase.stored], 0xAB) << "stored beyond the limit";
    }
}

TEST(Lzari, MatchRunningPastTheSizeIsCountedWhole) {
    // A run of 100 equal bytes codes as one literal and then matches; announcing only 5 bytes
    // makes the first match run past S. The loop ends after it, storing what fits.
    std::vector<uint8_t> payload = EncodeLzari(std::vector<uint8_t>(100, 'q'));
    payload[0] = 5;
    const std::vector<uint8_t> decoded = Decode(payload, 5 + 2);
    EXPECT_EQ(decoded, std::vector<uint8_t>(6, 'q'));
    EXPECT_EQ(Decode(payload, 1000), std::vector<uint8_t>(61, 'q'));
}

TEST(LzariModel, StartsFlatAndMovesAnUpdatedCharacterToTheFront) {
    LzariCharacterModel model;
    EXPECT_EQ(model.Total(), 314u);
    EXPECT_EQ(model.Cumulative(314), 0u);
    EXPECT_EQ(model.SymbolOf('A'), 'A' + 1);
    EXPECT_EQ(model.FindSymbol(0), 314);
    EXPECT_EQ(model.FindSymbol(313), 1);

    model.Update(model.SymbolOf('A'));
    // All frequencies were equal, so 'A' swaps with the character of symbol 1.
    EXPECT_EQ(model.SymbolOf('A'), 1);
    EXPECT_EQ(model.CharacterOf(1), 'A');
    EXPECT_EQ(model.CharacterOf('A' + 1), 0);
    EXPECT_EQ(model.SymbolOf(0), 'A' + 1);
    EXPECT_EQ(model.Total(), 315u);
    EXPECT_EQ(model.Cumulative(1), 313u);
    EXPECT_EQ(model.FindSymbol(313), 1);
    EXPECT_EQ(model.FindSymbol(314), 1);
    EXPECT_EQ(model.FindSymbol(312), 2);
}

TEST(LzariModel, HalvesFrequenciesAtTheCeiling) {
    LzariCharacterModel model;
    const int updatesToCeiling = 32767 - 314;
    for (int i = 0; i < updatesToCeiling; ++i) model.Update(1);
    EXPECT_EQ(model.Total(), 32767u);
    model.Update(1);
    // Symbol 1: (32454 + 1) / 2 = 16227, the 313 others (1 + 1) / 2 = 1, then one more for symbol 1.
    EXPECT_EQ(model.Total(), 16227u + 313u + 1u);
    EXPECT_EQ(model.Cumulative(1), 313u);
}

TEST(LzariModel, PositionModelFavoursNearPositions) {
    LzariPositionModel model;
    EXPECT_EQ(model.Cumulative(4096), 0u);
    EXPECT_EQ(model.Cumulative(4095), 10000u / 4296);
    EXPECT_EQ(model.Cumulative(0) - model.Cumulative(1), 10000u / 201);
    EXPECT_LT(model.Total(), kLzariQ1);
    EXPECT_EQ(model.FindPosition(model.Total() - 1), 0);
    EXPECT_EQ(model.FindPosition(0), 4095);
    // Position p owns the values from Cumulative(p + 1) up to Cumulative(p) - 1.
    EXPECT_EQ(model.FindPosition(model.Cumulative(100)), 99);
    EXPECT_EQ(model.FindPosition(model.Cumulative(100) - 1), 100);
}

}  // namespace
