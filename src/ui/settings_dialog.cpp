#include "ui/settings_dialog.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "common/active_dialog.h"
#include "common/process_flags.h"
#include "display/deactivation_check.h"
#include "display/display_slots.h"
#include "imaging/color_theme.h"
#include "imaging/color_theme_storage.h"
#include "imaging/picture_holder.h"
#include "lang/language_archive.h"
#include "res/resource.h"
#include "settings/app_config.h"
#include "settings/ini_file.h"
#include "settings/setting_value.h"
#include "sources/individual_list.h"
#include "sources/picture_list.h"
#include "ui/later_features.h"
#include "ui/web_commands.h"

namespace {

constexpr UINT_PTR kDeactivationTimer = 1113;
constexpr UINT kDeactivationPeriodMs = 100;
constexpr int kArrowStep = 10;
constexpr int kColourButtonCount = 4;

const wchar_t* const kPlaceholderMessage = L"Placeholder for next Clock Version";

bool IndividualListIsEmpty() {
    PictureList list;
    LoadIndividualPictures(list);
    return list.Count() == 0;
}

int CALLBACK FolderBrowserCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
    if (message != BFFM_INITIALIZED) return 0;
    const auto* storedFolder = reinterpret_cast<const std::wstring*>(data);
    if (storedFolder != nullptr && !storedFolder->empty()) {
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(storedFolder->c_str()));
    }
    SetWindowLongPtrW(browser, GWL_STYLE, GetWindowLongPtrW(browser, GWL_STYLE) | WS_MAXIMIZEBOX);
    return 0;
}

// A shell icon at the small-icon size, or null when the shell library lacks it.
HICON LoadShellIcon(int id) {
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    if (shell == nullptr) return nullptr;
    return static_cast<HICON>(LoadImageW(shell, MAKEINTRESOURCEW(id), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), 0));
}

HICON LoadProgramIcon(int id, int width, int height) {
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0));
}

// Adds `icon` to `images` and destroys it; a missing icon leaves an empty image in its place so
// that the buttons keep their image numbers.
void AddIconImage(HIMAGELIST images, HICON icon) {
    if (icon == nullptr || ImageList_AddIcon(images, icon) < 0) {
        const int width = GetSystemMetrics(SM_CXSMICON);
        const int height = GetSystemMetrics(SM_CYSMICON);
        CDumBitmap blank;
        blank.Create(width, height);
        blank.Fill(0);
        ImageList_Add(images, blank.Handle(), nullptr);
        DeleteObject(blank.Detach());
    }
    if (icon != nullptr) DestroyIcon(icon);
}

}  // namespace

SettingsDialog& TheSettingsDialog() {
    static SettingsDialog dialog;
    return dialog;
}

SettingsDialog::~SettingsDialog() {
    // The dialog lives until the process ends; what it made for its controls goes with it.
    if (m_arrowFont != nullptr) DeleteObject(m_arrowFont);
    if (m_toolbarFont != nullptr) DeleteObject(m_toolbarFont);
    if (m_quickImages != nullptr) ImageList_Destroy(m_quickImages);
    if (m_largeIcon != nullptr) DestroyIcon(m_largeIcon);
    if (m_smallIcon != nullptr) DestroyIcon(m_smallIcon);
    if (m_colourResetIcon != nullptr) DestroyIcon(m_colourResetIcon);
    if (m_banner.Handle() != nullptr) DeleteObject(m_banner.Detach());
    for (CDumBitmap& bitmap : m_colourBitmaps) {
        if (bitmap.Handle() != nullptr) DeleteObject(bitmap.Detach());
    }
}

HWND SettingsDialog::Create(HINSTANCE instance, SettingsDialogHost host) {
    m_host = std::move(host);
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

bool SettingsDialog::IsShown() const { return m_dialog != nullptr && IsWindowVisible(m_dialog); }

void SettingsDialog::Hide() {
    if (m_dialog != nullptr) ShowWindow(m_dialog, SW_HIDE);
}

void SettingsDialog::ShowInFront() {
    if (m_dialog == nullptr) return;
    ShowWindow(m_dialog, SW_SHOW);
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
        for (CWinAlphaUhr& display : DisplaySlots()) display.ApplyVisibility();
    }
    if (m_dialog != nullptr) EndDialog(m_dialog, dialogResult);
    PostQuitMessage(1);
}

void SettingsDialog::SetDisabled(bool disabled) {
    g_displaysDisabled = disabled;
    CurrentDisplay().Config().disabled.Set(disabled ? 1 : 0);
    if (m_dialog != nullptr) CheckDlgButton(m_dialog, IDC_DISABLE, disabled ? BST_CHECKED : BST_UNCHECKED);
    CurrentDisplay().ApplyVisibility();
}

CWinAlphaUhr& SettingsDialog::CurrentDisplay() const {
    const int slot = std::clamp(GlobalAppConfig().currentSlot, 0, kDisplaySlotCount - 1);
    return DisplaySlots()[slot];
}

void SettingsDialog::SetItemText(int id, const std::wstring& text) const { SetDlgItemTextW(m_dialog, id, text.c_str()); }

void SettingsDialog::FillList(int id, const std::vector<std::wstring>& entries, int selection) const {
    HWND list = Item(id);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& entry : entries) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

int SettingsDialog::ListSelection(int id) const {
    return static_cast<int>(SendDlgItemMessageW(m_dialog, id, CB_GETCURSEL, 0, 0));
}

INT_PTR CALLBACK SettingsDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<SettingsDialog*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        self->m_dialog = dialog;
        self->Initialize();
        return TRUE;
    }
    auto* self = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr) return FALSE;
    return self->HandleMessage(message, wParam, lParam);
}

void SettingsDialog::Initialize() {
    OleInitialize(nullptr);
    AppConfig& app = GlobalAppConfig();

    m_largeIcon = LoadProgramIcon(IDI_APP, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    m_smallIcon = LoadProgramIcon(IDI_APP, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    SendMessageW(m_dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_largeIcon));
    SendMessageW(m_dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    m_colourResetIcon = LoadProgramIcon(IDI_COLOURS, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    SendDlgItemMessageW(m_dialog, IDC_COLOUR_RESET, BM_SETIMAGE, IMAGE_ICON,
                        reinterpret_cast<LPARAM>(m_colourResetIcon));

    CreateToolbars();
    app.stackingMode.Load();

    // Loading the settings creates the displays; a further display slot in use announces itself.
    m_loading = true;
    SettingsLoadHooks hooks;
    hooks.queryAutostart = m_host.queryStartWithWindows;
    hooks.prepareDialogForSlot = [](int) { MessageBoxW(nullptr, kPlaceholderMessage, L"", MB_OK); };
    hooks.displayHost = [](int slot) -> DisplayWindowHost* { return &DisplaySlots()[slot]; };
    for (CWinAlphaUhr& display : DisplaySlots()) display.SetOwnerDialog(m_dialog);
    // The number of displays is only ever read: a settings file may ask for more than one.
    app.displayCount = IniReadInt(L"m_clock_cnt", 0);
    const LoadedSettings loaded = LoadAllSettings(app, DisplayConfigsOfSlots(), hooks);
    CheckDlgButton(m_dialog, IDC_START_WITH_WINDOWS, loaded.autostart != 0 ? BST_CHECKED : BST_UNCHECKED);

    RebuildTexts();
    LoadDisplayIntoControls();
    SetArrowGlyphs();
    LoadBanner();
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
    AttachInfoMenuBar(m_dialog);
    FillToolbars();
    SetItemText(IDC_SIZE_HEADING, m_texts.sizeHeading);
    SetItemText(IDC_OPACITY_HEADING, m_texts.opacityHeading);
    SetItemText(IDC_SOURCE_HEADING, m_texts.sourceHeading);
    SetItemText(IDC_ASPECT_HEADING, m_texts.aspectHeading);
    SetItemText(IDC_ROTATE_SPEED_HEADING, m_texts.rotateSpeedHeading);
    SetItemText(IDC_INTERVAL_HEADING, m_texts.intervalHeading);
    SetItemText(IDC_DEACTIVATE_HEADING, m_texts.deactivationHeading);
    SetItemText(IDC_FIXED_POSITION, m_texts.fixedPosition);
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
    m_loading = wasLoading;
}

void SettingsDialog::LoadDisplayIntoControls() {
    AppConfig& app = GlobalAppConfig();
    CWinAlphaUhr& display = CurrentDisplay();
    DisplayConfig& config = display.Config();
    ShowWindow(Item(IDC_DIALOG_ICON), SW_HIDE);

    CheckDlgButton(m_dialog, IDC_FIXED_POSITION, config.fixedPosition.Value() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_dialog, IDC_DISABLE, g_displaysDisabled ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(m_dialog, IDC_SUBFOLDER, app.subfolder.Value() ? BST_CHECKED : BST_UNCHECKED);

    const auto setSlider = [this](int id, int low, int high, int position) {
        SendDlgItemMessageW(m_dialog, id, TBM_SETRANGEMIN, FALSE, low);
        SendDlgItemMessageW(m_dialog, id, TBM_SETRANGEMAX, TRUE, high);
        SendDlgItemMessageW(m_dialog, id, TBM_SETPOS, TRUE, position);
    };
    app.rotateSpeed.Hold(ClampSettingValue(app.rotateSpeed.Value(), 1, 100));
    setSlider(IDC_SIZE_SLIDER, 128, 1500, display.Width());
    setSlider(IDC_OPACITY, 10, 100, config.transparency.Value());
    setSlider(IDC_ROTATE_SPEED, 1, 100, app.rotateSpeed.Value());
    setSlider(IDC_INTERVAL, 5, 60, app.imageTimer.Value());
    SetItemText(IDC_SIZE_LABEL, SizeLabel(display.Width()));
    SetItemText(IDC_OPACITY_LABEL, OpacityLabel(config.transparency.Value()));
    SetItemText(IDC_ROTATE_SPEED_LABEL, PercentLabel(app.rotateSpeed.Value()));
    SetItemText(IDC_INTERVAL_LABEL, IntervalLabel(app.imageTimer.Value(), m_texts.intervalUnit));
    LoadColourButtons();
}

void SettingsDialog::LoadColourButtons() {
    CWinAlphaUhr& display = CurrentDisplay();
    const int themeIndex = display.Config().pictureSource.Value();
    LoadColorTheme(display.Drawing(), display.Config().Slot(), themeIndex);
    const std::vector<ColorTheme>& themes = display.Drawing().Themes();
    if (themeIndex < 0 || themeIndex >= static_cast<int>(themes.size())) return;
    for (int i = 0; i < kColourButtonCount; ++i) {
        const ThemeColor color = TextToColor(themes[themeIndex].colors[i]);
        const uint32_t red = static_cast<uint32_t>(color) & 0xFF;
        const uint32_t green = (static_cast<uint32_t>(color) >> 8) & 0xFF;
        const uint32_t blue = (static_cast<uint32_t>(color) >> 16) & 0xFF;
        CDumBitmap& bitmap = m_colourBitmaps[i];
        if (bitmap.Handle() != nullptr) DeleteObject(bitmap.Detach());
        bitmap.Create(16, 16);
        // The bitmap keeps blue, green, red in memory: red and blue change places.
        bitmap.Fill(0xFF000000u | (red << 16) | (green << 8) | blue);
        SendDlgItemMessageW(m_dialog, IDC_COLOUR_FIRST + i, BM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(bitmap.Handle()));
    }
}

HWND SettingsDialog::CreateToolbarAt(int placeholderId) {
    HWND placeholder = Item(placeholderId);
    RECT place{};
    GetWindowRect(placeholder, &place);
    MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&place), 2);
    ShowWindow(placeholder, SW_HIDE);
    const int height = GetSystemMetrics(SM_CYSMICON) + 8;
    HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                   WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TRANSPARENT |
                                       TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                                   place.left, place.top, place.right - place.left, height, m_dialog, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (toolbar == nullptr) return nullptr;
    SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(toolbar, TB_SETBUTTONSIZE, 0, MAKELPARAM(24, 24));
    SendMessageW(toolbar, WM_SETFONT, reinterpret_cast<WPARAM>(m_toolbarFont), TRUE);
    return toolbar;
}

void SettingsDialog::CreateToolbars() {
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = PROOF_QUALITY;
    m_toolbarFont = CreateFontIndirectW(&font);

    m_footerToolbar = CreateToolbarAt(IDC_FOOTER_TOOLBAR);
    m_quickToolbar = CreateToolbarAt(IDC_QUICK_TOOLBAR);

    m_quickImages = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                     ILC_COLOR32 | ILC_MASK, 4, 0);
    AddIconImage(m_quickImages, LoadShellIcon(263));
    AddIconImage(m_quickImages, LoadProgramIcon(IDI_DONATE, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
    AddIconImage(m_quickImages, LoadShellIcon(28));
    AddIconImage(m_quickImages, LoadProgramIcon(IDI_TO_TRAY, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
    if (m_quickToolbar != nullptr) SendMessageW(m_quickToolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_quickImages));
}

void SettingsDialog::FillToolbars() {
    const auto fill = [](HWND toolbar, const std::vector<std::pair<int, std::wstring>>& buttons, bool withImages) {
        if (toolbar == nullptr) return;
        while (SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageW(toolbar, TB_DELETEBUTTON, 0, 0);
        std::vector<TBBUTTON> records;
        for (size_t i = 0; i < buttons.size(); ++i) {
            TBBUTTON button{};
            button.iBitmap = withImages ? static_cast<int>(i) : I_IMAGENONE;
            button.idCommand = buttons[i].first;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
            button.iString = buttons[i].second.empty() ? -1 : reinterpret_cast<INT_PTR>(buttons[i].second.c_str());
            records.push_back(button);
        }
        SendMessageW(toolbar, TB_ADDBUTTONSW, records.size(), reinterpret_cast<LPARAM>(records.data()));
        SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
    };
    fill(m_footerToolbar, {{IDC_FOOTER_TOOLBAR, FooterMakerLine()}, {IDC_LANGUAGE, L"# LNG"}}, false);
    fill(m_quickToolbar,
         {{IDC_FAQ, L""}, {IDC_DONATE, m_texts.donate}, {IDC_EXIT, m_texts.exit}, {IDC_TO_TRAY, m_texts.toTray}}, true);

    // The quick toolbar ends 10 pixels left of the dialog's right edge.
    if (m_quickToolbar == nullptr) return;
    const int count = static_cast<int>(SendMessageW(m_quickToolbar, TB_BUTTONCOUNT, 0, 0));
    RECT lastButton{};
    RECT client{};
    RECT toolbarRect{};
    if (count <= 0 || !SendMessageW(m_quickToolbar, TB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&lastButton))) {
        return;
    }
    GetClientRect(m_dialog, &client);
    GetWindowRect(m_quickToolbar, &toolbarRect);
    MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&toolbarRect), 2);
    const int left = client.right - 10 - lastButton.right;
    SetWindowPos(m_quickToolbar, nullptr, left, toolbarRect.top, lastButton.right, toolbarRect.bottom - toolbarRect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void SettingsDialog::SetArrowGlyphs() {
    if (m_arrowFont == nullptr) {
        LOGFONTW font{};
        auto baseFont = reinterpret_cast<HFONT>(SendDlgItemMessageW(m_dialog, IDC_ARROW_UP, WM_GETFONT, 0, 0));
        if (baseFont == nullptr) baseFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        GetObjectW(baseFont, sizeof(font), &font);
        font.lfHeight = static_cast<LONG>(font.lfHeight * 1.25);
        font.lfWeight = 900;
        m_arrowFont = CreateFontIndirectW(&font);
    }
    const struct {
        int id;
        const wchar_t* glyph;
    } arrows[] = {{IDC_ARROW_LEFT, L"\u140A "}, {IDC_ARROW_RIGHT, L"\u1405"}, {IDC_ARROW_UP, L"\u1403"},
                  {IDC_ARROW_DOWN, L"\u1401"}};
    for (const auto& arrow : arrows) {
        SendDlgItemMessageW(m_dialog, arrow.id, WM_SETFONT, reinterpret_cast<WPARAM>(m_arrowFont), TRUE);
        SetDlgItemTextW(m_dialog, arrow.id, arrow.glyph);
    }
}

void SettingsDialog::LoadBanner() {
    // The banner's size comes from the template, whatever the static made of itself.
    RECT place{-47, 0, -47 + 467, 45};
    MapDialogRect(m_dialog, &place);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    PictureHolder picture;
    if (width <= 0 || height <= 0 || !picture.LoadResource(L"bitmap9.jpg", L"PNG", GetModuleHandleW(nullptr)) ||
        picture.Image() == nullptr) {
        return;
    }
    CDumBitmap banner;
    void* bits = nullptr;
    banner.Create(width, height, &bits);
    if (banner.Handle() == nullptr) return;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, banner.Handle());
    const RECT target{0, 0, width, height};
    picture.DrawTo(memory, target, picture.Image());
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    banner.MakeOpaque();

    if (m_banner.Handle() != nullptr) DeleteObject(m_banner.Detach());
    m_banner.Attach(banner.Detach());
    HWND bannerStatic = Item(IDC_BANNER);
    auto previousImage = reinterpret_cast<HBITMAP>(
        SendMessageW(bannerStatic, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_banner.Handle())));
    if (previousImage != nullptr && previousImage != m_banner.Handle()) DeleteObject(previousImage);
    SetWindowPos(bannerStatic, nullptr, place.left, place.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
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
            if (control == nullptr || control == m_quickToolbar || control == m_footerToolbar) OpenCommandPage(id);
            return;
        case IDC_LANGUAGE:
            ShowLanguageMenu(m_dialog, m_footerToolbar);
            return;
        default:
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
    if (source == 2 && IndividualListIsEmpty()) OpenPictureSelectionDialog(m_dialog, {});
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
}

void SettingsDialog::BrowseForFolder() {
    AppConfig& app = GlobalAppConfig();
    const std::wstring storedFolder = app.imageFolder.Value();
    BROWSEINFOW browse{};
    browse.hwndOwner = m_dialog;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    browse.lpfn = FolderBrowserCallback;
    browse.lParam = reinterpret_cast<LPARAM>(&storedFolder);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr) return;
    wchar_t path[MAX_PATH] = L"";
    const bool hasPath = SHGetPathFromIDListW(chosen, path) && path[0] != L'\0';
    CoTaskMemFree(chosen);
    if (!hasPath) return;
    app.imageFolder.Set(path);
    g_pictureListRebuildRequest = true;
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
    CurrentDisplay().ApplyVisibility();
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

void SettingsDialog::OnDroppedFiles(HDROP drop) {
    std::vector<std::wstring> files;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(length);
        files.push_back(path);
    }
    DragFinish(drop);
    OpenPictureSelectionDialog(m_dialog, files);
}
