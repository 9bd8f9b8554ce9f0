#include "ui/menu_item_layout.h"

#include <algorithm>
#include <cstdlib>

ItemSize IconCellSize(int smallIconWidth, int smallIconHeight) { return {smallIconWidth + 5, smallIconHeight + 2}; }

ItemSize MeasureSeparator(int menuBarHeight) { return {0, menuBarHeight / 2}; }

ItemSize MeasureItem(int textWidth, int fontHeight, ItemSize iconCell, int systemCheckWidth) {
    const int height = std::max(iconCell.height, std::abs(fontHeight) + 8);
    const int width = textWidth + 2 * iconCell.width - systemCheckWidth + 22;
    return {width, height};
}

ItemBox IconCellBox(const ItemBox& item, ItemSize iconCell) {
    const int top = item.top + (item.Height() - iconCell.height) / 2;
    return {item.left, top, item.left + iconCell.width, top + iconCell.height};
}

ItemBox CentredIn(const ItemBox& cell, ItemSize imageSize) {
    const int left = cell.left + (cell.Width() - imageSize.width) / 2;
    const int top = cell.top + (cell.Height() - imageSize.height) / 2;
    return {left, top, left + imageSize.width, top + imageSize.height};
}

const std::array<uint16_t, kCheckGlyphSize>& CheckGlyphRows() {
    static const std::array<uint16_t, kCheckGlyphSize> rows = {
        0,                    // row 0: none
        1 << 8,               // row 1: column 8
        (1 << 7) | (1 << 8),  // row 2: columns 7-8
        1 | (7 << 6),         // row 3: column 0 and 6-8
        3 | (7 << 5),         // row 4: columns 0-1 and 5-7
        7 | (7 << 4),         // row 5: columns 0-2 and 4-6
        31 << 1,              // row 6: columns 1-5
        7 << 2,               // row 7: columns 2-4
        1 << 3,               // row 8: column 3
    };
    return rows;
}

ItemLayout LayOutItem(const ItemBox& item, ItemSize iconCell, bool hasImage, bool checked) {
    ItemLayout layout;
    layout.iconCell = IconCellBox(item, iconCell);
    layout.checkGlyph = CentredIn(layout.iconCell, {kCheckGlyphSize, kCheckGlyphSize});
    int textShift = 0;
    if (checked && hasImage) {
        layout.checkGlyph.left += 16;
        layout.checkGlyph.right += 16;
        textShift = 12;
    }
    layout.text = {layout.iconCell.right + 3 + textShift, item.top, item.right - iconCell.width, item.bottom};
    return layout;
}

std::pair<std::wstring, std::wstring> SplitAtTab(const std::wstring& text) {
    const size_t tab = text.find(L'\t');
    if (tab == std::wstring::npos) return {text, std::wstring()};
    return {text.substr(0, tab), text.substr(tab + 1)};
}

int WrapItemIndex(int index, int count) {
    if (count <= 0) return -1;
    if (index < 0) return count - 1;
    if (index >= count) return 0;
    return index;
}
