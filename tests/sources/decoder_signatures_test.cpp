#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sources/decoder_signatures.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

TEST(DecoderSignaturesTest, MaskedBytesMustEqualThePattern) {
    const DecoderSignature bmp{Bytes("BM"), Bytes("\xff\xff")};
    // Any byte in the middle: "II*\0" with the third byte masked out.
    const DecoderSignature masked{Bytes(std::string("II\0\0", 4)), Bytes(std::string("\xff\xff\0\xff", 4))};
    struct Case {
        const char* what;
        const DecoderSignature& signature;
        std::string bytes;
        bool matches;
    };
    const Case cases[] = {
        {"exact", bmp, "BM", true},
        {"longer file", bmp, "BM\x36\x00", true},
        {"other content", bmp, "MB", false},
        {"file shorter than the signature", bmp, "B", false},
        {"empty file", bmp, "", false},
        {"masked byte ignored", masked, std::string("II*\0", 4), true},
        {"masked byte ignored, other value", masked, std::string("II\x55\0", 4), true},
        {"unmasked byte differs", masked, std::string("II*\x01", 4), false},
        {"cut before the last byte", masked, std::string("II*", 3), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> bytes = Bytes(c.bytes);
        EXPECT_EQ(MatchesDecoderSignature(c.signature, bytes.data(), bytes.size()), c.matches);
    }
}

TEST(DecoderSignaturesTest, BrokenSignaturesNeverMatch) {
    const std::vector<uint8_t> bytes = Bytes("BMxxxx");
    EXPECT_FALSE(MatchesDecoderSignature({{}, {}}, bytes.data(), bytes.size()));
    EXPECT_FALSE(MatchesDecoderSignature({Bytes("BM"), Bytes("\xff")}, bytes.data(), bytes.size()));
    EXPECT_FALSE(MatchesDecoderSignature({Bytes("BM"), Bytes("\xff\xff")}, nullptr, 6));
    // A pattern bit outside the mask can never be matched.
    EXPECT_FALSE(MatchesDecoderSignature({Bytes("BM"), Bytes("\xff\x0f")}, bytes.data(), bytes.size()));
}

TEST(DecoderSignaturesTest, AnyOfSeveral) {
    const std::vector<DecoderSignature> signatures = {{Bytes("BM"), Bytes("\xff\xff")},
                                                      {Bytes("GIF8"), Bytes("\xff\xff\xff\xff")}};
    const std::vector<uint8_t> gif = Bytes("GIF89a"), text = Bytes("GIRAFFE"), bmp = Bytes("BM");
    EXPECT_TRUE(MatchesAnyDecoderSignature(signatures, gif.data(), gif.size()));
    EXPECT_TRUE(MatchesAnyDecoderSignature(signatures, bmp.data(), bmp.size()));
    EXPECT_FALSE(MatchesAnyDecoderSignature(signatures, text.data(), text.size()));
    EXPECT_FALSE(MatchesAnyDecoderSignature({}, gif.data(), gif.size()));
}

}  // namespace
