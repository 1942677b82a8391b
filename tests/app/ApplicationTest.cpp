// The application object's start-up: the main dialog as the main window, run modally once.
#include "app/KorvathApp.h"
#include "app/KorvathDlg.h"
#include "platform/win/Automation.h"

#include <gtest/gtest.h>

#include <string>

namespace automation = winplat::automation;

namespace
{

TEST(Application, InitInstanceRunsTheMainDialogAndEndsTheProgram)
{
    CKorvathApp app;
    ASSERT_EQ(AfxGetApp(), &app);
    HWND mainWindowDuringRun = nullptr;
    HWND dialogDuringRun = nullptr;
    int runs = 0;
    automation::SetDialogHandler(
        [&](HWND h, unsigned id)
        {
            if (id != IDD_MAIN)
                return;
            ++runs;
            dialogDuringRun = h;
            mainWindowDuringRun = AfxGetMainWnd()->GetSafeHwnd();
            automation::Click(GetDlgItem(h, IDCANCEL));
        });
    EXPECT_FALSE(app.InitInstance()); // no message loop of the application's own
    automation::SetDialogHandler({});
    EXPECT_EQ(runs, 1);
    EXPECT_NE(dialogDuringRun, nullptr);
    EXPECT_EQ(mainWindowDuringRun, dialogDuringRun);
    EXPECT_FALSE(IsWindow(dialogDuringRun));
    EXPECT_EQ(app.m_pMainWnd, nullptr); // nothing reaches the ended dialog afterwards
    EXPECT_EQ(AfxGetMainWnd()->GetSafeHwnd(), nullptr);
    ASSERT_NE(app.m_pszRegistryKey, nullptr);
    EXPECT_EQ(std::u16string(app.m_pszRegistryKey), u"Local AppWizard-Generated Applications");
    EXPECT_TRUE(app.m_bResourceSmartUpdate);
    // The framework's Help command reaches the base class's handler.
    EXPECT_TRUE(app.OnCmdMsg(ID_HELP, 0, nullptr, nullptr));
}

} // namespace
