#pragma once

#include <cstdint>
#include <string_view>

#include "app/command_line.h"

// The ways a process of the program can run; exactly one per process.
enum class StartMode { kNormal, kInstall, kUninstall, kPortableInstall, kMiniBrowser, kUpdate };

// What the program file's own name asks for when the command line asked for nothing.
enum class FileNameRequest { kNone, kInstall, kUninstall, kPortableInstall };

// Looks at the program file name (without folder), lower-cased: "uninstall" asks for the
// uninstaller, "portable_install" for the portable installer, "inst", "set_up" or "setup" for
// the installer; the first rule that matches wins.
FileNameRequest FileNameStartRequest(std::wstring_view fileName);

// Combines the command line and the file name into the start mode. The browser window wins
// over everything, then the start of a received update, then install, uninstall and portable
// install in that order. The file name counts only when the command line asked neither to
// install nor to uninstall.
StartMode DecideStartMode(const StartOptions& options, FileNameRequest fileNameRequest);

// The language index for a Windows language id (only its primary language counts): German 0,
// Danish 2, Chinese 3, Korean 4, Russian 5, Spanish 6, French 7, Greek 8, Bosnian, Croatian
// and Serbian 9, Italian 10, every other language English (1).
int LanguageIndexForLanguageId(uint16_t languageId);
