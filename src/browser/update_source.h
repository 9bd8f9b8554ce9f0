#pragma once

#include <string>
#include <string_view>
#include <vector>

// Which loaded pages may offer the program an update. The digest of an offer travels on the
// same page as the file, so it proves nothing about who made the file: only pages that come
// from the maker's own site over a protected connection are heard at all.

// The query of the maker's update page, as the program asks for it: the page's own parameter
// comes first, the program's name, version and time number follow.
inline constexpr const wchar_t* kUpdatePageQuery = L"seite=Freeware/Orbelin/Update";

// True when `address` is the maker's update page: an "https" address whose host is exactly one
// of `makerHosts` (letter case of A-Z ignored), with no port other than 443 and no user name or
// password in front of the host, the path "/" and a query that begins with kUpdatePageQuery as
// a whole parameter. Look-alike hosts ("www.maker.com.example.net"), other schemes, addresses
// that only mention a maker host ("https://www.maker.com@elsewhere/") and every other page of
// the maker's hosts (another path, another "seite") are refused.
bool IsMakerUpdatePageAddress(std::wstring_view address, const std::vector<std::wstring>& makerHosts);
