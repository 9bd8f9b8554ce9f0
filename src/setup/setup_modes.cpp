#include "setup/setup_modes.h"

// The browser window is not part of this build yet: its mode ends at once with exit code 0, as
// a finished run of it would. The installer and uninstaller are in setup_runs.cpp.

int RunMiniBrowser() { return 0; }

void InitializeBrowserModule() {}
