#include <gtest/gtest.h>

#include <cwctype>
#include <functional>

#include "browser/browser_page_content.h"
#include "browser/browser_pages.h"
#include "browser/setup_test_support.h"
#include "browser/update_offer.h"
#include "browser/update_source.h"

namespace {

constexpr uint64_t kTime = 1765432100;

OfferCheck Check(const OfferLines& offer, const std::wstring& lineEnd = L"\n") {
    const std::wstring document = OfferDocument(offer, lineEnd);
    return CheckUpdateOffer(ParseUpdateFields(document), kTime);
}

TEST(CheckUpdateOffer, AGoodOfferGivesTheExactBytesAndItsVersion) {
    const std::vector<uint8_t> program = SomeProgramBytes(100001);
    for (const wchar_t* lineEnd : {L"\n", L"\r\n"}) {
        SCOPED_TRACE(lineEnd[0] == L'\r' ? "CR LF" : "LF");
        const OfferCheck check = Check(GoodOffer(program, kTime), lineEnd);
        ASSERT_EQ(check.verdict, OfferVerdict::kAccepted) << check.message.caption + L" " + check.message.text;
        EXPECT_EQ(check.program, program);
        EXPECT_EQ(Sha256OfBytes(check.program), Sha256OfBytes(program));
        EXPECT_EQ(check.version, L"2.0.0");
    }
}

TEST(CheckUpdateOffer, EachCheckWithItsMessage) {
    const std::vector<uint8_t> program = SomeProgramBytes(3000);
    const std::wstring rightDigest = Sha256OfBytes(program);
    const std::wstring otherDigest = Sha256OfBytes(SomeProgramBytes(3001));
    const struct {
        const char* name;
        std::function<void(OfferLines&)> change;
        OfferVerdict verdict;
        std::wstring caption;
        std::wstring text;
    } cases[] = {
        {"the digest in capitals",
         [&](OfferLines& o) {
             for (auto& c : o.digest) c = towupper(c);
         },
         OfferVerdict::kAccepted, L"", L""},
        {"no digest line", [](OfferLines& o) { o.withDigest = false; }, OfferVerdict::kNoOffer, L"", L""},
        {"an empty digest", [](OfferLines& o) { o.digest.clear(); }, OfferVerdict::kNoOffer, L"", L""},
        {"an empty digest and nothing else right",
         [](OfferLines& o) {
             o.digest.clear();
             o.program = L"%%%";
             o.timeBase64.clear();
         },
         OfferVerdict::kNoOffer, L"", L""},
        {"a Base64 length one too large", [](OfferLines& o) { o.base64Length = std::to_wstring(o.program.size() + 1); },
         OfferVerdict::kRefused, L"", L"error1"},
        {"a Base64 length that is no number", [](OfferLines& o) { o.base64Length = L"many"; }, OfferVerdict::kRefused,
         L"", L"error1"},
        {"no Base64 length line", [](OfferLines& o) { o.base64Length = L""; }, OfferVerdict::kRefused, L"", L"error1"},
        {"a decoded length one too small", [](OfferLines& o) { o.programLength = L"2999"; }, OfferVerdict::kRefused,
         L"Base64 error2:2999", L"from base:3000\nfile-len:2999"},
        {"a decoded length written with a tail", [](OfferLines& o) { o.programLength = L"12 bytes"; },
         OfferVerdict::kRefused, L"Base64 error2:12 bytes", L"from base:3000\nfile-len:12"},
        {"a wrong digest", [&](OfferLines& o) { o.digest = otherDigest; }, OfferVerdict::kRefused, L"sha256 error!",
         L"In:" + otherDigest + L"\nOut:" + rightDigest},
        {"a wrong digest in capitals is shown in lower case",
         [&](OfferLines& o) {
             o.digest = otherDigest;
             for (auto& c : o.digest) c = towupper(c);
         },
         OfferVerdict::kRefused, L"sha256 error!", L"In:" + otherDigest + L"\nOut:" + rightDigest},
        {"a time one second off", [](OfferLines& o) { o.timeBase64 = Base64Of(std::to_string(kTime + 1)); },
         OfferVerdict::kRefused, L"", L"error3"},
        {"no time line", [](OfferLines& o) { o.withTime = false; }, OfferVerdict::kRefused, L"", L"error3"},
        {"a time that is no number", [](OfferLines& o) { o.timeBase64 = Base64Of(std::string("noon")); },
         OfferVerdict::kRefused, L"", L"error3"},
        {"a time that is no Base64", [](OfferLines& o) { o.timeBase64 = L"*"; }, OfferVerdict::kRefused, L"",
         L"error3"},
        {"file text that is no Base64",
         [](OfferLines& o) {
             o.program = L"*not*base64*";
             o.base64Length = L"12";
         },
         OfferVerdict::kRefused, L"", L"error1"},
        {"a stated file length past the limit", [](OfferLines& o) { o.programLength = L"500000000"; },
         OfferVerdict::kRefused, L"", L"error1"},
        {"a stated Base64 length past the limit", [](OfferLines& o) { o.base64Length = L"700000000"; },
         OfferVerdict::kRefused, L"", L"error1"},
        {"no version", [](OfferLines& o) { o.withVersionInfo = false; }, OfferVerdict::kRefused, L"", L"error1"},
        {"a version that would break its quotes", [](OfferLines& o) { o.versionInfo = L"2\" Path=\"C:\\x"; },
         OfferVerdict::kRefused, L"", L"error1"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        OfferLines offer = GoodOffer(program, kTime);
        testCase.change(offer);
        const OfferCheck check = Check(offer);
        EXPECT_EQ(check.verdict, testCase.verdict);
        EXPECT_EQ(check.message.caption, testCase.caption);
        EXPECT_EQ(check.message.text, testCase.text);
        if (check.verdict != OfferVerdict::kAccepted) {
            EXPECT_TRUE(check.program.empty());
        }
    }
}

TEST(CheckUpdateOffer, AnOfferAsLargeAsTheLimitAllowsIsTaken) {
    // A page whose file is far past the limit is refused before anything is decoded; one at the
    // limit still passes. Past the limit is covered by the table above.
    const std::vector<uint8_t> program = SomeProgramBytes(static_cast<size_t>(kMaxUpdateFileBytes));
    const OfferCheck check = Check(GoodOffer(program, kTime));
    ASSERT_EQ(check.verdict, OfferVerdict::kAccepted);
    EXPECT_EQ(check.program.size(), program.size());
}

TEST(CheckUpdateOffer, ALengthOnePastTheLimitIsRefused) {
    std::vector<uint8_t> program = SomeProgramBytes(static_cast<size_t>(kMaxUpdateFileBytes) + 1);
    const OfferCheck check = Check(GoodOffer(program, kTime));
    EXPECT_EQ(check.verdict, OfferVerdict::kRefused);
    EXPECT_EQ(check.message.text, L"error1");
}

TEST(DecodeBase64, ThePlatformsDecoder) {
    EXPECT_EQ(DecodeBase64(L"SGVsbG8="),
              std::optional<std::vector<uint8_t>>(std::vector<uint8_t>{'H', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(DecodeBase64(L"SGVs\r\nbG8="),
              std::optional<std::vector<uint8_t>>(std::vector<uint8_t>{'H', 'e', 'l', 'l', 'o'}));
    EXPECT_FALSE(DecodeBase64(L"").has_value());
    EXPECT_FALSE(DecodeBase64(L"S*G").has_value());
}

TEST(Sha256Hex, KnownDigests) {
    const std::string abc = "abc";
    EXPECT_EQ(Sha256Hex(reinterpret_cast<const uint8_t*>(abc.data()), abc.size()),
              L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex(nullptr, 0), L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const std::vector<uint8_t> program = SomeProgramBytes(65537);
    EXPECT_EQ(Sha256Hex(program.data(), program.size()), Sha256OfBytes(program));
}

TEST(IsMakerUpdatePageAddress, OnlyTheUpdatePageOfTheMakersHostsOverHttps) {
    const std::vector<std::wstring> hosts = MakerSiteHosts();
    ASSERT_EQ(hosts.size(), 3u);
    const struct {
        const wchar_t* address;
        bool heard;
    } cases[] = {
        {L"https://www.kestrova.com/?seite=Freeware/Orbelin/Update", true},
        {L"https://www.kestrova.de/?seite=Freeware/Orbelin/Update&Program=Orbelin&Version=1.0.0&time=17", true},
        {L"https://www.kestrova.eu/?seite=Freeware/Orbelin/Update#top", true},
        {L"HTTPS://WWW.KESTROVA.EU/?seite=Freeware/Orbelin/Update", true},
        {L"https://www.kestrova.com:443/?seite=Freeware/Orbelin/Update", true},
        // Other pages of the maker's hosts: another path, another page parameter, the page
        // parameter not first or not whole, or no page at all.
        {L"https://www.kestrova.de/?seite=x", false},
        {L"https://www.kestrova.eu", false},
        {L"https://www.kestrova.com/", false},
        {L"https://www.kestrova.com#x", false},
        {L"https://www.kestrova.com?seite=Freeware/Orbelin/Update", false},
        {L"https://www.kestrova.com/forum/?seite=Freeware/Orbelin/Update", false},
        {L"https://www.kestrova.com//?seite=Freeware/Orbelin/Update", false},
        {L"https://www.kestrova.com/./?seite=Freeware/Orbelin/Update", false},
        {L"https://www.kestrova.com/index.php?seite=Freeware/Orbelin/Update", false},
        {L"https://www.kestrova.com\\?seite=Freeware/Orbelin/Update", false},
        {L"https://www.kestrova.com/?seite=Freeware/Orbelin/UpdateX", false},
        {L"https://www.kestrova.com/?seite=Freeware/Orbelin/Update/x", false},
        {L"https://www.kestrova.com/?seite=freeware/orbelin/update", false},
        {L"https://www.kestrova.com/?seite=Freeware%2FOrbelin%2FUpdate", false},
        {L"https://www.kestrova.com/?x=1&seite=Freeware/Orbelin/Update", false},
        {L"https://www.kestrova.com/?seite=Forum&seite=Freeware/Orbelin/Update", false},
        // Other hosts, schemes and look-alikes.
        {L"http://www.kestrova.com/?seite=Freeware/Orbelin/Update", false},
        {L"ftp://www.kestrova.com/?seite=Freeware/Orbelin/Update", false},
        {L"file:///C:/www.kestrova.com/?seite=Freeware/Orbelin/Update", false},
        {L"about:blank#home", false},
        {L"res://C:\\Orbelin.exe/166", false},
        {L"https://www.example.net/www.kestrova.com/?seite=Freeware/Orbelin/Update", false},
        {L"https://www.kestrova.net/?seite=Freeware/Orbelin/Update", false},
        {L"https://kestrova.com/?seite=Freeware/Orbelin/Update", false},
        {L"https://www.kestrova.com.evil.example/?seite=Freeware/Orbelin/Update", false},
        {L"https://evilwww.kestrova.com/?seite=Freeware/Orbelin/Update", false},
        {L"https://www.kestrova.com@evil.example/?seite=Freeware/Orbelin/Update", false},
        {L"https://user:pw@www.kestrova.com/?seite=Freeware/Orbelin/Update", false},
        {L"https://www.kestrova.com:8443/?seite=Freeware/Orbelin/Update", false},
        {L"https://www.kestrova.com:/?seite=Freeware/Orbelin/Update", false},
        {L" https://www.kestrova.com/?seite=Freeware/Orbelin/Update", false},
        {L"", false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.address);
        EXPECT_EQ(IsMakerUpdatePageAddress(testCase.address, hosts), testCase.heard);
    }
    // The address the browser window asks for is such a page.
    EXPECT_TRUE(IsMakerUpdatePageAddress(UpdatePageAddress(L"https://www.kestrova.eu", L"1.0.0", 1765432100), hosts));
}

}  // namespace
