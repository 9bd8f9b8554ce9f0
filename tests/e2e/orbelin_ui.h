#pragma once

#include <windows.h>

// What the running program offers to the outside: the classes and titles of its windows, the
// tray callback, and the ids of the settings dialog's controls and commands. Tests name them
// here once rather than repeating numbers.

inline constexpr const wchar_t* kMainWindowClass = L"Orbelin";
inline constexpr const wchar_t* kMainWindowTitle = L"Orbelin";
inline constexpr const wchar_t* kDisplayWindowClass = L"Brimwhistle-Clock___QRWERREQWR";
// Dialogs and message boxes are both of this class.
inline constexpr const wchar_t* kDialogClass = L"#32770";
inline constexpr const wchar_t* kPopupMenuClass = L"#32768";
// Title of the settings dialog of a portable copy (program title with version, platform, mode).
inline constexpr const wchar_t* kPortableDialogTitle = L"Orbelin 1.0 - x64 - Portable";

// The shell reports mouse input on the tray icon with this message to the main window: wParam
// the icon id, lParam the mouse message.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 100;
inline constexpr WPARAM kTrayIconId = 107;

// Exit codes.
inline constexpr DWORD kClosedExitCode = 0;
inline constexpr DWORD kExitCommandExitCode = 1;
inline constexpr DWORD kAlreadyRunningExitCode = 45054;

// Settings dialog controls.
inline constexpr int kSizeSlider = 9002;
inline constexpr int kSizeLabel = 1042;
inline constexpr int kOpacitySlider = 1003;
inline constexpr int kOpacityLabel = 1043;
inline constexpr int kSourceCombo = 1011;
inline constexpr int kSourceMoreButton = 2031;
inline constexpr int kAspectCombo = 1020;
inline constexpr int kObjectCombo = 1012;
inline constexpr int kSpeedSlider = 32809;
inline constexpr int kSpeedLabel = 32811;
inline constexpr int kIntervalSlider = 32814;
inline constexpr int kIntervalLabel = 32815;
inline constexpr int kDeactivationCombo = 1021;
inline constexpr int kDeactivationSecondsCombo = 1022;
inline constexpr int kCountdownLabel = 1054;
inline constexpr int kStackingCombo = 32812;
inline constexpr int kFixedPositionCheck = 1015;
inline constexpr int kShuffleCheck = 2033;
inline constexpr int kDisableCheck = 1018;
inline constexpr int kStartWithWindowsCheck = 1016;
inline constexpr int kLeftButton = 1074;
inline constexpr int kRightButton = 1075;
inline constexpr int kUpButton = 1076;
inline constexpr int kDownButton = 1077;
inline constexpr int kCentreButton = 1017;
inline constexpr int kPngButton = 2032;
inline constexpr int kBannerImage = 1040;

// Settings dialog commands (toolbar, menu bar and window commands).
inline constexpr int kExitCommand = 1055;
inline constexpr int kToTrayCommand = 5;
inline constexpr int kCloseCommand = IDCANCEL;

// Tray menu items from the top: Exit, Disable, a separator, the program title. The menu is
// worked with the arrow keys, which pass over the separator.
inline constexpr int kTrayMenuExitPresses = 1;
inline constexpr int kTrayMenuDisablePresses = 2;
inline constexpr int kTrayMenuShowDialogPresses = 3;
inline constexpr UINT kTrayMenuDisableId = 2;
