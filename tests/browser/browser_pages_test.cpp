#include <gtest/gtest.h>

#include "browser/browser_pages.h"
#include "browser/setup_test_support.h"

namespace {

TEST(PageRequestOf, OwnPagesLiveOnAboutBlank) {
    using Kind = PageRequest::Kind;
    const struct {
        const wchar_t* address;
        Kind kind;
        const wchar_t* option;
        int value;
    } cases[] = {
        {L"about:blank#home", Kind::kHome, L"", -1},
        {L"ABOUT:BLANK#home", Kind::kHome, L"", -1},
        {L"about:blank#opt", Kind::kOptions, L"", -1},
        {L"about:blank#opt-option:autoupdate", Kind::kSetOption, L"autoupdate", -1},
        {L"about:blank#opt-option:autoupdate=1", Kind::kSetOption, L"autoupdate", 1},
        {L"about:blank#opt-option:autoupdate=0", Kind::kSetOption, L"autoupdate", 0},
        {L"about:blank#opt-option:autoupdate=yes", Kind::kNone, L"", -1},
        {L"about:blank#opt-option:", Kind::kNone, L"", -1},
        {L"about:blank#opt-option:=1", Kind::kNone, L"", -1},
        {L"about:blank#Home", Kind::kNone, L"", -1},
        {L"about:blank", Kind::kNone, L"", -1},
        {L"about:blankx#home", Kind::kNone, L"", -1},
        {L"https://www.kestrova.com/#home", Kind::kNone, L"", -1},
        {L"https://www.kestrova.com/about:blank#opt", Kind::kNone, L"", -1},
        {L"", Kind::kNone, L"", -1},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.address);
        const PageRequest request = PageRequestOf(testCase.address);
        EXPECT_EQ(request.kind, testCase.kind);
        EXPECT_EQ(request.option, testCase.option);
        EXPECT_EQ(request.value, testCase.value);
    }
}

BrowserPageTexts SomeTexts() {
    BrowserPageTexts texts;
    texts.title = L"Orbelin 1.0";
    texts.about = {L"Pictures <on> the desktop & more.", L"Second \"line\"."};
    texts.checkForUpdates = L"Check for updates";
    texts.homepage = L"Homepage";
    texts.faq = L"FAQ";
    texts.history = L"History";
    texts.updateAddress = L"https://www.kestrova.com/?seite=Freeware/Orbelin/Update&Program=Orbelin&time=5";
    texts.homepageAddress = L"https://www.kestrova.com/?seite=Freeware/Orbelin/Thanks";
    texts.faqAddress = L"https://www.kestrova.com?seite=faq-Orbelin";
    texts.historyAddress = L"https://www.kestrova.com/?seite=Freeware/Orbelin/History";
    texts.imageAddress = L"res://C:\\Orbelin.exe/PNG/BITMAP9.JPG";
    return texts;
}

TEST(BuildBrowserPage, HomeFillsItsPlaceholderAndEmptiesTheOther) {
    const std::wstring pageTemplate = L"<body><div>#HOME-X#</div><div>#OPT-X#</div><p>#HOME-X#</p></body>";
    const std::wstring home = BuildBrowserPage(pageTemplate, BrowserPageKind::kHome, SomeTexts(), {});
    EXPECT_EQ(home.find(L"#HOME-X#"), std::wstring::npos);
    EXPECT_EQ(home.find(L"#OPT-X#"), std::wstring::npos);
    EXPECT_NE(home.find(L"<div></div>"), std::wstring::npos) << "the options placeholder was not emptied";
    EXPECT_NE(home.find(L"<h1>Orbelin 1.0</h1>"), std::wstring::npos);
    EXPECT_NE(home.find(L"<a href=\"#opt\"><img src=\"res://C:\\Orbelin.exe/PNG/BITMAP9.JPG\""), std::wstring::npos);
    EXPECT_NE(home.find(L"Pictures &lt;on&gt; the desktop &amp; more."), std::wstring::npos);
    EXPECT_NE(home.find(L"Second &quot;line&quot;."), std::wstring::npos);
    EXPECT_NE(
        home.find(L"<a href=\"https://www.kestrova.com/?seite=Freeware/Orbelin/Update&amp;Program=Orbelin&amp;time=5\">"
                  L"Check for updates</a>"),
        std::wstring::npos);
    EXPECT_NE(home.find(L">FAQ</a>"), std::wstring::npos);
    EXPECT_NE(home.find(L">History</a>"), std::wstring::npos);
    EXPECT_NE(home.find(L">Homepage</a>"), std::wstring::npos);
    // Both places of the home placeholder take the content.
    EXPECT_NE(home.find(L"<p><h1>"), std::wstring::npos);
}

TEST(BuildBrowserPage, OptionsShowEachCheckBoxWithItsLink) {
    const std::vector<BrowserOption> options = {{L"autoupdate", L"Auto <Update>", true}, {L"other", L"Other", false}};
    const std::wstring page =
        BuildBrowserPage(L"<body>#HOME-X#|#OPT-X#</body>", BrowserPageKind::kOptions, SomeTexts(), options);
    EXPECT_EQ(page.find(L"<body>|"), 0u) << "the home placeholder was not emptied";
    EXPECT_NE(
        page.find(L"id=\"autoupdate\" checked onclick=\"location.href='#opt-option:autoupdate='+(this.checked?1:0)\"> "
                  L"Auto &lt;Update&gt;</label>"),
        std::wstring::npos);
    EXPECT_NE(page.find(L"id=\"other\" onclick=\"location.href='#opt-option:other='"), std::wstring::npos);
    EXPECT_NE(page.find(L"<a href=\"#home\">"), std::wstring::npos);
}

TEST(BuildBrowserPage, GeneratedTextIsNeverReplacedAgain) {
    BrowserPageTexts texts = SomeTexts();
    texts.title = L"#OPT-X# #HOME-X#";
    const std::wstring home = BuildBrowserPage(L"#HOME-X#/#OPT-X#", BrowserPageKind::kHome, texts, {});
    EXPECT_NE(home.find(L"<h1>#OPT-X# #HOME-X#</h1>"), std::wstring::npos);
    EXPECT_EQ(home.substr(home.size() - 1), L"/");
}

TEST(BrowserAddresses, ResourceAndUpdatePage) {
    EXPECT_EQ(ProgramResourceAddress(L"C:\\Program Files\\Orbelin\\Orbelin.exe", L"166"),
              L"res://C:\\Program Files\\Orbelin\\Orbelin.exe/166");
    EXPECT_EQ(UpdatePageAddress(L"https://www.kestrova.de", L"1.0.0", 1765432100),
              L"https://www.kestrova.de/?seite=Freeware/Orbelin/Update&Program=Orbelin&Version=1.0.0&time=1765432100");
    EXPECT_EQ(HtmlText(L"<a href='x'>&\"</a>"), L"&lt;a href=&#39;x&#39;&gt;&amp;&quot;&lt;/a&gt;");
}

}  // namespace
