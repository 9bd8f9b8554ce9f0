#include "setup/update_source.h"

namespace {

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

}  // namespace

bool IsMakerUpdateAddress(std::wstring_view address, const std::vector<std::wstring>& makerHosts) {
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
