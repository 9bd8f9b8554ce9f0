#include "ui/settings_dialog.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "common/active_dialog.h"
#include "common/co_task_memory.h"
#include "common/dropped_files.h"
#include "common/process_flags.h"
#include "display/deactivation_check.h"
#include "display/display_slots.h"
#include "lang/language_archive.h"
#include "lang/language_menu.h"
#include "res/resource.h"
#include "settings/app_config.h"
#include "settings/setting_value.h"
#include "sources/individual_list.h"
#include "sources/picture_list.h"
#include "ui/info_commands.h"
#include "ui/info_menu.h"
#include "sources/picture_selection_dialog.h"
#include "ui/web_commands.h"

namespace {

constexpr UINT_PTR kDeactivationTimer = 1113;
constexpr UINT kDeactivationPeriodMs = 100;
constexpr int kArrowStep = 10;
// Posted to the dialog after a language change: show every text again.
constexpr UINT kRebuildTextsMessage = WM_APP + 15;

int CALLBACK FolderBrowserCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message != BFFM_INITIALIZED) return 0;
    const auto* storedFolder = reinterpret_cast<const std::wstring*>(data);
    if (storedFolder != nullptr && !storedFolder->empty()) {
        const auto folder = reinterpret_cast<LPARAM>(storedFolder->c_str());
        // Wine's chooser matches each folder of the path against records that carry the folders'
        // time stamps; its first walk down the path, which fills the tree as it goes, now and then
        // stops short of the folder (about every other time here). A second walk finds it.
        if (!SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, folder)) {
            SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, folder);
        }
    }
    SetWindowLongPtrW(browser, GWL_STYLE, GetWindowLongPtrW(browser, GWL_STYLE) | WS_MAXIMIZEBOX);
    return 0;
}

}  // namespace

SettingsDialog& TheSettingsDialog() {
    static SettingsDialog dialog;
    return dialog;
}

SettingsDialog::~SettingsDialog() = default;

HWND SettingsDialog::Create(HINSTANCE instance, SettingsDialogHost host) {
    m_host = std::move(host);
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, DialogThunk<SettingsDialog>,
                              reinterpret_cast<LPARAM>(this));
}

bool SettingsDialog::IsShown() const { return m_dialog != nullptr && IsWindowVisible(m_dialog); }

void SettingsDialog::Hide() {
    if (m_dialog != nullptr) ShowWindow(m_dialog, SW_HIDE);
}

bool SettingsDialog::IsMinimized() const { return m_dialog != nullptr && IsIconic(m_dialog); }

void SettingsDialog::ShowInFront() {
    if (m_dialog == nullptr) return;
    // A minimised dialog (minimising into the tray switched off) comes back at its size.
    ShowWindow(m_dialog, IsIconic(m_dialog) ? SW_RESTORE : SW_SHOW);
    // A background program may not take the foreground directly; passing through the topmost
    // band brings the dialog in front of every window without leaving it there.
    SetWindowPos(m_dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(m_dialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(m_dialog, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(m_dialog);
}

void SettingsDialog::Exit(int dialogResult, bool hideDisplays) {
    g_stopFlag = true;
    if (hideDisplays) {
        // In memory only: the next start shows the displays again.
        g_displaysDisabled = true;
        ApplyVisibilityOfAllDisplays();
    }
    if (m_dialog != nullptr) EndDialog(m_dialog, dialogResult);
    PostQuitMessage(1);
}

void SettingsDialog::SetDisabled(bool disabled) {
    // The flag is the whole program's: every display hides and stops drawing, and comes back.
    g_displaysDisabled = disabled;
    CurrentDisplay().Config().disabled.Set(disabled ? 1 : 0);
    if (m_dialog != nullptr) CheckDlgButton(m_dialog, IDC_DISABLE, disabled ? BST_CHECKED : BST_UNCHECKED);
    ApplyVisibilityOfAllDisplays();
}

CWinAlphaUhr& SettingsDialog::CurrentDisplay() const {
    const int slot = std::clamp(GlobalAppConfig().currentSlot, 0, kDisplaySlotCount - 1);
    return DisplaySlots()[slot];
}

void SettingsDialog::SetItemText(int id, const std::wstring& text) const {
    SetDlgItemTextW(m_dialog, id, text.c_str());
}

void SettingsDialog::FillList(int id, const std::vector<std::wstring>& entries, int selection) const {
    HWND list = Item(id);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& entry : entries)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

int SettingsDialog::ListSelection(int id) const {
    return static_cast<int>(SendDlgItemMessageW(m_dialog, id, CB_GETCURSEL, 0, 0));
}

INT_PTR SettingsDialog::DialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        m_dialog = dialog;
        Initialize();
        return TRUE;
    }
    return HandleMessage(message, wParam, lParam);
}

void SettingsDialog::Initialize() {
    OleInitialize(nullptr);

    SetDialogIcons();

    CreateToolbars();

    // The settings are loaded and the displays made before the dialog (see StartVisibleParts).
    m_loading = true;
    for (CWinAlphaUhr& display : DisplaySlots()) display.SetOwnerDialog(m_dialog);
    const int autostart = m_host.queryStartWithWindows ? m_host.queryStartWithWindows() : 0;
    CheckDlgButton(m_dialog, IDC_START_WITH_WINDOWS, autostart != 0 ? BST_CHECKED : BST_UNCHECKED);
    AttachInfoMenuBar(m_dialog);

    RebuildTexts();
    LoadDisplayIntoControls();
    SetArrowGlyphs();
    // The banner is made when the dialog shows (WM_SHOWWINDOW).
    DragAcceptFiles(m_dialog, TRUE);
    m_loading = false;
    SetTimer(m_dialog, kDeactivationTimer, kDeactivationPeriodMs, nullptr);
}

void SettingsDialog::RebuildTexts() {
    if (m_dialog == nullptr) return;
    const bool wasLoading = m_loading;
    m_loading = true;
    const AppConfig& app = GlobalAppConfig();
    m_texts = BuildSettingsDialogTexts(SettingsInProgramFolder());

    SetWindowTextW(m_dialog, m_texts.title.c_str());
    GiveInfoMenuToBar();
    FillToolbars();
    SetItemText(IDC_SIZE_HEADING, m_texts.sizeHeading);
    SetItemText(IDC_OPACITY_HEADING, m_texts.opacityHeading);
    SetItemText(IDC_SOURCE_HEADING, m_texts.sourceHeading);
    SetItemText(IDC_ASPECT_HEADING, m_texts.aspectHeading);
    SetItemText(IDC_ROTATE_SPEED_HEADING, m_texts.rotateSpeedHeading);
    SetItemText(IDC_INTERVAL_HEADING, m_texts.intervalHeading);
    SetItemText(IDC_DEACTIVATE_HEADING, m_texts.deactivationHeading);
    SetItemText(IDC_FIXED_POSITION, m_texts.fixedPosition);
    SetItemText(IDC_SHUFFLE, m_texts.shuffle);
    SetItemText(IDC_DISABLE, m_texts.disable);
    SetItemText(IDC_CENTRE, m_texts.centre);
    SetItemText(IDC_START_WITH_WINDOWS, m_texts.startWithWindows);
    SetItemText(IDC_INTERVAL_LABEL, IntervalLabel(app.imageTimer.Value(), m_texts.intervalUnit));

    if (m_tooltip == nullptr) {
        m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_dialog, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(Item(IDC_FIXED_POSITION));
    tool.lpszText = const_cast<wchar_t*>(m_texts.fixedPositionTip.c_str());
    SendMessageW(m_tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));

    FillList(IDC_OBJECT_TYPE, m_texts.objectTypes, app.objectType.Value());
    m_stackingSelection = app.stackingMode.Value();
    FillList(IDC_STACKING, m_texts.stackingModes, m_stackingSelection);
    const int source = CurrentDisplay().Config().pictureSource.Value();
    FillList(IDC_SOURCE, m_texts.pictureSources, source);
    EnableWindow(Item(IDC_PICK_PICTURES), source > 0);
    EnableWindow(Item(IDC_SHUFFLE), source > 0);
    FillList(IDC_ASPECT, m_texts.aspectModes, app.imageMode.Value());
    FillList(IDC_DEACTIVATE_MODE, m_texts.deactivationModes, app.deactivateMode.Value());
    const int seconds = app.deactivateSeconds.Value();
    const bool listed = seconds >= kFirstDeactivationSecond && seconds <= kLastDeactivationSecond;
    FillList(IDC_DEACTIVATE_SECONDS, m_texts.deactivationSeconds, listed ? seconds - kFirstDeactivationSecond : -1);

    // The drop-down of the deactivation modes is as wide as its longest entry needs.
    HWND modes = Item(IDC_DEACTIVATE_MODE);
    HDC dc = GetDC(modes);
    HGDIOBJ previousFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(modes, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const std::wstring& entry : m_texts.deactivationModes) {
        SIZE extent{};
        GetTextExtentPoint32W(dc, entry.c_str(), static_cast<int>(entry.size()), &extent);
        widest = std::max(widest, static_cast<int>(extent.cx));
    }
    SelectObject(dc, previousFont);
    ReleaseDC(modes, dc);
    SendMessageW(modes, CB_SETDROPPEDWIDTH, std::max(widest + 20, 170), 0);
    SendDlgItemMessageW(m_dialog, IDC_DEACTIVATE_SECONDS, CB_SETDROPPEDWIDTH, 66, 0);
    // The picture selection dialog, when it exists, follows the language too.
    ThePictureSelectionDialog().RebuildTexts();
    m_loading = wasLoading;
}

void SettingsDialog::LoadDisplayIntoControls() {
    AppConfig& app = GlobalAppConfig();
    CWinAlphaUhr& display = CurrentDisplay();
    DisplayConfig& config = display.Config();
    ShowWindow(Item(IDC_DIALOG_ICON), SW_HIDE);

    CheckDlgButton(m_dialog, IDC_FIXED_POSITION, config.fixedPosition.Value() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_dialog, IDC_SHUFFLE, config.shuffle.Value() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_dialog, IDC_DISABLE, g_displaysDisabled ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_dialog, IDC_SUBFOLDER, app.subfolder.Value() ? BST_CHECKED : BST_UNCHECKED);

    const auto setSlider = [this](int id, const SettingRange& range, int position) {
        SendDlgItemMessageW(m_dialog, id, TBM_SETRANGEMIN, FALSE, range.low);
        SendDlgItemMessageW(m_dialog, id, TBM_SETRANGEMAX, TRUE, range.high);
        SendDlgItemMessageW(m_dialog, id, TBM_SETPOS, TRUE, position);
    };
    setSlider(IDC_SIZE_SLIDER, kDisplaySizeRange, display.Width());
    setSlider(IDC_OPACITY, kTransparencyRange, config.transparency.Value());
    setSlider(IDC_ROTATE_SPEED, kRotateSpeedRange, app.rotateSpeed.Value());
    setSlider(IDC_INTERVAL, kImageTimerRange, app.imageTimer.Value());
    SetItemText(IDC_SIZE_LABEL, SizeLabel(display.Width()));
    SetItemText(IDC_OPACITY_LABEL, OpacityLabel(config.transparency.Value()));
    SetItemText(IDC_ROTATE_SPEED_LABEL, PercentLabel(app.rotateSpeed.Value()));
    SetItemText(IDC_INTERVAL_LABEL, IntervalLabel(app.imageTimer.Value(), m_texts.intervalUnit));
    LoadColourButtons();
}

INT_PTR SettingsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (lParam != 0 && !m_loading) OnSlider(reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (!m_loading) OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_TIMER:
            if (wParam != kDeactivationTimer) return FALSE;
            OnDeactivationTimer();
            return TRUE;
        case WM_ACTIVATE:
            SetActiveDialog(LOWORD(wParam) != WA_INACTIVE ? m_dialog : nullptr);
            return FALSE;
        case WM_SHOWWINDOW:
            // The banner is the largest thing the dialog holds; a hidden dialog lets it go.
            if (wParam) {
                LoadBanner();
            } else {
                ReleaseBanner();
            }
            return FALSE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_MINIMIZE && GlobalAppConfig().trayIfMinimize.Value() != 0 &&
                GetActiveWindow() == m_dialog) {
                if (m_host.minimizeToTray) m_host.minimizeToTray(m_dialog, true);
                SetWindowLongPtrW(m_dialog, DWLP_MSGRESULT, 0);
                return TRUE;
            }
            return FALSE;
        case WM_DROPFILES:
            OnDroppedFiles(reinterpret_cast<HDROP>(wParam));
            return TRUE;
        case kRebuildTextsMessage:
            RebuildTexts();
            return TRUE;
        default:
            return FALSE;
    }
}

void SettingsDialog::OnSlider(HWND slider) {
    AppConfig& app = GlobalAppConfig();
    CWinAlphaUhr& display = CurrentDisplay();
    DisplayConfig& config = display.Config();
    const int position = static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0));
    switch (GetDlgCtrlID(slider)) {
        case IDC_SIZE_SLIDER:
            if (position == display.Width()) return;
            SetItemText(IDC_SIZE_LABEL, SizeLabel(position));
            display.SetDisplaySize(position);
            config.size.Hold(display.Width());
            SaveDisplayPlacement(config);
            ReEnable();
            return;
        case IDC_OPACITY:
            config.transparency.Set(position);
            config.opacity = position;
            SetItemText(IDC_OPACITY_LABEL, OpacityLabel(position));
            ReEnable();
            return;
        case IDC_ROTATE_SPEED:
            if (position == config.rotationSpeed) return;
            SetItemText(IDC_ROTATE_SPEED_LABEL, PercentLabel(position));
            app.rotateSpeed.Set(position);
            config.rotationSpeed = position;
            display.MarkChanged();
            ReEnable();
            return;
        case IDC_INTERVAL:
            app.SetImageTimerFromSlider(position);
            SetItemText(IDC_INTERVAL_LABEL, IntervalLabel(position, m_texts.intervalUnit));
            return;
        default:
            return;
    }
}

void SettingsDialog::OnCommand(int id, int notification, HWND control) {
    AppConfig& app = GlobalAppConfig();
    CWinAlphaUhr& display = CurrentDisplay();
    DisplayConfig& config = display.Config();
    const bool listChanged = control != nullptr && notification == CBN_SELCHANGE;
    const bool clicked = control == nullptr || notification == BN_CLICKED;

    switch (id) {
        case IDC_SOURCE:
            if (listChanged) OnPictureSource(ListSelection(IDC_SOURCE));
            return;
        case IDC_ASPECT:
            if (!listChanged) return;
            if (app.imageMode.Set(ListSelection(IDC_ASPECT))) {
                for (CWinAlphaUhr& each : DisplaySlots()) each.RestartQuickChanges();
            }
            return;
        case IDC_OBJECT_TYPE:
            if (listChanged) app.objectType.Set(ListSelection(IDC_OBJECT_TYPE));
            return;
        case IDC_STACKING:
            if (listChanged) OnStacking(ListSelection(IDC_STACKING));
            return;
        case IDC_DEACTIVATE_MODE:
            if (!listChanged) return;
            app.deactivateMode.Set(ListSelection(IDC_DEACTIVATE_MODE));
            ResetDeactivation();
            if (g_displaysDisabled) ReEnable();
            return;
        case IDC_DEACTIVATE_SECONDS: {
            if (!listChanged) return;
            const int selection = ListSelection(IDC_DEACTIVATE_SECONDS);
            if (selection < 0 || selection >= static_cast<int>(m_texts.deactivationSeconds.size())) return;
            app.deactivateSeconds.Set(ReadLeadingInt(m_texts.deactivationSeconds[selection]));
            if (g_displaysDisabled) ReEnable();
            return;
        }
        case IDC_PICK_PICTURES:
            if (!clicked) return;
            if (config.pictureSource.Value() == 2) OpenPictureSelectionDialog(m_dialog, {});
            if (config.pictureSource.Value() == 1) BrowseForFolder();
            return;
        case IDC_FIXED_POSITION:
            if (!clicked) return;
            config.fixedPosition.Set(IsDlgButtonChecked(m_dialog, IDC_FIXED_POSITION) == BST_CHECKED ? 1 : 0);
            display.ApplyVisibility();
            return;
        case IDC_SHUFFLE:
            // The display's worker takes it up at its next picture change.
            if (clicked) config.shuffle.Set(IsDlgButtonChecked(m_dialog, IDC_SHUFFLE) == BST_CHECKED ? 1 : 0);
            return;
        case IDC_SUBFOLDER:
            if (clicked) app.subfolder.Set(IsDlgButtonChecked(m_dialog, IDC_SUBFOLDER) == BST_CHECKED ? 1 : 0);
            return;
        case IDC_DISABLE:
            if (clicked) SetDisabled(IsDlgButtonChecked(m_dialog, IDC_DISABLE) == BST_CHECKED);
            return;
        case IDC_START_WITH_WINDOWS:
            if (clicked && m_host.setStartWithWindows) {
                m_host.setStartWithWindows(IsDlgButtonChecked(m_dialog, IDC_START_WITH_WINDOWS) == BST_CHECKED ? 1 : 0);
            }
            return;
        case IDC_CENTRE:
            if (clicked) CentreDisplay();
            return;
        case IDC_ARROW_LEFT:
            if (clicked) MoveDisplayBy(-kArrowStep, 0);
            return;
        case IDC_ARROW_RIGHT:
            if (clicked) MoveDisplayBy(kArrowStep, 0);
            return;
        case IDC_ARROW_UP:
            if (clicked) MoveDisplayBy(0, -kArrowStep);
            return;
        case IDC_ARROW_DOWN:
            if (clicked) MoveDisplayBy(0, kArrowStep);
            return;
        case IDC_SNAPSHOT:
            if (clicked) g_snapshotRequest = true;
            return;
        case IDC_EXIT:
            Exit(IDC_EXIT, true);
            return;
        case IDC_TO_TRAY:
            if (m_host.minimizeToTray) m_host.minimizeToTray(m_dialog, true);
            return;
        case IDC_CLOSE_COMMAND:
            if (IsShown() && m_host.minimizeToTray) m_host.minimizeToTray(m_dialog, true);
            return;
        case IDC_FAQ:
        case IDC_DONATE:
        case IDC_FOOTER_TOOLBAR:
            OpenCommandPage(id);
            return;
        case IDC_LANGUAGE:
            // The texts are set again once the toolbar has finished with the click that opened
            // the menu: setting them rebuilds its buttons.
            if (ShowLanguageMenu(m_dialog, m_footerToolbar)) PostMessageW(m_dialog, kRebuildTextsMessage, 0, 0);
            return;
        default:
            // The menu's commands come without a control; some of their ids are also those of
            // controls (1054, 32814, 32815), which never send them.
            if (control == nullptr) {
                ExecuteInfoCommand(id, InfoCommandHost{m_dialog, m_host.startInPlace});
            }
            return;
    }
}

void SettingsDialog::OnPictureSource(int source) {
    DisplayConfig& config = CurrentDisplay().Config();
    CurrentDisplay().MarkChanged();
    if (source < 0 || source == config.pictureSource.Value()) return;
    ReEnable();
    config.pictureSource.Set(source);
    EnableWindow(Item(IDC_PICK_PICTURES), source > 0);
    EnableWindow(Item(IDC_SHUFFLE), source > 0);
    // Whether the list is empty is read from the stored text alone: decoding the listed pictures
    // here would stall the dialog.
    if (source == 2 && StoredIndividualListIsEmpty()) OpenPictureSelectionDialog(m_dialog, {});
    if (source == 1 && GlobalAppConfig().imageFolder.Value().size() < 3) BrowseForFolder();
}

void SettingsDialog::OnStacking(int selection) {
    if (selection == kStackingFaqEntry) {
        SendDlgItemMessageW(m_dialog, IDC_STACKING, CB_SETCURSEL, static_cast<WPARAM>(m_stackingSelection), 0);
        OpenStackingFaq();
        return;
    }
    if (selection < 0 || selection == m_stackingSelection) return;
    m_stackingSelection = selection;
    CurrentDisplay().SetStackingMode(selection);
    GlobalAppConfig().stackingMode.Set(selection);
    // The z-order of the new mode at once; the next frame re-creates the window where needed.
    CurrentDisplay().ApplyVisibility();
}

void SettingsDialog::BrowseForFolder() {
    AppConfig& app = GlobalAppConfig();
    const std::wstring storedFolder = app.imageFolder.Value();
    BROWSEINFOW browse{};
    browse.hwndOwner = m_dialog;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = FolderBrowserCallback;
    browse.lParam = reinterpret_cast<LPARAM>(&storedFolder);
    const UniqueItemIdList chosen(SHBrowseForFolderW(&browse));
    if (!chosen) return;
    wchar_t path[MAX_PATH] = L"";
    if (!SHGetPathFromIDListW(chosen.Get(), path) || path[0] == L'\0') return;
    app.imageFolder.Set(path);
    RequestPictureListRebuild();
}

void SettingsDialog::MoveDisplayBy(int dx, int dy) {
    CWinAlphaUhr& display = CurrentDisplay();
    HWND window = display.Window();
    RECT rect{};
    if (window == nullptr || !GetWindowRect(window, &rect)) return;
    MoveWindow(window, rect.left + dx, rect.top + dy, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    display.KeepOnScreen(1);
    StoreDisplayPosition();
}

void SettingsDialog::CentreDisplay() {
    ReEnable();
    CWinAlphaUhr& display = CurrentDisplay();
    HWND window = display.Window();
    RECT rect{};
    RECT desktop{};
    if (window == nullptr || !GetWindowRect(window, &rect) || !GetWindowRect(GetDesktopWindow(), &desktop)) return;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const int centreX = (desktop.left + desktop.right) / 2;
    const int centreY = (desktop.top + desktop.bottom) / 2;
    MoveWindow(window, centreX - width / 2, centreY - height / 2, width, height, TRUE);
    StoreDisplayPosition();
}

void SettingsDialog::StoreDisplayPosition() {
    CWinAlphaUhr& display = CurrentDisplay();
    RECT rect{};
    if (display.Window() == nullptr || !GetWindowRect(display.Window(), &rect)) return;
    display.Config().left.Hold(rect.left);
    display.Config().top.Hold(rect.top);
    SaveDisplayPlacement(display.Config());
}

void SettingsDialog::ReEnable() {
    g_displaysDisabled = false;
    CurrentDisplay().Config().disabled.Set(0);
    CheckDlgButton(m_dialog, IDC_DISABLE, BST_UNCHECKED);
    ApplyVisibilityOfAllDisplays();
}

void SettingsDialog::OnDeactivationTimer() {
    KillTimer(m_dialog, kDeactivationTimer);
    const std::optional<std::wstring> countdown = RunDeactivationCheck(CurrentDisplay());
    if (countdown && *countdown != m_countdownText) {
        m_countdownText = *countdown;
        SetItemText(IDC_COUNTDOWN, m_countdownText);
    }
    SetTimer(m_dialog, kDeactivationTimer, kDeactivationPeriodMs, nullptr);
}

void SettingsDialog::OnDroppedFiles(HDROP drop) { OpenPictureSelectionDialog(m_dialog, TakeDroppedFiles(drop)); }
