#pragma once

#include <string>

// The web pages behind the settings dialog's buttons and lists, opened with the shell.

// The footer's maker line: the maker's notice and the regional top-level domain.
std::wstring FooterMakerLine();

// Opens the page of a command: FAQ (1053), Donate (7779) or Thanks (1013). Returns whether
// the shell accepted it; other ids do nothing and return false.
bool OpenCommandPage(int commandId);

// The FAQ entry of the stacking list: the FAQ page on stacking.
bool OpenStackingFaq();
