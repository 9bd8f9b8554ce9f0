#include "lang/language_archive.h"

namespace {

int g_currentLanguageIndex = kLanguageEnglish;

}  // namespace

bool LoadLanguageArchive() {
    // The program carries no text archive yet, so there is nothing to load and nothing to fail.
    return true;
}

int CurrentLanguageIndex() { return g_currentLanguageIndex; }

void SetCurrentLanguageIndex(int languageIndex) {
    if (languageIndex >= 0 && languageIndex < kLanguageCount) g_currentLanguageIndex = languageIndex;
}
