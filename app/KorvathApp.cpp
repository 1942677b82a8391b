#include "app/KorvathApp.h"

#include "app/KorvathDlg.h"

BEGIN_MESSAGE_MAP(CKorvathApp, CWinAppEx)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CKorvathApp::CKorvathApp() = default;

BOOL CKorvathApp::InitInstance()
{
    INITCOMMONCONTROLSEX initCtrls;
    initCtrls.dwSize = sizeof(initCtrls);
    initCtrls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&initCtrls);

    CWinAppEx::InitInstance();

    // The framework's per-user settings key; the program stores nothing there.
    SetRegistryKey(_T("Local AppWizard-Generated Applications"));

    CKorvathDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // The dialog ends here: nothing may reach it through the main window afterwards.
    m_pMainWnd = nullptr;

    // No message loop of the application's own: the program ends.
    return FALSE;
}
