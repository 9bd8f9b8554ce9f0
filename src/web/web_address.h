#pragma once

#include <string>

#include "web/web_root.h"

// The maker's web site as the running program sees it, and opening addresses through the shell.

// The regional site for the current user-interface language and the system's time zone.
WebRegion CurrentWebRegion();

// The root address of that site, without a trailing slash.
std::wstring WebRoot();

// Opens `address` with the shell's "open" verb (shown normally) after pointing any of the
// maker's hosts in it to the current regional site. Returns whether the shell accepted the
// request; what it started is not the program's to wait for or to end.
bool OpenWebAddress(const std::wstring& address);
// The same with a show command of the shell (SW_SHOWMAXIMIZED, ...).
bool OpenWebAddress(const std::wstring& address, int showCommand);
