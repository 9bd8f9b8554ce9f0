#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/gdi_objects.h"
#include "ui/command_bar.h"
#include "ui/menu_item_layout.h"

// The command bar with owner-drawn popups: every item of a popup the bar opens is drawn by the
// bar, with a small icon beside its text when one is registered for its command id, a drawn
// check mark, and a right-aligned part after a tab. The bar keeps what it needs to draw an
// item in a record of its own, pointed to by the item's data.
class CWinCmdBar2 : public CWinCmdBar {
public:
    static constexpr uint32_t kRecordMarker = 4883;  // 0x1313: an item drawn by this bar
    static constexpr int kMaxIcons = 256;

    // What the bar remembers of an owner-drawn item.
    struct ItemRecord {
        uint32_t marker = kRecordMarker;
        std::wstring text;
        UINT type = 0;
        UINT state = 0;
        int image = -1;              // in the bar's image list; -1 for none
        bool ownCheckMarks = false;  // the item carries check-mark bitmaps of its own
    };

    CWinCmdBar2();
    ~CWinCmdBar2() override;

    // Gives `commandId` an icon beside its items: the icon is copied into the bar's image list
    // (the caller keeps `icon`). Returns `commandId`, or 0 when the icon cannot be added or
    // 256 icons are registered already.
    int RegisterIcon(HICON icon, int commandId);
    // The image of a command id, or -1.
    int ImageOf(int commandId) const;
    int IconCount() const { return static_cast<int>(m_iconCommands.size()); }

    // Makes every item of `popup` that is not owner-drawn yet owner-drawn, with a record of its
    // text, type, state and image. Done for each popup as the bar opens it.
    void MakeOwnerDrawn(HMENU popup);

    // The owner-drawn item's measuring and drawing, as the owner receives them. Each returns
    // false for anything that is not one of the bar's items.
    bool MeasureItem(MEASUREITEMSTRUCT& measure) const;
    bool DrawItem(const DRAWITEMSTRUCT& draw) const;

    ItemSize IconCell() const { return m_iconCell; }
    HFONT MenuFont() const { return m_menuFont.Get(); }

protected:
    bool OwnerMessageFilter(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnPopupOpening(HMENU popup) override;
    void OnMenuReplaced() override;

private:
    static const ItemRecord* RecordOf(ULONG_PTR itemData);
    void DrawCheckGlyph(HDC dc, const ItemBox& box, COLORREF color) const;

    UniqueFont m_menuFont;
    UniqueFont m_boldFont;
    ItemSize m_iconCell;
    ItemSize m_imageSize;
    UniqueImageList m_images;
    std::vector<int> m_iconCommands;  // the command id at position i owns image i
    std::vector<std::unique_ptr<ItemRecord>> m_records;
};
