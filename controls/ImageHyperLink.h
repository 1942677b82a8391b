// A picture static that acts as a link: a pointing-hand cursor over it, and a click opens its
// target.
#pragma once

#include "platform/afx/Afx.h"

class CImageHyperLink : public CStatic
{
public:
    CImageHyperLink();
    ~CImageHyperLink() override;

    void SetTargetUrl(CString strTarget);

protected:
    void PreSubclassWindow() override;

    void OnLinkClicked();
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);

    CString m_strTarget;
    HCURSOR m_hHandCursor = nullptr;

    DECLARE_MESSAGE_MAP()
};
