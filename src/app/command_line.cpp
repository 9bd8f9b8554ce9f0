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
enum class ValueRule { kNone, kRequired };

// The first token with this name whose value fits the option, or null.
const CommandLineToken* FindOption(const std::vector<CommandLineToken>& tokens, std::wstring_view name,
                                   NameMatch match, ValueRule valueRule) {
    for (const CommandLineToken& token : tokens) {
        const bool nameMatches =
            match == NameMatch::kExact ? token.name == name : EqualsIgnoringCase(token.name, name);
        if (!nameMatches) continue;
        if (token.value.has_value() != (valueRule == ValueRule::kRequired)) continue;
        return &token;
    }
    return nullptr;
}

bool HasFlag(const std::vector<CommandLineToken>& tokens, std::wstring_view name) {
    return FindOption(tokens, name, NameMatch::kIgnoreCase, ValueRule::kNone) != nullptr;
}

}  // namespace

std::vector<CommandLineToken> SplitCommandLine(std::wstring_view commandLine) {
    return SplitTokens(commandLine, L':');
}

StartOptions EvaluateStartOptions(const std::vector<CommandLineToken>& tokens) {
    StartOptions options;
    options.background = HasFlag(tokens, L"-bg");
    if (const CommandLineToken* language = FindOption(tokens, L"m_lang_id", NameMatch::kExact, ValueRule::kRequired)) {
        options.preselectedLanguage = ReadLeadingInt(*language->value);
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

    if (const CommandLineToken* path = FindOption(tokens, L"-?UNPATH", NameMatch::kExact, ValueRule::kRequired)) {
        options.uninstallPath = *path->value;
    }
    options.miniBrowser = HasFlag(tokens, L"Glimmerpane");
    return options;
}
