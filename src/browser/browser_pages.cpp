#include "browser/browser_pages.h"

#include "browser/update_source.h"
#include "common/ascii_case.h"

namespace {

constexpr std::wstring_view kBlankPage = L"about:blank";
constexpr std::wstring_view kOptionLink = L"opt-option:";

void ReplaceEvery(std::wstring& text, std::wstring_view placeholder, const std::wstring& content) {
    size_t at = 0;
    while ((at = text.find(placeholder, at)) != std::wstring::npos) {
        text.replace(at, placeholder.size(), content);
        at += content.size();
    }
}

std::wstring Link(const std::wstring& address, const std::wstring& label) {
    return L"<a href=\"" + HtmlText(address) + L"\">" + HtmlText(label) + L"</a>";
}

std::wstring HomeContent(const BrowserPageTexts& texts) {
    std::wstring html = L"<h1>" + HtmlText(texts.title) + L"</h1>\n";
    html += L"<p class=\"options\"><a href=\"#opt\"><img src=\"" + HtmlText(texts.imageAddress) +
            L"\" alt=\"#opt\"></a></p>\n";
    for (const std::wstring& paragraph : texts.about) html += L"<p>" + HtmlText(paragraph) + L"</p>\n";
    html += L"<p class=\"update\">" + Link(texts.updateAddress, texts.checkForUpdates) + L"</p>\n";
    html += L"<p class=\"links\">" + Link(texts.homepageAddress, texts.homepage) + L" | " +
            Link(texts.faqAddress, texts.faq) + L" | " + Link(texts.historyAddress, texts.history) + L"</p>\n";
    return html;
}

std::wstring OptionsContent(const BrowserPageTexts& texts, const std::vector<BrowserOption>& options) {
    std::wstring html = L"<h1>" + HtmlText(texts.title) + L"</h1>\n<form>\n";
    for (const BrowserOption& option : options) {
        const std::wstring name = HtmlText(option.name);
        // The check box reports its new state by following the option's link.
        html += L"<p><label><input type=\"checkbox\" id=\"" + name + L"\"" + (option.checked ? L" checked" : L"") +
                L" onclick=\"location.href='#opt-option:" + name + L"='+(this.checked?1:0)\"> " +
                HtmlText(option.label) + L"</label></p>\n";
    }
    html += L"</form>\n<p><a href=\"#home\">&larr;</a></p>\n";
    return html;
}

}  // namespace

PageRequest PageRequestOf(std::wstring_view address) {
    PageRequest request;
    if (!StartsWithIgnoringAsciiCase(address, kBlankPage)) return request;
    const std::wstring_view rest = address.substr(kBlankPage.size());
    if (rest.empty() || rest[0] != L'#') return request;
    const std::wstring_view fragment = rest.substr(1);

    if (fragment == L"home") {
        request.kind = PageRequest::Kind::kHome;
    } else if (fragment == L"opt") {
        request.kind = PageRequest::Kind::kOptions;
    } else if (fragment.substr(0, kOptionLink.size()) == kOptionLink) {
        std::wstring_view option = fragment.substr(kOptionLink.size());
        int value = -1;
        const size_t equals = option.find(L'=');
        if (equals != std::wstring_view::npos) {
            const std::wstring_view state = option.substr(equals + 1);
            if (state == L"1") {
                value = 1;
            } else if (state == L"0") {
                value = 0;
            } else {
                return request;
            }
            option = option.substr(0, equals);
        }
        if (option.empty()) return request;
        request.kind = PageRequest::Kind::kSetOption;
        request.option = std::wstring(option);
        request.value = value;
    }
    return request;
}

std::wstring HtmlText(std::wstring_view text) {
    std::wstring html;
    html.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
            case L'&':
                html += L"&amp;";
                break;
            case L'<':
                html += L"&lt;";
                break;
            case L'>':
                html += L"&gt;";
                break;
            case L'"':
                html += L"&quot;";
                break;
            case L'\'':
                html += L"&#39;";
                break;
            default:
                html += c;
                break;
        }
    }
    return html;
}

std::wstring BuildBrowserPage(std::wstring_view pageTemplate, BrowserPageKind kind, const BrowserPageTexts& texts,
                              const std::vector<BrowserOption>& options) {
    std::wstring page(pageTemplate);
    const bool home = kind == BrowserPageKind::kHome;
    // The generated content may itself hold a placeholder's text (a translation could): fill
    // the emptied placeholder first, so that nothing generated is ever replaced again.
    ReplaceEvery(page, home ? kOptionsPlaceholder : kHomePlaceholder, L"");
    ReplaceEvery(page, home ? kHomePlaceholder : kOptionsPlaceholder,
                 home ? HomeContent(texts) : OptionsContent(texts, options));
    return page;
}

std::wstring ProgramResourceAddress(const std::wstring& programPath, const std::wstring& typeAndName) {
    return L"res://" + programPath + L"/" + typeAndName;
}

std::wstring UpdatePageAddress(const std::wstring& webRoot, const std::wstring& programVersion, uint64_t timeNumber) {
    return webRoot + L"/?" + kUpdatePageQuery + L"&Program=Orbelin&Version=" + programVersion + L"&time=" +
           std::to_wstring(timeNumber);
}
