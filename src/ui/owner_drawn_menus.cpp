#include "ui/owner_drawn_menus.h"

#include <algorithm>

namespace {

HFONT CreateMenuFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
        if (font != nullptr) return font;
    }
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    return CreateFontIndirectW(&font);
}

HFONT CreateBoldVariant(HFONT font) {
    LOGFONTW bold{};
    GetObjectW(font, sizeof(bold), &bold);
    bold.lfWeight += 200;
    bold.lfCharSet = DEFAULT_CHARSET;
    bold.lfQuality = PROOF_QUALITY;
    return CreateFontIndirectW(&bold);
}

RECT ToRect(const ItemBox& box) { return RECT{box.left, box.top, box.right, box.bottom}; }
ItemBox ToBox(const RECT& rect) { return ItemBox{rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace

CWinCmdBar2::CWinCmdBar2()
    : m_iconCell(IconCellSize(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON))),
      m_imageSize{GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)} {
    m_menuFont.Reset(CreateMenuFont());
    m_boldFont.Reset(CreateBoldVariant(m_menuFont.Get()));
}

CWinCmdBar2::~CWinCmdBar2() = default;

int CWinCmdBar2::RegisterIcon(HICON icon, int commandId) {
    if (icon == nullptr || IconCount() >= kMaxIcons) return 0;
    if (!m_images) {
        m_images.Reset(ImageList_Create(m_imageSize.width, m_imageSize.height, ILC_COLOR32 | ILC_MASK, 16, 16));
        if (!m_images) return 0;
    }
    if (ImageList_AddIcon(m_images.Get(), icon) < 0) return 0;
    m_iconCommands.push_back(commandId);
    return commandId;
}

int CWinCmdBar2::ImageOf(int commandId) const {
    const auto found = std::find(m_iconCommands.begin(), m_iconCommands.end(), commandId);
    return found == m_iconCommands.end() ? -1 : static_cast<int>(found - m_iconCommands.begin());
}

void CWinCmdBar2::OnPopupOpening(HMENU popup) { MakeOwnerDrawn(popup); }

// The items of the destroyed menu are gone, and with them every use of their records.
void CWinCmdBar2::OnMenuReplaced() { m_records.clear(); }

void CWinCmdBar2::MakeOwnerDrawn(HMENU popup) {
    const int count = GetMenuItemCount(popup);
    for (int index = 0; index < count; ++index) {
        wchar_t text[512] = L"";
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_CHECKMARKS | MIIM_DATA;
        item.dwTypeData = text;
        item.cch = static_cast<UINT>(std::size(text));
        if (!GetMenuItemInfoW(popup, static_cast<UINT>(index), TRUE, &item)) continue;
        if ((item.fType & MFT_OWNERDRAW) != 0) continue;

        auto record = std::make_unique<ItemRecord>();
        record->text = (item.fType & MFT_SEPARATOR) != 0 ? std::wstring() : std::wstring(text);
        record->type = item.fType;
        record->state = item.fState;
        record->image = ImageOf(static_cast<int>(item.wID));
        record->ownCheckMarks = item.hbmpChecked != nullptr || item.hbmpUnchecked != nullptr;

        MENUITEMINFOW change{};
        change.cbSize = sizeof(change);
        change.fMask = MIIM_FTYPE | MIIM_DATA;
        change.fType = item.fType | MFT_OWNERDRAW;
        change.dwItemData = reinterpret_cast<ULONG_PTR>(record.get());
        if (SetMenuItemInfoW(popup, static_cast<UINT>(index), TRUE, &change)) m_records.push_back(std::move(record));
    }
}

const CWinCmdBar2::ItemRecord* CWinCmdBar2::RecordOf(ULONG_PTR itemData) {
    const auto* record = reinterpret_cast<const ItemRecord*>(itemData);
    return record != nullptr && record->marker == kRecordMarker ? record : nullptr;
}

bool CWinCmdBar2::MeasureItem(MEASUREITEMSTRUCT& measure) const {
    if (measure.CtlType != ODT_MENU) return false;
    const ItemRecord* record = RecordOf(measure.itemData);
    if (record == nullptr) return false;
    if ((record->type & MFT_SEPARATOR) != 0) {
        const ItemSize size = MeasureSeparator(GetSystemMetrics(SM_CYMENU));
        measure.itemWidth = static_cast<UINT>(size.width);
        measure.itemHeight = static_cast<UINT>(size.height);
        return true;
    }
    HDC dc = GetDC(nullptr);
    HFONT font = (record->state & MFS_DEFAULT) != 0 ? m_boldFont.Get() : m_menuFont.Get();
    HGDIOBJ previous = SelectObject(dc, font);
    RECT extent{0, 0, 0, 0};
    DrawTextW(dc, record->text.c_str(), static_cast<int>(record->text.size()), &extent,
              DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    LOGFONTW menuFont{};
    GetObjectW(m_menuFont.Get(), sizeof(menuFont), &menuFont);
    const ItemSize size =
        ::MeasureItem(extent.right - extent.left, menuFont.lfHeight, m_iconCell, GetSystemMetrics(SM_CXMENUCHECK));
    measure.itemWidth = static_cast<UINT>(size.width);
    measure.itemHeight = static_cast<UINT>(size.height);
    return true;
}

void CWinCmdBar2::DrawCheckGlyph(HDC dc, const ItemBox& box, COLORREF color) const {
    const auto& rows = CheckGlyphRows();
    for (int row = 0; row < kCheckGlyphSize; ++row) {
        for (int column = 0; column < kCheckGlyphSize; ++column) {
            if ((rows[row] >> column) & 1) SetPixelV(dc, box.left + column, box.top + row, color);
        }
    }
}

bool CWinCmdBar2::DrawItem(const DRAWITEMSTRUCT& draw) const {
    if (draw.CtlType != ODT_MENU) return false;
    const ItemRecord* record = RecordOf(draw.itemData);
    if (record == nullptr) return false;
    HDC dc = draw.hDC;
    const ItemBox item = ToBox(draw.rcItem);
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    // The menu reports the item's state as it is now, which may differ from the record's.
    const bool greyed = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0 || (record->state & MFS_GRAYED) != 0;
    const bool checked =
        (draw.itemState & ODS_CHECKED) != 0 || (record->state & MFS_CHECKED) != 0 || record->ownCheckMarks;

    if (selected) {
        FillRect(dc, &draw.rcItem, GetSysColorBrush(COLOR_MENUHILIGHT));
        FrameRect(dc, &draw.rcItem, GetSysColorBrush(COLOR_HIGHLIGHT));
    } else if (draw.itemAction == ODA_SELECT) {
        FillRect(dc, &draw.rcItem, GetSysColorBrush(COLOR_MENU));
    }

    if ((record->type & MFT_SEPARATOR) != 0) {
        RECT line = draw.rcItem;
        line.top += (line.bottom - line.top) / 2;
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
        return true;
    }

    const bool hasImage = record->image >= 0 && m_images;
    const ItemLayout layout = LayOutItem(item, m_iconCell, hasImage, checked);
    if (hasImage && !greyed) {
        const ItemBox image = CentredIn(layout.iconCell, m_imageSize);
        ImageList_Draw(m_images.Get(), record->image, dc, image.left, image.top, ILD_TRANSPARENT);
    }

    const COLORREF color = greyed ? GetSysColor(selected ? COLOR_GRAYTEXT : COLOR_BTNSHADOW)
                                  : GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    if (checked) DrawCheckGlyph(dc, layout.checkGlyph, color);

    const auto [leftPart, rightPart] = SplitAtTab(record->text);
    HGDIOBJ previousFont = SelectObject(dc, (record->state & MFS_DEFAULT) != 0 ? m_boldFont.Get() : m_menuFont.Get());
    const COLORREF previousColor = SetTextColor(dc, color);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    RECT text = ToRect(layout.text);
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_HIDEPREFIX;
    DrawTextW(dc, leftPart.c_str(), static_cast<int>(leftPart.size()), &text, format | DT_LEFT);
    if (!rightPart.empty()) {
        DrawTextW(dc, rightPart.c_str(), static_cast<int>(rightPart.size()), &text, format | DT_RIGHT);
    }
    SetBkMode(dc, previousMode);
    SetTextColor(dc, previousColor);
    SelectObject(dc, previousFont);
    return true;
}

bool CWinCmdBar2::OwnerMessageFilter(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_MEASUREITEM:
            if (lParam == 0 || !MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) break;
            result = TRUE;
            return true;
        case WM_DRAWITEM:
            if (lParam == 0 || !DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) break;
            result = TRUE;
            return true;
        default:
            break;
    }
    return CWinCmdBar::OwnerMessageFilter(message, wParam, lParam, result);
}
