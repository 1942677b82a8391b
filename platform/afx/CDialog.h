// Dialogs from templates: modal runs (from any thread), OK and Cancel handling.
#pragma once

#include "platform/afx/CWnd.h"

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)

public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog modally and returns the result given to EndDialog, or -1 when the
    // dialog could not be created. Called from another thread, the whole run happens on the
    // user-interface thread while the caller waits.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* pMsg) override;

    UINT m_nIDHelp = 0;

protected:
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    HWND CreateFromTemplate(HWND hWndOwner);

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

    DECLARE_MESSAGE_MAP()
};
