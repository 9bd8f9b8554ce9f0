// The command bar's owner-drawn items, measured and drawn through the same paths the menu
// uses, into a bitmap whose pixels are then read.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "ui/menu_item_layout.h"
#include "ui/owner_drawn_menus.h"

namespace {

constexpr int kIconItem = 100;
constexpr int kPlainItem = 101;
constexpr int kCheckedItem = 102;
constexpr int kCheckedIconItem = 103;
constexpr int kTabItem = 104;
constexpr int kGreyItem = 105;
constexpr COLORREF kIconColour = RGB(250, 20, 30);

// A 16 x 16 icon of one colour.
HICON SolidIcon(COLORREF colour) {
    const int width = GetSystemMetrics(SM_CXSMICON);
    const int height = GetSystemMetrics(SM_CYSMICON);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0xFF000000u | (GetRValue(colour) << 16) |
                                                                          (GetGValue(colour) << 8) | GetBValue(colour));
    HBITMAP colourBitmap = CreateBitmap(width, height, 1, 32, pixels.data());
    std::vector<uint8_t> mask(static_cast<size_t>((width + 15) / 16 * 2) * height, 0);
    HBITMAP maskBitmap = CreateBitmap(width, height, 1, 1, mask.data());
    ICONINFO info{TRUE, 0, 0, maskBitmap, colourBitmap};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(colourBitmap);
    DeleteObject(maskBitmap);
    return icon;
}

// A top-down 32-bit bitmap in a memory DC, filled with the menu colour.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_previous = SelectObject(m_dc, m_bitmap);
        RECT all{0, 0, width, height};
        FillRect(m_dc, &all, GetSysColorBrush(COLOR_MENU));
    }
    ~Canvas() {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        const uint32_t pixel = m_bits[static_cast<size_t>(y) * m_width + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    // The leftmost and rightmost columns in [from, to) holding a pixel other than `background`.
    std::optional<std::pair<int, int>> InkColumns(int from, int to, COLORREF background) const {
        std::optional<std::pair<int, int>> found;
        for (int x = from; x < to; ++x) {
            for (int y = 0; y < m_height; ++y) {
                if (At(x, y) == background) continue;
                if (!found) found = std::pair<int, int>{x, x};
                found->second = x;
                break;
            }
        }
        return found;
    }
    bool HasPixel(COLORREF colour, int from, int to) const {
        for (int x = from; x < to; ++x) {
            for (int y = 0; y < m_height; ++y) {
                if (At(x, y) == colour) return true;
            }
        }
        return false;
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    uint32_t* m_bits = nullptr;
};

// Gives one system colour another value for the test's time and puts it back.
class SystemColourChange {
public:
    SystemColourChange(int element, COLORREF colour) : m_element(element), m_saved(GetSysColor(element)) {
        SetSysColors(1, &m_element, &colour);
    }
    ~SystemColourChange() { SetSysColors(1, &m_element, &m_saved); }
    SystemColourChange(const SystemColourChange&) = delete;
    SystemColourChange& operator=(const SystemColourChange&) = delete;

private:
    int m_element;
    COLORREF m_saved;
};

class OwnerDrawnMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        HICON icon = SolidIcon(kIconColour);
        ASSERT_NE(icon, nullptr);
        ASSERT_EQ(m_bar.RegisterIcon(icon, kIconItem), kIconItem);
        ASSERT_EQ(m_bar.RegisterIcon(icon, kCheckedIconItem), kCheckedIconItem);
        DestroyIcon(icon);

        m_menu = CreatePopupMenu();
        AppendMenuW(m_menu, MF_STRING, kIconItem, L"Item with icon");
        AppendMenuW(m_menu, MF_STRING, kPlainItem, L"Item with icon");
        AppendMenuW(m_menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(m_menu, MF_STRING | MF_CHECKED, kCheckedItem, L"Checked");
        AppendMenuW(m_menu, MF_STRING | MF_CHECKED, kCheckedIconItem, L"Checked");
        AppendMenuW(m_menu, MF_STRING, kTabItem, L"FAQ\t(# ?)");
        AppendMenuW(m_menu, MF_STRING | MF_GRAYED | MF_CHECKED, kGreyItem, L"Greyed");
        m_bar.MakeOwnerDrawn(m_menu);
    }
    void TearDown() override { DestroyMenu(m_menu); }

    ULONG_PTR ItemData(int position) const {
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_DATA | MIIM_FTYPE | MIIM_ID;
        GetMenuItemInfoW(m_menu, static_cast<UINT>(position), TRUE, &item);
        return item.dwItemData;
    }
    int PositionOf(int id) const {
        for (int i = 0; i < GetMenuItemCount(m_menu); ++i) {
            if (static_cast<int>(GetMenuItemID(m_menu, i)) == id) return i;
        }
        return -1;
    }

    ItemSize Measure(int position) const {
        MEASUREITEMSTRUCT measure{};
        measure.CtlType = ODT_MENU;
        measure.itemID = GetMenuItemID(m_menu, position);
        measure.itemData = ItemData(position);
        measure.itemWidth = 0xdead;
        measure.itemHeight = 0xbeef;
        EXPECT_TRUE(m_bar.MeasureItem(measure));
        return {static_cast<int>(measure.itemWidth), static_cast<int>(measure.itemHeight)};
    }

    // Draws item `id` into a canvas of its measured height and 240 pixels' width.
    std::unique_ptr<Canvas> Draw(int id, UINT state) const {
        const int position = PositionOf(id);
        const ItemSize size = Measure(position);
        auto canvas = std::make_unique<Canvas>(240, size.height);
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = static_cast<UINT>(id);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hDC = canvas->Dc();
        draw.rcItem = RECT{0, 0, 240, size.height};
        draw.itemData = ItemData(position);
        EXPECT_TRUE(m_bar.DrawItem(draw));
        return canvas;
    }

    ItemLayout LayoutFor(const Canvas& canvas, bool hasImage, bool checked) const {
        return LayOutItem(ItemBox{0, 0, canvas.Width(), canvas.Height()}, m_bar.IconCell(), hasImage, checked);
    }

    CWinCmdBar2 m_bar;
    HMENU m_menu = nullptr;
};

TEST_F(OwnerDrawnMenuTest, EveryItemBecomesOwnerDrawnWithItsRecord) {
    const struct {
        int position;
        const wchar_t* text;
        int image;
    } rows[] = {{0, L"Item with icon", 0},
                {1, L"Item with icon", -1},
                {2, L"", -1},
                {4, L"Checked", 1},
                {5, L"FAQ\t(# ?)", -1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.position);
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE;
        ASSERT_TRUE(GetMenuItemInfoW(m_menu, static_cast<UINT>(row.position), TRUE, &item));
        EXPECT_NE(item.fType & MFT_OWNERDRAW, 0u);
        const auto* record = reinterpret_cast<const CWinCmdBar2::ItemRecord*>(ItemData(row.position));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->marker, 4883u);
        EXPECT_EQ(record->text, row.text);
        EXPECT_EQ(record->image, row.image);
    }
    // A second pass leaves items that are owner-drawn already alone.
    const ULONG_PTR before = ItemData(0);
    m_bar.MakeOwnerDrawn(m_menu);
    EXPECT_EQ(ItemData(0), before);

    // Items that are not the bar's are neither measured nor drawn by it.
    MEASUREITEMSTRUCT foreign{};
    foreign.CtlType = ODT_MENU;
    CWinCmdBar2::ItemRecord other;
    other.marker = 1234;
    foreign.itemData = reinterpret_cast<ULONG_PTR>(&other);
    EXPECT_FALSE(m_bar.MeasureItem(foreign));
}

TEST_F(OwnerDrawnMenuTest, SeparatorIsHalfTheMenuHeightAndNoWidth) {
    const ItemSize separator = Measure(2);
    EXPECT_EQ(separator.width, 0);
    EXPECT_EQ(separator.height, GetSystemMetrics(SM_CYMENU) / 2);

    LOGFONTW font{};
    GetObjectW(m_bar.MenuFont(), sizeof(font), &font);
    const ItemSize plain = Measure(1);
    EXPECT_EQ(plain.height, std::max(m_bar.IconCell().height, std::abs(static_cast<int>(font.lfHeight)) + 8));
    // Same text, same width, with or without an icon.
    EXPECT_EQ(Measure(0).width, plain.width);
    EXPECT_GT(plain.width, 2 * m_bar.IconCell().width - GetSystemMetrics(SM_CXMENUCHECK) + 22);
}

TEST_F(OwnerDrawnMenuTest, CheckMarkIsTheNineByNineGlyph) {
    const COLORREF text = GetSysColor(COLOR_MENUTEXT);
    const COLORREF background = GetSysColor(COLOR_MENU);
    ASSERT_NE(text, background);
    for (const bool withImage : {false, true}) {
        SCOPED_TRACE(withImage ? "with an image" : "without an image");
        const auto canvas = Draw(withImage ? kCheckedIconItem : kCheckedItem, 0);
        const ItemLayout layout = LayoutFor(*canvas, withImage, true);
        const ItemBox cellCentre = CentredIn(layout.iconCell, {9, 9});
        EXPECT_EQ(layout.checkGlyph.left, cellCentre.left + (withImage ? 16 : 0));
        const auto& rows = CheckGlyphRows();
        int setPixels = 0;
        for (int row = 0; row < 9; ++row) {
            for (int column = 0; column < 9; ++column) {
                const bool set = ((rows[row] >> column) & 1) != 0;
                setPixels += set;
                const COLORREF pixel = canvas->At(layout.checkGlyph.left + column, layout.checkGlyph.top + row);
                if (set) {
                    EXPECT_EQ(pixel, text) << "row " << row << " column " << column;
                } else if (!withImage) {
                    EXPECT_EQ(pixel, background) << "row " << row << " column " << column;
                }
            }
        }
        EXPECT_EQ(setPixels, 27);
    }
    // The glyph's rows as the program draws them: a tick.
    const std::array<uint16_t, 9> expected = {0x000, 0x100, 0x180, 0x1C1, 0x0E3, 0x077, 0x03E, 0x01C, 0x008};
    EXPECT_EQ(CheckGlyphRows(), expected);
}

TEST_F(OwnerDrawnMenuTest, TextsLineUpWithAndWithoutIcon) {
    const COLORREF background = GetSysColor(COLOR_MENU);
    const auto withIcon = Draw(kIconItem, 0);
    const auto withoutIcon = Draw(kPlainItem, 0);
    const ItemLayout layout = LayoutFor(*withIcon, true, false);

    // The icon fills its cell's centre; the other item's cell stays empty.
    const ItemBox image = CentredIn(layout.iconCell, {GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)});
    EXPECT_EQ(withIcon->At((image.left + image.right) / 2, (image.top + image.bottom) / 2), kIconColour);
    EXPECT_FALSE(withoutIcon->InkColumns(0, layout.iconCell.right, background).has_value())
        << "an item without an icon has ink in its icon cell";

    const auto textWith = withIcon->InkColumns(layout.iconCell.right, withIcon->Width(), background);
    const auto textWithout = withoutIcon->InkColumns(layout.iconCell.right, withoutIcon->Width(), background);
    ASSERT_TRUE(textWith.has_value());
    ASSERT_TRUE(textWithout.has_value());
    EXPECT_EQ(textWith->first, textWithout->first) << "the texts do not start in the same column";
    EXPECT_GE(textWith->first, layout.text.left);
    EXPECT_LE(textWith->first, layout.text.left + 3);
}

TEST_F(OwnerDrawnMenuTest, TextAfterTheTabIsRightAligned) {
    const COLORREF background = GetSysColor(COLOR_MENU);
    const auto canvas = Draw(kTabItem, 0);
    const ItemLayout layout = LayoutFor(*canvas, false, false);
    const auto ink = canvas->InkColumns(layout.iconCell.right, canvas->Width(), background);
    ASSERT_TRUE(ink.has_value());
    EXPECT_LE(ink->second, layout.text.right - 1);
    EXPECT_GE(ink->second, layout.text.right - 4) << "the part after the tab does not end at the right edge";
    // Between the two parts lies a gap of at least half the text area.
    int longestGap = 0;
    int gap = 0;
    for (int x = ink->first; x <= ink->second; ++x) {
        bool blank = true;
        for (int y = 0; y < canvas->Height(); ++y) blank = blank && canvas->At(x, y) == background;
        gap = blank ? gap + 1 : 0;
        longestGap = std::max(longestGap, gap);
    }
    EXPECT_GT(longestGap, (layout.text.right - layout.text.left) / 2);
}

TEST_F(OwnerDrawnMenuTest, ColoursFollowGreyedAndSelectedStates) {
    // Distinct values for the four colours, which some systems make alike (Wine: both greys).
    const SystemColourChange greyText(COLOR_GRAYTEXT, RGB(0, 140, 70));
    const SystemColourChange shadow(COLOR_BTNSHADOW, RGB(140, 0, 70));
    const struct {
        const char* name;
        int id;
        UINT state;
        int colour;
    } rows[] = {
        {"normal", kCheckedItem, 0, COLOR_MENUTEXT},
        {"selected", kCheckedItem, ODS_SELECTED, COLOR_HIGHLIGHTTEXT},
        {"greyed", kGreyItem, ODS_GRAYED, COLOR_BTNSHADOW},
        {"greyed and selected", kGreyItem, ODS_GRAYED | ODS_SELECTED, COLOR_GRAYTEXT},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto canvas = Draw(row.id, row.state);
        const ItemLayout layout = LayoutFor(*canvas, false, true);
        const COLORREF expected = GetSysColor(row.colour);
        // The glyph's lowest set pixel (row 8, column 3) shows the colour exactly.
        EXPECT_EQ(canvas->At(layout.checkGlyph.left + 3, layout.checkGlyph.top + 8), expected);
        EXPECT_TRUE(canvas->HasPixel(expected, layout.text.left, layout.text.right)) << "no text in the colour";
        const bool selected = (row.state & ODS_SELECTED) != 0;
        const COLORREF fill = canvas->At(canvas->Width() - 3, canvas->Height() / 2);
        EXPECT_EQ(fill, GetSysColor(selected ? COLOR_MENUHILIGHT : COLOR_MENU));
        if (selected) {
            EXPECT_EQ(canvas->At(0, 0), GetSysColor(COLOR_HIGHLIGHT)) << "no highlight frame";
        }
    }
}

TEST_F(OwnerDrawnMenuTest, GreyedItemShowsNoIcon) {
    CWinCmdBar2 bar;
    HICON icon = SolidIcon(kIconColour);
    ASSERT_EQ(bar.RegisterIcon(icon, 300), 300);
    DestroyIcon(icon);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING | MF_GRAYED, 300, L"Greyed with icon");
    bar.MakeOwnerDrawn(menu);
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu, 0, TRUE, &item);
    Canvas canvas(240, 24);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = 300;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = ODS_GRAYED;
    draw.hDC = canvas.Dc();
    draw.rcItem = RECT{0, 0, 240, 24};
    draw.itemData = item.dwItemData;
    ASSERT_TRUE(bar.DrawItem(draw));
    EXPECT_FALSE(canvas.HasPixel(kIconColour, 0, bar.IconCell().width));
    DestroyMenu(menu);
}

TEST(CommandBarIconsTest, RegistrationStopsAt256AndRefusesMissingIcons) {
    CWinCmdBar2 bar;
    EXPECT_EQ(bar.RegisterIcon(nullptr, 5), 0);
    HICON icon = SolidIcon(RGB(1, 2, 3));
    for (int id = 1; id <= CWinCmdBar2::kMaxIcons; ++id) ASSERT_EQ(bar.RegisterIcon(icon, id), id);
    EXPECT_EQ(bar.RegisterIcon(icon, 9999), 0);
    EXPECT_EQ(bar.IconCount(), CWinCmdBar2::kMaxIcons);
    EXPECT_EQ(bar.ImageOf(1), 0);
    EXPECT_EQ(bar.ImageOf(256), 255);
    EXPECT_EQ(bar.ImageOf(9999), -1);
    DestroyIcon(icon);
}

TEST(MenuItemLayoutTest, WrapsSplitsAndMeasures) {
    const struct {
        int index, count, expected;
    } wraps[] = {{-1, 1, 0}, {1, 1, 0}, {0, 1, 0}, {-1, 3, 2}, {3, 3, 0}, {1, 3, 1}, {0, 0, -1}};
    for (const auto& row : wraps) {
        SCOPED_TRACE(testing::Message() << row.index << " of " << row.count);
        EXPECT_EQ(WrapItemIndex(row.index, row.count), row.expected);
    }
    EXPECT_EQ(SplitAtTab(L"FAQ\t(# ?)"), (std::pair<std::wstring, std::wstring>{L"FAQ", L"(# ?)"}));
    EXPECT_EQ(SplitAtTab(L"a\tb\tc"), (std::pair<std::wstring, std::wstring>{L"a", L"b\tc"}));
    EXPECT_EQ(SplitAtTab(L"plain"), (std::pair<std::wstring, std::wstring>{L"plain", L""}));

    const ItemSize cell = IconCellSize(16, 16);
    EXPECT_EQ(cell.width, 21);
    EXPECT_EQ(cell.height, 18);
    // Height: the larger of cell and font + 8; width: text + two cells - check width + 22.
    EXPECT_EQ(MeasureItem(50, -11, cell, 13).height, 19);
    EXPECT_EQ(MeasureItem(50, -8, cell, 13).height, 18);
    EXPECT_EQ(MeasureItem(50, -8, cell, 13).width, 50 + 42 - 13 + 22);
    EXPECT_EQ(MeasureSeparator(19).height, 9);
    EXPECT_EQ(MeasureSeparator(19).width, 0);
}

}  // namespace
