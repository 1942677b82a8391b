#include "controls/NewProf.h"

IMPLEMENT_DYNAMIC(CNewProf, CDialog)

CNewProf::CNewProf(CWnd* pParent) : CDialog(IDD, pParent) {}

CNewProf::~CNewProf() = default;

void CNewProf::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PROFILE_NAME, m_strProfileName);
}

BEGIN_MESSAGE_MAP(CNewProf, CDialog)
    ON_BN_CLICKED(IDOK, &CNewProf::OnOkClicked)
END_MESSAGE_MAP()

void CNewProf::OnOkClicked()
{
    UpdateData(TRUE);
    CDialog::OnOK();
}
