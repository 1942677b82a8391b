// The main dialog: server and credentials, the three result lists on their tabs.
#pragma once

#include "app/ProgDlg.h"
#include "controls/ImageHyperLink.h"
#include "platform/afx/Afx.h"
#include "res/resource.h"

class CKorvathDlg : public CDialog
{
public:
    explicit CKorvathDlg(CWnd* pParent = nullptr);
    ~CKorvathDlg() override;

    enum
    {
        IDD = IDD_MAIN
    };

    HICON m_hIcon;
    CMenu m_menuList;
    CTabCtrl m_tabResults;
    CListCtrl m_listOst;
    CListCtrl m_listNonOst;
    CListCtrl m_listErrors;
    // The worker of the last Generate; owned here and kept after its end, so that waiting for it
    // then returns at once.
    CWinThread* m_pScanThread = nullptr;
    int m_bColumnsAdded = 0;
    CProgDlg m_dlgProgress;
    CImageList m_imageList;
    CImageHyperLink m_banner;

    // Shows its own message on failure; TRUE when the typed account and password open the
    // directory of the typed domain.
    BOOL VerifyCredentials();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnOK() override;
    void OnCancel() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnClear();
    void OnAbout();
    void OnVerify();
    void OnGenerate();
    LRESULT OnScanPause(WPARAM wParam, LPARAM lParam);
    LRESULT OnScanResume(WPARAM wParam, LPARAM lParam);
    LRESULT OnScanStop(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    void AddAboutToSystemMenu();
    void PlaceListsInTab();
    CListCtrl* ListOfTab(int nTab);
    // Lifts every suspension of the worker, so that it can see a stop request.
    void ResumeWorkerFully();
    // Stops a worker that is still running and waits for its end.
    void EndScan();
};
