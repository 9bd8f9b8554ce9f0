#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/update_start_arguments.h"
#include "common/token_split.h"

// One word of the command line: "name" or "name:value" (the first ":" splits).
using CommandLineToken = SplitToken;

inline constexpr size_t kMaxCommandLineTokens = kMaxSplitTokens;

// Splits the command line (without the program path) into at most 256 tokens. Blanks separate
// tokens; double quotes group text with blanks into one token and are removed.
std::vector<CommandLineToken> SplitCommandLine(std::wstring_view commandLine);

// The options the command line can carry. Unknown tokens and tokens with values where none is
// expected are ignored.
struct StartOptions {
    bool background = false;              // "-bg": start without showing the settings window
    bool forAllUsers = false;             // "forall"
    bool installRequest = false;          // "-?install"
    bool uninstallRequest = false;        // "-?uninstall"
    bool portableInstallRequest = false;  // "-?portable_install"
    bool miniBrowser = false;             // "Glimmerpane"
    std::optional<int> preselectedLanguage;  // "m_lang_id:<n>"
    std::wstring uninstallPath;              // "-?UNPATH:<path>"
    // Path="<program file>" Version="<version>": a received update takes that program's place.
    std::optional<UpdateStartRequest> update;
};

StartOptions EvaluateStartOptions(const std::vector<CommandLineToken>& tokens);

// All options of a command line: the tokens' options, and the update's arguments, whose quoted
// values keep their blanks and colons.
StartOptions ReadStartOptions(std::wstring_view commandLine);
