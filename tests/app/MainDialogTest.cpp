// The main dialog as the user meets it: start state, keys, closing, Clear, system menu, layout.
#include "app/KorvathDlg.h"
#include "platform/win/Automation.h"
#include "platform/win/Gdi.h"
#include "tests/platform/win/GuiTest.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace automation = winplat::automation;

namespace
{

// Runs the main dialog modally; body runs inside its modal loop once it is on the screen, then
// the Close button ends it (unless the body already did).
// With closeAfter false the body must end the dialog itself; if it has not ended within the
// bound, the dialog is ended with -2 so that the test fails instead of hanging.
constexpr INT_PTR kNotEnded = -2;
INT_PTR RunMainDialog(const std::function<void(CKorvathDlg&, HWND)>& body, bool closeAfter = true)
{
    CKorvathDlg dlg;
    QTimer bound;
    bound.setSingleShot(true);
    automation::SetDialogHandler(
        [&](HWND h, unsigned id)
        {
            if (id != IDD_MAIN)
                return;
            body(dlg, h);
            if (closeAfter && IsWindow(h))
                automation::Click(GetDlgItem(h, IDCANCEL));
            else if (!closeAfter)
            {
                QObject::connect(&bound, &QTimer::timeout, [h] { EndDialog(h, kNotEnded); });
                bound.start(10000);
            }
        });
    const INT_PTR result = dlg.DoModal();
    automation::SetDialogHandler({});
    return result;
}

// Lets posted messages run: whatever a key or click set off has happened afterwards.
void Settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

int ColumnCount(const CListCtrl& list)
{
    return list.GetHeaderCtrl()->GetItemCount();
}

void AddColumnAndItems(CListCtrl& list, const wchar_t*, int items)
{
    list.InsertColumn(0, _T("ExchangeDN"), LVCFMT_LEFT, 600);
    for (int i = 0; i < items; ++i)
        list.InsertItem(i, _T("/o=Corp/cn=Recipients/cn=user"), 0);
}

RECT RectInDialog(HWND dialog, HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    ScreenToClient(dialog, reinterpret_cast<POINT*>(&r));
    ScreenToClient(dialog, reinterpret_cast<POINT*>(&r) + 1);
    return r;
}

TEST(MainDialog, StartState)
{
    RunMainDialog(
        [](CKorvathDlg& dlg, HWND h)
        {
            for (int id : {IDC_SERVER, IDC_USERNAME, IDC_PASSWORD})
                EXPECT_EQ(automation::GetText(GetDlgItem(h, id)), u"") << id;
            EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_SERVER));
            EXPECT_EQ(dlg.m_tabResults.GetCurSel(), 0);
            EXPECT_EQ(dlg.m_tabResults.GetItemCount(), 3);
            EXPECT_TRUE(dlg.m_listOst.IsWindowVisible());
            EXPECT_FALSE(dlg.m_listNonOst.IsWindowVisible());
            EXPECT_FALSE(dlg.m_listErrors.IsWindowVisible());
            for (CListCtrl* list : {&dlg.m_listOst, &dlg.m_listNonOst, &dlg.m_listErrors})
            {
                EXPECT_EQ(list->GetItemCount(), 0);
                EXPECT_EQ(ColumnCount(*list), 0);
            }
            EXPECT_EQ(dlg.m_bColumnsAdded, 0);
            EXPECT_EQ(dlg.m_imageList.GetImageCount(), 1);
            EXPECT_EQ(dlg.m_listOst.GetImageList(LVSIL_SMALL)->GetSafeHandle(),
                      dlg.m_imageList.GetSafeHandle());
            EXPECT_NE(dlg.m_menuList.GetSafeHmenu(), nullptr);
        });
}

TEST(MainDialog, TabTextsInOrder)
{
    RunMainDialog(
        [](CKorvathDlg& dlg, HWND)
        {
            const char16_t* expected[] = {u"OST Users", u"Non-OST Users", u"Errors"};
            for (int i = 0; i < 3; ++i)
            {
                WCHAR text[64] = {};
                TCITEM item{};
                item.mask = TCIF_TEXT;
                item.pszText = text;
                item.cchTextMax = 64;
                ASSERT_TRUE(dlg.m_tabResults.GetItem(i, &item));
                EXPECT_EQ(std::u16string(text), expected[i]);
            }
        });
}

// Enter and Escape reach the focused control as they are and nothing else happens, wherever
// the focus is.
class EnterEscapeTest : public ::testing::TestWithParam<int>
{
};

TEST_P(EnterEscapeTest, NeitherKeyPressesAButtonNorEndsTheDialog)
{
    const int focusId = GetParam();
    bool stillOpen = false;
    RunMainDialog(
        [&](CKorvathDlg& dlg, HWND h)
        {
            AddColumnAndItems(dlg.m_listOst, L"", 2);
            automation::SetText(GetDlgItem(h, IDC_SERVER), u"EXCH01");
            SetFocus(GetDlgItem(h, focusId));
            ASSERT_EQ(GetFocus(), GetDlgItem(h, focusId));
            for (unsigned key : {VK_RETURN, VK_ESCAPE, VK_RETURN})
            {
                EXPECT_TRUE(automation::PressKey(key));
                Settle();
            }
            stillOpen = IsWindowVisible(h) != FALSE;
            EXPECT_EQ(dlg.m_listOst.GetItemCount(), 2); // Clear was not pressed
            EXPECT_EQ(automation::GetText(GetDlgItem(h, IDC_SERVER)), u"EXCH01");
            EXPECT_EQ(GetFocus(), GetDlgItem(h, focusId));
        });
    EXPECT_TRUE(stillOpen);
}

INSTANTIATE_TEST_SUITE_P(FocusedControl, EnterEscapeTest,
                         ::testing::Values(IDC_SERVER, IDC_USERNAME, IDC_PASSWORD, IDC_VERIFY,
                                           IDC_GENERATE, IDC_CLEAR, IDC_LIST_OST, IDC_SAVE,
                                           IDCANCEL, IDC_ABOUT),
                         [](const auto& info) { return "Control" + std::to_string(info.param); });

struct CloseCase
{
    const char* name;
    std::function<void(HWND)> close;
};

class CloseTest : public ::testing::TestWithParam<CloseCase>
{
};

TEST_P(CloseTest, EndsTheDialogAsCancel)
{
    const INT_PTR result = RunMainDialog([](CKorvathDlg&, HWND h) { GetParam().close(h); }, false);
    EXPECT_EQ(result, IDCANCEL);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CloseTest,
    ::testing::Values(CloseCase{"CloseButton",
                                [](HWND h) { automation::Click(GetDlgItem(h, IDCANCEL)); }},
                      CloseCase{"AltF4", [](HWND h) { automation::PressKey(VK_F4, h, true); }},
                      CloseCase{"SystemCloseCommand",
                                [](HWND h) { SendMessage(h, WM_SYSCOMMAND, SC_CLOSE, 0); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MainDialog, OkCommandDoesNothing)
{
    bool stillOpen = false;
    RunMainDialog(
        [&](CKorvathDlg&, HWND h)
        {
            SendMessage(h, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            Settle();
            stillOpen = IsWindowVisible(h) != FALSE;
        });
    EXPECT_TRUE(stillOpen);
}

// Clear empties the list of the selected tab and nothing else.
class ClearTest : public ::testing::TestWithParam<int>
{
};

TEST_P(ClearTest, EmptiesOnlyTheSelectedTabsList)
{
    const int tab = GetParam();
    RunMainDialog(
        [&](CKorvathDlg& dlg, HWND h)
        {
            CListCtrl* lists[] = {&dlg.m_listOst, &dlg.m_listNonOst, &dlg.m_listErrors};
            for (int i = 0; i < 3; ++i)
                AddColumnAndItems(*lists[i], L"", 3 + i);
            automation::SetText(GetDlgItem(h, IDC_USERNAME), u"CORP\\admin");
            dlg.m_tabResults.SetCurSel(tab);
            ASSERT_TRUE(automation::Click(GetDlgItem(h, IDC_CLEAR)));
            for (int i = 0; i < 3; ++i)
            {
                EXPECT_EQ(lists[i]->GetItemCount(), i == tab ? 0 : 3 + i) << "list " << i;
                EXPECT_EQ(ColumnCount(*lists[i]), 1) << "list " << i;
            }
            EXPECT_EQ(automation::GetText(GetDlgItem(h, IDC_USERNAME)), u"CORP\\admin");
            EXPECT_EQ(dlg.m_bColumnsAdded, 0);
        });
}

std::string TabName(const ::testing::TestParamInfo<int>& info)
{
    static const char* const names[] = {"Ost", "NonOst", "Errors"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(SelectedTab, ClearTest, ::testing::Values(0, 1, 2), TabName);

TEST(MainDialog, SystemMenuEndsWithSeparatorAndAbout)
{
    RunMainDialog(
        [](CKorvathDlg& dlg, HWND h)
        {
            const HMENU menu = GetSystemMenu(h, FALSE);
            ASSERT_NE(menu, nullptr);
            const int n = GetMenuItemCount(menu);
            ASSERT_GE(n, 2);
            EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(n - 2), MF_BYPOSITION) & MF_SEPARATOR);
            EXPECT_EQ(GetMenuItemID(menu, n - 1), static_cast<UINT>(IDM_ABOUTBOX));
            WCHAR text[64] = {};
            GetMenuString(menu, static_cast<UINT>(n - 1), text, 64, MF_BYPOSITION);
            EXPECT_EQ(std::u16string(text), u"&About Quillmere...");
            // Choosing it leaves the main dialog as it is.
            SendMessage(h, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            EXPECT_TRUE(IsWindowVisible(h));
            (void)dlg;
        });
}

TEST(MainDialog, ListViewsCoverTheTabControlBelowTheHeaderBand)
{
    RunMainDialog(
        [](CKorvathDlg& dlg, HWND h)
        {
            const RECT tab = RectInDialog(h, dlg.m_tabResults);
            RECT client;
            GetClientRect(dlg.m_tabResults, &client);
            for (CListCtrl* list : {&dlg.m_listOst, &dlg.m_listNonOst, &dlg.m_listErrors})
            {
                const RECT r = RectInDialog(h, *list);
                EXPECT_EQ(r.left, tab.left);
                EXPECT_EQ(r.top, tab.top + 20);
                EXPECT_EQ(r.right - r.left, client.right);
                EXPECT_EQ(r.bottom - r.top, client.bottom - 20);
            }
        });
}

TEST(MainDialog, IconsAndDragIcon)
{
    RunMainDialog(
        [](CKorvathDlg& dlg, HWND h)
        {
            ASSERT_NE(dlg.m_hIcon, nullptr);
            EXPECT_EQ(reinterpret_cast<HICON>(SendMessage(h, WM_GETICON, ICON_BIG, 0)),
                      dlg.m_hIcon);
            EXPECT_EQ(reinterpret_cast<HICON>(SendMessage(h, WM_GETICON, ICON_SMALL, 0)),
                      dlg.m_hIcon);
            EXPECT_EQ(reinterpret_cast<HICON>(SendMessage(h, WM_QUERYDRAGICON, 0, 0)), dlg.m_hIcon);
        });
}

TEST(MainDialog, MinimisedWindowShowsItsIconCentred)
{
    RunMainDialog(
        [](CKorvathDlg& dlg, HWND h)
        {
            RECT rc;
            GetClientRect(h, &rc);
            const int x = (rc.right - 32 + 1) / 2;
            const int y = (rc.bottom - 32 + 1) / 2;
            const QImage icon = winplat::IconObjectOf(dlg.m_hIcon)->icon.pixmap(32, 32).toImage();
            const unsigned background = automation::PixelAt(h, 2, rc.bottom - 2, false);

            // Restored, the dialog paints no icon of its own.
            EXPECT_EQ(automation::PixelAt(h, x + 16, y + 16, false), background);

            ShowWindow(h, SW_MINIMIZE);
            ASSERT_TRUE(IsIconic(h));
            int matching = 0;
            for (int py = 4; py < 32; py += 4)
                for (int px = 4; px < 32; px += 4)
                {
                    const QRgb expected = icon.pixel(px, py);
                    if (qAlpha(expected) == 255 &&
                        automation::PixelAt(h, x + px, y + py, false) == (expected & 0xFFFFFFu))
                        ++matching;
                }
            EXPECT_GT(matching, 20);
            EXPECT_EQ(automation::PixelAt(h, x - 4, y + 16, false), background);
            ShowWindow(h, SW_RESTORE);
        });
}

// The controls stand where the template puts them: dialog units through the dialog font.
struct Placement
{
    int id;
    RECT dlu;
};

class LayoutTest : public ::testing::TestWithParam<Placement>
{
};

TEST_P(LayoutTest, ControlRectangleMatchesTheTemplate)
{
    RunMainDialog(
        [](CKorvathDlg&, HWND h)
        {
            const Placement& p = GetParam();
            // Position and size are converted each on its own, as dialog templates are.
            RECT mapped = p.dlu;
            MapDialogRect(h, &mapped);
            const RECT expected = {mapped.left, mapped.top, mapped.left + mapped.right,
                                   mapped.top + mapped.bottom};
            const RECT actual = RectInDialog(h, GetDlgItem(h, p.id));
            EXPECT_EQ(actual.left, expected.left);
            EXPECT_EQ(actual.top, expected.top);
            EXPECT_EQ(actual.right, expected.right);
            EXPECT_EQ(actual.bottom, expected.bottom);
        });
}

INSTANTIATE_TEST_SUITE_P(
    MainTemplate, LayoutTest,
    ::testing::Values(
        Placement{IDC_SERVER, {51, 81, 205, 14}}, Placement{IDC_USERNAME, {92, 106, 164, 14}},
        Placement{IDC_PASSWORD, {92, 132, 164, 14}}, Placement{IDC_VERIFY, {265, 133, 43, 14}},
        Placement{IDC_GENERATE, {284, 160, 54, 15}}, Placement{IDC_CLEAR, {225, 160, 54, 15}},
        Placement{IDC_RESULT_TAB, {18, 180, 319, 160}}, Placement{IDC_SAVE, {225, 345, 54, 15}},
        Placement{IDCANCEL, {284, 345, 54, 15}}, Placement{IDC_ABOUT, {19, 347, 50, 14}}),
    [](const auto& info) { return "Control" + std::to_string(info.param.id); });

TEST(MainDialog, DialogUnitsComeFromTheDialogFont)
{
    RunMainDialog(
        [](CKorvathDlg&, HWND h)
        {
            // "MS Shell Dlg" 8 is the desktop's sans-serif at 8 points: 7 x 13 here.
            RECT unit = {0, 0, 4, 8};
            MapDialogRect(h, &unit);
            EXPECT_EQ(unit.right, 7);
            EXPECT_EQ(unit.bottom, 13);
            RECT client;
            GetClientRect(h, &client);
            RECT size = {0, 0, 353, 364};
            MapDialogRect(h, &size);
            EXPECT_EQ(client.right, size.right);
            EXPECT_EQ(client.bottom, size.bottom);
        });
}

TEST(MainDialog, BannerShowsItsPictureAtTheTopLeft)
{
    RunMainDialog(
        [](CKorvathDlg& dlg, HWND h)
        {
            const RECT r = RectInDialog(h, dlg.m_banner);
            EXPECT_EQ(r.left, 0);
            EXPECT_EQ(r.top, 0);
            EXPECT_EQ(r.right, 529); // a picture static takes its picture's size
            EXPECT_EQ(r.bottom, 79);
            EXPECT_TRUE(dlg.m_banner.GetStyle() & SS_NOTIFY);
            // The pointer over it is the hand.
            EXPECT_TRUE(SendMessage(dlg.m_banner, WM_SETCURSOR,
                                    reinterpret_cast<WPARAM>(dlg.m_banner.m_hWnd),
                                    MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
        });
}

TEST(MainDialog, PasswordCharactersAreHidden)
{
    RunMainDialog(
        [](CKorvathDlg&, HWND h)
        {
            EXPECT_NE(SendMessage(GetDlgItem(h, IDC_PASSWORD), EM_GETPASSWORDCHAR, 0, 0), 0);
            EXPECT_EQ(SendMessage(GetDlgItem(h, IDC_USERNAME), EM_GETPASSWORDCHAR, 0, 0), 0);
        });
}

TEST(MainDialog, TabKeyFollowsTheTemplateOrder)
{
    RunMainDialog(
        [](CKorvathDlg&, HWND h)
        {
            const int order[] = {IDC_SERVER, IDC_USERNAME, IDC_PASSWORD, IDC_VERIFY, IDC_GENERATE,
                                 IDC_CLEAR,  IDC_LIST_OST, IDC_SAVE,     IDCANCEL,   IDC_ABOUT};
            SetFocus(GetDlgItem(h, IDC_SERVER));
            for (size_t i = 1; i < std::size(order); ++i)
            {
                automation::PressKey(VK_TAB);
                Settle();
                EXPECT_EQ(GetDlgCtrlID(GetFocus()), order[i]) << "after " << order[i - 1];
            }
        });
}

} // namespace
