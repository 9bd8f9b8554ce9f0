#pragma once

// Language indexes: positions of the language sections in the text archive.
enum LanguageIndex : int {
    kLanguageGerman = 0,
    kLanguageEnglish = 1,
    kLanguageDanish = 2,
    kLanguageChineseTraditional = 3,
    kLanguageKorean = 4,
    kLanguageRussian = 5,
    kLanguageSpanish = 6,
    kLanguageFrench = 7,
    kLanguageGreek = 8,
    kLanguageBosnianCroatianSerbian = 9,
    kLanguageItalian = 10,
};
inline constexpr int kLanguageCount = 11;

// Loads the text archive stored in the program file. Returns false when it cannot be
// loaded; the start-up then ends the process.
bool LoadLanguageArchive();

// The language every text is looked up in; one per process.
int CurrentLanguageIndex();
void SetCurrentLanguageIndex(int languageIndex);
