#include "lang/language_choice.h"

namespace {

constexpr size_t kShortestListedName = 6;
constexpr int kSectionsInOneColumn = 12;
constexpr int kListedMissingTexts = 9;

bool IsNonEmpty(const wchar_t* text) { return text != nullptr && text[0] != L'\0'; }

std::wstring TextOrEmpty(const wchar_t* text) { return text != nullptr ? std::wstring(text) : std::wstring(); }

}  // namespace

std::vector<LanguageMenuItem> LanguageMenuItems(const LanguageArchive& archive, int currentLanguage, bool numbered) {
    std::vector<LanguageMenuItem> items;
    for (int section = 0; section < archive.SectionCount(); ++section) {
        const std::wstring name = TextOrEmpty(archive.NameLine(section));
        if (name.size() < kShortestListedName) continue;
        const std::wstring percent = std::to_wstring(archive.Completeness(section)) + L" %";
        LanguageMenuItem item;
        item.command = section + kFirstLanguageCommand;
        item.text = numbered ? std::to_wstring(section) + L") " + name + L" | " + percent : name + L" / " + percent;
        item.current = section == currentLanguage;
        items.push_back(std::move(item));
    }
    return items;
}

int LanguageMenuColumnBreak(const LanguageArchive& archive) {
    const int sections = archive.SectionCount();
    return sections > kSectionsInOneColumn ? sections / 2 + 2 : -1;
}

int LanguageOfCommand(int command) {
    return command >= kFirstLanguageCommand && command <= kLastLanguageCommand ? command - kFirstLanguageCommand : -1;
}

std::wstring TranslationTemplateFileName(const std::wstring& programTitle) {
    std::wstring name = programTitle;
    for (wchar_t& character : name) {
        if (character == L' ') character = L'_';
    }
    return L"translate_" + name + L".txt";
}

std::wstring TranslationTemplateText(const LanguageArchive& archive) {
    const std::wstring title = TextOrEmpty(archive.HeaderText(19));
    std::wstring text = L"\r\nPlease don't forget! Write in e-mail subject: Strings for: ";
    text += title;
    text += L" and Language Name : German / Deutsch \r\n\r\n";
    text += TextOrEmpty(archive.HeaderText(25));
    text += L"\r\n\r\n##=";
    text += TextOrEmpty(archive.NameLine(kReferenceLanguage));
    text += L"\r\n\r\nVersion=";
    text += title;
    text += L"\r\n";
    text += archive.EnglishBody();
    text += L"\r\n\r\n";
    return text;
}

std::wstring TranslationReport(const LanguageArchive& archive, const LanguageTable& translation) {
    const LanguageTable& englishTexts = archive.Section(kReferenceLanguage);
    int missing = 0;
    std::wstring list;
    for (int id = 0; id < kTextIdCount; ++id) {
        const wchar_t* english = englishTexts[id];
        if (!IsNonEmpty(english) || IsNonEmpty(translation[id])) continue;
        ++missing;
        if (missing <= kListedMissingTexts) {
            list += std::to_wstring(id) + L"=" + english + L"\n";
            continue;
        }
        if (missing == kListedMissingTexts + 1) list += L"...and...\n";
        list += std::to_wstring(id) + L",";
    }
    std::wstring report = std::to_wstring(CompletenessPercent(englishTexts, translation)) + L" %";
    if (missing > 0) report += L"\n\nmiss:\n" + list;
    return report;
}
