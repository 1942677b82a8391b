// The program's resources, as a resource script would hold them: dialog templates (dialog
// units, template order = tab order), the list menu, the string table, the version, pictures.
#include "platform/win/Resources.h"

#include "platform/win/CommCtrl.h"
#include "res/EmbeddedImages.h"
#include "res/ProductInfo.h"
#include "res/resource.h"

namespace
{

using winplat::DialogItemTemplate;
using winplat::DialogTemplate;

constexpr std::u16string_view kButton = u"Button";
constexpr std::u16string_view kEdit = u"Edit";
constexpr std::u16string_view kStatic = u"Static";
constexpr std::u16string_view kTab = u"SysTabControl32";
constexpr std::u16string_view kList = u"SysListView32";

constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEditStyle = kVisible | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kButtonStyle = kVisible | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kListStyle = WS_CHILD | LVS_REPORT | LVS_ALIGNLEFT | WS_BORDER | WS_TABSTOP;
constexpr DWORD kDialogFrame =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;

const winplat::ResourceTable kResources{
    // Dialogs.
    {
        DialogTemplate{
            IDD_MAIN,
            WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME |
                DS_SETFONT | DS_FIXEDSYS,
            WS_EX_APPWINDOW,
            0,
            0,
            353,
            364,
            u"Quillmere",
            u"MS Shell Dlg",
            8,
            {
                {kEdit, u"", IDC_SERVER, 51, 81, 205, 14, kEditStyle},
                {kEdit, u"", IDC_USERNAME, 92, 106, 164, 14, kEditStyle},
                {kEdit, u"", IDC_PASSWORD, 92, 132, 164, 14, kEditStyle | ES_PASSWORD},
                {kButton, u"Verify", IDC_VERIFY, 265, 133, 43, 14, kButtonStyle},
                {kButton, u"Generate", IDC_GENERATE, 284, 160, 54, 15, kButtonStyle},
                {kButton, u"Clear", IDC_CLEAR, 225, 160, 54, 15, kButtonStyle},
                {kTab, u"", IDC_RESULT_TAB, 18, 180, 319, 160, kVisible},
                {kList, u"", IDC_LIST_OST, 35, 193, 60, 50, kListStyle},
                {kList, u"", IDC_LIST_NONOST, 110, 193, 60, 50, kListStyle},
                {kList, u"", IDC_LIST_ERRORS, 183, 193, 60, 50, kListStyle},
                {kButton, u"Save", IDC_SAVE, 225, 345, 54, 15, kButtonStyle},
                {kButton, u"Close", IDCANCEL, 284, 345, 54, 15, kButtonStyle},
                {kStatic, u"Enter the name of host Exchange Server:", IDC_STATIC, 51, 71, 134, 8,
                 kVisible | SS_LEFT},
                {kStatic, u"User name:", IDC_STATIC, 51, 109, 38, 8, kVisible | SS_LEFT},
                {kStatic, u"Password:", IDC_STATIC, 51, 136, 34, 8, kVisible | SS_LEFT},
                {kButton, u"Credentials", IDC_STATIC, 18, 55, 319, 100, kVisible | BS_GROUPBOX},
                {kStatic, u"<DOMAIN>\\<Administrator>", IDC_STATIC, 92, 121, 98, 8,
                 kVisible | SS_LEFT},
                {kStatic, u"", IDC_BANNER, 0, 0, 353, 49, kVisible | SS_BITMAP, 0, IDB_BANNER},
                {kButton, u"About", IDC_ABOUT, 19, 347, 50, 14, kButtonStyle},
            },
        },
        DialogTemplate{
            IDD_PROGRESS,
            WS_POPUP | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS,
            WS_EX_STATICEDGE | WS_EX_CLIENTEDGE,
            0,
            0,
            203,
            49,
            u"",
            u"MS Shell Dlg",
            8,
            {
                {kStatic, u"                                Working...", IDC_PROGRESS_TEXT, 17, 15,
                 171, 8, kVisible | SS_LEFT},
                {kButton, u"Pause", IDC_PAUSE, 48, 31, 50, 14, kButtonStyle | BS_FLAT},
                {kButton, u"Stop", IDC_STOP, 104, 31, 50, 14, kButtonStyle | BS_FLAT},
            },
        },
        DialogTemplate{
            IDD_ABOUT,
            kDialogFrame,
            0,
            0,
            0,
            278,
            129,
            u"About Quillmere",
            u"MS Shell Dlg",
            8,
            {
                {kButton, u"OK", IDOK, 113, 109, 50, 14,
                 kVisible | BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP},
                {kStatic, QM_WEBSITE_TEXT, IDC_LINK_WEBSITE, 101, 67, 75, 8,
                 kVisible | SS_LEFT | WS_GROUP},
                {kStatic, QM_SUPPORT_EMAIL, IDC_LINK_SUPPORT, 104, 80, 68, 8,
                 kVisible | SS_LEFT | WS_GROUP},
                {kStatic, QM_SALES_EMAIL, IDC_LINK_SALES, 109, 93, 59, 8,
                 kVisible | SS_LEFTNOWORDWRAP | WS_GROUP},
                {kStatic, u"Quillmere\tversion " QM_VERSION_TEXT, IDC_VERSION_TEXT, 56, 35, 165, 9,
                 kVisible | SS_LEFT | WS_GROUP, WS_EX_TRANSPARENT},
                {kStatic, u"Copyright (C) 2010 " QM_COMPANY_NAME u" All rights reserved.",
                 IDC_NOTICE_TEXT, 35, 48, 206, 9, kVisible | SS_LEFT | WS_GROUP, WS_EX_TRANSPARENT},
            },
        },
        DialogTemplate{
            IDD_NEW_PROFILE,
            kDialogFrame,
            0,
            0,
            0,
            235,
            78,
            u"New Profile",
            u"MS Shell Dlg",
            8,
            {
                {kButton, u"OK", IDOK, 123, 57, 50, 14, kVisible | BS_DEFPUSHBUTTON | WS_TABSTOP},
                {kButton, u"Cancel", IDCANCEL, 178, 57, 50, 14, kButtonStyle},
                {kStatic, u"Privide a name for temporary mail profile.", IDC_STATIC, 14, 15, 133, 8,
                 kVisible | SS_LEFT | WS_GROUP},
                {kEdit, u"", IDC_PROFILE_NAME, 14, 26, 189, 14, kEditStyle},
            },
        },
    },
    // Menus.
    {
        {IDR_LIST_MENU,
         {{MF_POPUP,
           0,
           u"LSTMENU",
           {{MF_STRING, ID_LIST_COPY, u"Copy", {}}, {MF_STRING, ID_LIST_REMOVE, u"Remove", {}}}}}},
    },
    // Strings.
    {
        {IDS_ABOUTBOX, u"&About Quillmere..."},
    },
    // Bitmaps.
    {
        {IDB_BANNER, {qmres::kBannerPng, qmres::kBannerPngSize, 24}},
        {IDB_ABOUT_BACKGROUND, {qmres::kAboutBackgroundPng, qmres::kAboutBackgroundPngSize, 24}},
        {IDB_LIST_ICON, {qmres::kListIconPng, qmres::kListIconPngSize, 24}},
    },
    // Icons.
    {
        {IDR_MAINFRAME,
         {{qmres::kApp256Png, qmres::kApp256PngSize, 32},
          {qmres::kApp16Png, qmres::kApp16PngSize, 32}}},
    },
    // Version.
    {
        {10, 12, 0, 1},
        {10, 12, 0, 1},
        {
            {u"CompanyName", QM_COMPANY_NAME},
            {u"FileDescription", u"Quillmere"},
            {u"FileVersion", QM_VERSION_TEXT},
            {u"InternalName", u"Quillmere.exe"},
            {u"OriginalFilename", u"Quillmere.exe"},
            {u"ProductName", u"Quillmere"},
            {u"ProductVersion", QM_VERSION_TEXT},
        },
    },
};

// The resources are the program's from the start, as if linked into the executable.
const bool kRegistered = (winplat::RegisterResources(&kResources), true);

} // namespace
