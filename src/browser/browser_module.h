#pragma once

// The program's ways into the browser window.

// Prepares the COM module that hosts the embedded browser control.
void InitializeBrowserModule();

// The start mode "Glimmerpane": the browser window runs instead of the program, on the maker's
// update page. Returns the process exit code.
int RunMiniBrowser();

// Starts another copy of the program file with "Glimmerpane:33": that copy opens the browser
// window on the maker's update page (the settings dialog's command 32801). Returns whether the
// copy was started.
bool StartBrowserWindowProcess();

// Opens the maker's uninstall page in a browser window of this process, in the current
// language, and runs that window until the user closes it. For the uninstaller's last step.
// Returns false when the window could not be opened (the caller may then open the page with
// the shell instead).
bool ShowUninstallPageWindow();

// The thread that runs browser windows ends its use of them (after its loop ended).
void ShutdownBrowserModule();
