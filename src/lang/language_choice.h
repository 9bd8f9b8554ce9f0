#pragma once

#include <string>
#include <vector>

#include "lang/language_tables.h"
#include "res/resource.h"

// What the language menu and the translator's tools show, as plain values: the menu's items,
// the translation template's name and text, and the report on a loaded translation. The
// windows, files and message boxes around them are in language_menu.h and translation_file.h.

// Commands of the language menu: section i of the archive is command i + kFirstLanguageCommand.
inline constexpr int kFirstLanguageCommand = IDM_LANGUAGE_FIRST;
inline constexpr int kLastLanguageCommand = kFirstLanguageCommand + kMaxLanguageSections - 1;
inline constexpr int kTranslateCommand = IDM_TRANSLATE;
inline constexpr int kLoadTranslationCommand = IDM_LOAD_TRANSLATION;

// A language item of the menu.
struct LanguageMenuItem {
    int command = 0;
    std::wstring text;     // name line and completeness; the TAB in it opens the right column
    bool current = false;  // the language in use: shown greyed and not offered
};

// One item per section whose name line is longer than 5 characters, in section order:
// "<name line> / <completeness> %", or with `numbered` (the developer's view)
// "<section>) <name line> | <completeness> %".
std::vector<LanguageMenuItem> LanguageMenuItems(const LanguageArchive& archive, int currentLanguage, bool numbered);

// With more than 12 sections the items run in two columns: the position (among the items)
// before which the second column starts, which is the section count halved plus 2. -1 for an
// archive of 12 sections or fewer.
int LanguageMenuColumnBreak(const LanguageArchive& archive);

// The section a language command chooses, or -1 for any other command.
int LanguageOfCommand(int command);

// The template's file name: "translate_" + the program title with every blank made "_" +
// ".txt". Every other character of the title is kept as it is.
std::wstring TranslationTemplateFileName(const std::wstring& programTitle);

// The template: instructions, the request to send the texts back, then the English section
// (name line, version, body as stored) for the translator to overwrite. No byte-order mark.
std::wstring TranslationTemplateText(const LanguageArchive& archive);

// The report after loading a translation: "<percent> %" of the English texts that it has,
// then, when any is missing, "\n\nmiss:\n", the first nine missing ids as "<id>=<English>\n"
// lines, and from the tenth on "...and...\n" followed by "<id>," for each further missing id.
std::wstring TranslationReport(const LanguageArchive& archive, const LanguageTable& translation);
