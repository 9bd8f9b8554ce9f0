#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "common/dialog_thunk.h"
#include "common/gdi_objects.h"
#include "ui/settings_dialog_texts.h"

class CWinAlphaUhr;

// What the settings dialog needs from the program around it.
struct SettingsDialogHost {
    std::function<int()> queryStartWithWindows;               // 1 when the entry exists
    std::function<void(int)> setStartWithWindows;              // writes (1) or removes (0) the entry
    std::function<void(HWND window, bool animate)> minimizeToTray;
    // Starts another copy of the program in this one's place (restart, uninstall); see
    // StartInPlaceOfThisCopy. Returns whether the start worked.
    std::function<bool(const std::function<bool()>& startOtherCopy)> startInPlace;
};

// The program's settings window: a modeless dialog made once at start and then only shown and
// hidden. It edits the current display and the global settings; every change applies to the
// running display at once and is written to the settings file in the same step. Its 100 ms
// timer runs the deactivation check for the whole run. Main thread only.
class SettingsDialog {
public:
    SettingsDialog() = default;
    ~SettingsDialog();
    SettingsDialog(const SettingsDialog&) = delete;
    SettingsDialog& operator=(const SettingsDialog&) = delete;

    // Creates the dialog hidden, without owner, for the settings as loaded and the displays as made
    // (StartVisibleParts does both first). Returns the dialog window, or null when it cannot be made.
    HWND Create(HINSTANCE instance, SettingsDialogHost host);
    HWND Window() const { return m_dialog; }

    bool IsShown() const;
    // Minimised to the taskbar (when minimising into the tray is switched off).
    bool IsMinimized() const;
    void Hide();
    // Shows the dialog (restored, if it was minimised) in front of every other window without
    // leaving it topmost.
    void ShowInFront();

    // Sets every label, list and toolbar text again in the current language.
    void RebuildTexts();

    // Exit: the program stops, the dialog ends with `dialogResult` and the message loop with
    // code 1. `hideDisplays` hides the displays first (the dialog's Exit does, the tray's not).
    void Exit(int dialogResult, bool hideDisplays);

    // The user's "Disable" changed elsewhere (the tray menu): stores it and applies it.
    void SetDisabled(bool disabled);

private:
    template <typename Object>
    friend INT_PTR CALLBACK DialogThunk(HWND, UINT, WPARAM, LPARAM);
    INT_PTR DialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Initialize();
    void SetDialogIcons();
    void CreateToolbars();
    HWND CreateToolbarAt(int placeholderId);
    void FillToolbars();
    void SetArrowGlyphs();
    void LoadBanner();
    void ReleaseBanner();
    void LoadDisplayIntoControls();
    void LoadColourButtons();

    void OnSlider(HWND slider);
    void OnCommand(int id, int notification, HWND control);
    void OnPictureSource(int source);
    void OnStacking(int selection);
    void BrowseForFolder();
    void MoveDisplayBy(int dx, int dy);
    void CentreDisplay();
    void StoreDisplayPosition();
    void ReEnable();
    void OnDeactivationTimer();
    void OnDroppedFiles(HDROP drop);

    CWinAlphaUhr& CurrentDisplay() const;
    HWND Item(int id) const { return GetDlgItem(m_dialog, id); }
    void SetItemText(int id, const std::wstring& text) const;
    void FillList(int id, const std::vector<std::wstring>& entries, int selection) const;
    int ListSelection(int id) const;

    HWND m_dialog = nullptr;
    SettingsDialogHost m_host;
    SettingsDialogTexts m_texts;
    HWND m_footerToolbar = nullptr;
    HWND m_quickToolbar = nullptr;
    HWND m_tooltip = nullptr;
    // What the dialog made for its controls; it lives until the process ends.
    UniqueImageList m_quickImages;
    UniqueFont m_toolbarFont;
    UniqueFont m_arrowFont;
    UniqueIcon m_largeIcon;
    UniqueIcon m_smallIcon;
    UniqueIcon m_colourResetIcon;
    UniqueBitmap m_banner;
    UniqueBitmap m_colourBitmaps[4];
    int m_stackingSelection = 0;  // the entry in use, put back when the FAQ entry is chosen
    std::wstring m_countdownText;
    bool m_loading = false;       // control changes made by the dialog itself are no user choices
};

// The program's one settings dialog.
SettingsDialog& TheSettingsDialog();
