// The command bar in this process, on a real dialog: its popups are tracked by the system's
// menu loop, driven by posted keys and mouse messages as the user's input would arrive.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

#include "common/message_pump.h"
#include "ui/info_menu.h"
#include "ui/owner_drawn_menus.h"

namespace {

// What the dialog saw of the menus.
struct DialogLog {
    std::vector<HMENU> openedPopups;
    std::vector<UINT> selectedItems;
    std::vector<UINT> commands;
};

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    auto* log = reinterpret_cast<DialogLog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (log == nullptr) return FALSE;
    switch (message) {
        case WM_INITMENUPOPUP:
            log->openedPopups.push_back(reinterpret_cast<HMENU>(wParam));
            return TRUE;
        case WM_MENUSELECT:
            if (LOWORD(wParam) != 0) log->selectedItems.push_back(LOWORD(wParam));
            return TRUE;
        case WM_COMMAND:
            log->commands.push_back(LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

// A visible modeless dialog made from a template in memory, as the settings dialog is made
// from its resource.
class TestDialog {
public:
    TestDialog() {
        struct alignas(4) Template {
            DLGTEMPLATE header;
            WORD menu, windowClass, title;
        } dialogTemplate{};
        // No caption: Wine hides a captioned window only after waiting for a window manager.
        dialogTemplate.header.style = WS_POPUP | WS_BORDER | WS_VISIBLE;
        dialogTemplate.header.cx = 240;
        dialogTemplate.header.cy = 120;
        dialogTemplate.header.x = 20;
        dialogTemplate.header.y = 20;
        m_window = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &dialogTemplate.header, nullptr,
                                              TestDialogProc, reinterpret_cast<LPARAM>(&m_log));
        if (m_window != nullptr) {
            ShowWindow(m_window, SW_SHOW);
            SetForegroundWindow(m_window);
        }
    }
    ~TestDialog() {
        if (m_window != nullptr) DestroyWindow(m_window);
    }
    TestDialog(const TestDialog&) = delete;
    TestDialog& operator=(const TestDialog&) = delete;

    HWND Window() const { return m_window; }
    DialogLog& Log() { return m_log; }

private:
    DialogLog m_log;
    HWND m_window = nullptr;
};

void PostKey(HWND window, UINT key) {
    const LPARAM lParam = 1 | (static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16);
    PostMessageW(window, WM_KEYDOWN, key, lParam);
}

// Two popups, "&First" (items 101, 102) and "&Second" (items 201, 202).
HMENU TwoItemMenu() {
    HMENU first = CreatePopupMenu();
    AppendMenuW(first, MF_STRING, 101, L"First one");
    AppendMenuW(first, MF_STRING, 102, L"First two");
    HMENU second = CreatePopupMenu();
    AppendMenuW(second, MF_STRING, 201, L"Second one");
    AppendMenuW(second, MF_STRING, 202, L"Second two");
    HMENU bar = CreatePopupMenu();
    AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(first), L"&First");
    AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(second), L"&Second");
    return bar;
}

POINT ButtonCentre(const CWinCmdBar& bar, int index) {
    RECT button{};
    SendMessageW(bar.Toolbar(), TB_GETRECT, CWinCmdBar::kFirstButtonId + index, reinterpret_cast<LPARAM>(&button));
    POINT centre{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    ClientToScreen(bar.Toolbar(), &centre);
    return centre;
}

// A popup that nothing closes would hold the test forever: after a few seconds this closes it,
// and the test fails.
CWinCmdBar* g_guardedBar = nullptr;
int g_guardEscapes = 0;

void CALLBACK EscapeGuard(HWND, UINT, UINT_PTR, DWORD) {
    if (g_guardedBar == nullptr || !g_guardedBar->IsTracking()) return;
    ++g_guardEscapes;
    PostKey(g_guardedBar->Toolbar(), VK_ESCAPE);
}

class CommandBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(m_dialog.Window(), nullptr);
        ASSERT_TRUE(m_bar.Attach(m_dialog.Window()));
        g_guardedBar = &m_bar;
        g_guardEscapes = 0;
        m_guard = SetTimer(nullptr, 0, 3000, EscapeGuard);
        HandleMessagesUntilQuiet();
    }
    void TearDown() override {
        KillTimer(nullptr, m_guard);
        g_guardedBar = nullptr;
        EXPECT_EQ(g_guardEscapes, 0) << "a popup stayed open until the test closed it";
    }

    UINT_PTR m_guard = 0;

    TestDialog m_dialog;
    CWinCmdBar2 m_bar;
};

TEST_F(CommandBarTest, ToolbarSpansTheOwnerWithOneButtonPerItem) {
    RECT client{};
    GetClientRect(m_dialog.Window(), &client);
    RECT toolbar{};
    GetWindowRect(m_bar.Toolbar(), &toolbar);
    MapWindowPoints(nullptr, m_dialog.Window(), reinterpret_cast<POINT*>(&toolbar), 2);
    EXPECT_EQ(toolbar.left, 0);
    EXPECT_EQ(toolbar.top, 0);
    EXPECT_EQ(toolbar.right, client.right);
    EXPECT_EQ(toolbar.bottom - toolbar.top, m_bar.Height());
    EXPECT_GE(m_bar.Height(), GetSystemMetrics(SM_CYSMICON) + 4);
    EXPECT_TRUE(IsWindowVisible(m_bar.Toolbar()));

    m_bar.SetMenu(TwoItemMenu());
    ASSERT_EQ(SendMessageW(m_bar.Toolbar(), TB_BUTTONCOUNT, 0, 0), 2);
    const struct {
        int index;
        const wchar_t* text;
    } buttons[] = {{0, L"&First"}, {1, L"&Second"}};
    for (const auto& button : buttons) {
        SCOPED_TRACE(button.index);
        TBBUTTON info{};
        ASSERT_TRUE(SendMessageW(m_bar.Toolbar(), TB_GETBUTTON, button.index, reinterpret_cast<LPARAM>(&info)));
        EXPECT_EQ(info.idCommand, CWinCmdBar::kFirstButtonId + button.index);
        wchar_t text[64] = L"";
        SendMessageW(m_bar.Toolbar(), TB_GETBUTTONTEXTW, info.idCommand, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, button.text);
    }

    // Buttons are the bar's own: an insertion from outside is refused.
    TBBUTTON stranger{};
    stranger.iBitmap = I_IMAGENONE;
    stranger.idCommand = 999;
    stranger.fsState = TBSTATE_ENABLED;
    stranger.iString = reinterpret_cast<INT_PTR>(L"stranger");
    SendMessageW(m_bar.Toolbar(), TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&stranger));
    EXPECT_EQ(SendMessageW(m_bar.Toolbar(), TB_BUTTONCOUNT, 0, 0), 2);
}

TEST_F(CommandBarTest, SettingASecondMenuDestroysTheFirst) {
    HMENU first = TwoItemMenu();
    HMENU firstPopup = GetSubMenu(first, 0);
    m_bar.SetMenu(first);
    HMENU second = BuildInfoMenu(Installation{});
    m_bar.SetMenu(second);
    EXPECT_FALSE(IsMenu(first)) << "the first menu was not destroyed";
    EXPECT_FALSE(IsMenu(firstPopup));
    EXPECT_TRUE(IsMenu(second));
    EXPECT_EQ(m_bar.ItemCount(), 1);
    EXPECT_EQ(SendMessageW(m_bar.Toolbar(), TB_BUTTONCOUNT, 0, 0), 1);
}

// With the one-item Info menu the arrow keys wrap to the same item: its popup closes and opens
// again with its first item selected.
TEST_F(CommandBarTest, ArrowKeysWrapAroundTheOneItemInfoMenu) {
    m_bar.SetMenu(BuildInfoMenu(Installation{}));
    HMENU infoPopup = GetSubMenu(m_bar.Menu(), 0);
    const UINT firstItem = GetMenuItemID(infoPopup, 0);
    for (const UINT key : {VK_LEFT, VK_RIGHT}) {
        SCOPED_TRACE(key == VK_LEFT ? "left" : "right");
        DialogLog& log = m_dialog.Log();
        log = DialogLog{};
        PostKey(m_bar.Toolbar(), key);
        m_bar.OpenItem(0);
        PostKey(m_bar.Toolbar(), VK_ESCAPE);
        HandleMessagesUntilQuiet();

        ASSERT_EQ(log.openedPopups.size(), 2u) << "the popup did not open again";
        EXPECT_EQ(log.openedPopups[0], infoPopup);
        EXPECT_EQ(log.openedPopups[1], infoPopup);
        ASSERT_FALSE(log.selectedItems.empty()) << "no item was selected in the reopened popup";
        EXPECT_EQ(log.selectedItems.back(), firstItem);
        EXPECT_EQ(m_bar.CurrentItem(), 0);
        EXPECT_FALSE(m_bar.IsTracking());
        EXPECT_TRUE(log.commands.empty());
    }
}

TEST_F(CommandBarTest, ArrowKeysMoveBetweenPopupsAndEscapeCloses) {
    m_bar.SetMenu(TwoItemMenu());
    const HMENU first = GetSubMenu(m_bar.Menu(), 0);
    const HMENU second = GetSubMenu(m_bar.Menu(), 1);
    const struct {
        const char* name;
        int openAt;
        std::vector<UINT> keys;
        std::vector<HMENU> popups;
        int endsAt;
    } cases[] = {
        {"escape closes", 0, {VK_ESCAPE}, {first}, 0},
        {"right to the next", 0, {VK_RIGHT, VK_ESCAPE}, {first, second}, 1},
        {"right wraps to the first", 1, {VK_RIGHT, VK_ESCAPE}, {second, first}, 0},
        {"left wraps to the last", 0, {VK_LEFT, VK_ESCAPE}, {first, second}, 1},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        DialogLog& log = m_dialog.Log();
        log = DialogLog{};
        // The first key reaches the first popup; the rest wait behind the open request.
        PostKey(m_bar.Toolbar(), row.keys[0]);
        m_bar.OpenItem(row.openAt);
        for (size_t i = 1; i < row.keys.size(); ++i) PostKey(m_bar.Toolbar(), row.keys[i]);
        HandleMessagesUntilQuiet();
        EXPECT_EQ(log.openedPopups, row.popups);
        EXPECT_EQ(m_bar.CurrentItem(), row.endsAt);
        EXPECT_FALSE(m_bar.IsTracking());
    }
}

TEST_F(CommandBarTest, ChosenItemReachesTheOwnerAsCommand) {
    m_bar.SetMenu(TwoItemMenu());
    PostKey(m_bar.Toolbar(), VK_DOWN);
    PostKey(m_bar.Toolbar(), VK_DOWN);
    PostKey(m_bar.Toolbar(), VK_RETURN);
    m_bar.OpenItem(1);
    HandleMessagesUntilQuiet();
    EXPECT_EQ(m_dialog.Log().commands, std::vector<UINT>{202});
}

// The mouse moves to `g_mouseTarget` once the popup is open (from a timer, which the menu loop
// serves): the cursor goes there and the move is posted, as the system would report it.
POINT g_mouseTarget{};
UINT g_mouseMessage = WM_MOUSEMOVE;

void CALLBACK MoveMouseWhileOpen(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    SetCursorPos(g_mouseTarget.x, g_mouseTarget.y);
    // The position of a posted mouse message is the cursor's at the time of posting.
    PostMessageW(g_guardedBar->Toolbar(), g_mouseMessage, g_mouseMessage == WM_LBUTTONDOWN ? MK_LBUTTON : 0, 0);
}

void OpenAndMoveMouse(CWinCmdBar& bar, int item, POINT target, UINT mouseMessage) {
    g_mouseTarget = target;
    g_mouseMessage = mouseMessage;
    SetTimer(nullptr, 0, 300, MoveMouseWhileOpen);
    bar.OpenItem(item);
}

TEST_F(CommandBarTest, MouseHotTracksToAnotherButtonAndAClickOnTheOpenButtonCloses) {
    m_bar.SetMenu(TwoItemMenu());
    const HMENU first = GetSubMenu(m_bar.Menu(), 0);
    const HMENU second = GetSubMenu(m_bar.Menu(), 1);
    const POINT firstButton = ButtonCentre(m_bar, 0);
    const POINT secondButton = ButtonCentre(m_bar, 1);
    DialogLog& log = m_dialog.Log();
    SetCursorPos(firstButton.x, firstButton.y);
    HandleMessagesUntilQuiet();

    // Over the second button while the first popup is open: the second popup opens, without
    // selecting an item.
    log = DialogLog{};
    OpenAndMoveMouse(m_bar, 0, secondButton, WM_MOUSEMOVE);
    PostKey(m_bar.Toolbar(), VK_ESCAPE);
    HandleMessagesUntilQuiet();
    EXPECT_EQ(log.openedPopups, (std::vector<HMENU>{first, second}));
    EXPECT_EQ(m_bar.CurrentItem(), 1);

    // A click on the open popup's own button closes it and opens nothing.
    log = DialogLog{};
    OpenAndMoveMouse(m_bar, 1, secondButton, WM_LBUTTONDOWN);
    HandleMessagesUntilQuiet();
    EXPECT_EQ(log.openedPopups, std::vector<HMENU>{second});
    EXPECT_FALSE(m_bar.IsTracking());
    EXPECT_TRUE(log.commands.empty());

    // Moving over a place that is no button changes nothing.
    log = DialogLog{};
    PostKey(m_bar.Toolbar(), VK_ESCAPE);  // waits behind the move
    OpenAndMoveMouse(m_bar, 1, POINT{firstButton.x, firstButton.y + 300}, WM_MOUSEMOVE);
    HandleMessagesUntilQuiet();
    EXPECT_EQ(log.openedPopups, std::vector<HMENU>{second});
    EXPECT_EQ(m_bar.CurrentItem(), 1);
}

TEST_F(CommandBarTest, MenuCharacterOpensTheMatchingPopup) {
    m_bar.SetMenu(TwoItemMenu());
    const HMENU second = GetSubMenu(m_bar.Menu(), 1);
    DialogLog& log = m_dialog.Log();
    log = DialogLog{};

    const LRESULT answer = SendMessageW(m_dialog.Window(), WM_MENUCHAR, MAKEWPARAM(L's', MF_SYSMENU), 0);
    EXPECT_EQ(HIWORD(answer), MNC_CLOSE) << "the menu that asked is not told to close";
    PostKey(m_bar.Toolbar(), VK_ESCAPE);
    HandleMessagesUntilQuiet();
    EXPECT_EQ(log.openedPopups, std::vector<HMENU>{second});
    ASSERT_FALSE(log.selectedItems.empty());
    EXPECT_EQ(log.selectedItems.back(), 201u) << "the popup opens with its first item selected";

    // A character without a button is left to the system.
    log = DialogLog{};
    EXPECT_EQ(HIWORD(SendMessageW(m_dialog.Window(), WM_MENUCHAR, MAKEWPARAM(L'q', MF_SYSMENU), 0)), 0);
    HandleMessagesUntilQuiet();
    EXPECT_TRUE(log.openedPopups.empty());
}

TEST_F(CommandBarTest, HiddenOwnerOpensNothing) {
    m_bar.SetMenu(TwoItemMenu());
    ShowWindow(m_dialog.Window(), SW_HIDE);
    m_dialog.Log() = DialogLog{};
    m_bar.OpenItem(0);
    HandleMessagesUntilQuiet();
    EXPECT_TRUE(m_dialog.Log().openedPopups.empty());
}

}  // namespace
