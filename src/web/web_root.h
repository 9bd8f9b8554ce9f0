#pragma once

#include <optional>
#include <string>

// The maker's web site in its three regional variants, and the addresses the program opens on
// it. Plain values only: the caller supplies the language index, the time zone and the header
// texts of the language archive (see web/web_address.h for the running program's values).

enum class WebRegion { kGerman, kEuropean, kInternational };

// The region of the site the program links to: German for a German user interface (language
// index 0); otherwise, when the time zone is known, international for a bias below -240 or
// above 240 minutes (more than four hours away from UTC) and European within that; an unknown
// time zone (`timeZoneBiasMinutes` empty) counts as international.
WebRegion ChooseWebRegion(int languageIndex, std::optional<long> timeZoneBiasMinutes);

// The root address of the region's site, without a trailing slash ("https://www.kestrova.eu").
std::wstring WebRootFor(WebRegion region);

// The host name of the region's site ("www.kestrova.eu").
std::wstring WebHostFor(WebRegion region);

// `address` with every occurrence of any of the three regional host names (letter case of A-Z
// ignored) replaced by the host of `region`, so that addresses written for one site - such as
// the program pages in the language archive - lead to the chosen one. Other text is kept.
std::wstring ReplaceMakerHosts(const std::wstring& address, WebRegion region);

// Addresses on the maker's site. `webRoot` is a root as WebRootFor gives it; `german` means a
// German user interface (language index 0).
std::wstring FaqAddress(const std::wstring& webRoot);
// The FAQ entry on the stacking modes.
std::wstring FaqStackingAddress(const std::wstring& webRoot);
std::wstring HomepageAddress(const std::wstring& webRoot, bool german);
std::wstring HistoryAddress(const std::wstring& webRoot);
std::wstring DonateAddress(const std::wstring& webRoot);
std::wstring UninstallPageAddress(const std::wstring& webRoot);

// The header text that holds the program's page on the maker's site: 23 (German site) for a
// German user interface, otherwise 24.
int ProgramPageHeaderText(bool german);
// Licence and thanks pages below the program page `programPage` (the header text above).
std::wstring LicenseAddress(const std::wstring& programPage, bool german);
std::wstring ThanksAddress(const std::wstring& programPage, bool german);

// The footer's maker line: `makerText` (header text 22, which ends in the host name without its
// top-level domain) followed by the top-level domain of the region's site ("de", "eu", "com").
std::wstring MakerLine(const std::wstring& makerText, WebRegion region);
