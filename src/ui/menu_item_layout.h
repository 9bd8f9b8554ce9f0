#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>

// The geometry of the command bar's owner-drawn menu items, as plain numbers: how large an
// item is, where its icon, check mark and text go. The bar's drawing code only fills these
// places in.

struct ItemBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct ItemSize {
    int width = 0;
    int height = 0;
};

// The square beside each item's text that holds its icon or check mark: the small-icon size
// plus 5 pixels across and 2 down.
ItemSize IconCellSize(int smallIconWidth, int smallIconHeight);

// A separator: no width, half the height of the system's menu bar.
ItemSize MeasureSeparator(int menuBarHeight);

// Any other item: as high as the icon cell or the menu font's absolute height + 8, whichever
// is larger; as wide as its text plus an icon cell on either side, less the check-mark width
// that the system adds to every owner-drawn item by itself, plus 22.
ItemSize MeasureItem(int textWidth, int fontHeight, ItemSize iconCell, int systemCheckWidth);

// The icon cell of an item drawn in `item`: at its left edge, centred from top to bottom.
ItemBox IconCellBox(const ItemBox& item, ItemSize iconCell);

// An image of `imageSize` centred in `cell`.
ItemBox CentredIn(const ItemBox& cell, ItemSize imageSize);

// The check mark's 9 x 9 glyph: one mask per row from the top, bit c set for column c counted
// from the left.
inline constexpr int kCheckGlyphSize = 9;
const std::array<uint16_t, kCheckGlyphSize>& CheckGlyphRows();

// Where an item's check mark (if any) and text go. An item with both an image and a check mark
// shows the check 16 pixels right of the cell's centre and moves its text 12 pixels right.
struct ItemLayout {
    ItemBox iconCell;
    ItemBox checkGlyph;
    ItemBox text;
};
ItemLayout LayOutItem(const ItemBox& item, ItemSize iconCell, bool hasImage, bool checked);

// An item's text cut at its first tab: the left-aligned part and the right-aligned part
// (empty when there is no tab).
std::pair<std::wstring, std::wstring> SplitAtTab(const std::wstring& text);

// The index of the top-level item to open after `index`: below the first wraps to the last,
// at or past `count` wraps to the first. -1 when there are no items.
int WrapItemIndex(int index, int count);
