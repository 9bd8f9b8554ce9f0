#pragma once

// The ids of the language archive's texts that the program's code looks up by name (LangString,
// LangText), named after what they say in English; and the numbers of the header texts
// (LangHeaderString, LangHeaderText). The texts themselves are in src/res/lang/*.txt.

// --- Header texts ---
inline constexpr int kHeaderProgramTitle = 19;       // the program's name and version
inline constexpr int kHeaderGermanSite = 20;         // the root of the maker's German site
inline constexpr int kHeaderInternationalSite = 21;  // the root of the maker's international site
inline constexpr int kHeaderMakerNotice = 22;        // "Freeware © ... · www.<maker>." without the top-level domain
inline constexpr int kHeaderGermanProgramPage = 23;  // the program's page on the German site
inline constexpr int kHeaderProgramPage = 24;        // the program's page on the international site

// --- The settings dialog, its menus and the tray menu ---
inline constexpr int kTextInfo = 1;
inline constexpr int kTextAboutProgram = 2;
inline constexpr int kTextAboutThemes = 3;
inline constexpr int kTextPlacePictures = 4;  // with "XX" for the limit of the individual list
inline constexpr int kTextDeleteHint = 5;
inline constexpr int kTextForced = 10;
inline constexpr int kTextOnlyOnDesktop = 11;
inline constexpr int kTextReady = 15;
inline constexpr int kTextRestart = 19;
inline constexpr int kTextLicense = 22;
inline constexpr int kTextDonate = 25;
inline constexpr int kTextSize = 26;
inline constexpr int kTextCentre = 27;
inline constexpr int kTextTransparency = 28;
inline constexpr int kTextFixedPosition = 29;
inline constexpr int kTextAlwaysOnTop = 31;
inline constexpr int kTextStartWithWindows = 32;
inline constexpr int kTextItems = 33;
inline constexpr int kTextDeactivateNever = 34;
inline constexpr int kTextDeactivateOnMouse = 35;
inline constexpr int kTextDeactivateOnKey = 36;
inline constexpr int kTextDeactivateOnKeyOrMouse = 37;
inline constexpr int kTextDeactivation = 38;
inline constexpr int kTextAttention = 39;
inline constexpr int kTextInfoCaption = 40;
inline constexpr int kTextPictureLimit = 41;  // with "XX" for the limit
inline constexpr int kTextListNotStored = 42;
inline constexpr int kTextTranslationTooLarge = 43;
inline constexpr int kTextShuffle = 48;
inline constexpr int kTextToTray = 51;
inline constexpr int kTextExit = 52;
inline constexpr int kTextDisable = 53;
inline constexpr int kTextTrayExit = 54;
inline constexpr int kTextReset = 57;
inline constexpr int kTextDelete = 62;
inline constexpr int kTextRotationSpeed = 66;
// The unit of the deactivation seconds. No language of the archive has this text, so the entries
// show the number and a blank: that is how the list has always read.
inline constexpr int kTextDeactivationSecondsUnit = 67;
inline constexpr int kTextCube = 70;
inline constexpr int kTextRockingCube = 71;
inline constexpr int kTextSquare = 72;
inline constexpr int kTextSamplePictures = 81;
inline constexpr int kTextPicturesFromFolder = 82;
inline constexpr int kTextIndividualPictures = 83;  // also the picture selection dialog's title
inline constexpr int kTextPictureSource = 84;
inline constexpr int kTextPictureInterval = 85;
inline constexpr int kTextSecondsShort = 86;
inline constexpr int kTextAspectRatio = 88;
inline constexpr int kTextKeepAspect = 89;
inline constexpr int kTextKeepAndStretch = 90;
inline constexpr int kTextFixedPositionTip = 100;

// --- The installer, the uninstaller and the update ---
inline constexpr int kTextLanguage = 200;
inline constexpr int kTextInstall = 201;
inline constexpr int kTextUninstall = 202;
inline constexpr int kTextAutoUpdate = 203;
inline constexpr int kTextDesktopShortcut = 204;
inline constexpr int kTextStartMenuShortcut = 205;
inline constexpr int kTextForAllUsers = 206;
inline constexpr int kTextSetupStartWithWindows = 207;
inline constexpr int kTextFolder = 208;
inline constexpr int kTextCancel = 209;
inline constexpr int kTextChangeFolder = 210;
inline constexpr int kTextPortableInstallation = 211;
inline constexpr int kTextEula = 212;
inline constexpr int kTextFolderNotCreated = 213;
inline constexpr int kTextCreationError = 215;
inline constexpr int kTextFileExists = 217;  // with "%s" for the file
inline constexpr int kTextSettingsKept = 219;
inline constexpr int kTextInstallAsAdministrator = 220;
inline constexpr int kTextCloseTheProgram = 221;
inline constexpr int kTextFileAccessError = 222;
inline constexpr int kTextFullPathNeeded = 223;
inline constexpr int kTextNoInstallationHere = 224;
inline constexpr int kTextPartsNotMade = 239;
inline constexpr int kTextNotRemoved = 248;

// --- Recommendation, help and update ---
inline constexpr int kTextRecommendSubject = 240;
inline constexpr int kTextRecommendBody = 241;
inline constexpr int kTextRecommend = 242;
inline constexpr int kTextSendProgram = 243;
inline constexpr int kTextFaq = 244;
inline constexpr int kTextHistory = 245;
inline constexpr int kTextHomepage = 246;
inline constexpr int kTextCheckForUpdates = 247;
