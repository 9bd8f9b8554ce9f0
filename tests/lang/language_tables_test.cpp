#include "lang/language_tables.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "lang/archive_container.h"
#include "lang_test_support.h"
#include "lzari_encoder.h"

namespace {

std::wstring Str(const wchar_t* text) { return text != nullptr ? std::wstring(text) : L"<null>"; }

// Preamble, header, two licences and three sections (German, English, one without a name),
// as the build lays them out.
const std::wstring kSmallArchive =
    L"\xFEFFGreeting line\r\n"
    L"##\r\n"
    L"19=Orbelin 1.0\r\n"
    L"20=two\\r\\nlines and a lone \\ backslash\\x\r\n"
    L"128=out of range\r\n"
    L"-1=negative\r\n"
    L"##\r\nEnglish licence\r\n"
    L"##\r\nDeutsche Lizenz\r\n"
    L"##=Deutsch\tGerman\r\n"
    L"TranslatorName=Someone\r\n"
    L"[Heading]\r\n"
    L"1=Infos\r\n"
    L"2=erste\r\n"
    L"2=zweite\r\n"
    L"300=zu gross\r\n"
    L"-1=negativ\r\n"
    L"5=\r\n"
    L"  7=with leading blanks\r\n"
    L"8=a\tTAB\r\n"
    L"9=keeps \\r\\n as written\r\n"
    L"no equals sign\r\n"
    L"10=last line without line feed"
    L"##=English\tEnglisch\r\n"
    L"TranslatorName=Kestrova\r\n"
    L"1=Info\r\n"
    L"2=Second\r\n"
    L"3=Only English\r\n"
    L"5=Five\r\n"
    L"##\r\n"
    L"4=nameless\r\n"
    L"##\r\n\r\n\r\n\r\n";

TEST(LanguageArchive, IndexesSegmentsAndSections) {
    const auto archive = ArchiveFromText(kSmallArchive);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->SectionCount(), 4);
    EXPECT_EQ(Str(archive->NameLine(0)), L"Deutsch\tGerman");
    EXPECT_EQ(Str(archive->NameLine(1)), L"English\tEnglisch");
    EXPECT_EQ(archive->NameLine(2), nullptr);
    EXPECT_EQ(archive->NameLine(3), nullptr);
    EXPECT_EQ(archive->NameLine(4), nullptr);
    EXPECT_EQ(Str(archive->EnglishLicence()), L"English licence\r\n");
    EXPECT_EQ(Str(archive->GermanLicence()), L"Deutsche Lizenz\r\n");
    EXPECT_EQ(archive->EnglishBody(),
              L"\nTranslatorName=Kestrova\r\n1=Info\r\n2=Second\r\n3=Only English\r\n5=Five\r\n");
    EXPECT_EQ(Str(archive->SectionText(2, 4)), L"nameless");
}

TEST(LanguageArchive, SectionLinesFollowTheSplittingRules) {
    const auto archive = ArchiveFromText(kSmallArchive);
    ASSERT_NE(archive, nullptr);
    const struct {
        int id;
        const wchar_t* expected;  // null: no entry
    } cases[] = {
        {0, L"Someone"},  // information lines land in entry 0
        {1, L"Infos"},
        {2, L"zweite"},  // the later line wins
        {5, L""},        // an empty text is still a text
        {7, L"with leading blanks"},
        {8, L"a\tTAB"},
        {9, L"keeps \\r\\n as written"},
        {10, nullptr},  // the last line had no line feed
        {3, nullptr},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.id);
        const wchar_t* text = archive->SectionText(0, testCase.id);
        if (testCase.expected == nullptr) {
            EXPECT_EQ(text, nullptr) << Str(text);
        } else {
            EXPECT_EQ(Str(text), testCase.expected);
        }
    }
    // Ids 300 and -1 went nowhere; in particular they did not wrap into the table.
    for (int id = 0; id < kTextIdCount; ++id) {
        const std::wstring text = Str(archive->SectionText(0, id));
        EXPECT_EQ(text.find(L"zu gross"), std::wstring::npos) << id;
        EXPECT_EQ(text.find(L"negativ"), std::wstring::npos) << id;
    }
    EXPECT_EQ(archive->SectionText(0, 256), nullptr);
    EXPECT_EQ(archive->SectionText(0, -1), nullptr);
}

TEST(LanguageArchive, HeaderConvertsEscapesAndKeepsItsRange) {
    const auto archive = ArchiveFromText(kSmallArchive);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(Str(archive->HeaderText(19)), L"Orbelin 1.0");
    EXPECT_EQ(Str(archive->HeaderText(20)), L"two\r\nlines and a lone \\ backslash\\x");
    EXPECT_EQ(archive->HeaderText(127), nullptr);
    EXPECT_EQ(archive->HeaderText(128), nullptr);
    EXPECT_EQ(archive->HeaderText(-1), nullptr);
    for (int number = 0; number < kHeaderTextCount; ++number) {
        EXPECT_EQ(Str(archive->HeaderText(number)).find(L"range"), std::wstring::npos) << number;
        EXPECT_EQ(Str(archive->HeaderText(number)).find(L"negative"), std::wstring::npos) << number;
    }
}

TEST(LanguageArchive, LookupFallsBackToEnglishThenToNothing) {
    const auto archive = ArchiveFromText(kSmallArchive);
    ASSERT_NE(archive, nullptr);
    const struct {
        int language;
        int id;
        const wchar_t* expected;
    } cases[] = {
        // clang-format off
        {0, 1, L"Infos"},
        {0, 3, L"Only English"},
        {0, 5, L""},  // empty, not the English "Five"
        {0, 6, nullptr},
        {1, 1, L"Info"},
        {2, 1, L"Info"},  // the nameless section lacks it
        {2, 4, L"nameless"},
        {-1, 1, L"Info"},
        {4, 1, L"Info"},  // beyond the section count
        {47, 1, L"Info"},
        {48, 1, L"Info"},
        {1000, 2, L"Second"},
        {0, 256, nullptr},
        {0, -5, nullptr},
        // clang-format on
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::to_string(testCase.language) + " / " + std::to_string(testCase.id));
        const wchar_t* text = archive->Lookup(testCase.language, testCase.id);
        if (testCase.expected == nullptr) {
            EXPECT_EQ(text, nullptr);
        } else {
            EXPECT_EQ(Str(text), testCase.expected);
            EXPECT_TRUE(PointsIntoArchive(*archive, text));
        }
    }
}

TEST(LanguageArchive, CompletenessCountsTheEnglishEntries) {
    const auto archive = ArchiveFromText(kSmallArchive);
    ASSERT_NE(archive, nullptr);
    // English has entries 0, 1, 2, 3, 5. German has 0, 1, 2 of them non-empty (5 is empty): 60 %.
    EXPECT_EQ(archive->Completeness(0), 60);
    EXPECT_EQ(archive->Completeness(1), 100);
    EXPECT_EQ(archive->Completeness(2), 0);
    EXPECT_EQ(archive->Completeness(48), 0);
}

TEST(CompletenessPercent, TruncatesAndSurvivesAnEmptyReference) {
    LanguageTable english{};
    LanguageTable other{};
    EXPECT_EQ(CompletenessPercent(english, other), 0);
    const wchar_t* text = L"x";
    for (int id = 0; id < 95; ++id) english[id] = text;
    other[0] = text;
    EXPECT_EQ(CompletenessPercent(english, other), 1);  // 1 of 95
    for (int id = 0; id < 74; ++id) other[id] = text;
    EXPECT_EQ(CompletenessPercent(english, other), 77);  // 74 of 95 = 77.9
    other[200] = text;                                   // not an English id: does not count
    EXPECT_EQ(CompletenessPercent(english, other), 77);
}

TEST(LanguageArchive, OpensAtMost48Sections) {
    std::wstring text = L"##\r\n##\r\n##\r\n";
    for (int section = 0; section < 50; ++section) {
        text += L"##=Language " + std::to_wstring(section) + L"\tx\r\n1=text " + std::to_wstring(section) + L"\r\n";
    }
    const auto archive = ArchiveFromText(text);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->SectionCount(), kMaxLanguageSections);
    EXPECT_EQ(Str(archive->SectionText(47, 1)), L"text 47");
    // The 49th mark still ended section 47's body.
    EXPECT_EQ(Str(archive->NameLine(47)), L"Language 47\tx");
}

TEST(LanguageArchive, OddShapesStayInsideTheText) {
    const wchar_t* texts[] = {
        L"",
        L"#",
        L"##",
        L"###",
        L"##=",
        L"##\r\n##\r\n##\r\n##=no carriage return 1=x\n",
        L"##\r\n##\r\n##\r\n##=name\r",
        L"##\r\n##\r\n##\r\n##=name\r\n1=a\n##",
        L"\xFEFF##19=x\n##\n##\n##\n\n",
    };
    for (const wchar_t* text : texts) {
        SCOPED_TRACE(text);
        const auto archive = ArchiveFromText(text);
        ASSERT_NE(archive, nullptr);
        for (int section = 0; section < archive->SectionCount(); ++section) {
            if (archive->NameLine(section) != nullptr) {
                EXPECT_TRUE(PointsIntoArchive(*archive, archive->NameLine(section)));
            }
            for (int id = 0; id < kTextIdCount; ++id) {
                const wchar_t* entry = archive->SectionText(section, id);
                if (entry != nullptr) {
                    EXPECT_TRUE(PointsIntoArchive(*archive, entry));
                }
            }
        }
    }
}

TEST(LanguageArchive, RefusesPayloadsWithoutOrBeyondTheSizeBound) {
    const std::vector<uint8_t> shortPayload = {0x10, 0x00, 0x00};
    EXPECT_EQ(LanguageArchive::FromPayload(shortPayload.data(), shortPayload.size()), nullptr);
    EXPECT_EQ(LanguageArchive::FromPayload(nullptr, 0), nullptr);

    const uint32_t tooLarge = kMaxArchiveTextSize + 1;
    const std::vector<uint8_t> huge = {static_cast<uint8_t>(tooLarge), static_cast<uint8_t>(tooLarge >> 8),
                                       static_cast<uint8_t>(tooLarge >> 16), static_cast<uint8_t>(tooLarge >> 24)};
    EXPECT_EQ(LanguageArchive::FromPayload(huge.data(), huge.size()), nullptr);
    const std::vector<uint8_t> largest = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(LanguageArchive::FromPayload(largest.data(), largest.size()), nullptr);

    const std::vector<uint8_t> empty = {0, 0, 0, 0};
    const auto emptyArchive = LanguageArchive::FromPayload(empty.data(), empty.size());
    ASSERT_NE(emptyArchive, nullptr);
    EXPECT_EQ(emptyArchive->SectionCount(), 0);
    EXPECT_EQ(emptyArchive->Lookup(1, 1), nullptr);
}

// Damaged payloads (fixed seed, bounded count): every one either is refused or gives tables
// whose texts all lie inside the decoded text, and none decodes past the size bound.
TEST(LanguageArchive, SurvivesDamagedPayloads) {
    const auto archiveText = ReadFileNamedBy("ORBELIN_LANGUAGE_TEXT");
    ASSERT_TRUE(archiveText.has_value());
    const std::vector<uint8_t> original = EncodeLzari(*archiveText);
    std::mt19937 random(20261210);
    int refused = 0;
    int indexed = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> payload = original;
        const int kind = round % 6;
        if (kind == 0) {  // flip a few bits of the code stream
            for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips) {
                payload[4 + random() % (payload.size() - 4)] ^= static_cast<uint8_t>(1u << (random() % 8));
            }
        } else if (kind == 1) {  // cut the stream short
            payload.resize(random() % payload.size());
        } else if (kind == 2) {  // overwrite a stretch with noise
            const size_t start = 4 + random() % (payload.size() - 4);
            for (size_t i = start; i < payload.size() && i < start + 64; ++i)
                payload[i] = static_cast<uint8_t>(random());
        } else if (kind == 3) {  // another size, now and then beyond the bound
            uint32_t size =
                round % 30 == 3 ? static_cast<uint32_t>(random()) : static_cast<uint32_t>(random() % 200000);
            for (int i = 0; i < 4; ++i) payload[i] = static_cast<uint8_t>(size >> (8 * i));
        } else if (kind == 4) {  // pure noise of a plausible size
            for (size_t i = 4; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(random());
        } else {  // a stream made of "#", "=" and line ends only
            const std::vector<uint8_t> text = Utf16LeBytes(std::wstring(L"##=\r\n1=\t#\\n"));
            std::vector<uint8_t> noisy;
            for (int i = 0; i < 20000; ++i) {
                const size_t unit = random() % (text.size() / 2);
                noisy.push_back(text[2 * unit]);
                noisy.push_back(text[2 * unit + 1]);
            }
            payload = EncodeLzari(noisy);
        }
        SCOPED_TRACE(round);
        const auto archive = LanguageArchive::FromPayload(payload.data(), payload.size());
        if (archive == nullptr) {
            ++refused;
            continue;
        }
        ++indexed;
        ASSERT_LE(archive->TextLength() * 2, kMaxArchiveTextSize);
        ASSERT_LE(archive->SectionCount(), kMaxLanguageSections);
        for (int number = 0; number < kHeaderTextCount; ++number) {
            const wchar_t* text = archive->HeaderText(number);
            if (text != nullptr) {
                ASSERT_TRUE(PointsIntoArchive(*archive, text));
            }
        }
        for (int section = 0; section < archive->SectionCount(); ++section) {
            ASSERT_GE(archive->Completeness(section), 0);
            ASSERT_LE(archive->Completeness(section), 100);
            for (int id = 0; id < kTextIdCount; ++id) {
                const wchar_t* text = archive->SectionText(section, id);
                if (text != nullptr) {
                    ASSERT_TRUE(PointsIntoArchive(*archive, text));
                }
            }
        }
    }
    RecordProperty("refused", refused);
    RecordProperty("indexed", indexed);
    EXPECT_GT(refused, 0);
    EXPECT_GT(indexed, 0);
}

TEST(TranslationTable, SplitsLikeASectionBody) {
    const TranslationTable table(L"TranslatorName=x\r\n1=Eins\r\n300=no\r\n84=\r\n2=unfinished");
    EXPECT_EQ(Str(table.Text(1)), L"Eins");
    EXPECT_EQ(Str(table.Text(0)), L"x");
    EXPECT_EQ(Str(table.Text(84)), L"");
    EXPECT_EQ(table.Text(2), nullptr);
    EXPECT_EQ(table.Text(256), nullptr);
    EXPECT_EQ(table.Text(-1), nullptr);
}

}  // namespace
