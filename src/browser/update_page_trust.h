#pragma once

// Whether the page that the browser window shows now may offer an update, as far as the
// connection it came over goes: the address rules are update_source.h's. A page is heard only
// when it arrived without any navigation error and the control never called it non-secure or
// mixed (secure and insecure parts). A certificate error, once reported, silences the window for
// the rest of its life: the control lets a user go on to a page whose certificate it refused,
// and that page must never be able to offer a program. Plain values in; the browser window
// hands its control's events to it.

// The control's SetSecureLockIcon states that are not secure (the others, 2 to 6, are secure
// connections of various key sizes).
inline constexpr long kSecureLockIconUnsecure = 0;
inline constexpr long kSecureLockIconMixed = 1;

// True for a NavigateError status that reports a certificate or another fault of the secure
// connection (an INET_E_ result or a WinINet error code).
bool IsCertificateError(long statusCode);

class UpdatePageTrust {
public:
    // The top-level document starts to load another page: what was seen of the last page goes.
    void OnTopLevelNavigation();
    // NavigateError for the top-level document (`topLevel`) or one of its frames.
    void OnNavigateError(bool topLevel, long statusCode);
    // SetSecureLockIcon: the security state of the page as the control shows it now.
    void OnSecureLockIcon(long state);

    // Whether the page now shown may offer an update.
    bool Trusted() const { return !m_certificateErrorSeen && !m_pageFailed && !m_pageUnsecure && !m_pageMixed; }

private:
    bool m_certificateErrorSeen = false;  // for the window's whole life
    bool m_pageFailed = false;
    bool m_pageUnsecure = false;  // the last state the control reported
    bool m_pageMixed = false;     // reported once for this page: an insecure part stays in it
};
