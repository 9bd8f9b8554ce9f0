#pragma once

#include <string>
#include <string_view>
#include <vector>

// Which loaded pages may offer the program an update. The digest of an offer travels on the
// same page as the file, so it proves nothing about who made the file: only pages that come
// from the maker's own site over a protected connection are heard at all.

// True when `address` is an "https" address whose host is exactly one of `makerHosts` (letter
// case of A-Z ignored), with no port other than 443 and no user name or password in front of the
// host. Look-alike hosts ("www.maker.com.example.net"), other schemes and addresses that only
// mention a maker host ("https://www.maker.com@elsewhere/") are refused.
bool IsMakerUpdateAddress(std::wstring_view address, const std::vector<std::wstring>& makerHosts);
