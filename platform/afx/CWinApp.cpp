#include "platform/afx/CWinApp.h"

#include "platform/afx/AfxMessageBox.h"
#include "platform/afx/CWnd.h"
#include "platform/win/Cursor.h"
#include "platform/win/Module.h"
#include "platform/win/Window.h"
#include "platform/win/WindowRegistry.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace
{
CWinApp* g_pApp = nullptr;

bool HasDisplay()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0')
        return true;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display != nullptr && *display != '\0') || (wayland != nullptr && *wayland != '\0');
}

// Windows still open when the program ends go before the user interface does.
void DestroyRemainingWindows()
{
    for (const auto& w : winplat::WindowRegistry::All())
        if (!w->IsChild() && winplat::WindowRegistry::IsWindow(w->Handle()))
            ::DestroyWindow(w->Handle());
}
} // namespace

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinAppEx, CWinApp)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCTSTR lpszAppName) : m_pszAppName(lpszAppName)
{
    g_pApp = this;
    if (m_pszAppName == nullptr)
        m_pszAppName = AfxGetAppName();
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}
int CWinApp::ExitInstance()
{
    return 0;
}

int CWinApp::Run()
{
    QApplication::exec();
    return ExitInstance();
}

void CWinApp::SetRegistryKey(LPCTSTR lpszRegistryKey)
{
    m_pszRegistryKey = lpszRegistryKey;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDResource));
}

HCURSOR CWinApp::LoadStandardCursor(LPCTSTR lpszCursorName) const
{
    return ::LoadCursorW(nullptr, lpszCursorName);
}

void CWinApp::BeginWaitCursor()
{
    winplat::BeginWaitCursor();
}
void CWinApp::EndWaitCursor()
{
    winplat::EndWaitCursor();
}

// The program has no help file: the Help command has nothing to open.
void CWinApp::OnHelp() {}

CWinAppEx::CWinAppEx(BOOL bResourceSmartUpdate) : m_bResourceSmartUpdate(bResourceSmartUpdate) {}

BOOL CWinAppEx::InitInstance()
{
    return CWinApp::InitInstance();
}

CWinApp* AfxGetApp() noexcept
{
    return g_pApp;
}
HINSTANCE AfxGetInstanceHandle() noexcept
{
    return ::GetModuleHandleW(nullptr);
}
HINSTANCE AfxGetResourceHandle() noexcept
{
    return ::GetModuleHandleW(nullptr);
}

int AfxWinMain(int argc, char** argv)
{
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
    {
        std::fputs("The program has no application object.\n", stderr);
        return 1;
    }
    if (!HasDisplay())
    {
        std::fprintf(stderr,
                     "%s needs a display: no X11 or Wayland display is set (DISPLAY, "
                     "WAYLAND_DISPLAY).\nRun it on a desktop, or under a virtual one: "
                     "xvfb-run -a %s\n",
                     winplat::ToUtf8(std::u16string(AfxGetAppName())).c_str(),
                     argc > 0 ? argv[0] : "program");
        return 1;
    }
    std::unique_ptr<QApplication> qapp;
    if (QCoreApplication::instance() == nullptr)
        qapp = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    int code = 0;
    if (app->InitInstance())
        code = app->Run();
    else
        code = app->ExitInstance();
    DestroyRemainingWindows();
    qapp.reset();
    return code;
}

CWaitCursor::CWaitCursor()
{
    winplat::BeginWaitCursor();
}
CWaitCursor::~CWaitCursor()
{
    winplat::EndWaitCursor();
}
void CWaitCursor::Restore() {}
