#pragma once

#include <windows.h>

#include <functional>
#include <string>

// The commands of the settings dialog's "Info" menu (Exit and FAQ are the dialog's own).

// Quit codes of the message loop: a restart posts both, the first then the second; the
// uninstall commands end with the second; the portable removal with 0.
inline constexpr int kRestartQuitCode = 65278;
inline constexpr int kReplacedQuitCode = 64250;

// What the commands need from the program around the dialog.
struct InfoCommandHost {
    HWND dialog = nullptr;
    // Starts another copy of the program in this one's place (see StartInPlaceOfThisCopy);
    // returns whether the start worked.
    std::function<bool(const std::function<bool()>& startOtherCopy)> startInPlace;
};

// Carries out `commandId` if it is one of the Info menu's; returns false for any other id.
bool ExecuteInfoCommand(int commandId, const InfoCommandHost& host);

// The archive that "Send by e-mail" attaches: the temporary folder + "Orbelin.zip".
std::wstring MailArchivePath();

// "Send by e-mail": writes the program file into the archive MailArchivePath() as
// "Orbelin_install.exe", hands the archive to `send` (the mail call, which returns once the
// user's mail program has taken the message) and deletes it when that returns. A failure to
// write the archive is reported in a message box owned by `dialog`. Returns what `send`
// returned; false when `dialog` is no window or no archive was written.
bool SendProgramArchive(HWND dialog, const std::function<bool(const std::wstring& archivePath)>& send);
