#pragma once

#include <string>
#include <vector>

#include "browser/browser_pages.h"

// What the browser window's pages are made of in the running program: the page template
// (HTML resource 166 of the program file), the texts in the current language and the
// addresses on the maker's regional site.

// The template with the placeholders "#HOME-X#" and "#OPT-X#". A program file without the
// resource gives a bare page with both placeholders.
std::wstring BrowserPageTemplate();

// The "res://" address of the template in the program file.
std::wstring BrowserPageTemplateAddress();

// The texts and addresses of the pages in the current language; "check for updates" leads to
// `updateAddress`.
BrowserPageTexts CurrentPageTexts(const std::wstring& updateAddress);

// The hosts of the maker's site, in every regional variant: the only hosts whose pages may
// offer an update.
std::vector<std::wstring> MakerSiteHosts();
