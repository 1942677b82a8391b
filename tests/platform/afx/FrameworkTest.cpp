// The framework over the window system: message maps and their base classes, reflection of a
// control's notifications and colour queries, data exchange, pre-translation, modal runs from
// another thread, and the life of window objects.
#include "platform/afx/Afx.h"
#include "platform/win/Automation.h"
#include "platform/win/Resources.h"
#include "platform/win/UiThread.h"
#include "tests/platform/win/GuiTest.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace automation = winplat::automation;

namespace
{

constexpr UINT IDD_FRAME = 800;
constexpr int IDC_NAME = 801;
constexpr int IDC_LINK = 802;
constexpr int IDC_PLAIN = 803;
constexpr int IDC_BUTTON = 804;
constexpr UINT WM_APP_PING = WM_USER + 2;
constexpr UINT WM_APP_BASE_ONLY = WM_USER + 3;

const winplat::ResourceTable kResources{
    {winplat::DialogTemplate{
        IDD_FRAME,
        WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
        0,
        0,
        0,
        200,
        100,
        u"Frame",
        u"MS Shell Dlg",
        8,
        {
            {u"Edit", u"", IDC_NAME, 10, 10, 100, 14, WS_VISIBLE | WS_BORDER | WS_TABSTOP},
            {u"Static", u"link text", IDC_LINK, 10, 30, 60, 10, WS_VISIBLE},
            {u"Static", u"plain text", IDC_PLAIN, 80, 30, 60, 10, WS_VISIBLE},
            {u"Button", u"OK", IDOK, 10, 60, 50, 14, WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP},
            {u"Button", u"Cancel", IDCANCEL, 70, 60, 50, 14, WS_VISIBLE | WS_TABSTOP},
            {u"Button", u"Press", IDC_BUTTON, 130, 60, 50, 14, WS_VISIBLE | WS_TABSTOP},
        },
    }},
    {},
    {},
    {},
    {},
    {},
};

std::vector<std::string> g_log;

// The log without colour queries, which come whenever the window system paints.
std::vector<std::string> Events()
{
    std::vector<std::string> r;
    for (const auto& e : g_log)
        if (e.rfind("link colour", 0) != 0)
            r.push_back(e);
    return r;
}

// A static that handles its own click and colours, as link controls do.
class CLinkStatic : public CStatic
{
public:
    int clicks = 0;
    bool subclassedBeforeProc = false;

protected:
    void PreSubclassWindow() override
    {
        g_log.push_back("PreSubclassWindow");
        ModifyStyle(0, SS_NOTIFY);
        CStatic::PreSubclassWindow();
    }
    void OnClicked()
    {
        ++clicks;
        g_log.push_back("link clicked");
    }
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor)
    {
        g_log.push_back("link colour " + std::to_string(nCtlColor));
        pDC->SetTextColor(RGB(0, 0, 238));
        pDC->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            g_log.push_back("link pretranslate");
        return CStatic::PreTranslateMessage(pMsg);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLinkStatic, CStatic)
    ON_CONTROL_REFLECT(STN_CLICKED, &CLinkStatic::OnClicked)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class CBaseDlg : public CDialog
{
public:
    CBaseDlg() : CDialog(IDD_FRAME) {}
    LRESULT OnPing(WPARAM w, LPARAM)
    {
        g_log.push_back("base ping");
        return static_cast<LRESULT>(w) + 1;
    }
    LRESULT OnBaseOnly(WPARAM, LPARAM)
    {
        g_log.push_back("base only");
        return 7;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseDlg, CDialog)
    ON_MESSAGE(WM_APP_PING, &CBaseDlg::OnPing)
    ON_MESSAGE(WM_APP_BASE_ONLY, &CBaseDlg::OnBaseOnly)
END_MESSAGE_MAP()

class CFrameDlg : public CBaseDlg
{
public:
    CString m_strName;
    CLinkStatic m_link;
    CBrush m_brush;
    bool pingFromUiThread = false;
    int buttonClicks = 0;
    int linkClicksSeenByParent = 0;
    std::vector<UINT> colourQueries;

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CBaseDlg::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_LINK, m_link);
        DDX_Text(pDX, IDC_NAME, m_strName);
    }
    BOOL OnInitDialog() override
    {
        g_log.push_back("OnInitDialog");
        CBaseDlg::OnInitDialog();
        m_brush.CreateSolidBrush(RGB(10, 200, 30));
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            g_log.push_back("dialog pretranslate");
        return CBaseDlg::PreTranslateMessage(pMsg);
    }
    LRESULT OnPing(WPARAM w, LPARAM)
    {
        pingFromUiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        g_log.push_back("derived ping");
        return static_cast<LRESULT>(w) * 10;
    }
    void OnButton() { ++buttonClicks; }
    void OnLinkClickedHere() { ++linkClicksSeenByParent; }
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
    {
        colourQueries.push_back(nCtlColor);
        HBRUSH brush = CBaseDlg::OnCtlColor(pDC, pWnd, nCtlColor);
        if (nCtlColor == CTLCOLOR_DLG)
            return m_brush;
        return brush;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFrameDlg, CBaseDlg)
    ON_MESSAGE(WM_APP_PING, &CFrameDlg::OnPing)
    ON_BN_CLICKED(IDC_BUTTON, &CFrameDlg::OnButton)
    ON_STN_CLICKED(IDC_LINK, &CFrameDlg::OnLinkClickedHere)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

class FrameworkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        winplat::RegisterResources(&kResources);
        g_log.clear();
    }
    void TearDown() override
    {
        automation::SetDialogHandler({});
        winplat::RegisterResources(nullptr);
    }
    // Runs the dialog modally; inLoop drives it from inside its loop.
    INT_PTR Run(CDialog& dlg, const std::function<void(HWND)>& inLoop)
    {
        automation::SetDialogHandler([&](HWND h, unsigned) { inLoop(h); });
        return dlg.DoModal();
    }
};

TEST_F(FrameworkTest, MessageMapsPreferTheDerivedClassAndFallBackToTheBase)
{
    CFrameDlg dlg;
    LRESULT derived = 0, base = 0, unmapped = -1;
    Run(dlg,
        [&](HWND h)
        {
            derived = SendMessage(h, WM_APP_PING, 4, 0);
            base = SendMessage(h, WM_APP_BASE_ONLY, 0, 0);
            unmapped = SendMessage(h, WM_USER + 40, 0, 0);
            EndDialog(h, IDCANCEL);
        });
    EXPECT_EQ(derived, 40);
    EXPECT_EQ(base, 7);
    EXPECT_EQ(unmapped, 0);
    // Data exchange, which attaches the link, runs inside the base class's initialisation.
    EXPECT_EQ(Events(), (std::vector<std::string>{"OnInitDialog", "PreSubclassWindow",
                                                  "derived ping", "base only"}));
}

TEST_F(FrameworkTest, RequestFromAWorkerReachesTheHandlerInsideTheModalLoop)
{
    CFrameDlg dlg;
    std::atomic<LRESULT> answer{0};
    std::thread worker;
    const INT_PTR result = Run(dlg,
                               [&](HWND h)
                               {
                                   worker = std::thread(
                                       [&, h]
                                       {
                                           answer = SendMessage(h, WM_APP_PING, 5, 0);
                                           PostMessage(h, WM_CLOSE, 0, 0);
                                       });
                               });
    worker.join();
    EXPECT_EQ(answer.load(), 50);
    EXPECT_TRUE(dlg.pingFromUiThread);
    EXPECT_EQ(result, IDCANCEL); // the close request ends it through Cancel
}

TEST_F(FrameworkTest, AControlHandlesItsOwnClickReflectedByTheParent)
{
    CFrameDlg dlg;
    Run(dlg,
        [&](HWND h)
        {
            EXPECT_TRUE(dlg.m_link.GetStyle() & SS_NOTIFY);
            automation::Click(GetDlgItem(h, IDC_LINK));
            automation::Click(GetDlgItem(h, IDC_BUTTON));
            EndDialog(h, IDCANCEL);
        });
    EXPECT_EQ(dlg.m_link.clicks, 1);
    EXPECT_EQ(dlg.linkClicksSeenByParent, 0); // the control took it
    EXPECT_EQ(dlg.buttonClicks, 1);
}

TEST_F(FrameworkTest, ColourQueriesGoToTheControlFirstAndTheDialogPaintsItsBrush)
{
    CFrameDlg dlg;
    unsigned dialogPixel = 0, behindLink = 0, behindPlain = 0;
    Run(dlg,
        [&](HWND h)
        {
            RECT link;
            GetWindowRect(GetDlgItem(h, IDC_LINK), &link);
            ScreenToClient(h, reinterpret_cast<POINT*>(&link));
            RECT plain;
            GetWindowRect(GetDlgItem(h, IDC_PLAIN), &plain);
            ScreenToClient(h, reinterpret_cast<POINT*>(&plain));
            dialogPixel = automation::PixelAt(h, 2, 2);
            // Rows below the text's letters: what is behind the label shows there.
            behindLink = automation::PixelAt(h, link.left + 1, link.top + 1);
            behindPlain = automation::PixelAt(h, plain.left + 1, plain.top + 1);
            EndDialog(h, IDCANCEL);
        });
    EXPECT_EQ(dialogPixel, 0x0AC81Eu);
    EXPECT_EQ(behindLink, 0x0AC81Eu);  // transparent: the dialog's brush shows through
    EXPECT_NE(behindPlain, 0x0AC81Eu); // a plain static paints the default face colour
    EXPECT_NE(std::find(g_log.begin(), g_log.end(), "link colour 6"), g_log.end());
    EXPECT_NE(std::find(dlg.colourQueries.begin(), dlg.colourQueries.end(), CTLCOLOR_DLG),
              dlg.colourQueries.end());
}

TEST_F(FrameworkTest, DataExchangeBothWays)
{
    CFrameDlg dlg;
    dlg.m_strName = _T("start");
    std::u16string shown;
    const INT_PTR result =
        Run(dlg,
            [&](HWND h)
            {
                shown = automation::GetText(GetDlgItem(h, IDC_NAME));
                automation::SetText(GetDlgItem(h, IDC_NAME), u"changed");
                automation::Click(GetDlgItem(h, IDOK)); // the framework's OK: exchange, then end
            });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shown, u"start");
    EXPECT_EQ(dlg.m_strName, _T("changed"));
}

TEST_F(FrameworkTest, KeysArePreTranslatedFromTheControlUpToTheDialog)
{
    CFrameDlg dlg;
    const INT_PTR result = Run(dlg,
                               [&](HWND h)
                               {
                                   SetFocus(GetDlgItem(h, IDC_NAME));
                                   g_log.clear();
                                   automation::PressKey(VK_ESCAPE);
                               });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Events(), (std::vector<std::string>{"dialog pretranslate"}));
}

TEST_F(FrameworkTest, ModalRunFromAWorkerWithoutAnyLoopOnTheUiThreadWaitsForIt)
{
    // The user-interface thread is busy in a wait that serves requests (as when it waits for
    // a worker), not in an event loop.
    CFrameDlg dlg;
    std::atomic<INT_PTR> result{0};
    std::atomic<bool> done{false};
    automation::SetDialogHandler([&](HWND h, unsigned) { EndDialog(h, 77); });
    std::thread worker(
        [&]
        {
            result = dlg.DoModal();
            done = true;
            winplat::UiThread::Kick();
        });
    EXPECT_TRUE(winplat::UiThread::WaitServing(
        [&] { return done.load(); }, std::chrono::steady_clock::now() + std::chrono::seconds(10)));
    worker.join();
    EXPECT_EQ(result.load(), 77);
}

TEST_F(FrameworkTest, WindowObjectsLetGoOfTheirWindowsWhenTheDialogEnds)
{
    CFrameDlg dlg;
    HWND dialogHandle = nullptr, linkHandle = nullptr;
    Run(dlg,
        [&](HWND h)
        {
            dialogHandle = h;
            linkHandle = dlg.m_link.m_hWnd;
            EXPECT_EQ(CWnd::FromHandlePermanent(h), &dlg);
            EXPECT_EQ(CWnd::FromHandlePermanent(linkHandle), &dlg.m_link);
            EndDialog(h, IDOK);
        });
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_link.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(dialogHandle));
    EXPECT_FALSE(IsWindow(linkHandle));
    EXPECT_EQ(CWnd::FromHandlePermanent(dialogHandle), nullptr);
    // The same objects can run again.
    EXPECT_EQ(Run(dlg, [](HWND h) { EndDialog(h, 3); }), 3);
}

TEST_F(FrameworkTest, DestroyingTheObjectDestroysItsWindow)
{
    HWND handle = nullptr;
    {
        CStatic label;
        ASSERT_TRUE(label.CreateEx(0, WC_STATICW, u"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        handle = label.m_hWnd;
        EXPECT_TRUE(IsWindow(handle));
    }
    EXPECT_FALSE(IsWindow(handle));
}

TEST_F(FrameworkTest, TemporaryObjectsWrapHandlesNobodyOwns)
{
    CFrameDlg dlg;
    Run(dlg,
        [&](HWND h)
        {
            CWnd* plain = dlg.GetDlgItem(IDC_PLAIN);
            ASSERT_NE(plain, nullptr);
            EXPECT_EQ(plain, dlg.GetDlgItem(IDC_PLAIN)); // one wrapper per handle
            EXPECT_EQ(CWnd::FromHandlePermanent(plain->m_hWnd), nullptr);
            CString text;
            plain->GetWindowText(text);
            EXPECT_EQ(text, _T("plain text"));
            // From another thread the wrapper is that thread's own, and its calls still work.
            CString fromWorker;
            std::atomic<bool> done{false};
            std::thread worker(
                [&]
                {
                    dlg.GetDlgItemText(IDC_PLAIN, fromWorker);
                    done = true;
                });
            EXPECT_TRUE(guitest::WaitUntil([&] { return done.load(); }));
            worker.join();
            EXPECT_EQ(fromWorker, _T("plain text"));
            EndDialog(h, IDCANCEL);
        });
}

TEST_F(FrameworkTest, RunTimeClassInformation)
{
    CFrameDlg dlg;
    CStatic label;
    EXPECT_TRUE(dlg.IsKindOf(RUNTIME_CLASS(CDialog)));
    EXPECT_TRUE(dlg.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_FALSE(label.IsKindOf(RUNTIME_CLASS(CDialog)));
    EXPECT_STREQ(label.GetRuntimeClass()->m_lpszClassName, "CStatic");
}

} // namespace
