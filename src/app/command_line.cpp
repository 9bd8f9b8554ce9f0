#include "app/command_line.h"

#include <cwctype>

#include "settings/setting_value.h"

namespace {

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return true;
}

enum class NameMatch { kExact, kIgnoreCase };

// The first token with this name, whatever its value, or null: that token decides.
const CommandLineToken* FindOption(const std::vector<CommandLineToken>& tokens, std::wstring_view name,
                                   NameMatch match) {
    for (const CommandLineToken& token : tokens) {
        const bool nameMatches =
            match == NameMatch::kExact ? token.name == name : EqualsIgnoringCase(token.name, name);
        if (nameMatches) return &token;
    }
    return nullptr;
}

// A flag is set by the first token of its name; a value written with it changes nothing
// ("Glimmerpane:33", "-bg:1").
bool HasFlag(const std::vector<CommandLineToken>& tokens, std::wstring_view name) {
    return FindOption(tokens, name, NameMatch::kIgnoreCase) != nullptr;
}

// A value option takes the value of the first token of its name, and none when that token has
// no value.
const std::wstring* OptionValue(const std::vector<CommandLineToken>& tokens, std::wstring_view name) {
    const CommandLineToken* token = FindOption(tokens, name, NameMatch::kExact);
    return token != nullptr && token->value.has_value() ? &*token->value : nullptr;
}

}  // namespace

std::vector<CommandLineToken> SplitCommandLine(std::wstring_view commandLine) {
    return SplitTokens(commandLine, L':');
}

StartOptions EvaluateStartOptions(const std::vector<CommandLineToken>& tokens) {
    StartOptions options;
    options.background = HasFlag(tokens, L"-bg");
    if (const std::wstring* language = OptionValue(tokens, L"m_lang_id")) {
        options.preselectedLanguage = ReadLeadingInt(*language);
    }
    options.forAllUsers = HasFlag(tokens, L"forall");

    // Only the first of the three requests, in this order, is taken.
    if (HasFlag(tokens, L"-?install")) {
        options.installRequest = true;
    } else if (HasFlag(tokens, L"-?uninstall")) {
        options.uninstallRequest = true;
    } else if (HasFlag(tokens, L"-?portable_install")) {
        options.portableInstallRequest = true;
    }

    if (const std::wstring* path = OptionValue(tokens, L"-?UNPATH")) options.uninstallPath = *path;
    options.miniBrowser = HasFlag(tokens, L"Glimmerpane");
    return options;
}

StartOptions ReadStartOptions(std::wstring_view commandLine) {
    StartOptions options = EvaluateStartOptions(SplitCommandLine(commandLine));
    options.update = ParseUpdateStartArguments(commandLine);
    return options;
}
