#include "lang/language_tables.h"

#include <algorithm>
#include <cwchar>

#include "lang/archive_container.h"
#include "lang/lzari_decoder.h"

static_assert(sizeof(wchar_t) == 2, "the archive text is UTF-16");

namespace {

bool IsNonEmpty(const wchar_t* text) { return text != nullptr && text[0] != L'\0'; }

// Replaces the escapes "\r" and "\n" by CR and LF, left to right, in place.
void ConvertEscapes(wchar_t* text) {
    wchar_t* out = text;
    for (const wchar_t* in = text; *in != L'\0';) {
        if (in[0] == L'\\' && in[1] == L'r') {
            *out++ = L'\r';
            in += 2;
        } else if (in[0] == L'\\' && in[1] == L'n') {
            *out++ = L'\n';
            in += 2;
        } else {
            *out++ = *in++;
        }
    }
    *out = L'\0';
}

}  // namespace

void SplitSectionBody(wchar_t* body, const wchar_t** table, int entryCount) {
    std::fill(table, table + entryCount, nullptr);
    if (body == nullptr) return;
    wchar_t* line = body;
    for (;;) {
        wchar_t* lineEnd = line;
        while (*lineEnd != L'\0' && *lineEnd != L'\n') ++lineEnd;
        if (*lineEnd == L'\0') return;
        *lineEnd = L'\0';
        if (lineEnd > line && lineEnd[-1] == L'\r') lineEnd[-1] = L'\0';
        const wchar_t* equals = std::wcschr(line, L'=');
        if (equals != nullptr) {
            const long number = std::wcstol(line, nullptr, 10);
            if (number >= 0 && number < entryCount) table[number] = equals + 1;
        }
        line = lineEnd + 1;
    }
}

int CompletenessPercent(const LanguageTable& english, const LanguageTable& table) {
    int defined = 0;
    int translated = 0;
    for (int id = 0; id < kTextIdCount; ++id) {
        if (!IsNonEmpty(english[id])) continue;
        ++defined;
        if (IsNonEmpty(table[id])) ++translated;
    }
    if (defined == 0) return 0;
    return static_cast<int>(static_cast<double>(translated) / defined * 100.0);
}

std::unique_ptr<LanguageArchive> LanguageArchive::FromPayload(const uint8_t* payload, size_t length) {
    LZARI decoder(payload, length);
    if (!decoder.HasSize() || decoder.DecodedSize() > kMaxArchiveTextSize) return nullptr;

    const size_t size = decoder.DecodedSize();
    std::unique_ptr<LanguageArchive> archive(new LanguageArchive());
    // Room for S bytes and a two-byte terminator, in whole code units.
    const size_t units = (size + 3) / 2;
    archive->m_text = std::make_unique<wchar_t[]>(units);
    decoder.Decode(reinterpret_cast<uint8_t*>(archive->m_text.get()), size + 2);
    archive->m_textLength = size / 2;
    archive->m_text[archive->m_textLength] = L'\0';
    archive->Index();
    return archive;
}

void LanguageArchive::Index() {
    wchar_t* const text = m_text.get();
    const size_t length = m_textLength;
    auto at = [&](size_t index) { return text + std::min(index, length); };

    wchar_t* header = nullptr;
    std::array<wchar_t*, kMaxLanguageSections> bodies{};
    int markCount = 0;
    size_t i = 0;
    while (i + 1 < length) {
        if (text[i] != L'#' || text[i + 1] != L'#') {
            ++i;
            continue;
        }
        text[i] = L'\0';  // ends the segment before the mark
        size_t next = i + 2;
        if (markCount == 0) {
            header = at(i + 4);
        } else if (markCount == 1) {
            m_englishLicence = at(i + 4);
        } else if (markCount == 2) {
            m_germanLicence = at(i + 4);
        } else if (m_sectionCount < kMaxLanguageSections) {
            const int section = m_sectionCount++;
            if (next < length && text[next] == L'=') {
                size_t lineEnd = next + 1;
                while (lineEnd < length && text[lineEnd] != L'\r') ++lineEnd;
                m_nameLines[section] = at(next + 1);
                if (lineEnd < length) text[lineEnd] = L'\0';
                next = std::min(lineEnd + 1, length);
                bodies[section] = at(next);
            } else {
                bodies[section] = at(i + 4);
            }
        }
        ++markCount;
        i = next;
    }

    if (m_sectionCount > kReferenceLanguage) m_englishBody = bodies[kReferenceLanguage];
    for (int section = 0; section < m_sectionCount; ++section) SplitSectionBody(bodies[section], m_sections[section]);
    for (int section = 0; section < m_sectionCount; ++section) {
        m_completeness[section] = m_sectionCount > kReferenceLanguage
                                      ? CompletenessPercent(m_sections[kReferenceLanguage], m_sections[section])
                                      : 0;
    }

    SplitSectionBody(header, m_headers.data(), kHeaderTextCount);
    for (const wchar_t* headerText : m_headers) {
        // Entries point into the writable text buffer; several entries never share a text.
        if (headerText != nullptr) ConvertEscapes(const_cast<wchar_t*>(headerText));
    }
}

const wchar_t* LanguageArchive::HeaderText(int number) const {
    return number >= 0 && number < kHeaderTextCount ? m_headers[number] : nullptr;
}

const wchar_t* LanguageArchive::NameLine(int section) const {
    return section >= 0 && section < m_sectionCount ? m_nameLines[section] : nullptr;
}

int LanguageArchive::Completeness(int section) const {
    return section >= 0 && section < m_sectionCount ? m_completeness[section] : 0;
}

const wchar_t* LanguageArchive::SectionText(int section, int id) const {
    if (section < 0 || section >= m_sectionCount || id < 0 || id >= kTextIdCount) return nullptr;
    return m_sections[section][id];
}

const LanguageTable& LanguageArchive::Section(int section) const {
    static const LanguageTable kNoTexts{};
    return section >= 0 && section < m_sectionCount ? m_sections[section] : kNoTexts;
}

const wchar_t* LanguageArchive::Lookup(int languageIndex, int id) const {
    if (id < 0 || id >= kTextIdCount) return nullptr;
    const wchar_t* text = SectionText(languageIndex, id);
    return text != nullptr ? text : SectionText(kReferenceLanguage, id);
}

TranslationTable::TranslationTable(std::wstring text) {
    // Split in place (the text ends at its first zero, like a section body), then keep the
    // entries' texts only, one after another.
    text.push_back(L'\0');
    LanguageTable entries{};
    SplitSectionBody(text.data(), entries);
    for (const wchar_t* entry : entries) {
        if (entry != nullptr) m_keptLength += std::wcslen(entry) + 1;
    }
    m_text = std::make_unique<wchar_t[]>(m_keptLength + 1);
    wchar_t* kept = m_text.get();
    for (int id = 0; id < kTextIdCount; ++id) {
        if (entries[id] == nullptr) continue;
        const size_t length = std::wcslen(entries[id]);
        std::copy(entries[id], entries[id] + length + 1, kept);
        m_table[id] = kept;
        kept += length + 1;
    }
}
