// The running program's web site choice and the shell's "open" for web addresses, on the real
// shell of the test prefix (its http and https classes point to the open_recorder fixture).
#include "web/web_address.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>

#include "common/shell_open_recorder.h"
#include "lang/language_archive.h"

namespace {

// The system's time zone as the site choice reads it: a bias only for a non-zero answer.
std::optional<long> SystemZoneBias() {
    TIME_ZONE_INFORMATION zone{};
    zone.Bias = 0xdead;
    if (GetTimeZoneInformation(&zone) == 0) return std::nullopt;
    return zone.Bias;
}

// Keeps the process's language index and puts it back.
class WebAddressTest : public ::testing::Test {
protected:
    void SetUp() override { m_savedLanguage = CurrentLanguageIndex(); }
    void TearDown() override { SetCurrentLanguageIndex(m_savedLanguage); }

private:
    int m_savedLanguage = 0;
};

TEST_F(WebAddressTest, GermanInterfaceAlwaysUsesTheGermanSite) {
    SetCurrentLanguageIndex(kLanguageGerman);
    EXPECT_EQ(CurrentWebRegion(), WebRegion::kGerman);
    EXPECT_EQ(WebRoot(), WebRootFor(WebRegion::kGerman));
}

TEST_F(WebAddressTest, OtherLanguagesFollowTheSystemTimeZone) {
    const std::optional<long> bias = SystemZoneBias();
    for (int language : {kLanguageEnglish, kLanguageFrench, kLanguageItalian}) {
        SCOPED_TRACE(language);
        SetCurrentLanguageIndex(language);
        EXPECT_EQ(CurrentWebRegion(), ChooseWebRegion(language, bias));
        EXPECT_EQ(WebRoot(), WebRootFor(ChooseWebRegion(language, bias))) << WebRoot();
    }
}

// Run by CTest once per time zone (the Unix TZ of the process, which Wine turns into the
// Windows time zone) with the expected site in ORBELIN_EXPECTED_WEB_REGION; skipped otherwise.
TEST_F(WebAddressTest, SiteForTheTimeZoneOfThisRun) {
    const char* expected = std::getenv("ORBELIN_EXPECTED_WEB_REGION");
    if (expected == nullptr) GTEST_SKIP() << "no time zone set up for this run";
    const char* zoneName = std::getenv("TZ");
    SCOPED_TRACE(std::string("TZ=") + (zoneName != nullptr ? zoneName : "<none>"));
    const WebRegion region = std::string(expected) == "european" ? WebRegion::kEuropean : WebRegion::kInternational;
    SetCurrentLanguageIndex(kLanguageEnglish);
    EXPECT_EQ(WebRoot(), WebRootFor(region)) << WebRoot();
    SetCurrentLanguageIndex(kLanguageGerman);
    EXPECT_EQ(WebRoot(), WebRootFor(WebRegion::kGerman)) << WebRoot();
}

TEST_F(WebAddressTest, OpenHandsTheShellTheAddressOfTheChosenSite) {
    ShellOpenRecorder opener({L"http", L"https"});
    SetCurrentLanguageIndex(kLanguageGerman);
    const std::wstring german = WebHostFor(WebRegion::kGerman);
    const std::wstring international = WebHostFor(WebRegion::kInternational);
    const std::wstring european = WebHostFor(WebRegion::kEuropean);

    const struct {
        const char* label;
        std::wstring address;
        std::wstring expected;
    } cases[] = {
        {"program page of the international site", L"https://" + international + L"/?seite=Freeware/Orbelin/Eula",
         L"https://" + german + L"/?seite=Freeware/Orbelin/Eula"},
        {"plain http, European host", L"http://" + european + L"?seite=faq-Orbelin&faq=2",
         L"http://" + german + L"?seite=faq-Orbelin&faq=2"},
        {"another site is opened as it is", L"https://www.example.org/?seite=x", L"https://www.example.org/?seite=x"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].label);
        EXPECT_TRUE(OpenWebAddress(cases[i].address));
        const auto opened = opener.WaitForOpened(i + 1, 10000);
        ASSERT_EQ(opened.size(), i + 1);
        EXPECT_EQ(opened[i], cases[i].expected) << opened[i];
    }
}

TEST_F(WebAddressTest, AnAddressNoProgramOpensIsRefused) {
    ShellOpenRecorder opener({L"http", L"https"});
    SetCurrentLanguageIndex(kLanguageEnglish);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(OpenWebAddress(L"orbelin-no-such-scheme://" + WebHostFor(WebRegion::kGerman) + L"/"));
    EXPECT_TRUE(opener.WaitForOpened(1, 1000).empty());
}

}  // namespace
