// The main dialog: server and credentials, the three result lists on their tabs.
#pragma once

#include "controls/ImageHyperLink.h"
#include "platform/afx/Afx.h"
#include "res/resource.h"

class CWinThread;

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
    CWinThread* m_pScanThread = nullptr;
    int m_bColumnsAdded = 0;
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

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnClear();
    void OnAbout();
    void OnVerify();

    DECLARE_MESSAGE_MAP()

private:
    void AddAboutToSystemMenu();
    void PlaceListsInTab();
    CListCtrl* ListOfTab(int nTab);
};
