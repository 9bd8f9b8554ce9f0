#pragma once

// The name of the registered window message that a running copy listens for; every process of
// the program that registers it gets the same message number.
inline constexpr const wchar_t* kRunningCopyMessageName = L"Orbelin";

// The signal by which another process of the program (a second start, the installer, the
// uninstaller) asks a running copy to bring its settings window to the front: the registered
// window message "Orbelin", sent to every top-level window with a 10-second time-out that gives
// up on hung windows. A window that answers with the message number itself ends the round.
void SignalRunningCopies();
