#include "setup/setup_modes.h"

// The installer, the uninstaller and the browser window are not part of this build yet: each
// mode ends at once with exit code 0, as a finished run of it would.

int RunInstaller(const SetupRequest&) { return 0; }

int RunUninstaller(const SetupRequest&) { return 0; }

int RunPortableInstaller(const SetupRequest&) { return 0; }

int RunMiniBrowser() { return 0; }

void InitializeBrowserModule() {}
