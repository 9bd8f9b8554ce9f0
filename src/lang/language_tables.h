#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The texts of the language archive after decoding: the header texts, the licence texts and
// up to 48 language sections of 256 texts each. Every table entry points into the one decoded
// text buffer, which the archive object owns; no text is copied.

inline constexpr int kMaxLanguageSections = 48;
inline constexpr int kTextIdCount = 256;
inline constexpr int kHeaderTextCount = 128;
inline constexpr int kReferenceLanguage = 1;  // English: the fallback of every lookup

using LanguageTable = std::array<const wchar_t*, kTextIdCount>;

// Splits a zero-terminated section body into `table`, changing the body in place: each line
// ends at LF (LF and a CR before it become zero); a line with "=" whose leading number (C
// library rules; no digits read as 0) lies in 0 ... `entryCount` - 1 sets that entry to the
// text after the first "=". Later lines win; text after the last LF is not read. All entries
// are cleared first.
void SplitSectionBody(wchar_t* body, const wchar_t** table, int entryCount);
inline void SplitSectionBody(wchar_t* body, LanguageTable& table) {
    SplitSectionBody(body, table.data(), kTextIdCount);
}

// Percentage (truncated) of the ids with a non-empty English text that are non-empty in
// `table`; 0 when English has no text at all.
int CompletenessPercent(const LanguageTable& english, const LanguageTable& table);

class LanguageArchive {
public:
    // Decodes an archive payload (size, then LZARI code stream) and indexes the text. Null when
    // the payload is too short to hold the size or announces more than kMaxArchiveTextSize.
    static std::unique_ptr<LanguageArchive> FromPayload(const uint8_t* payload, size_t length);

    LanguageArchive(const LanguageArchive&) = delete;
    LanguageArchive& operator=(const LanguageArchive&) = delete;

    // Each of these answers null (or 0) for a number out of range.
    const wchar_t* HeaderText(int number) const;
    int SectionCount() const { return m_sectionCount; }
    const wchar_t* NameLine(int section) const;
    int Completeness(int section) const;
    const wchar_t* SectionText(int section, int id) const;
    // All texts of a section by id; a table without texts for a section out of range.
    const LanguageTable& Section(int section) const;

    // The text for `id` in `languageIndex`, else in English, else null.
    const wchar_t* Lookup(int languageIndex, int id) const;

    const wchar_t* EnglishLicence() const { return m_englishLicence; }
    const wchar_t* GermanLicence() const { return m_germanLicence; }
    // The English section body as stored, before splitting (the translation template uses it).
    const std::wstring& EnglishBody() const { return m_englishBody; }

    // The decoded text: `TextLength()` code units followed by a zero; after indexing, line ends
    // and marks inside it are zeros.
    const wchar_t* Text() const { return m_text.get(); }
    size_t TextLength() const { return m_textLength; }

private:
    LanguageArchive() = default;
    void Index();

    std::unique_ptr<wchar_t[]> m_text;
    size_t m_textLength = 0;

    std::array<const wchar_t*, kHeaderTextCount> m_headers{};
    const wchar_t* m_englishLicence = nullptr;
    const wchar_t* m_germanLicence = nullptr;
    int m_sectionCount = 0;
    std::array<const wchar_t*, kMaxLanguageSections> m_nameLines{};
    std::array<LanguageTable, kMaxLanguageSections> m_sections{};
    std::array<int, kMaxLanguageSections> m_completeness{};
    std::wstring m_englishBody;
};

// The texts of a translation file, split like a section body. The table owns its texts, so its
// pointers live exactly as long as the table. It keeps only the texts its entries point to, not
// the whole file: a table stays in memory until the process ends once it was in use.
class TranslationTable {
public:
    explicit TranslationTable(std::wstring text);
    TranslationTable(const TranslationTable&) = delete;
    TranslationTable& operator=(const TranslationTable&) = delete;

    // The entry for `id`; null when the file has none or `id` is out of range.
    const wchar_t* Text(int id) const { return id >= 0 && id < kTextIdCount ? m_table[id] : nullptr; }
    const LanguageTable& Table() const { return m_table; }
    // Code units kept for the entries, their terminating zeros included.
    size_t KeptLength() const { return m_keptLength; }

private:
    std::unique_ptr<wchar_t[]> m_text;
    size_t m_keptLength = 0;
    LanguageTable m_table{};
};
