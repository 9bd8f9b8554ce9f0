#include "ui/settings_dialog.h"

// The settings dialog's pictures and toolbars: window icons, the colour buttons, both toolbars
// with their images, the arrow glyphs and the header banner.

#include "display/display_slots.h"
#include "imaging/bitmap32.h"
#include "imaging/color_theme.h"
#include "ui/color_theme_storage.h"
#include "imaging/header_banner.h"
#include "res/resource.h"
#include "ui/shell_icon.h"
#include "ui/web_commands.h"

namespace {

constexpr int kColourButtonCount = 4;

HICON LoadProgramIcon(int id, int width, int height) {
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0));
}

// Adds a copy of `icon` to `images`; a missing icon leaves an empty image in its place so that
// the buttons keep their image numbers.
void AddIconImage(HIMAGELIST images, const UniqueIcon& icon) {
    if (!icon || ImageList_AddIcon(images, icon.Get()) < 0) {
        const int width = GetSystemMetrics(SM_CXSMICON);
        const int height = GetSystemMetrics(SM_CYSMICON);
        CDumBitmap blank;
        blank.Create(width, height);
        blank.Fill(0);
        const UniqueBitmap blankImage(blank.Detach());
        ImageList_Add(images, blankImage.Get(), nullptr);
    }
}

}  // namespace

void SettingsDialog::SetDialogIcons() {
    m_largeIcon.Reset(LoadProgramIcon(IDI_APP, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)));
    m_smallIcon.Reset(LoadProgramIcon(IDI_APP, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
    SendMessageW(m_dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_largeIcon.Get()));
    SendMessageW(m_dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon.Get()));
    m_colourResetIcon.Reset(LoadProgramIcon(IDI_COLOURS, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
    SendDlgItemMessageW(m_dialog, IDC_COLOUR_RESET, BM_SETIMAGE, IMAGE_ICON,
                        reinterpret_cast<LPARAM>(m_colourResetIcon.Get()));
}

void SettingsDialog::LoadColourButtons() {
    CWinAlphaUhr& display = CurrentDisplay();
    // Not a slip: the picture source (0 to 2) is also the row of the colour theme table shown.
    const int themeIndex = display.Config().pictureSource.Value();
    LoadColorTheme(display.Drawing(), display.Config().Slot(), themeIndex);
    const std::vector<ColorTheme>& themes = display.Drawing().Themes();
    if (themeIndex < 0 || themeIndex >= static_cast<int>(themes.size())) return;
    for (int i = 0; i < kColourButtonCount; ++i) {
        const ThemeColor color = TextToColor(themes[themeIndex].colors[i]);
        const uint32_t red = static_cast<uint32_t>(color) & 0xFF;
        const uint32_t green = (static_cast<uint32_t>(color) >> 8) & 0xFF;
        const uint32_t blue = (static_cast<uint32_t>(color) >> 16) & 0xFF;
        CDumBitmap bitmap;
        bitmap.Create(16, 16);
        // The bitmap keeps blue, green, red in memory: red and blue change places.
        bitmap.Fill(0xFF000000u | (red << 16) | (green << 8) | blue);
        // The button shows the new bitmap before the one it showed goes.
        UniqueBitmap shown(bitmap.Detach());
        SendDlgItemMessageW(m_dialog, IDC_COLOUR_FIRST + i, BM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(shown.Get()));
        m_colourBitmaps[i] = std::move(shown);
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
    SendMessageW(toolbar, WM_SETFONT, reinterpret_cast<WPARAM>(m_toolbarFont.Get()), TRUE);
    return toolbar;
}

void SettingsDialog::CreateToolbars() {
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = PROOF_QUALITY;
    m_toolbarFont.Reset(CreateFontIndirectW(&font));

    m_footerToolbar = CreateToolbarAt(IDC_FOOTER_TOOLBAR);
    m_quickToolbar = CreateToolbarAt(IDC_QUICK_TOOLBAR);

    m_quickImages.Reset(
        ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), ILC_COLOR32 | ILC_MASK, 4, 0));
    const int smallWidth = GetSystemMetrics(SM_CXSMICON);
    const int smallHeight = GetSystemMetrics(SM_CYSMICON);
    AddIconImage(m_quickImages.Get(), UniqueIcon(LoadShellIcon(263)));
    AddIconImage(m_quickImages.Get(), UniqueIcon(LoadProgramIcon(IDI_DONATE, smallWidth, smallHeight)));
    AddIconImage(m_quickImages.Get(), UniqueIcon(LoadShellIcon(28)));
    AddIconImage(m_quickImages.Get(), UniqueIcon(LoadProgramIcon(IDI_TO_TRAY, smallWidth, smallHeight)));
    if (m_quickToolbar != nullptr) {
        SendMessageW(m_quickToolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_quickImages.Get()));
    }
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
    if (!m_arrowFont) {
        LOGFONTW font{};
        auto baseFont = reinterpret_cast<HFONT>(SendDlgItemMessageW(m_dialog, IDC_ARROW_UP, WM_GETFONT, 0, 0));
        if (baseFont == nullptr) baseFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        GetObjectW(baseFont, sizeof(font), &font);
        font.lfHeight = static_cast<LONG>(font.lfHeight * 1.25);
        font.lfWeight = 900;
        m_arrowFont.Reset(CreateFontIndirectW(&font));
    }
    const struct {
        int id;
        const wchar_t* glyph;
    } arrows[] = {{IDC_ARROW_LEFT, L"\u140A "}, {IDC_ARROW_RIGHT, L"\u1405"}, {IDC_ARROW_UP, L"\u1403"},
                  {IDC_ARROW_DOWN, L"\u1401"}};
    for (const auto& arrow : arrows) {
        SendDlgItemMessageW(m_dialog, arrow.id, WM_SETFONT, reinterpret_cast<WPARAM>(m_arrowFont.Get()), TRUE);
        SetDlgItemTextW(m_dialog, arrow.id, arrow.glyph);
    }
}

void SettingsDialog::LoadBanner() {
    // The banner's place in the template.
    ShowHeaderBanner(m_dialog, IDC_BANNER, RECT{-47, 0, -47 + 467, 45}, m_banner);
}

void SettingsDialog::ReleaseBanner() {
    // The static may have made a copy of the bitmap; that copy is the static's to delete.
    auto shown = reinterpret_cast<HBITMAP>(SendDlgItemMessageW(m_dialog, IDC_BANNER, STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (shown != nullptr && shown != m_banner.Get()) DeleteObject(shown);
    m_banner.Reset();
}
