// The small modal dialog that stands in front of a running scan: Pause/Resume and Stop.
#pragma once

#include "platform/afx/Afx.h"
#include "res/resource.h"

// Sent by the progress dialog to its parent, the main dialog; both parameters 0.
constexpr UINT WM_SCAN_PAUSE = WM_USER + 2;
constexpr UINT WM_SCAN_RESUME = WM_USER + 3;
constexpr UINT WM_SCAN_STOP = WM_USER + 4;

class CProgDlg : public CDialog
{
public:
    explicit CProgDlg(CWnd* pParent = nullptr);

    enum
    {
        IDD = IDD_PROGRESS
    };

    // 0 running, 1 paused; only the Pause/Resume button changes it during a run.
    int m_bPaused = 0;

protected:
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void OnPauseResume();
    void OnStop();
    void OnSysCommand(UINT nID, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};
