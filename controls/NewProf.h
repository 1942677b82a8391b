// The New Profile dialog: asks for another name for the temporary messaging profile.
#pragma once

#include "platform/afx/Afx.h"
#include "res/resource.h"

class CNewProf : public CDialog
{
    DECLARE_DYNAMIC(CNewProf)

public:
    explicit CNewProf(CWnd* pParent = nullptr);
    ~CNewProf() override;

    enum
    {
        IDD = IDD_NEW_PROFILE
    };

    // Set before DoModal; holds the edited name after DoModal returned IDOK.
    CString m_strProfileName;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    void OnOkClicked();

    DECLARE_MESSAGE_MAP()
};
