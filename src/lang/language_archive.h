#pragma once

#include <memory>
#include <string>

#include "lang/language_tables.h"

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

// Loads the text archive stored in the program's own file (found by its markers in the raw
// bytes). On failure shows the "Alert" message box, posts a quit request with code 0 and
// returns false; the start-up then ends the process.
bool LoadLanguageArchive();

// Loads the archive from the program file at `path` without any message; returns false when
// the file cannot be read, holds no archive, or the archive is refused. On success the new
// archive serves all lookups from now on. Archives once loaded are never freed, so texts handed
// out stay valid until the process ends.
bool LoadLanguageArchiveFromFile(const std::wstring& path);

// The loaded archive, or null before a successful load. For the language menu, the
// translation template and the installer's language list.
const LanguageArchive* LoadedLanguageArchive();

// The text for `id` (0-255) in the current language, falling back to English; null when
// neither has it. While a translation is active, every text comes from it, and an id it lacks
// reads "str:<id>?" from a buffer of the calling thread that the thread's next such miss
// overwrites. No allocation. A text of a translation stays valid until the next translation is
// loaded or left (on the main thread): other threads take copies with LangString.
const wchar_t* LangText(int id);

// The header text for `number` (0-127), or null.
const wchar_t* LangHeaderText(int number);

// The same as copies for building labels: a missing text is empty. Any thread may call it.
std::wstring LangString(int id);
std::wstring LangHeaderString(int number);

// The language every text is looked up in; one per process. Any number is kept: one that the
// archive has no section for makes every lookup fall back to English.
int CurrentLanguageIndex();
void SetCurrentLanguageIndex(int languageIndex);

// Whether the user interface speaks German: the maker's German site and pages are for it.
inline bool GermanInterface() { return CurrentLanguageIndex() == kLanguageGerman; }

// A translation file's table: while one is active it replaces the archive's languages.
// Activating takes the table over. A table replaced by another, or left for the archive, is
// freed as soon as no copy of one of its texts is under way on another thread (at the latest
// with the next change), so that loading files again and again does not grow the memory.
void ActivateTranslation(std::unique_ptr<TranslationTable> table);
void DeactivateTranslation();
// Translation tables held: the one in use and replaced ones not freed yet.
size_t HeldTranslationTables();
// The active translation table, or null.
const TranslationTable* ActiveTranslation();
