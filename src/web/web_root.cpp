#include "web/web_root.h"

#include <iterator>

#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "maker.h"

namespace {

// Beyond four hours from UTC a visitor is served by the international site.
constexpr long kEuropeanBiasLimitMinutes = 240;

constexpr const wchar_t* kProgramName = ORBELIN_PROGRAM_NAME;
constexpr WebRegion kRegions[] = {WebRegion::kGerman, WebRegion::kEuropean, WebRegion::kInternational};

// The host part of a root address: after "scheme://", up to the first "/" (the roots have none).
std::wstring HostOfRoot(const std::wstring& root) {
    const size_t schemeEnd = root.find(L"://");
    const size_t hostStart = schemeEnd == std::wstring::npos ? 0 : schemeEnd + 3;
    const size_t hostEnd = root.find(L'/', hostStart);
    return root.substr(hostStart, hostEnd == std::wstring::npos ? std::wstring::npos : hostEnd - hostStart);
}

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool MatchesAt(const std::wstring& text, size_t at, const std::wstring& word) {
    if (word.empty() || text.size() - at < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (AsciiLower(text[at + i]) != AsciiLower(word[i])) return false;
    }
    return true;
}

}  // namespace

WebRegion ChooseWebRegion(int languageIndex, std::optional<long> timeZoneBiasMinutes) {
    if (languageIndex == kLanguageGerman) return WebRegion::kGerman;
    if (!timeZoneBiasMinutes) return WebRegion::kInternational;
    const long bias = *timeZoneBiasMinutes;
    if (bias < -kEuropeanBiasLimitMinutes || bias > kEuropeanBiasLimitMinutes) return WebRegion::kInternational;
    return WebRegion::kEuropean;
}

std::wstring WebRootFor(WebRegion region) {
    switch (region) {
        case WebRegion::kGerman:
            return ORBELIN_MAKER_WEB_GERMAN;
        case WebRegion::kEuropean:
            return ORBELIN_MAKER_WEB_EUROPEAN;
        case WebRegion::kInternational:
            break;
    }
    return ORBELIN_MAKER_WEB_INTERNATIONAL;
}

std::wstring WebHostFor(WebRegion region) { return HostOfRoot(WebRootFor(region)); }

std::wstring ReplaceMakerHosts(const std::wstring& address, WebRegion region) {
    const std::wstring target = WebHostFor(region);
    std::wstring hosts[std::size(kRegions)];
    for (size_t i = 0; i < std::size(kRegions); ++i) hosts[i] = WebHostFor(kRegions[i]);

    std::wstring result;
    result.reserve(address.size());
    size_t at = 0;
    while (at < address.size()) {
        // The longest host that matches here wins, so that one host that begins another one
        // cannot cut it short.
        const std::wstring* match = nullptr;
        for (const std::wstring& host : hosts) {
            if (MatchesAt(address, at, host) && (match == nullptr || host.size() > match->size())) match = &host;
        }
        if (match != nullptr) {
            result += target;
            at += match->size();
        } else {
            result += address[at++];
        }
    }
    return result;
}

std::wstring FaqAddress(const std::wstring& webRoot) { return webRoot + L"?seite=faq-" + kProgramName; }

std::wstring FaqStackingAddress(const std::wstring& webRoot) { return FaqAddress(webRoot) + L"&faq=2"; }

std::wstring HomepageAddress(const std::wstring& webRoot, bool german) {
    return webRoot + L"/?seite=Freeware/" + kProgramName + (german ? L"/Danke" : L"/Thanks");
}

std::wstring HistoryAddress(const std::wstring& webRoot) {
    return webRoot + L"/?seite=Freeware/" + kProgramName + L"/History";
}

std::wstring DonateAddress(const std::wstring& webRoot) { return webRoot + L"?seite=paypal&Program=" + kProgramName; }

std::wstring UninstallPageAddress(const std::wstring& webRoot) {
    return webRoot + L"?seite=Freeware/" + kProgramName + L"/Uninstall";
}

int ProgramPageHeaderText(bool german) { return german ? kHeaderGermanProgramPage : kHeaderProgramPage; }

std::wstring LicenseAddress(const std::wstring& programPage, bool german) {
    return programPage + (german ? L"/Lizenz" : L"/Eula");
}

std::wstring ThanksAddress(const std::wstring& programPage, bool german) {
    return programPage + (german ? L"/Danke" : L"/Thanks");
}

std::wstring MakerLine(const std::wstring& makerText, WebRegion region) {
    const std::wstring host = WebHostFor(region);
    const size_t lastDot = host.rfind(L'.');
    return makerText + (lastDot == std::wstring::npos ? host : host.substr(lastDot + 1));
}
