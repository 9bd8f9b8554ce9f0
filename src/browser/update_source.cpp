#include "browser/update_source.h"

#include "common/ascii_case.h"

bool IsMakerUpdatePageAddress(std::wstring_view address, const std::vector<std::wstring>& makerHosts) {
    constexpr std::wstring_view kScheme = L"https://";
    if (address.size() < kScheme.size() || !EqualsIgnoringAsciiCase(address.substr(0, kScheme.size()), kScheme)) {
        return false;
    }
    // The authority runs to the first path, query or fragment mark; the browser reads a
    // backslash there as a slash.
    const std::wstring_view rest = address.substr(kScheme.size());
    const size_t authorityEnd = rest.find_first_of(L"/?#\\");
    std::wstring_view host = rest.substr(0, authorityEnd);
    if (host.find(L'@') != std::wstring_view::npos) return false;

    // The page itself: the path "/" and the page's parameter first, whole.
    const std::wstring_view page = rest.substr(host.size());
    const std::wstring expectedStart = std::wstring(L"/?") + kUpdatePageQuery;
    if (page.compare(0, expectedStart.size(), expectedStart) != 0) return false;
    if (page.size() > expectedStart.size() && page[expectedStart.size()] != L'&' &&
        page[expectedStart.size()] != L'#') {
        return false;
    }

    const size_t portMark = host.find(L':');
    if (portMark != std::wstring_view::npos) {
        if (host.substr(portMark + 1) != L"443") return false;
        host = host.substr(0, portMark);
    }
    for (const std::wstring& makerHost : makerHosts) {
        if (!makerHost.empty() && EqualsIgnoringAsciiCase(host, makerHost)) return true;
    }
    return false;
}
