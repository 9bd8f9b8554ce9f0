#include "browser/update_page_trust.h"

#include <cstdint>

namespace {

// urlmon's results for a certificate the connection refused and for a security problem.
constexpr uint32_t kInetInvalidCertificate = 0x800C0019u;
constexpr uint32_t kInetSecurityProblem = 0x800C000Eu;

// WinINet's error codes of the secure connection: 12037 to 12045 (certificate dates, names,
// redirects between http and https, mixed security, client certificates, an unknown
// authority), 12055 to 12057 (certificate errors and revocation), 12157 (the secure channel),
// 12169 to 12179 (an invalid or revoked certificate, weak signatures).
bool IsSecureConnectionError(long code) {
    return (code >= 12037 && code <= 12045) || (code >= 12055 && code <= 12057) || code == 12157 ||
           (code >= 12169 && code <= 12179);
}

}  // namespace

bool IsCertificateError(long statusCode) {
    const uint32_t result = static_cast<uint32_t>(statusCode);
    return result == kInetInvalidCertificate || result == kInetSecurityProblem || IsSecureConnectionError(statusCode);
}

void UpdatePageTrust::OnTopLevelNavigation() {
    m_pageFailed = false;
    m_pageUnsecure = false;
    m_pageMixed = false;
}

void UpdatePageTrust::OnNavigateError(bool topLevel, long statusCode) {
    if (IsCertificateError(statusCode)) m_certificateErrorSeen = true;
    if (topLevel) m_pageFailed = true;
}

void UpdatePageTrust::OnSecureLockIcon(long state) {
    m_pageUnsecure = state == kSecureLockIconUnsecure;
    if (state == kSecureLockIconMixed) m_pageMixed = true;
}
