#include "platform/afx/CDialog.h"

#include "platform/afx/AfxMessageBox.h"
#include "platform/win/Dialog.h"
#include "platform/win/MessageLoop.h"
#include "platform/win/UiThread.h"

#include <cstdio>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
    ON_MESSAGE(WM_INITDIALOG, &CDialog::HandleInitDialog)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog() = default;

HWND CDialog::CreateFromTemplate(HWND hWndOwner)
{
    const winplat::DialogTemplate* t = winplat::FindDialogTemplate(m_nIDTemplate);
    if (t == nullptr)
    {
        std::fprintf(stderr, "dialog template %u is not among the resources\n", m_nIDTemplate);
        return nullptr;
    }
    return winplat::CreateDialogFromTemplate(
        *t, hWndOwner, [this](HWND h) { SubclassWindow(h); }, 0);
}

INT_PTR CDialog::DoModal()
{
    if (!winplat::UiThread::IsUiThread())
    {
        // Widgets live on the user-interface thread: the run happens there, the caller waits.
        INT_PTR result = -1;
        if (!winplat::UiThread::Invoke([&] { result = DoModal(); }))
            return -1;
        return result;
    }
    if (m_hWnd != nullptr)
        return -1;

    HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : AfxGetMainWnd()->GetSafeHwnd();
    if (owner != nullptr && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD))
        owner = winplat::TopLevelOf(owner);
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    if (disableOwner)
        ::EnableWindow(owner, FALSE);

    INT_PTR result = -1;
    if (CreateFromTemplate(owner) != nullptr && m_hWnd != nullptr)
    {
        if (auto dlg = winplat::WindowAs<winplat::DialogWindow>(m_hWnd))
            result = dlg->RunModal();
    }

    if (m_hWnd != nullptr)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (disableOwner)
        ::EnableWindow(owner, TRUE);
    if (owner != nullptr && ::IsWindow(owner))
        ::SetActiveWindow(owner);
    DestroyWindow();
    return result;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    BOOL created = FALSE;
    winplat::UiThread::Invoke(
        [&]
        {
            created = CreateFromTemplate(pParentWnd ? pParentWnd->m_hWnd : nullptr) != nullptr &&
                      m_hWnd != nullptr;
        });
    return created;
}

void CDialog::EndDialog(int nResult)
{
    if (m_hWnd != nullptr)
        ::EndDialog(m_hWnd, nResult);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM)
{
    Default();
    RECT before{};
    GetWindowRect(&before);
    const BOOL result = OnInitDialog();
    // A dialog that its initialisation did not place is centred over its owner.
    RECT after{};
    GetWindowRect(&after);
    if (before.left == after.left && before.top == after.top && !(GetStyle() & WS_CHILD))
    {
        if (auto dlg = winplat::WindowAs<winplat::DialogWindow>(m_hWnd))
            dlg->CenterOverOwner();
    }
    return result;
}

BOOL CDialog::OnInitDialog()
{
    // Members into controls; controls attached to their objects.
    if (!UpdateData(FALSE))
    {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    // The dialog's keyboard handling: Enter is the default button, Escape is Cancel.
    if (pMsg->message >= WM_KEYDOWN && pMsg->message <= WM_SYSKEYUP)
        return ::IsDialogMessageW(m_hWnd, pMsg);
    return FALSE;
}
