#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "sources/decoder_signatures.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// The whole literal, nulls included.
template <size_t N>
std::string Raw(const char (&text)[N]) {
    return std::string(text, N - 1);
}

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

// Signatures of the system's imaging component may lie further into the file, or at its end
// (a footer); they are read where they lie.
TEST(DecoderSignaturesTest, SignaturesAtAPositionOrAtTheEnd) {
    // "WEBP" at 8 with "RIFF" at 0 masked out; a footer "XFILE" 6 bytes before the end.
    const DecoderSignature atEight{Bytes("WEBP"), Bytes("\xff\xff\xff\xff"), 8, false};
    const DecoderSignature footer{Bytes("XFILE"), Bytes("\xff\xff\xff\xff\xff"), 6, true};
    struct Case {
        const char* what;
        const DecoderSignature& signature;
        std::string bytes;
        bool matchesFile;
        bool matchesStart;  // matched from the file's first bytes alone
    };
    const Case cases[] = {
        {"at its position", atEight, Raw("RIFF\x10\0\0\0WEBPVP8L"), true, true},
        {"at another position", atEight, Raw("WEBPRIFF\x10\0\0\0"), false, false},
        {"file ends inside the pattern", atEight, Raw("RIFF\x10\0\0\0WEB"), false, false},
        {"file ends before the position", atEight, Raw("RIFF"), false, false},
        {"footer at the end", footer, Raw("picture data XFILE\0"), true, false},
        {"footer not at the end", footer, Raw("picture data XFILE\0\0"), false, false},
        {"footer alone", footer, Raw("XFILE\0"), true, false},
        {"file shorter than the footer's place", footer, Raw("FILE\0"), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> bytes = Bytes(c.bytes);
        int reads = 0;
        const HeaderByteReader read = [&](uint64_t offset, uint8_t* buffer, size_t count) -> size_t {
            ++reads;
            if (offset >= bytes.size()) return 0;
            const size_t available = std::min<size_t>(count, bytes.size() - static_cast<size_t>(offset));
            std::copy_n(bytes.data() + offset, available, buffer);
            return available;
        };
        EXPECT_EQ(MatchesDecoderSignature(c.signature, read, bytes.size()), c.matchesFile);
        EXPECT_LE(reads, 1) << "only the pattern's bytes are read";
        EXPECT_EQ(MatchesDecoderSignature(c.signature, bytes.data(), bytes.size()), c.matchesStart);
        EXPECT_EQ(MatchesAnyDecoderSignature({atEight, footer}, read, bytes.size()), c.matchesFile);
    }
    // A position beyond any file size, and a reader that fails, match nothing.
    const DecoderSignature far{Bytes("X"), Bytes("\xff"), UINT64_MAX, true};
    const std::vector<uint8_t> x = Bytes("X");
    EXPECT_FALSE(MatchesDecoderSignature(
        far, [&](uint64_t, uint8_t* buffer, size_t) -> size_t { return *buffer = 'X', 1; }, x.size()));
    EXPECT_FALSE(MatchesDecoderSignature(atEight, HeaderByteReader{}, 100));
    EXPECT_FALSE(MatchesDecoderSignature(
        atEight, [](uint64_t, uint8_t*, size_t) -> size_t { return 0; }, 100));
}

}  // namespace
