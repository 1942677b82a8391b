// The program's resources as the window system builds them: every control of the four dialogs
// with its class, text, rectangle and style; the menu, string, version and pictures.
#include "platform/win/Resources.h"
#include "platform/win/Dialog.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"
#include "res/resource.h"

#include <QSet>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

struct ControlSpec
{
    UINT dialog;
    int id;
    std::u16string_view className;
    std::u16string_view text; // finds a control without an id
    RECT dlu;                 // left, top, width, height
    DWORD style;              // bits the control must have
    DWORD notStyle = 0;       // bits it must not have
    DWORD exStyle = 0;
};

constexpr DWORD kTab = WS_TABSTOP;
const std::u16string_view kButton = u"Button", kEdit = u"Edit", kStatic = u"Static";

std::vector<ControlSpec> Controls()
{
    return {
        // Main dialog.
        {IDD_MAIN,
         IDC_SERVER,
         kEdit,
         u"",
         {51, 81, 205, 14},
         WS_BORDER | ES_AUTOHSCROLL | kTab,
         ES_PASSWORD},
        {IDD_MAIN,
         IDC_USERNAME,
         kEdit,
         u"",
         {92, 106, 164, 14},
         WS_BORDER | ES_AUTOHSCROLL | kTab,
         ES_PASSWORD},
        {IDD_MAIN,
         IDC_PASSWORD,
         kEdit,
         u"",
         {92, 132, 164, 14},
         WS_BORDER | ES_AUTOHSCROLL | kTab | ES_PASSWORD},
        {IDD_MAIN, IDC_VERIFY, kButton, u"Verify", {265, 133, 43, 14}, kTab, BS_DEFPUSHBUTTON},
        {IDD_MAIN, IDC_GENERATE, kButton, u"Generate", {284, 160, 54, 15}, kTab, BS_DEFPUSHBUTTON},
        {IDD_MAIN, IDC_CLEAR, kButton, u"Clear", {225, 160, 54, 15}, kTab, BS_DEFPUSHBUTTON},
        {IDD_MAIN, IDC_RESULT_TAB, u"SysTabControl32", u"", {18, 180, 319, 160}, WS_VISIBLE},
        {IDD_MAIN,
         IDC_LIST_OST,
         u"SysListView32",
         u"",
         {35, 193, 60, 50},
         LVS_REPORT | LVS_ALIGNLEFT | WS_BORDER | kTab,
         WS_VISIBLE | LVS_SINGLESEL | LVS_SORTASCENDING | LVS_SORTDESCENDING},
        {IDD_MAIN,
         IDC_LIST_NONOST,
         u"SysListView32",
         u"",
         {110, 193, 60, 50},
         LVS_REPORT | LVS_ALIGNLEFT | WS_BORDER | kTab,
         WS_VISIBLE | LVS_SINGLESEL | LVS_SORTASCENDING | LVS_SORTDESCENDING},
        {IDD_MAIN,
         IDC_LIST_ERRORS,
         u"SysListView32",
         u"",
         {183, 193, 60, 50},
         LVS_REPORT | LVS_ALIGNLEFT | WS_BORDER | kTab,
         WS_VISIBLE | LVS_SINGLESEL | LVS_SORTASCENDING | LVS_SORTDESCENDING},
        {IDD_MAIN, IDC_SAVE, kButton, u"Save", {225, 345, 54, 15}, kTab, BS_DEFPUSHBUTTON},
        {IDD_MAIN, IDCANCEL, kButton, u"Close", {284, 345, 54, 15}, kTab, BS_DEFPUSHBUTTON},
        {IDD_MAIN,
         IDC_STATIC,
         kStatic,
         u"Enter the name of host Exchange Server:",
         {51, 71, 134, 8},
         WS_VISIBLE},
        {IDD_MAIN, IDC_STATIC, kStatic, u"User name:", {51, 109, 38, 8}, WS_VISIBLE},
        {IDD_MAIN, IDC_STATIC, kStatic, u"Password:", {51, 136, 34, 8}, WS_VISIBLE},
        {IDD_MAIN, IDC_STATIC, kButton, u"Credentials", {18, 55, 319, 100}, BS_GROUPBOX},
        {IDD_MAIN, IDC_STATIC, kStatic, u"<DOMAIN>\\<Administrator>", {92, 121, 98, 8}, WS_VISIBLE},
        {IDD_MAIN, IDC_ABOUT, kButton, u"About", {19, 347, 50, 14}, kTab, BS_DEFPUSHBUTTON},
        // Progress dialog.
        {IDD_PROGRESS,
         IDC_PROGRESS_TEXT,
         kStatic,
         u"                                Working...",
         {17, 15, 171, 8},
         WS_VISIBLE},
        {IDD_PROGRESS, IDC_PAUSE, kButton, u"Pause", {48, 31, 50, 14}, BS_FLAT | kTab},
        {IDD_PROGRESS, IDC_STOP, kButton, u"Stop", {104, 31, 50, 14}, BS_FLAT | kTab},
        // About box.
        {IDD_ABOUT, IDOK, kButton, u"OK", {113, 109, 50, 14}, BS_DEFPUSHBUTTON | kTab | WS_GROUP},
        {IDD_ABOUT, IDC_LINK_WEBSITE, kStatic, u"", {101, 67, 75, 8}, SS_LEFT | WS_GROUP},
        {IDD_ABOUT, IDC_LINK_SUPPORT, kStatic, u"", {104, 80, 68, 8}, SS_LEFT | WS_GROUP},
        {IDD_ABOUT, IDC_LINK_SALES, kStatic, u"", {109, 93, 59, 8}, SS_LEFTNOWORDWRAP | WS_GROUP},
        {IDD_ABOUT,
         IDC_VERSION_TEXT,
         kStatic,
         u"Quillmere\tversion 10.12.01",
         {56, 35, 165, 9},
         WS_GROUP,
         0,
         WS_EX_TRANSPARENT},
        {IDD_ABOUT,
         IDC_NOTICE_TEXT,
         kStatic,
         u"",
         {35, 48, 206, 9},
         WS_GROUP,
         0,
         WS_EX_TRANSPARENT},
        // New Profile.
        {IDD_NEW_PROFILE, IDOK, kButton, u"OK", {123, 57, 50, 14}, BS_DEFPUSHBUTTON | kTab},
        {IDD_NEW_PROFILE, IDCANCEL, kButton, u"Cancel", {178, 57, 50, 14}, kTab, BS_DEFPUSHBUTTON},
        {IDD_NEW_PROFILE,
         IDC_STATIC,
         kStatic,
         u"Privide a name for temporary mail profile.",
         {14, 15, 133, 8},
         SS_LEFT | WS_GROUP},
        {IDD_NEW_PROFILE,
         IDC_PROFILE_NAME,
         kEdit,
         u"",
         {14, 26, 189, 14},
         WS_BORDER | kTab | ES_AUTOHSCROLL},
    };
}

std::u16string TextOf(HWND h)
{
    WCHAR buffer[256] = {};
    GetWindowText(h, buffer, 256);
    return buffer;
}

HWND FindControl(HWND dialog, const ControlSpec& c)
{
    if (c.id != IDC_STATIC)
        return GetDlgItem(dialog, c.id);
    for (HWND h = GetWindow(dialog, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT))
        if (GetDlgCtrlID(h) == IDC_STATIC && TextOf(h) == c.text)
            return h;
    return nullptr;
}

class DialogControlTest : public ::testing::TestWithParam<ControlSpec>
{
};

TEST_P(DialogControlTest, StandsAsTheTemplateSays)
{
    const ControlSpec& c = GetParam();
    const winplat::DialogTemplate* t = winplat::FindDialogTemplate(c.dialog);
    ASSERT_NE(t, nullptr);
    const HWND dialog = winplat::CreateDialogFromTemplate(*t, nullptr, {}, 0);
    ASSERT_NE(dialog, nullptr);
    const HWND h = FindControl(dialog, c);
    ASSERT_NE(h, nullptr);
    auto w = winplat::WindowOf(h);
    EXPECT_EQ(w->ClassName(), c.className);
    if (!c.text.empty() || c.className == kEdit)
    {
        EXPECT_EQ(TextOf(h), c.text);
    }
    const DWORD style = static_cast<DWORD>(GetWindowLongPtr(h, GWL_STYLE));
    EXPECT_EQ(style & c.style, c.style) << std::hex << style;
    EXPECT_EQ(style & c.notStyle, 0u) << std::hex << style;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtr(h, GWL_EXSTYLE)) & c.exStyle, c.exStyle);
    RECT mapped = c.dlu;
    MapDialogRect(dialog, &mapped);
    RECT r;
    GetWindowRect(h, &r);
    POINT topLeft{r.left, r.top};
    ScreenToClient(dialog, &topLeft);
    EXPECT_EQ(topLeft.x, mapped.left);
    EXPECT_EQ(topLeft.y, mapped.top);
    EXPECT_EQ(r.right - r.left, mapped.right);
    EXPECT_EQ(r.bottom - r.top, mapped.bottom);
    DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(Templates, DialogControlTest, ::testing::ValuesIn(Controls()),
                         [](const auto& info)
                         {
                             std::string name = "Dialog" + std::to_string(info.param.dialog) + "_";
                             if (info.param.id != IDC_STATIC)
                                 return name + "Control" + std::to_string(info.param.id);
                             return name + "Static" + std::to_string(info.index);
                         });

struct DialogSpec
{
    UINT id;
    std::u16string_view caption;
    short cx, cy;
    DWORD style;
    DWORD notStyle;
    DWORD exStyle;
    std::vector<int> tabOrder;
};

class DialogTemplateTest : public ::testing::TestWithParam<DialogSpec>
{
};

TEST_P(DialogTemplateTest, CaptionSizeStyleAndTabOrder)
{
    const DialogSpec& d = GetParam();
    const winplat::DialogTemplate* t = winplat::FindDialogTemplate(d.id);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->caption, d.caption);
    EXPECT_EQ(t->cx, d.cx);
    EXPECT_EQ(t->cy, d.cy);
    EXPECT_EQ(t->fontFace, u"MS Shell Dlg");
    EXPECT_EQ(t->pointSize, 8);
    EXPECT_EQ(t->style & d.style, d.style);
    EXPECT_EQ(t->style & d.notStyle, 0u);
    EXPECT_EQ(t->exStyle & d.exStyle, d.exStyle);

    const HWND dialog = winplat::CreateDialogFromTemplate(*t, nullptr, {}, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(dialog), d.caption);
    // Tab stops in template order (hidden windows are stepped over).
    std::vector<int> order;
    for (const auto& item : t->items)
        if (item.style & WS_TABSTOP)
            order.push_back(item.id);
    EXPECT_EQ(order, d.tabOrder);
    DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(
    Templates, DialogTemplateTest,
    ::testing::Values(
        DialogSpec{IDD_MAIN,
                   u"Quillmere",
                   353,
                   364,
                   WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME,
                   WS_MAXIMIZEBOX | WS_THICKFRAME,
                   WS_EX_APPWINDOW,
                   {IDC_SERVER, IDC_USERNAME, IDC_PASSWORD, IDC_VERIFY, IDC_GENERATE, IDC_CLEAR,
                    IDC_LIST_OST, IDC_LIST_NONOST, IDC_LIST_ERRORS, IDC_SAVE, IDCANCEL, IDC_ABOUT}},
        DialogSpec{IDD_PROGRESS,
                   u"",
                   203,
                   49,
                   WS_POPUP | DS_MODALFRAME,
                   WS_CAPTION,
                   WS_EX_STATICEDGE | WS_EX_CLIENTEDGE,
                   {IDC_PAUSE, IDC_STOP}},
        DialogSpec{IDD_ABOUT,
                   u"About Quillmere",
                   278,
                   129,
                   WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS,
                   0,
                   0,
                   {IDOK}},
        DialogSpec{IDD_NEW_PROFILE,
                   u"New Profile",
                   235,
                   78,
                   WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS,
                   0,
                   0,
                   {IDOK, IDCANCEL, IDC_PROFILE_NAME}}),
    [](const auto& info) { return "Dialog" + std::to_string(info.param.id); });

TEST(Resources, ListMenuHasOnePopupWithCopyAndRemove)
{
    const HMENU menu = LoadMenu(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDR_LIST_MENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    WCHAR text[32] = {};
    GetMenuString(menu, 0, text, 32, MF_BYPOSITION);
    EXPECT_EQ(std::u16string(text), u"LSTMENU");
    const HMENU popup = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(popup), 2);
    EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(ID_LIST_COPY));
    EXPECT_EQ(GetMenuItemID(popup, 1), static_cast<UINT>(ID_LIST_REMOVE));
    GetMenuString(popup, ID_LIST_COPY, text, 32, MF_BYCOMMAND);
    EXPECT_EQ(std::u16string(text), u"Copy");
    GetMenuString(popup, ID_LIST_REMOVE, text, 32, MF_BYCOMMAND);
    EXPECT_EQ(std::u16string(text), u"Remove");
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(IsMenu(popup)); // the popup went with its menu
}

TEST(Resources, AboutBoxString)
{
    WCHAR text[64] = {};
    EXPECT_EQ(LoadString(GetModuleHandle(nullptr), IDS_ABOUTBOX, text, 64), 19);
    EXPECT_EQ(std::u16string(text), u"&About Quillmere...");
    // A buffer too short gets what fits, terminated.
    EXPECT_EQ(LoadString(GetModuleHandle(nullptr), IDS_ABOUTBOX, text, 6), 5);
    EXPECT_EQ(std::u16string(text), u"&Abou");
}

TEST(Resources, Version)
{
    const winplat::VersionResource& v = winplat::Resources()->version;
    EXPECT_EQ(std::vector<WORD>(v.fileVersion, v.fileVersion + 4),
              (std::vector<WORD>{10, 12, 0, 1}));
    EXPECT_EQ(std::vector<WORD>(v.productVersion, v.productVersion + 4),
              (std::vector<WORD>{10, 12, 0, 1}));
    auto value = [&](std::u16string_view key)
    {
        for (const auto& [k, val] : v.strings)
            if (k == key)
                return std::u16string(val);
        return std::u16string(u"<missing>");
    };
    EXPECT_EQ(value(u"FileVersion"), u"10.12.01");
    EXPECT_EQ(value(u"ProductVersion"), u"10.12.01");
    EXPECT_EQ(value(u"ProductName"), u"Quillmere");
    EXPECT_EQ(value(u"FileDescription"), u"Quillmere");
    EXPECT_EQ(value(u"CompanyName"), u"Vandrel Software Pvt. Ltd.");
    EXPECT_EQ(value(u"InternalName"), u"Quillmere.exe");
    EXPECT_EQ(value(u"OriginalFilename"), u"Quillmere.exe");
}

struct PictureSpec
{
    UINT id;
    LONG width, height;
    WORD bitsPerPixel;
};

class BitmapTest : public ::testing::TestWithParam<PictureSpec>
{
};

TEST_P(BitmapTest, SizeAndDepth)
{
    const HBITMAP bitmap = LoadBitmap(GetModuleHandle(nullptr), MAKEINTRESOURCE(GetParam().id));
    ASSERT_NE(bitmap, nullptr);
    BITMAP bm{};
    ASSERT_EQ(GetObject(bitmap, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmWidth, GetParam().width);
    EXPECT_EQ(bm.bmHeight, GetParam().height);
    EXPECT_EQ(bm.bmBitsPixel, GetParam().bitsPerPixel);
    // A real picture, not a blank: more than a handful of colours.
    auto object = winplat::BitmapObjectOf(bitmap);
    QSet<QRgb> colours;
    for (int y = 0; y < object->image.height(); y += 2)
        for (int x = 0; x < object->image.width(); x += 2)
            colours.insert(object->image.pixel(x, y));
    EXPECT_GT(colours.size(), 3);
    EXPECT_TRUE(DeleteObject(bitmap));
}

INSTANTIATE_TEST_SUITE_P(Pictures, BitmapTest,
                         ::testing::Values(PictureSpec{IDB_BANNER, 529, 79, 24},
                                           PictureSpec{IDB_ABOUT_BACKGROUND, 418, 214, 24},
                                           PictureSpec{IDB_LIST_ICON, 16, 16, 24}),
                         [](const auto& info) { return "Bitmap" + std::to_string(info.param.id); });

TEST(Resources, ApplicationIconHasA256AndA16Image)
{
    const HICON icon = LoadIcon(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDR_MAINFRAME));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIcon(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDR_MAINFRAME)), icon); // shared
    const QList<QSize> sizes = winplat::IconObjectOf(icon)->icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(256, 256)));
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_EQ(sizes.size(), 2);
}

TEST(Resources, ListImageWhiteIsTheMask)
{
    // The list image list cuts 16-pixel images and makes white transparent.
    const HBITMAP bitmap = LoadBitmap(GetModuleHandle(nullptr), MAKEINTRESOURCE(IDB_LIST_ICON));
    const HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1);
    EXPECT_EQ(ImageList_AddMasked(list, bitmap, RGB(255, 255, 255)), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 1);
    auto object = winplat::BitmapObjectOf(bitmap);
    int white = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if ((object->image.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF)
                ++white;
    EXPECT_GT(white, 0); // the picture has a white background to mask
    ImageList_Destroy(list);
    DeleteObject(bitmap);
}

} // namespace
