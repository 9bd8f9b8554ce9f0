#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

struct ExpectedToken {
    const wchar_t* name;
    const wchar_t* value;  // null: the token has no value
};

struct SplitCase {
    const wchar_t* commandLine;
    std::vector<ExpectedToken> tokens;
};

TEST(SplitCommandLine, TokensNamesAndValues) {
    const SplitCase cases[] = {
        {L"", {}},
        {L"    ", {}},
        {L"-bg", {{L"-bg", nullptr}}},
        // A quoted path with a blank stays one token, without the quotes; its first ":" splits it.
        {L"-bg \"C:\\Program Files\\Orbelin\\Orbelin.exe\"",
         {{L"-bg", nullptr}, {L"C", L"\\Program Files\\Orbelin\\Orbelin.exe"}}},
        {L"\"-?UNPATH:C:\\Program Files\\Orbelin\"", {{L"-?UNPATH", L"C:\\Program Files\\Orbelin"}}},
        // Unquoted, the text after the blank is a token of its own.
        {L"-?UNPATH:C:\\Program Files\\Orbelin", {{L"-?UNPATH", L"C:\\Program"}, {L"Files\\Orbelin", nullptr}}},
        {L"  m_lang_id:5   forall ", {{L"m_lang_id", L"5"}, {L"forall", nullptr}}},
        {L"name:", {{L"name", L""}}},
        {L"a:b:c", {{L"a", L"b:c"}}},
        // A token that starts with ":" has no name and is dropped.
        {L":orphan -bg", {{L"-bg", nullptr}}},
        // A quote left open groups everything after it.
        {L"\"open quote -bg", {{L"open quote -bg", nullptr}}},
        {L"x\"y z\"w", {{L"xy zw", nullptr}}},
        // Tabs and line feeds inside a token turn into blanks.
        {L"a\tb c\nd", {{L"a b", nullptr}, {L"c d", nullptr}}},
    };
    for (const SplitCase& testCase : cases) {
        SCOPED_TRACE(testCase.commandLine);
        const std::vector<CommandLineToken> tokens = SplitCommandLine(testCase.commandLine);
        ASSERT_EQ(tokens.size(), testCase.tokens.size());
        for (size_t i = 0; i < tokens.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(tokens[i].name, testCase.tokens[i].name);
            if (testCase.tokens[i].value == nullptr) {
                EXPECT_FALSE(tokens[i].value.has_value());
            } else {
                ASSERT_TRUE(tokens[i].value.has_value());
                EXPECT_EQ(*tokens[i].value, testCase.tokens[i].value);
            }
        }
    }
}

TEST(SplitCommandLine, KeepsAtMost256Tokens) {
    std::wstring commandLine;
    for (int i = 0; i < 300; ++i) commandLine += L"t" + std::to_wstring(i) + L" ";
    commandLine += L"-bg";
    const std::vector<CommandLineToken> tokens = SplitCommandLine(commandLine);
    ASSERT_EQ(tokens.size(), 256u);
    EXPECT_EQ(tokens.front().name, L"t0");
    EXPECT_EQ(tokens.back().name, L"t255");
    // The option after the 256th token is not seen.
    EXPECT_FALSE(EvaluateStartOptions(tokens).background);
}

TEST(SplitCommandLine, HugeAndHostileInputDoesNotBreak) {
    std::wstring commandLine(200000, L'"');
    for (size_t i = 0; i < commandLine.size(); i += 7) commandLine[i] = L':';
    for (size_t i = 3; i < commandLine.size(); i += 11) commandLine[i] = L' ';
    commandLine[5] = L'\0';  // an embedded NUL is just another character here
    const std::vector<CommandLineToken> tokens = SplitCommandLine(commandLine);
    EXPECT_LE(tokens.size(), kMaxCommandLineTokens);
    for (const CommandLineToken& token : tokens) EXPECT_FALSE(token.name.empty());
}

TEST(EvaluateStartOptions, OptionTable) {
    struct OptionCase {
        const wchar_t* commandLine;
        bool background, install, uninstall, portableInstall, forAllUsers, miniBrowser;
        std::optional<int> language;
        const wchar_t* uninstallPath;
    };
    const OptionCase cases[] = {
        {L"", false, false, false, false, false, false, std::nullopt, L""},
        {L"-bg", true, false, false, false, false, false, std::nullopt, L""},
        {L"-BG", true, false, false, false, false, false, std::nullopt, L""},
        // A flag ignores a value written with it: "Glimmerpane:33" is how the settings dialog starts
        // the browser window.
        {L"-bg:1", true, false, false, false, false, false, std::nullopt, L""},
        {L"Glimmerpane:33", false, false, false, false, false, true, std::nullopt, L""},
        {L"-?install:now forall:yes", false, true, false, false, true, false, std::nullopt, L""},
        {L"-?INSTALL FORALL", false, true, false, false, true, false, std::nullopt, L""},
        // Install is tested first and wins over uninstall.
        {L"-?uninstall -?install", false, true, false, false, false, false, std::nullopt, L""},
        {L"-?uninstall -?portable_install", false, false, true, false, false, false, std::nullopt, L""},
        {L"-?Portable_Install", false, false, false, true, false, false, std::nullopt, L""},
        {L"m_lang_id:7", false, false, false, false, false, false, 7, L""},
        {L"m_lang_id:12abc", false, false, false, false, false, false, 12, L""},
        // The language option is compared exactly and needs a value.
        {L"M_LANG_ID:7 m_lang_id", false, false, false, false, false, false, std::nullopt, L""},
        {L"\"-?UNPATH:D:\\My Apps\\Orbelin\"", false, false, false, false, false, false, std::nullopt,
         L"D:\\My Apps\\Orbelin"},
        // The uninstall path option is compared exactly: lower case is not it.
        {L"-?unpath:D:\\x", false, false, false, false, false, false, std::nullopt, L""},
        {L"-?UNPATH", false, false, false, false, false, false, std::nullopt, L""},
        // The first token of a value option's name decides, also when it has no value.
        {L"m_lang_id m_lang_id:3", false, false, false, false, false, false, std::nullopt, L""},
        {L"m_lang_id:3 m_lang_id", false, false, false, false, false, false, 3, L""},
        {L"-?UNPATH -?UNPATH:C:\\x", false, false, false, false, false, false, std::nullopt, L""},
        {L"-?UNPATH:C:\\x -?UNPATH", false, false, false, false, false, false, std::nullopt, L"C:\\x"},
        {L"-bg glimmerpane", true, false, false, false, false, true, std::nullopt, L""},
        {L"unknown -x:y", false, false, false, false, false, false, std::nullopt, L""},
    };
    for (const OptionCase& testCase : cases) {
        SCOPED_TRACE(testCase.commandLine);
        const StartOptions options = EvaluateStartOptions(SplitCommandLine(testCase.commandLine));
        EXPECT_EQ(options.background, testCase.background);
        EXPECT_EQ(options.installRequest, testCase.install);
        EXPECT_EQ(options.uninstallRequest, testCase.uninstall);
        EXPECT_EQ(options.portableInstallRequest, testCase.portableInstall);
        EXPECT_EQ(options.forAllUsers, testCase.forAllUsers);
        EXPECT_EQ(options.miniBrowser, testCase.miniBrowser);
        EXPECT_EQ(options.preselectedLanguage, testCase.language);
        EXPECT_EQ(options.uninstallPath, testCase.uninstallPath);
    }
}

TEST(EvaluateStartOptions, FirstMatchingTokenIsUsed) {
    const StartOptions options = EvaluateStartOptions(SplitCommandLine(L"m_lang_id:3 m_lang_id:9"));
    EXPECT_EQ(options.preselectedLanguage, 3);
}

TEST(ReadStartOptions, TheUpdateStartKeepsItsQuotedPath) {
    // The splitter cuts a token at its first colon; the update's quoted values keep theirs.
    const std::wstring commandLine = L"Path=\"C:\\Program Files\\Orbelin\\Orbelin.exe\" Version=\"2.0.1\" ";
    const std::vector<CommandLineToken> tokens = SplitCommandLine(commandLine);
    ASSERT_FALSE(tokens.empty());
    EXPECT_EQ(tokens[0].name, L"Path=C");

    const StartOptions options = ReadStartOptions(commandLine);
    ASSERT_TRUE(options.update.has_value());
    EXPECT_EQ(options.update->programPath, L"C:\\Program Files\\Orbelin\\Orbelin.exe");
    EXPECT_EQ(options.update->version, L"2.0.1");
    EXPECT_FALSE(options.miniBrowser);

    EXPECT_FALSE(ReadStartOptions(L"-bg Glimmerpane:33").update.has_value());
    EXPECT_TRUE(ReadStartOptions(L"-bg Glimmerpane:33").miniBrowser);
    EXPECT_TRUE(ReadStartOptions(L"-bg Glimmerpane:33").background);
}

}  // namespace
