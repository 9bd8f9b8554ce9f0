#include "browser/browser_page_content.h"

#include <windows.h>

#include "common/module_path.h"
#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "res/resource.h"
#include "web/web_address.h"
#include "web/web_root.h"

namespace {

// The text ids of the pages.
constexpr int kAboutTexts[] = {kTextAboutProgram, kTextAboutThemes};

std::wstring TextFromUtf8(const char* bytes, size_t count) {
    if (count >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF && static_cast<unsigned char>(bytes[1]) == 0xBB &&
        static_cast<unsigned char>(bytes[2]) == 0xBF) {
        bytes += 3;
        count -= 3;
    }
    if (count == 0) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(count), nullptr, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(count), text.data(), length);
    return text;
}

}  // namespace

std::wstring BrowserPageTemplate() {
    HMODULE program = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(program, MAKEINTRESOURCEW(IDR_BROWSER_PAGE), MAKEINTRESOURCEW(23));
    HGLOBAL loaded = resource != nullptr ? LoadResource(program, resource) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr)
        return std::wstring(L"<html><body>") + kHomePlaceholder + kOptionsPlaceholder + L"</body></html>";
    return TextFromUtf8(static_cast<const char*>(bytes), SizeofResource(program, resource));
}

std::wstring BrowserPageTemplateAddress() {
    return ProgramResourceAddress(ProgramFilePath(), std::to_wstring(IDR_BROWSER_PAGE));
}

BrowserPageTexts CurrentPageTexts(const std::wstring& updateAddress) {
    const bool german = GermanInterface();
    const std::wstring root = WebRoot();
    BrowserPageTexts texts;
    texts.title = LangHeaderString(kHeaderProgramTitle);
    for (int id : kAboutTexts) texts.about.push_back(LangString(id));
    texts.checkForUpdates = LangString(kTextCheckForUpdates);
    texts.homepage = LangString(kTextHomepage);
    texts.faq = LangString(kTextFaq);
    texts.history = LangString(kTextHistory);
    texts.updateAddress = updateAddress;
    texts.homepageAddress = HomepageAddress(root, german);
    texts.faqAddress = FaqAddress(root);
    texts.historyAddress = HistoryAddress(root);
    texts.imageAddress = ProgramResourceAddress(ProgramFilePath(), L"PNG/BITMAP9.JPG");
    return texts;
}

std::vector<std::wstring> MakerSiteHosts() {
    return {WebHostFor(WebRegion::kGerman), WebHostFor(WebRegion::kEuropean), WebHostFor(WebRegion::kInternational)};
}
