#pragma once

// Resource ids of the program file. The numbers are part of the program's interface (other
// installations, translation files and the shell refer to them), so they never change.

#define IDS_APP_CLASS 103      // main window class name and title: "Orbelin"
#define IDI_APP 107            // program icon; also the tray icon id
#define IDS_AUTOSTART_NAME 109 // name of the start-with-Windows value: "Orbelin"

#define IDI_DONATE 154          // image of the "Donate" toolbar button
#define IDI_TO_TRAY 136         // image of the "To-Tray" toolbar button
#define IDI_COLOURS 159         // the colour themes' reset button
#define IDD_SETTINGS 148        // the settings dialog

// Settings dialog controls and commands. Menu and toolbar commands share this id space.
#define IDC_CLOSE_COMMAND 2          // the dialog's close command (IDCANCEL)
#define IDC_TO_TRAY 5                // "To-Tray" toolbar button
#define IDC_SUBFOLDER 1010           // never shown; carries m_subfolder
#define IDC_OPACITY 1003
#define IDC_SOURCE 1011
#define IDC_OBJECT_TYPE 1012
#define IDC_FOOTER_TOOLBAR 1013      // placeholder of the footer toolbar; also its maker button
#define IDC_FIXED_POSITION 1015
#define IDC_START_WITH_WINDOWS 1016
#define IDC_CENTRE 1017
#define IDC_DISABLE 1018
#define IDC_ASPECT 1020
#define IDC_DEACTIVATE_MODE 1021
#define IDC_DEACTIVATE_SECONDS 1022
#define IDC_BANNER 1040
#define IDC_SIZE_LABEL 1042
#define IDC_OPACITY_LABEL 1043
#define IDC_SIZE_HEADING 1044
#define IDC_OPACITY_HEADING 1045
#define IDC_SOURCE_HEADING 1046
#define IDC_COLOUR_FIRST 1047        // 1047..1050 the four theme colours, 1051 the reset button
#define IDC_COLOUR_RESET 1051
#define IDC_OBJECT_HEADING 1053      // also the FAQ command
#define IDC_FAQ 1053
#define IDC_COUNTDOWN 1054
#define IDC_EXIT 1055
#define IDC_DIALOG_ICON 1070
#define IDC_QUICK_TOOLBAR 1073       // placeholder of the quick toolbar
#define IDC_ARROW_LEFT 1074
#define IDC_ARROW_RIGHT 1075
#define IDC_ARROW_UP 1076
#define IDC_ARROW_DOWN 1077
#define IDC_LANGUAGE 2022            // "# LNG" footer button
#define IDC_PICK_PICTURES 2031       // "..."
#define IDC_SNAPSHOT 2032            // "PNG"
#define IDC_SHUFFLE 2033             // the display's pictures in a shuffled order
#define IDC_ETCHED_TOP 4030
#define IDC_ETCHED_BOTTOM 4031
#define IDC_DONATE 7779
#define IDC_GROUP 32791
#define IDC_ROTATE_SPEED 32809
#define IDC_ROTATE_SPEED_HEADING 32810
#define IDC_ROTATE_SPEED_LABEL 32811
#define IDC_STACKING 32812
#define IDC_INTERVAL_HEADING 32813
#define IDC_INTERVAL 32814
#define IDC_INTERVAL_LABEL 32815
#define IDC_ASPECT_HEADING 32816
#define IDC_DEACTIVATE_HEADING 32817
#define IDC_SIZE_SLIDER 9002

// Tray menu commands.
#define IDM_TRAY_SHOW 1
#define IDM_TRAY_DISABLE 2
#define IDM_TRAY_EXIT 3

// The "Info" menu of the settings dialog's menu bar. Its commands share the dialog's id space;
// some numbers are also those of dialog controls (1054, 32814, 32815), which never send them.
#define IDM_INFO 1054
#define IDM_RECOMMEND 1056
#define IDM_SEND_PROGRAM 1057
#define IDM_HOMEPAGE 1058
#define IDM_HISTORY 1059
#define IDM_LICENSE 7778
#define IDM_UNINSTALL_USER 32802
#define IDM_UNINSTALL_ALL_USERS 32803
#define IDM_OPEN_PROGRAM_FOLDER 32804    // also the id of the submenu that holds the three openings
#define IDM_OPEN_SETTINGS_FOLDER 32805
#define IDM_OPEN_SETTINGS_FILE 32806
#define IDM_RESTART 32814
#define IDM_REMOVE_PORTABLE 32815

// Language menu commands: the language of archive section i is IDM_LANGUAGE_FIRST + i.
#define IDM_LANGUAGE_FIRST 10
#define IDM_TRANSLATE 1000         // "Translate": export the translation template
#define IDM_LOAD_TRANSLATION 1001  // "Load from File (Unicode)"

// Picture selection dialog (the individual picture list) and its toolbar.
#define IDD_PICTURE_SELECTION 301
#define IDR_PICTURE_TOOLBAR 156      // toolbar resource and its button images
#define IDC_PICTURE_LIST 1034        // list view of the pictures
#define IDC_PICTURES_INFO 1075       // information text
#define IDC_PICTURES_BROWSE 32906    // "...." file chooser
#define IDC_PICTURES_OK 32907        // hides the dialog
#define IDC_PICTURES_RESET 32908
#define IDC_PICTURES_DELETE 32821
#define IDC_PICTURES_VIEW_512 32904
#define IDC_PICTURES_VIEW_256 32903
#define IDC_PICTURES_VIEW_128 32901
#define IDC_PICTURES_VIEW_LIST 32900
#define IDC_PICTURES_TOOLBAR 224444  // the toolbar window's id

// Installation dialog (193) and uninstall dialog (194). Labels are set at run time from text ids.
#define IDD_INSTALL 193
#define IDD_UNINSTALL 194
#define IDC_SETUP_LANGUAGE 1011        // language list (both dialogs)
#define IDC_SETUP_FOLDER 1041          // folder list (both dialogs; disabled in the uninstall dialog)
#define IDC_SETUP_FOLDER_LABEL 1204    // text 208 "Folder"
#define IDC_SETUP_LANGUAGE_LABEL 1203  // text 200 "Language"
#define IDC_SETUP_CHOOSE_FOLDER 2031   // text 210 "... Change": the folder chooser
#define IDC_SETUP_PORTABLE 1018        // text 211 "Portable installation"
#define IDC_SETUP_DESKTOP_SHORTCUT 1014   // text 204
#define IDC_SETUP_START_WITH_WINDOWS 1015 // text 207
#define IDC_SETUP_START_MENU 1016      // text 205
#define IDC_SETUP_FOR_ALL_USERS 1017   // text 206
#define IDC_SETUP_AS_ADMIN 1019        // text 220 "Installing as administrator"
#define IDC_SETUP_EULA 2032            // text 212 "... EULA"
#define IDC_SETUP_INSTALL_GROUP 1202   // text 201
#define IDC_SETUP_UNINSTALL_GROUP 1205 // text 202
#define IDC_SETUP_BANNER 3031          // the header banner
#define IDC_SETUP_ICON 1206            // shell icon 16747 at 32 x 32

// The browser window "Glimmerpane": the page that hosts the browser control, the frame and the
// address bar; the page template (an HTML resource); the settings dialog's command that opens
// the window; the language text of that command.
#define IDD_BROWSER_CONTROL 133
#define IDD_BROWSER_FRAME 134
#define IDD_ADDRESS_BAR 135
#define IDR_BROWSER_PAGE 166
#define IDC_BROWSER_CONTROL 3301     // the control's host window in dialog 133
#define IDC_BROWSER_ADDRESS 3302     // ComboBoxEx32 list of addresses in dialog 135
#define IDC_BROWSER_STATUS 3303      // status text (the page title) in dialog 135
#define IDM_CHECK_FOR_UPDATES 32801  // opens the browser window on the update page
