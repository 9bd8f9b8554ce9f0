#include "app/start_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(FileNameStartRequest, Rules) {
    const struct {
        const wchar_t* fileName;
        FileNameRequest expected;
    } cases[] = {
        {L"Orbelin.exe", FileNameRequest::kNone},
        {L"Orbelin_portable.exe", FileNameRequest::kNone},
        {L"OrbelinSetup.exe", FileNameRequest::kInstall},
        {L"orbelin_set_up.exe", FileNameRequest::kInstall},
        {L"Orbelin-Install.exe", FileNameRequest::kInstall},
        {L"Orbelin_inst.exe", FileNameRequest::kInstall},
        // "uninstall" also contains "inst"; the uninstaller wins.
        {L"Orbelin_UNINSTALL.exe", FileNameRequest::kUninstall},
        {L"Orbelin_portable_install.exe", FileNameRequest::kPortableInstall},
        {L"set-up.exe", FileNameRequest::kNone},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.fileName);
        EXPECT_EQ(FileNameStartRequest(testCase.fileName), testCase.expected);
    }
}

TEST(DecideStartMode, CommandLineAndFileName) {
    StartOptions none;
    StartOptions install;
    install.installRequest = true;
    StartOptions uninstall;
    uninstall.uninstallRequest = true;
    StartOptions portable;
    portable.portableInstallRequest = true;
    StartOptions browser;
    browser.miniBrowser = true;
    browser.installRequest = true;
    StartOptions update;
    update.update = UpdateStartRequest{L"C:\\Orbelin\\Orbelin.exe", L"2.0"};
    update.installRequest = true;
    StartOptions browserAndUpdate = update;
    browserAndUpdate.miniBrowser = true;

    const struct {
        const char* label;
        const StartOptions& options;
        FileNameRequest fileName;
        StartMode expected;
    } cases[] = {
        {"plain start", none, FileNameRequest::kNone, StartMode::kNormal},
        {"file name setup", none, FileNameRequest::kInstall, StartMode::kInstall},
        {"file name uninstall", none, FileNameRequest::kUninstall, StartMode::kUninstall},
        {"file name portable install", none, FileNameRequest::kPortableInstall, StartMode::kPortableInstall},
        {"command line install", install, FileNameRequest::kNone, StartMode::kInstall},
        // The file name is not looked at after an install or uninstall request.
        {"uninstall request in a setup file", uninstall, FileNameRequest::kInstall, StartMode::kUninstall},
        {"install request in an uninstall file", install, FileNameRequest::kUninstall, StartMode::kInstall},
        // A portable-install request leaves the file name rules active, and install is tested first.
        {"portable request in a setup file", portable, FileNameRequest::kInstall, StartMode::kInstall},
        {"portable request", portable, FileNameRequest::kNone, StartMode::kPortableInstall},
        {"browser beats everything", browser, FileNameRequest::kUninstall, StartMode::kMiniBrowser},
        // A received update takes the place of the program, whatever else its command line says.
        {"update start", update, FileNameRequest::kInstall, StartMode::kUpdate},
        {"browser beats the update start", browserAndUpdate, FileNameRequest::kNone, StartMode::kMiniBrowser},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        EXPECT_EQ(DecideStartMode(testCase.options, testCase.fileName), testCase.expected);
    }
}

TEST(LanguageIndexForLanguageId, PrimaryLanguageDecides) {
    const struct {
        uint16_t languageId;
        int expected;
    } cases[] = {
        {0x0407, 0},   // German (Germany)
        {0x0807, 0},   // German (Switzerland)
        {0x0409, 1},   // English (United States)
        {0x0406, 2},   // Danish
        {0x0404, 3},   // Chinese (Taiwan)
        {0x0804, 3},   // Chinese (PRC)
        {0x0412, 4},   // Korean
        {0x0419, 5},   // Russian
        {0x0C0A, 6},   // Spanish (modern sort)
        {0x040C, 7},   // French
        {0x0408, 8},   // Greek
        {0x041A, 9},   // Croatian
        {0x081A, 9},   // Serbian (Latin)
        {0x141A, 9},   // Bosnian (Latin)
        {0x0410, 10},  // Italian
        {0x0411, 1},   // Japanese falls back to English
        {0x0000, 1},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.languageId);
        EXPECT_EQ(LanguageIndexForLanguageId(testCase.languageId), testCase.expected);
    }
}

}  // namespace
