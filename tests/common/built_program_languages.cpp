#include "common/built_program_languages.h"

#include "common/test_files.h"
#include "lang/language_archive.h"

bool LoadBuiltProgramArchive() {
    const std::wstring program = BuiltProgramPath();
    return !program.empty() && LoadLanguageArchiveFromFile(program);
}
