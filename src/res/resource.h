#pragma once

// Resource ids of the program file. The numbers are part of the program's interface (other
// installations, translation files and the shell refer to them), so they never change.

#define IDS_APP_CLASS 103      // main window class name and title: "Orbelin"
#define IDI_APP 107            // program icon; also the tray icon id
#define IDS_AUTOSTART_NAME 109 // name of the start-with-Windows value: "Orbelin"
