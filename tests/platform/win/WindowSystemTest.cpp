// The window system: requests from other threads, posted messages, notifications the controls
// send, list views, menus, timers and cursors.
#include "platform/win/Automation.h"
#include "platform/win/Dialog.h"
#include "platform/win/Gdi.h"
#include "platform/win/ListView.h"
#include "platform/win/UiThread.h"
#include "platform/win/Windows.h"
#include "tests/platform/win/GuiTest.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QTabBar>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace automation = winplat::automation;

namespace
{

constexpr UINT IDD_TEST = 900;
constexpr int IDC_EDIT = 901;
constexpr int IDC_BUTTON = 902;
constexpr int IDC_LINK = 903;
constexpr int IDC_LABEL = 904;
constexpr int IDC_LIST = 905;
constexpr int IDC_TABS = 906;

const winplat::ResourceTable kResources{
    {winplat::DialogTemplate{
        IDD_TEST,
        WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
        0,
        0,
        0,
        300,
        200,
        u"Test",
        u"MS Shell Dlg",
        8,
        {
            {u"Edit", u"", IDC_EDIT, 10, 10, 100, 14, WS_VISIBLE | WS_BORDER | WS_TABSTOP},
            {u"Button", u"OK", IDOK, 120, 10, 50, 14, WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP},
            {u"Button", u"Press", IDC_BUTTON, 180, 10, 50, 14, WS_VISIBLE | WS_TABSTOP},
            {u"Static", u"link", IDC_LINK, 10, 30, 40, 8, WS_VISIBLE | SS_NOTIFY},
            {u"Static", u"label", IDC_LABEL, 60, 30, 40, 8, WS_VISIBLE},
            {u"SysTabControl32", u"", IDC_TABS, 10, 45, 280, 20, WS_VISIBLE},
            {u"SysListView32", u"", IDC_LIST, 10, 70, 280, 120,
             WS_VISIBLE | LVS_REPORT | WS_BORDER | WS_TABSTOP},
        },
    }},
    {},
    {},
    {},
    {},
    {},
};

// Every message the dialog receives, in order, with the thread it arrived on.
struct Received
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    UINT notifyCode;
    bool onUiThread;
};
std::vector<Received> g_received;
WNDPROC g_dialogProc = nullptr;

LRESULT RecordingProc(HWND h, UINT msg, WPARAM w, LPARAM l)
{
    const bool ui = QThread::currentThread() == QCoreApplication::instance()->thread();
    const UINT code = msg == WM_NOTIFY ? reinterpret_cast<NMHDR*>(l)->code : 0;
    if (msg == WM_COMMAND || msg == WM_NOTIFY || msg >= WM_USER)
        g_received.push_back({msg, w, l, code, ui});
    if (msg == WM_COMMAND && (LOWORD(w) == IDCANCEL || LOWORD(w) == IDOK))
    {
        EndDialog(h, LOWORD(w));
        return 0;
    }
    return CallWindowProc(g_dialogProc, h, msg, w, l);
}

class WindowSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        winplat::RegisterResources(&kResources);
        g_received.clear();
        dialog = winplat::CreateDialogFromTemplate(*winplat::FindDialogTemplate(IDD_TEST), nullptr,
                                                   {}, 0);
        ASSERT_NE(dialog, nullptr);
        g_dialogProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtr(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
        ShowWindow(dialog, SW_SHOW);
    }
    void TearDown() override
    {
        if (IsWindow(dialog))
            DestroyWindow(dialog);
        automation::SetDialogHandler({});
        automation::SetPopupMenuHandler({});
        winplat::RegisterResources(nullptr);
    }
    HWND Item(int id) const { return GetDlgItem(dialog, id); }
    // Runs the dialog modally; inLoop runs inside its loop.
    INT_PTR RunModal(const std::function<void()>& inLoop)
    {
        automation::SetDialogHandler([&](HWND, unsigned) { inLoop(); });
        return winplat::WindowAs<winplat::DialogWindow>(dialog)->RunModal();
    }
    std::vector<Received> Commands() const
    {
        std::vector<Received> r;
        for (const auto& m : g_received)
            if (m.message == WM_COMMAND || m.message == WM_NOTIFY)
                r.push_back(m);
        return r;
    }

    HWND dialog = nullptr;
};

TEST_F(WindowSystemTest, RequestsFromAWorkerRunInsideTheModalLoopInOrderWhileItWaits)
{
    std::thread worker;
    std::vector<std::u16string> seen;
    std::atomic<int> inserted{0};
    const INT_PTR result = RunModal(
        [&]
        {
            worker = std::thread(
                [&]
                {
                    SetWindowText(Item(IDC_EDIT), u"EXCH01");
                    WCHAR text[32] = {};
                    GetWindowText(Item(IDC_EDIT), text, 32);
                    seen.push_back(text);
                    LVCOLUMN column{};
                    column.mask = LVCF_TEXT | LVCF_WIDTH;
                    column.pszText = const_cast<LPWSTR>(u"ExchangeDN");
                    column.cx = 600;
                    SendMessage(Item(IDC_LIST), LVM_INSERTCOLUMN, 0,
                                reinterpret_cast<LPARAM>(&column));
                    for (int i = 0; i < 200; ++i)
                    {
                        const std::u16string dn =
                            u"/o=Corp/cn=" + std::u16string(1, char16_t(u'a' + i % 26));
                        LVITEM item{};
                        item.mask = LVIF_TEXT | LVIF_IMAGE;
                        item.iItem = i;
                        item.pszText = const_cast<LPWSTR>(dn.c_str());
                        // Each request has run when SendMessage returns: the index it reports is i.
                        if (SendMessage(Item(IDC_LIST), LVM_INSERTITEM, 0,
                                        reinterpret_cast<LPARAM>(&item)) == i)
                            ++inserted;
                    }
                    SendMessage(dialog, WM_USER + 7, 1, 2);
                    PostMessage(dialog, WM_CLOSE, 0, 0); // the dialog's close ends its modal run
                });
        });
    worker.join();
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], u"EXCH01");
    EXPECT_EQ(inserted.load(), 200);
    EXPECT_EQ(SendMessage(Item(IDC_LIST), LVM_GETITEMCOUNT, 0, 0), 200);
    ASSERT_FALSE(g_received.empty());
    EXPECT_EQ(g_received.front().message, WM_USER + 7u);
    for (const auto& m : g_received)
        EXPECT_TRUE(m.onUiThread) << m.message;
}

TEST_F(WindowSystemTest, UiThreadWaitingForAWorkerStillServesItsRequests)
{
    std::atomic<bool> done{false};
    std::thread worker(
        [&]
        {
            for (int i = 0; i < 50; ++i)
                SendMessage(Item(IDC_LIST), LVM_INSERTITEM, 0,
                            reinterpret_cast<LPARAM>(&static_cast<const LVITEM&>(LVITEM{})));
            done = true;
            winplat::UiThread::Kick();
        });
    // No event loop runs here: the wait itself carries the worker's requests out.
    EXPECT_TRUE(winplat::UiThread::WaitServing(
        [&] { return done.load(); }, std::chrono::steady_clock::now() + std::chrono::seconds(10)));
    worker.join();
    EXPECT_EQ(SendMessage(Item(IDC_LIST), LVM_GETITEMCOUNT, 0, 0), 50);
}

TEST_F(WindowSystemTest, MessagesToAWindowThatIsGoneAreDropped)
{
    PostMessage(dialog, WM_USER + 1, 0, 0);
    DestroyWindow(dialog); // before the posted message is taken from the queue
    QCoreApplication::processEvents();
    EXPECT_TRUE(g_received.empty());
    EXPECT_FALSE(PostMessage(dialog, WM_USER + 2, 0, 0));
    EXPECT_EQ(SendMessage(dialog, WM_GETTEXTLENGTH, 0, 0), 0);
    std::atomic<LRESULT> fromWorker{-1};
    std::thread worker([&] { fromWorker = SendMessage(dialog, WM_GETTEXTLENGTH, 0, 0); });
    EXPECT_TRUE(guitest::WaitUntil([&] { return fromWorker.load() != -1; }));
    worker.join();
    EXPECT_EQ(fromWorker.load(), 0);
}

TEST_F(WindowSystemTest, PostedMessagesArriveInOrderAfterTheCurrentHandler)
{
    PostMessage(dialog, WM_USER + 1, 0, 0);
    std::thread([&] { PostMessage(dialog, WM_USER + 2, 0, 0); }).join(); // posting never waits
    PostMessage(dialog, WM_USER + 3, 0, 0);
    EXPECT_TRUE(g_received.empty());
    EXPECT_TRUE(guitest::WaitUntil([] { return g_received.size() == 3; }));
    ASSERT_EQ(g_received.size(), 3u);
    for (UINT i = 0; i < 3; ++i)
        EXPECT_EQ(g_received[i].message, WM_USER + 1 + i);
}

// What the controls tell their parent, compared with what they should.
struct Notification
{
    UINT message;
    int id;
    UINT code;
};

void ExpectNotifications(const std::vector<Received>& got, const std::vector<Notification>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
    {
        EXPECT_EQ(got[i].message, want[i].message) << i;
        if (want[i].message == WM_COMMAND)
        {
            EXPECT_EQ(LOWORD(got[i].wParam), want[i].id) << i;
            EXPECT_EQ(HIWORD(got[i].wParam), want[i].code) << i;
        }
        else
        {
            EXPECT_EQ(static_cast<int>(got[i].wParam), want[i].id) << i;
            EXPECT_EQ(got[i].notifyCode, want[i].code) << i;
        }
    }
}

TEST_F(WindowSystemTest, ClicksNotifyTheParent)
{
    automation::Click(Item(IDC_LINK));  // SS_NOTIFY: tells
    automation::Click(Item(IDC_LABEL)); // plain static: says nothing
    automation::Click(Item(IDC_BUTTON));
    EnableWindow(Item(IDC_BUTTON), FALSE);
    EXPECT_FALSE(automation::Click(Item(IDC_BUTTON))); // a disabled button takes no click
    ExpectNotifications(
        Commands(), {{WM_COMMAND, IDC_LINK, STN_CLICKED}, {WM_COMMAND, IDC_BUTTON, BN_CLICKED}});
    EXPECT_EQ(reinterpret_cast<HWND>(Commands()[0].lParam), Item(IDC_LINK));
}

TEST_F(WindowSystemTest, TypingInAnEditNotifiesAndSettingTextDoesNot)
{
    automation::SetText(Item(IDC_EDIT), u"typed");
    SetWindowText(Item(IDC_EDIT), u"set");
    ExpectNotifications(Commands(), {{WM_COMMAND, IDC_EDIT, EN_CHANGE}});
    EXPECT_EQ(automation::GetText(Item(IDC_EDIT)), u"set");
}

TEST_F(WindowSystemTest, TabControlTellsOnlyTheUsersChoice)
{
    const HWND tabs = Item(IDC_TABS);
    TCITEM item{};
    item.mask = TCIF_TEXT;
    for (const char16_t* text : {u"One", u"Two", u"Three"})
    {
        item.pszText = const_cast<LPWSTR>(text);
        SendMessage(tabs, TCM_INSERTITEM, SendMessage(tabs, TCM_GETITEMCOUNT, 0, 0),
                    reinterpret_cast<LPARAM>(&item));
    }
    EXPECT_EQ(SendMessage(tabs, TCM_GETCURSEL, 0, 0), 0); // the first tab is selected
    EXPECT_EQ(SendMessage(tabs, TCM_SETCURSEL, 2, 0), 0);
    EXPECT_EQ(SendMessage(tabs, TCM_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(Commands().empty());

    // The user clicks the second tab.
    auto tab = winplat::WindowAs<winplat::TabWindow>(tabs);
    const QRect r = tab->Bar()->tabRect(1);
    automation::ClickAt(tabs, r.center().x(), r.center().y());
    EXPECT_EQ(SendMessage(tabs, TCM_GETCURSEL, 0, 0), 1);
    ExpectNotifications(Commands(), {{WM_NOTIFY, IDC_TABS, TCN_SELCHANGE}});
}

class ListViewTest : public WindowSystemTest
{
protected:
    void SetUp() override
    {
        WindowSystemTest::SetUp();
        list = Item(IDC_LIST);
        LVCOLUMN column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = 200;
        column.pszText = const_cast<LPWSTR>(u"ExchangeDN");
        SendMessage(list, LVM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&column));
        column.pszText = const_cast<LPWSTR>(u"Second");
        SendMessage(list, LVM_INSERTCOLUMN, 1, reinterpret_cast<LPARAM>(&column));
        for (const char16_t* text : {u"a", u"b", u"c", u"d", u"e"})
            Insert(static_cast<int>(SendMessage(list, LVM_GETITEMCOUNT, 0, 0)), text);
        g_received.clear();
    }
    int Insert(int index, std::u16string text)
    {
        LVITEM item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = index;
        item.pszText = text.data();
        return static_cast<int>(
            SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item)));
    }
    void Select(int index, bool on)
    {
        LVITEM item{};
        item.state = on ? LVIS_SELECTED : 0;
        item.stateMask = LVIS_SELECTED;
        SendMessage(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&item));
    }
    std::vector<int> Selected() const
    {
        std::vector<int> r;
        for (int i = static_cast<int>(
                 SendMessage(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
             i != -1; i = static_cast<int>(SendMessage(list, LVM_GETNEXTITEM,
                                                       static_cast<WPARAM>(i), LVNI_SELECTED)))
            r.push_back(i);
        return r;
    }
    std::u16string Text(int index, int subItem = 0) const
    {
        WCHAR buffer[2048] = {};
        LVITEM item{};
        item.iSubItem = subItem;
        item.pszText = buffer;
        item.cchTextMax = 2048;
        SendMessage(list, LVM_GETITEMTEXT, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    RECT ItemRect(int index) const
    {
        RECT r{};
        r.left = LVIR_BOUNDS;
        SendMessage(list, LVM_GETITEMRECT, static_cast<WPARAM>(index),
                    reinterpret_cast<LPARAM>(&r));
        return r;
    }
    HWND list = nullptr;
};

TEST_F(ListViewTest, HeaderControlGivesColumnsAndHeadings)
{
    const HWND header = reinterpret_cast<HWND>(SendMessage(list, LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(GetParent(header), list);
    EXPECT_EQ(SendMessage(header, HDM_GETITEMCOUNT, 0, 0), 2);
    WCHAR text[256] = {};
    HDITEM item{};
    item.mask = HDI_TEXT | HDI_WIDTH;
    item.pszText = text;
    item.cchTextMax = 256;
    EXPECT_TRUE(SendMessage(header, HDM_GETITEM, 1, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(std::u16string(text), u"Second");
    EXPECT_EQ(item.cxy, 200);
    EXPECT_FALSE(SendMessage(header, HDM_GETITEM, 2, reinterpret_cast<LPARAM>(&item)));
}

TEST_F(ListViewTest, InsertsAtTheIndexAndKeepsOrder)
{
    EXPECT_EQ(Insert(2, u"x"), 2);
    EXPECT_EQ(Insert(99, u"last"), 6); // past the end: appended
    EXPECT_EQ(Insert(-5, u"first"), 0);
    std::u16string order;
    for (int i = 0; i < 8; ++i)
        order += Text(i).substr(0, 1);
    EXPECT_EQ(order, u"fabxcdel");
}

TEST_F(ListViewTest, NextSelectedItemAndDeletion)
{
    Select(3, true);
    Select(1, true);
    Select(4, true);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(SendMessage(list, LVM_GETSELECTEDCOUNT, 0, 0), 3);
    // Delete the selected items from the start, as Remove does.
    for (int i = static_cast<int>(
             SendMessage(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
         i != -1; i = static_cast<int>(
                      SendMessage(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)))
        EXPECT_TRUE(SendMessage(list, LVM_DELETEITEM, static_cast<WPARAM>(i), 0));
    EXPECT_EQ(SendMessage(list, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(Text(0), u"a");
    EXPECT_EQ(Text(1), u"c");
    EXPECT_FALSE(SendMessage(list, LVM_DELETEITEM, 5, 0));
}

TEST_F(ListViewTest, UsersClicksSelect)
{
    const RECT first = ItemRect(1);
    const RECT second = ItemRect(3);
    automation::ClickAt(list, first.left + 20, (first.top + first.bottom) / 2);
    automation::ClickAt(list, second.left + 20, (second.top + second.bottom) / 2, false, true);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 3}));
}

TEST_F(ListViewTest, ItemTextComesBackWhole)
{
    const std::u16string longText(1500, u'x');
    LVITEM item{};
    item.iSubItem = 1;
    item.pszText = const_cast<LPWSTR>(longText.c_str());
    SendMessage(list, LVM_SETITEMTEXT, 2, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(Text(2, 1), longText);
    EXPECT_EQ(Text(2, 0), u"c");
    // A short buffer gets what fits, terminated.
    WCHAR small[4] = {u'?', u'?', u'?', u'?'};
    item.pszText = small;
    item.cchTextMax = 4;
    EXPECT_EQ(SendMessage(list, LVM_GETITEMTEXT, 2, reinterpret_cast<LPARAM>(&item)), 3);
    EXPECT_EQ(std::u16string(small), u"xxx");
}

TEST_F(ListViewTest, HitTestFindsItemsAndNothingBelowThem)
{
    const RECT r = ItemRect(2);
    LVHITTESTINFO hit{};
    hit.pt = {r.left + 30, (r.top + r.bottom) / 2};
    EXPECT_EQ(SendMessage(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 2);
    EXPECT_TRUE(hit.flags & LVHT_ONITEM);
    const RECT last = ItemRect(4);
    hit.pt = {last.left + 30, last.bottom + 20};
    EXPECT_EQ(SendMessage(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
    EXPECT_EQ(hit.flags, LVHT_NOWHERE);
    // The header band is not an item either.
    hit.pt = {30, 2};
    EXPECT_EQ(SendMessage(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
}

TEST_F(ListViewTest, RightClickNotifiesWithTheItemUnderThePointer)
{
    const RECT r = ItemRect(3);
    automation::ClickAt(list, r.left + 30, (r.top + r.bottom) / 2, true);
    const auto got = Commands();
    ASSERT_FALSE(got.empty());
    ExpectNotifications({got.back()}, {{WM_NOTIFY, IDC_LIST, NM_RCLICK}});
    EXPECT_EQ(Selected(), (std::vector<int>{3})); // the item under the pointer is selected
    // The pointer position the notification came with is where the click was.
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(list, &cursor);
    LVHITTESTINFO hit{};
    hit.pt = cursor;
    EXPECT_EQ(SendMessage(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 3);
}

TEST_F(ListViewTest, ColumnlessListShowsNoItemsButKeepsThem)
{
    const HWND other =
        CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT | WS_BORDER, 0,
                        0, 100, 100, dialog, reinterpret_cast<HMENU>(950), nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    LVITEM item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<LPWSTR>(u"hidden");
    EXPECT_EQ(SendMessage(other, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item)), 0);
    EXPECT_EQ(SendMessage(other, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessage(reinterpret_cast<HWND>(SendMessage(other, LVM_GETHEADER, 0, 0)),
                          HDM_GETITEMCOUNT, 0, 0),
              0);
    LVHITTESTINFO hit{};
    hit.pt = {10, 30};
    EXPECT_EQ(SendMessage(other, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
}

TEST_F(WindowSystemTest, PopupMenuReturnsTheChosenCommand)
{
    const HMENU menu = CreatePopupMenu();
    AppendMenu(menu, MF_STRING, 101, u"Copy");
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenu(menu, MF_STRING | MF_GRAYED, 102, u"Remove");
    std::vector<automation::MenuItemRecord> shown;
    automation::SetPopupMenuHandler(
        [&](const auto& items)
        {
            shown = items;
            return 101u;
        });
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, 0, dialog, nullptr), 101);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, u"Copy");
    EXPECT_TRUE(shown[1].separator);
    EXPECT_FALSE(shown[2].enabled);

    automation::SetPopupMenuHandler([](const auto&) { return 0u; }); // dismissed
    EXPECT_EQ(TrackPopupMenu(menu, TPM_RETURNCMD, 10, 10, 0, dialog, nullptr), 0);

    // Without TPM_RETURNCMD the command goes to the owner window.
    automation::SetPopupMenuHandler([](const auto&) { return 101u; });
    EXPECT_TRUE(TrackPopupMenu(menu, 0, 10, 10, 0, dialog, nullptr));
    EXPECT_TRUE(guitest::WaitUntil([] { return !g_received.empty(); }));
    ExpectNotifications(Commands(), {{WM_COMMAND, 101, 0}});
    DestroyMenu(menu);
}

TEST_F(WindowSystemTest, PopupMenuFromAWorkerIsShownOnTheUiThread)
{
    const HMENU menu = CreatePopupMenu();
    AppendMenu(menu, MF_STRING, 7, u"Seven");
    bool onUi = false;
    automation::SetPopupMenuHandler(
        [&](const auto&)
        {
            onUi = QThread::currentThread() == QCoreApplication::instance()->thread();
            return 7u;
        });
    std::atomic<BOOL> chosen{0};
    std::atomic<bool> done{false};
    std::thread worker(
        [&]
        {
            chosen = TrackPopupMenu(menu, TPM_RETURNCMD, 0, 0, 0, dialog, nullptr);
            done = true;
        });
    EXPECT_TRUE(guitest::WaitUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(chosen.load(), 7);
    EXPECT_TRUE(onUi);
    DestroyMenu(menu);
}

TEST_F(WindowSystemTest, SystemMenuTakesAppendedItems)
{
    const HMENU menu = GetSystemMenu(dialog, FALSE);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetSystemMenu(dialog, FALSE), menu);
    const int before = GetMenuItemCount(menu);
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenu(menu, MF_STRING, 0x10, u"&About...");
    EXPECT_EQ(GetMenuItemCount(menu), before + 2);
    EXPECT_EQ(GetMenuItemID(menu, before + 1), 0x10u);
    EXPECT_EQ(GetSystemMenu(dialog, TRUE), nullptr); // reverted
    EXPECT_EQ(GetMenuItemCount(GetSystemMenu(dialog, FALSE)), before);
}

TEST_F(WindowSystemTest, TimerTicksArriveAsMessagesUntilKilled)
{
    int ticks = 0;
    static int* counter;
    counter = &ticks;
    static WNDPROC previous;
    previous = reinterpret_cast<WNDPROC>(SetWindowLongPtr(
        Item(IDC_LABEL), GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT
                                   {
                                       if (m == WM_TIMER && w == 100)
                                           ++*counter;
                                       return CallWindowProc(previous, h, m, w, l);
                                   })));
    EXPECT_EQ(SetTimer(Item(IDC_LABEL), 100, 10, nullptr), 100u);
    EXPECT_TRUE(guitest::WaitUntil([&] { return ticks >= 3; }));
    EXPECT_TRUE(KillTimer(Item(IDC_LABEL), 100));
    const int after = ticks;
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, after);
    EXPECT_FALSE(KillTimer(Item(IDC_LABEL), 100));
}

TEST_F(WindowSystemTest, CursorChosenInSetCursorIsShownOverTheWindow)
{
    static bool choose = true;
    static WNDPROC previous;
    previous = reinterpret_cast<WNDPROC>(SetWindowLongPtr(
        Item(IDC_LINK), GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT
                                   {
                                       if (m == WM_SETCURSOR && choose)
                                       {
                                           SetCursor(LoadCursor(nullptr, IDC_HAND));
                                           return TRUE;
                                       }
                                       return CallWindowProc(previous, h, m, w, l);
                                   })));
    QWidget* widget = winplat::WindowOf(Item(IDC_LINK))->Widget();
    automation::ClickAt(Item(IDC_LINK), 2, 2);
    EXPECT_EQ(widget->cursor().shape(), Qt::PointingHandCursor);
    choose = false;
    automation::ClickAt(Item(IDC_LINK), 3, 3);
    EXPECT_EQ(widget->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(WindowSystemTest, EndDialogFromAWorkerEndsTheModalRun)
{
    std::thread worker;
    const INT_PTR result = RunModal([&] { worker = std::thread([&] { EndDialog(dialog, 42); }); });
    worker.join();
    EXPECT_EQ(result, 42);
}

TEST_F(WindowSystemTest, DialogKeysWithoutAFrameworkObject)
{
    // Enter presses the default button, Escape is Cancel.
    SetFocus(Item(IDC_EDIT));
    EXPECT_EQ(RunModal([] { automation::PressKey(VK_RETURN); }), IDOK);
    ShowWindow(dialog, SW_SHOW);
    SetFocus(Item(IDC_EDIT));
    EXPECT_EQ(RunModal([] { automation::PressKey(VK_ESCAPE); }), IDCANCEL);
}

TEST_F(WindowSystemTest, ChildRectanglesAndCoordinateMapping)
{
    RECT client;
    GetClientRect(dialog, &client);
    RECT size = {0, 0, 300, 200};
    MapDialogRect(dialog, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    const HWND edit = Item(IDC_EDIT);
    MoveWindow(edit, 40, 50, 120, 30, TRUE);
    RECT r;
    GetWindowRect(edit, &r);
    POINT p{r.left, r.top};
    ScreenToClient(dialog, &p);
    EXPECT_EQ(p.x, 40);
    EXPECT_EQ(p.y, 50);
    EXPECT_EQ(r.right - r.left, 120);
    EXPECT_EQ(r.bottom - r.top, 30);
    // A bordered control's client area lies inside its border.
    RECT ec;
    GetClientRect(edit, &ec);
    EXPECT_EQ(ec.right, 118);
    POINT origin{0, 0};
    ClientToScreen(edit, &origin);
    EXPECT_EQ(origin.x, r.left + 1);
    EXPECT_EQ(origin.y, r.top + 1);
}

TEST_F(WindowSystemTest, ShowHideEnableAndStyleBits)
{
    const HWND label = Item(IDC_LABEL);
    EXPECT_TRUE(IsWindowVisible(label));
    EXPECT_TRUE(ShowWindow(label, SW_HIDE)); // was visible
    EXPECT_FALSE(IsWindowVisible(label));
    EXPECT_FALSE(GetWindowLongPtr(label, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(ShowWindow(label, SW_SHOWNORMAL));
    EXPECT_TRUE(IsWindowVisible(label));
    EXPECT_FALSE(EnableWindow(label, FALSE)); // was enabled
    EXPECT_FALSE(IsWindowEnabled(label));
    EXPECT_TRUE(EnableWindow(label, TRUE));
    SetWindowLongPtr(label, GWL_STYLE, GetWindowLongPtr(label, GWL_STYLE) | SS_NOTIFY);
    automation::Click(label);
    ExpectNotifications(Commands(), {{WM_COMMAND, IDC_LABEL, STN_CLICKED}});
}

} // namespace
