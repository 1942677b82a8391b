#include "platform/afx/CWinApp.h"

namespace
{
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp(LPCWSTR)
{
    g_pApp = this;
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

CWinApp* AfxGetApp() noexcept
{
    return g_pApp;
}
