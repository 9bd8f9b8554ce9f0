#include "web/web_root.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "maker.h"

namespace {

const char* RegionName(WebRegion region) {
    switch (region) {
        case WebRegion::kGerman:
            return "German";
        case WebRegion::kEuropean:
            return "European";
        case WebRegion::kInternational:
            return "international";
    }
    return "?";
}

constexpr int kGerman = 0;
constexpr int kEnglish = 1;
constexpr int kItalian = 10;

TEST(ChooseWebRegion, LanguageAndTimeZone) {
    const struct {
        const char* label;
        int languageIndex;
        std::optional<long> bias;
        WebRegion expected;
    } cases[] = {
        {"German, UTC", kGerman, 0L, WebRegion::kGerman},
        {"German, UTC+5", kGerman, -300L, WebRegion::kGerman},
        {"German, UTC-8", kGerman, 480L, WebRegion::kGerman},
        {"German, unknown zone", kGerman, std::nullopt, WebRegion::kGerman},
        {"English, UTC", kEnglish, 0L, WebRegion::kEuropean},
        {"English, UTC+1", kEnglish, -60L, WebRegion::kEuropean},
        {"English, UTC+5", kEnglish, -300L, WebRegion::kInternational},
        {"English, UTC+4 exactly", kEnglish, -240L, WebRegion::kEuropean},
        {"English, one minute past UTC+4", kEnglish, -241L, WebRegion::kInternational},
        {"English, UTC-4 exactly", kEnglish, 240L, WebRegion::kEuropean},
        {"English, one minute past UTC-4", kEnglish, 241L, WebRegion::kInternational},
        {"English, UTC-5", kEnglish, 300L, WebRegion::kInternational},
        {"English, unknown zone", kEnglish, std::nullopt, WebRegion::kInternational},
        {"Italian, UTC+2", kItalian, -120L, WebRegion::kEuropean},
        {"Italian, unknown zone", kItalian, std::nullopt, WebRegion::kInternational},
        // An index the archive has no section for is still "not German".
        {"language 40, UTC", 40, 0L, WebRegion::kEuropean},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        const WebRegion region = ChooseWebRegion(testCase.languageIndex, testCase.bias);
        EXPECT_EQ(region, testCase.expected) << RegionName(region);
    }
}

TEST(WebRootFor, RegionalRootsAndHosts) {
    const struct {
        WebRegion region;
        const wchar_t* root;
    } cases[] = {
        {WebRegion::kGerman, ORBELIN_MAKER_WEB_GERMAN},
        {WebRegion::kEuropean, ORBELIN_MAKER_WEB_EUROPEAN},
        {WebRegion::kInternational, ORBELIN_MAKER_WEB_INTERNATIONAL},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(RegionName(testCase.region));
        const std::wstring root = WebRootFor(testCase.region);
        EXPECT_EQ(root, testCase.root);
        ASSERT_FALSE(root.empty());
        EXPECT_NE(root.back(), L'/');
        const std::wstring scheme = L"https://";
        ASSERT_EQ(root.compare(0, scheme.size(), scheme), 0) << root;
        EXPECT_EQ(WebHostFor(testCase.region), root.substr(scheme.size()));
    }
    // Three different sites, or the choice would be meaningless.
    EXPECT_NE(WebHostFor(WebRegion::kGerman), WebHostFor(WebRegion::kEuropean));
    EXPECT_NE(WebHostFor(WebRegion::kEuropean), WebHostFor(WebRegion::kInternational));
    EXPECT_NE(WebHostFor(WebRegion::kGerman), WebHostFor(WebRegion::kInternational));
}

TEST(ReplaceMakerHosts, EveryHostBecomesTheChosenOne) {
    const WebRegion regions[] = {WebRegion::kGerman, WebRegion::kEuropean, WebRegion::kInternational};
    for (WebRegion from : regions) {
        for (WebRegion to : regions) {
            SCOPED_TRACE(std::string(RegionName(from)) + " -> " + RegionName(to));
            const std::wstring address = WebRootFor(from) + L"/?seite=Freeware/Orbelin/Eula";
            EXPECT_EQ(ReplaceMakerHosts(address, to), WebRootFor(to) + L"/?seite=Freeware/Orbelin/Eula");
        }
    }
}

TEST(ReplaceMakerHosts, MixedAndForeignText) {
    const std::wstring de = WebHostFor(WebRegion::kGerman);
    const std::wstring eu = WebHostFor(WebRegion::kEuropean);
    const std::wstring com = WebHostFor(WebRegion::kInternational);
    std::wstring upperDe = de;
    for (wchar_t& c : upperDe) c = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;

    const struct {
        const char* label;
        std::wstring address;
        std::wstring expected;
    } cases[] = {
        {"every occurrence", L"https://" + de + L"/?back=http://" + com + L"/x&y=" + eu,
         L"https://" + eu + L"/?back=http://" + eu + L"/x&y=" + eu},
        {"letter case of the host", L"https://" + upperDe + L"/?seite=faq", L"https://" + eu + L"/?seite=faq"},
        {"another site stays", L"https://www.example.com/?seite=" + std::wstring(L"kestrova"),
         L"https://www.example.com/?seite=kestrova"},
        {"host at the very end", L"see " + com, L"see " + eu},
        {"empty", L"", L""},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        EXPECT_EQ(ReplaceMakerHosts(testCase.address, WebRegion::kEuropean), testCase.expected)
            << ReplaceMakerHosts(testCase.address, WebRegion::kEuropean);
    }
}

TEST(WebAddresses, EachCommandsAddress) {
    const std::wstring root = WebRootFor(WebRegion::kEuropean);
    const std::wstring germanPage = std::wstring(ORBELIN_MAKER_WEB_GERMAN) + L"/?seite=Freeware/Orbelin";
    const std::wstring page = std::wstring(ORBELIN_MAKER_WEB_INTERNATIONAL) + L"/?seite=Freeware/Orbelin";
    const struct {
        const char* label;
        std::wstring address;
        std::wstring expected;
    } cases[] = {
        {"FAQ", FaqAddress(root), root + L"?seite=faq-Orbelin"},
        {"FAQ on stacking", FaqStackingAddress(root), root + L"?seite=faq-Orbelin&faq=2"},
        {"homepage, German", HomepageAddress(root, true), root + L"/?seite=Freeware/Orbelin/Danke"},
        {"homepage", HomepageAddress(root, false), root + L"/?seite=Freeware/Orbelin/Thanks"},
        {"history", HistoryAddress(root), root + L"/?seite=Freeware/Orbelin/History"},
        {"donate", DonateAddress(root), root + L"?seite=paypal&Program=Orbelin"},
        {"uninstall page", UninstallPageAddress(root), root + L"?seite=Freeware/Orbelin/Uninstall"},
        {"licence, German", LicenseAddress(germanPage, true), germanPage + L"/Lizenz"},
        {"licence", LicenseAddress(page, false), page + L"/Eula"},
        {"thanks, German", ThanksAddress(germanPage, true), germanPage + L"/Danke"},
        {"thanks", ThanksAddress(page, false), page + L"/Thanks"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        EXPECT_EQ(testCase.address, testCase.expected) << testCase.address;
    }
    EXPECT_EQ(ProgramPageHeaderText(true), 23);
    EXPECT_EQ(ProgramPageHeaderText(false), 24);
}

TEST(MakerLine, TopLevelDomainOfTheRegion) {
    const std::wstring makerText = L"Freeware \u00a9 Kestrova \u00b7 www.kestrova.";
    const struct {
        WebRegion region;
        const wchar_t* suffix;
    } cases[] = {
        {WebRegion::kGerman, L"de"},
        {WebRegion::kEuropean, L"eu"},
        {WebRegion::kInternational, L"com"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(RegionName(testCase.region));
        EXPECT_EQ(MakerLine(makerText, testCase.region), makerText + testCase.suffix);
        // The line ends in the very host that the region's addresses use.
        const std::wstring line = MakerLine(makerText, testCase.region);
        const std::wstring host = WebHostFor(testCase.region);
        ASSERT_GE(line.size(), host.size());
        EXPECT_EQ(line.substr(line.size() - host.size()), host) << line;
    }
}

}  // namespace
