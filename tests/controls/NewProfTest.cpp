// The New Profile dialog: what it hands back for each way of closing it, and its run from the
// scan's worker thread.
#include "controls/NewProf.h"
#include "platform/win/Automation.h"
#include "tests/platform/win/GuiTest.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace automation = winplat::automation;

namespace
{

struct Outcome
{
    INT_PTR result = 0;
    std::u16string name;
    std::u16string shownName;
    HWND focusAtOpening = nullptr;
    HWND okButton = nullptr;
};

// Runs a CNewProf holding `name`; answer drives it from inside its modal loop.
Outcome RunNewProf(const char16_t* name, const std::function<void(HWND)>& answer)
{
    Outcome out;
    automation::SetDialogHandler(
        [&](HWND h, unsigned id)
        {
            if (id != IDD_NEW_PROFILE)
                return;
            out.shownName = automation::GetText(GetDlgItem(h, IDC_PROFILE_NAME));
            out.focusAtOpening = GetFocus();
            out.okButton = GetDlgItem(h, IDOK);
            answer(h);
        });
    CNewProf dlg;
    dlg.m_strProfileName = name;
    out.result = dlg.DoModal();
    out.name = dlg.m_strProfileName.Str();
    automation::SetDialogHandler({});
    return out;
}

TEST(NewProf, EnterAtOnceReturnsOkWithTheNameUnchanged)
{
    const Outcome out = RunNewProf(u"TempAdmin1", [](HWND) { automation::PressKey(VK_RETURN); });
    EXPECT_EQ(out.result, IDOK);
    EXPECT_EQ(out.name, u"TempAdmin1");
    EXPECT_EQ(out.shownName, u"TempAdmin1");
    EXPECT_EQ(out.focusAtOpening, out.okButton); // first in the tab order
}

TEST(NewProf, OkReturnsTheEditedName)
{
    const Outcome out =
        RunNewProf(u"TempAdmin1",
                   [](HWND h)
                   {
                       automation::SetText(GetDlgItem(h, IDC_PROFILE_NAME), u"Scan Ä/2");
                       automation::Click(GetDlgItem(h, IDOK));
                   });
    EXPECT_EQ(out.result, IDOK);
    EXPECT_EQ(out.name, u"Scan Ä/2");
}

TEST(NewProf, OkWithAnEmptyEditReturnsAnEmptyName)
{
    const Outcome out = RunNewProf(u"TempAdmin1",
                                   [](HWND h)
                                   {
                                       automation::SetText(GetDlgItem(h, IDC_PROFILE_NAME), u"");
                                       automation::Click(GetDlgItem(h, IDOK));
                                   });
    EXPECT_EQ(out.result, IDOK);
    EXPECT_EQ(out.name, u"");
}

TEST(NewProf, EnterInTheEditTakesTheEditedName)
{
    const Outcome out = RunNewProf(u"TempAdmin1",
                                   [](HWND h)
                                   {
                                       const HWND edit = GetDlgItem(h, IDC_PROFILE_NAME);
                                       SetFocus(edit);
                                       automation::SetText(edit, u"TempAdmin2");
                                       automation::PressKey(VK_RETURN);
                                   });
    EXPECT_EQ(out.result, IDOK);
    EXPECT_EQ(out.name, u"TempAdmin2");
}

struct CancelCase
{
    const char* name;
    std::function<void(HWND)> cancel;
};

class NewProfCancelTest : public ::testing::TestWithParam<CancelCase>
{
};

TEST_P(NewProfCancelTest, ReturnsCancelAndTheNameAsHandedIn)
{
    const Outcome out =
        RunNewProf(u"TempAdmin1",
                   [](HWND h)
                   {
                       automation::SetText(GetDlgItem(h, IDC_PROFILE_NAME), u"SomethingElse");
                       GetParam().cancel(h);
                   });
    EXPECT_EQ(out.result, IDCANCEL);
    EXPECT_EQ(out.name, u"TempAdmin1");
}

INSTANTIATE_TEST_SUITE_P(
    Ways, NewProfCancelTest,
    ::testing::Values(
        CancelCase{"CancelButton", [](HWND h) { automation::Click(GetDlgItem(h, IDCANCEL)); }},
        CancelCase{"Escape", [](HWND) { automation::PressKey(VK_ESCAPE); }},
        CancelCase{"CloseBox", [](HWND h) { SendMessage(h, WM_SYSCOMMAND, SC_CLOSE, 0); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NewProf, CarriesRunTimeClassInformation)
{
    CNewProf dlg;
    EXPECT_STREQ(dlg.GetRuntimeClass()->m_lpszClassName, "CNewProf");
    EXPECT_TRUE(dlg.IsKindOf(RUNTIME_CLASS(CDialog)));
    EXPECT_EQ(RUNTIME_CLASS(CNewProf)->m_pBaseClass, RUNTIME_CLASS(CDialog));
    EXPECT_EQ(RUNTIME_CLASS(CNewProf)->m_pfnCreateObject, nullptr);
}

// The scan asks from its worker thread while the user-interface thread runs another modal
// loop (the progress dialog's): the dialog runs on the user-interface thread, the worker waits.
TEST(NewProf, RunFromAWorkerThreadRunsOnTheUiThreadWhileTheWorkerWaits)
{
    std::atomic<bool> workerDone{false};
    std::atomic<bool> doneWhileShown{true};
    bool handlerOnUiThread = false;
    automation::SetDialogHandler(
        [&](HWND h, unsigned id)
        {
            if (id != IDD_NEW_PROFILE)
                return;
            handlerOnUiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
            doneWhileShown = workerDone.load();
            automation::SetText(GetDlgItem(h, IDC_PROFILE_NAME), u"TempAdmin2");
            automation::Click(GetDlgItem(h, IDOK));
        });

    INT_PTR result = 0;
    CString name;
    QDialog progress; // stands for the modal loop the user-interface thread is in
    std::thread worker;
    QTimer::singleShot(0, &progress,
                       [&]
                       {
                           worker = std::thread(
                               [&]
                               {
                                   CNewProf dlg;
                                   dlg.m_strProfileName = _T("TempAdmin1");
                                   result = dlg.DoModal();
                                   name = dlg.m_strProfileName;
                                   workerDone = true;
                               });
                       });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &progress,
                     [&]
                     {
                         if (workerDone)
                             progress.accept();
                     });
    poll.start(2);
    progress.exec();
    worker.join();
    automation::SetDialogHandler({});

    EXPECT_TRUE(handlerOnUiThread);
    EXPECT_FALSE(doneWhileShown.load());
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(name, _T("TempAdmin2"));
}

TEST(NewProf, OwnedByTheWindowItIsGiven)
{
    // The dialog shows in front of its parent, which stays disabled while it runs.
    CDialog owner(IDD_NEW_PROFILE);
    bool ownerDisabled = false;
    bool ownerSeen = false;
    automation::SetDialogHandler(
        [&](HWND h, unsigned)
        {
            if (!ownerSeen)
            {
                ownerSeen = true;
                CNewProf dlg(&owner);
                automation::SetDialogHandler(
                    [&](HWND inner, unsigned)
                    {
                        ownerDisabled = !IsWindowEnabled(owner.m_hWnd);
                        EXPECT_EQ(GetParent(inner), owner.m_hWnd);
                        automation::Click(GetDlgItem(inner, IDCANCEL));
                    });
                EXPECT_EQ(dlg.DoModal(), IDCANCEL);
                EXPECT_TRUE(IsWindowEnabled(owner.m_hWnd));
                automation::Click(GetDlgItem(h, IDCANCEL));
            }
        });
    owner.DoModal();
    automation::SetDialogHandler({});
    EXPECT_TRUE(ownerDisabled);
}

} // namespace
