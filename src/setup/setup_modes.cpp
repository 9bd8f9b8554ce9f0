#include "setup/setup_modes.h"

// The installer and the uninstaller are not part of this build yet: each mode ends at once with
// exit code 0, as a finished run of it would. The browser window lives in browser_module.cpp.

int RunInstaller(const SetupRequest&) { return 0; }

int RunUninstaller(const SetupRequest&) { return 0; }

int RunPortableInstaller(const SetupRequest&) { return 0; }
