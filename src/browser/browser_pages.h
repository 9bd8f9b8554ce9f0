#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The browser window's own pages (home and options), the addresses it knows, and what the
// links of its pages ask for. Plain text in, plain text out.

inline constexpr const wchar_t* kHomePageAddress = L"about:blank#home";
inline constexpr const wchar_t* kOptionsPageAddress = L"about:blank#opt";

// The placeholders of the page template (HTML resource 166) that take the generated content.
inline constexpr const wchar_t* kHomePlaceholder = L"#HOME-X#";
inline constexpr const wchar_t* kOptionsPlaceholder = L"#OPT-X#";

enum class BrowserPageKind { kHome, kOptions };

// What an address asks of the browser window.
struct PageRequest {
    enum class Kind {
        kNone,       // an ordinary address: let the browser load it
        kHome,       // "about:blank#home"
        kOptions,    // "about:blank#opt"
        kSetOption,  // "about:blank#opt-option:<name>" or "...:<name>=<0|1>"
    };
    Kind kind = Kind::kNone;
    std::wstring option;  // kSetOption: the option's name
    int value = -1;       // kSetOption: 0 or 1 as the check box reported it, -1 to toggle
};

// Reads an address: the home, options and option links live on "about:blank" (its fragment
// decides); every other address is an ordinary one.
PageRequest PageRequestOf(std::wstring_view address);

// One option of the options page: a check box that reports its state through a link.
struct BrowserOption {
    std::wstring name;   // in the link, "autoupdate"
    std::wstring label;  // shown next to the check box
    bool checked = false;
};

// The content of the pages, in the user's language.
struct BrowserPageTexts {
    std::wstring title;               // the program's title with its version
    std::vector<std::wstring> about;  // paragraphs about the program
    std::wstring checkForUpdates;     // the link to the update page
    std::wstring homepage;
    std::wstring faq;
    std::wstring history;
    std::wstring updateAddress;  // where "check for updates" leads
    std::wstring homepageAddress;
    std::wstring faqAddress;
    std::wstring historyAddress;
    std::wstring imageAddress;  // the picture of the image link to the options page
};

// The page: the template with the content of `kind` in its placeholder and the other
// placeholder emptied. Every text is written as HTML text (markup characters escaped).
std::wstring BuildBrowserPage(std::wstring_view pageTemplate, BrowserPageKind kind, const BrowserPageTexts& texts,
                              const std::vector<BrowserOption>& options);

// Text made safe to stand in HTML text and in attribute values.
std::wstring HtmlText(std::wstring_view text);

// The "res://" address of a resource of the program file `programPath`: type and name as the
// resource script gives them ("166" alone names an HTML resource).
std::wstring ProgramResourceAddress(const std::wstring& programPath, const std::wstring& typeAndName);

// The maker's update page for this program: it names the running version and carries
// `timeNumber`, which an offer on that page must give back in its "time_base_64" field.
std::wstring UpdatePageAddress(const std::wstring& webRoot, const std::wstring& programVersion, uint64_t timeNumber);
