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
    // Blanks inside quotes become tabs for the cut and blanks again afterwards.
    std::wstring work;
    work.reserve(commandLine.size() + 5);
    bool insideQuotes = false;
    for (wchar_t c : commandLine) {
        if (c == L'"') {
            insideQuotes = !insideQuotes;
            continue;
        }
        work += (insideQuotes && c == L' ') ? L'\t' : c;
    }

    std::vector<CommandLineToken> tokens;
    size_t pos = 0;
    while (pos < work.size() && tokens.size() < kMaxCommandLineTokens) {
        while (pos < work.size() && work[pos] == L' ') ++pos;
        const size_t start = pos;
        while (pos < work.size() && work[pos] != L' ') ++pos;
        if (pos == start) break;

        std::wstring text = work.substr(start, pos - start);
        for (wchar_t& c : text) {
            if (c == L'\t' || c == L'\n') c = L' ';
        }
        CommandLineToken token;
        const size_t colon = text.find(L':');
        if (colon == std::wstring::npos) {
            token.name = std::move(text);
        } else {
            token.name = text.substr(0, colon);
            token.value = text.substr(colon + 1);
        }
        // A token that starts with ":" has no name; it matches no option.
        if (!token.name.empty()) tokens.push_back(std::move(token));
    }
    return tokens;
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
