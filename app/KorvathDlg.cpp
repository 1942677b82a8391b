#include "app/KorvathDlg.h"

#include "app/CredentialSplit.h"
#include "app/DialogKeys.h"
#include "app/ScanThreadProc.h"
#include "platform/ads/Ads.h"
#include "platform/ads/NetApi.h"
#include "res/ProductInfo.h"
#include "scan/StopFlag.h"

namespace
{
// The tab headers keep this band at the top of the tab control free.
constexpr int kTabHeaderBand = 20;
} // namespace

CKorvathDlg::CKorvathDlg(CWnd* pParent) : CDialog(IDD, pParent), m_dlgProgress(this)
{
    m_hIcon = AfxGetApp() != nullptr
                  ? AfxGetApp()->LoadIcon(IDR_MAINFRAME)
                  : LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(IDR_MAINFRAME));
}

CKorvathDlg::~CKorvathDlg()
{
    // The worker uses this object to its end.
    EndScan();
    delete m_pScanThread;
}

void CKorvathDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RESULT_TAB, m_tabResults);
    DDX_Control(pDX, IDC_LIST_OST, m_listOst);
    DDX_Control(pDX, IDC_LIST_NONOST, m_listNonOst);
    DDX_Control(pDX, IDC_LIST_ERRORS, m_listErrors);
    DDX_Control(pDX, IDC_BANNER, m_banner);
}

BEGIN_MESSAGE_MAP(CKorvathDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_CLEAR, &CKorvathDlg::OnClear)
    ON_BN_CLICKED(IDC_ABOUT, &CKorvathDlg::OnAbout)
    ON_BN_CLICKED(IDC_VERIFY, &CKorvathDlg::OnVerify)
    ON_BN_CLICKED(IDC_GENERATE, &CKorvathDlg::OnGenerate)
    ON_MESSAGE(WM_SCAN_PAUSE, &CKorvathDlg::OnScanPause)
    ON_MESSAGE(WM_SCAN_RESUME, &CKorvathDlg::OnScanResume)
    ON_MESSAGE(WM_SCAN_STOP, &CKorvathDlg::OnScanStop)
END_MESSAGE_MAP()

BOOL CKorvathDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    AddAboutToSystemMenu();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    m_banner.SetTargetUrl(QM_PRODUCT_URL);

    m_tabResults.InsertItem(0, _T("OST Users"));
    m_tabResults.InsertItem(1, _T("Non-OST Users"));
    m_tabResults.InsertItem(2, _T("Errors"));

    PlaceListsInTab();
    m_listOst.ShowWindow(SW_SHOWNORMAL);

    m_menuList.Attach(LoadMenu(AfxGetResourceHandle(), MAKEINTRESOURCE(IDR_LIST_MENU)));

    m_imageList.Create(IDB_LIST_ICON, 16, 1, RGB(255, 255, 255));
    m_listOst.SetImageList(&m_imageList, LVSIL_SMALL);
    m_listNonOst.SetImageList(&m_imageList, LVSIL_SMALL);
    m_listErrors.SetImageList(&m_imageList, LVSIL_SMALL);

    SetDlgItemText(IDC_SERVER, _T(""));
    SetDlgItemText(IDC_USERNAME, _T(""));
    SetDlgItemText(IDC_PASSWORD, _T(""));

    return TRUE; // the first control in tab order, the server edit, takes the focus
}

void CKorvathDlg::AddAboutToSystemMenu()
{
    CMenu* pSysMenu = GetSystemMenu(FALSE);
    if (pSysMenu == nullptr)
        return;
    WCHAR text[256];
    if (LoadString(AfxGetResourceHandle(), IDS_ABOUTBOX, text, 256) > 0)
    {
        pSysMenu->AppendMenu(MF_SEPARATOR);
        pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, text);
    }
}

void CKorvathDlg::PlaceListsInTab()
{
    CRect client;
    m_tabResults.GetClientRect(&client);
    CRect frame;
    m_tabResults.GetWindowRect(&frame);
    ScreenToClient(&frame);
    for (CListCtrl* list : {&m_listOst, &m_listNonOst, &m_listErrors})
        list->MoveWindow(frame.left, frame.top + kTabHeaderBand, client.Width(),
                         client.Height() - kTabHeaderBand, TRUE);
}

BOOL CKorvathDlg::PreTranslateMessage(MSG* pMsg)
{
    if (DispatchEnterAndEscape(pMsg))
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

void CKorvathDlg::OnOK() {}

void CKorvathDlg::OnCancel()
{
    // A scan still running would fill lists that are about to go, and a scanner cut off at the
    // program's exit would leave its temporary profile behind.
    EndScan();
    CDialog::OnCancel();
}

void CKorvathDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX)
        OnAbout();
    else
        CDialog::OnSysCommand(nID, lParam);
}

void CKorvathDlg::OnPaint()
{
    if (IsIconic())
    {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);

        const int cxIcon = GetSystemMetrics(SM_CXICON);
        const int cyIcon = GetSystemMetrics(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        const int x = (rect.Width() - cxIcon + 1) / 2;
        const int y = (rect.Height() - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    }
    else
    {
        CDialog::OnPaint();
    }
}

HCURSOR CKorvathDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

// The About box is not part of the program yet: its button and menu entry do nothing.
void CKorvathDlg::OnAbout() {}

CListCtrl* CKorvathDlg::ListOfTab(int nTab)
{
    switch (nTab)
    {
    case 0:
        return &m_listOst;
    case 1:
        return &m_listNonOst;
    case 2:
        return &m_listErrors;
    default:
        return nullptr;
    }
}

void CKorvathDlg::OnClear()
{
    if (CListCtrl* list = ListOfTab(m_tabResults.GetCurSel()))
        list->DeleteAllItems();
}

BOOL CKorvathDlg::VerifyCredentials()
{
    CString strUserName;
    CString strPassword;
    GetDlgItemText(IDC_USERNAME, strUserName);
    GetDlgItemText(IDC_PASSWORD, strPassword);

    CString strDomain;
    CString strAccount;
    if (!SplitUserName(strUserName, strDomain, strAccount))
    {
        AfxMessageBox(_T("Invalid credentials."), MB_ICONERROR);
        return FALSE;
    }

    CWaitCursor wait;

    LPBYTE pDcName = nullptr;
    if (NetGetDCName(nullptr, strDomain, &pDcName) != NERR_Success)
    {
        AfxMessageBox(_T("Invalid domain name."), MB_ICONERROR);
        return FALSE;
    }
    const CString strPath = LdapPathOfController(CString(reinterpret_cast<LPCWSTR>(pDcName)));

    // Each check may be the first directory use on this thread; a repeated call is harmless.
    CoInitialize(nullptr);

    // Only the account binds: the domain part has already chosen the controller.
    IDirectorySearch* pSearch = nullptr;
    const HRESULT hr = ADsOpenObject(strPath, strAccount, strPassword, ADS_SECURE_AUTHENTICATION,
                                     IID_IDirectorySearch, reinterpret_cast<void**>(&pSearch));
    // Only S_OK counts as accepted, even among success codes.
    if (hr == S_OK)
    {
        NetApiBufferFree(pDcName);
        if (pSearch != nullptr)
            pSearch->Release();
        return TRUE;
    }

    AfxMessageBox(_T("Invalid credentials."), MB_ICONERROR);
    NetApiBufferFree(pDcName);
    if (pSearch != nullptr)
        pSearch->Release();
    return FALSE;
}

void CKorvathDlg::OnVerify()
{
    if (VerifyCredentials())
        AfxMessageBox(_T("Credentials verified."), MB_ICONINFORMATION);
}

void CKorvathDlg::OnGenerate()
{
    if (!VerifyCredentials())
        return;

    if (m_pScanThread != nullptr)
    {
        // The last worker may still be taking its scanner down.
        CWaitCursor wait;
        WaitForSingleObject(m_pScanThread->m_hThread, INFINITE);
    }

    // Started held so that it cannot end and delete itself before it is marked as ours.
    CWinThread* pThread =
        AfxBeginThread(ScanThreadProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (pThread == nullptr)
    {
        AfxMessageBox(_T("The scan could not be started."), MB_ICONERROR);
        return;
    }
    pThread->m_bAutoDelete = FALSE;
    delete m_pScanThread;
    m_pScanThread = pThread;
    pThread->ResumeThread();

    // Each run opens with the button reading "Pause"; a run stopped while paused left the flag set.
    m_dlgProgress.m_bPaused = 0;
    m_dlgProgress.DoModal();

    // Only the progress dialog resumes a paused worker: one paused just as its scan ended
    // would otherwise never finish, and the next Generate would wait for it for ever.
    ResumeWorkerFully();
}

LRESULT CKorvathDlg::OnScanPause(WPARAM, LPARAM)
{
    if (m_pScanThread != nullptr)
        m_pScanThread->SuspendThread();
    return 0;
}

LRESULT CKorvathDlg::OnScanResume(WPARAM, LPARAM)
{
    if (m_pScanThread != nullptr)
        m_pScanThread->ResumeThread();
    return 0;
}

LRESULT CKorvathDlg::OnScanStop(WPARAM, LPARAM)
{
    InterlockedExchange(&g_nStopScan, 1);
    if (m_pScanThread != nullptr)
    {
        // A paused worker would never reach its next look at the flag.
        ResumeWorkerFully();
        WaitForSingleObject(m_pScanThread->m_hThread, INFINITE);
    }
    InterlockedExchange(&g_nStopScan, 0);
    return 0;
}

void CKorvathDlg::ResumeWorkerFully()
{
    // ResumeThread gives the count from before: more than 1 means still suspended.
    DWORD before = 0;
    do
        before = m_pScanThread->ResumeThread();
    while (before != static_cast<DWORD>(-1) && before > 1);
}

void CKorvathDlg::EndScan()
{
    if (m_pScanThread == nullptr)
        return;
    DWORD exitCode = 0;
    if (GetExitCodeThread(m_pScanThread->m_hThread, &exitCode) && exitCode != STILL_ACTIVE)
        return;
    CWaitCursor wait;
    InterlockedExchange(&g_nStopScan, 1);
    ResumeWorkerFully();
    WaitForSingleObject(m_pScanThread->m_hThread, INFINITE);
    InterlockedExchange(&g_nStopScan, 0);
}
