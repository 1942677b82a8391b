#include "controls/ImageHyperLink.h"

#include "controls/LinkTarget.h"

CImageHyperLink::CImageHyperLink() = default;

CImageHyperLink::~CImageHyperLink() = default;

BEGIN_MESSAGE_MAP(CImageHyperLink, CStatic)
    ON_CONTROL_REFLECT(STN_CLICKED, &CImageHyperLink::OnLinkClicked)
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

void CImageHyperLink::SetTargetUrl(CString strTarget)
{
    m_strTarget = strTarget;
}

void CImageHyperLink::PreSubclassWindow()
{
    ModifyStyle(0, SS_NOTIFY);
    if (m_strTarget.IsEmpty())
        GetWindowText(m_strTarget);
    if (m_hHandCursor == nullptr)
    {
        if (HCURSOR hand = LoadCursor(nullptr, MAKEINTRESOURCE(32649)))
            m_hHandCursor = CopyIcon(hand);
    }
    CStatic::PreSubclassWindow();
}

BOOL CImageHyperLink::OnSetCursor(CWnd*, UINT, UINT)
{
    if (m_hHandCursor == nullptr)
        return FALSE;
    ::SetCursor(m_hHandCursor);
    return TRUE;
}

void CImageHyperLink::OnLinkClicked()
{
    OpenLinkTarget(m_strTarget);
}
