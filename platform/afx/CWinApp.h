// The application object.
#pragma once

#include "platform/base/WinTypes.h"

class CWnd;

class CWinApp
{
public:
    explicit CWinApp(LPCWSTR lpszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();

    CWnd* m_pMainWnd = nullptr;
};

// The one application object of the process, or null before it is constructed.
CWinApp* AfxGetApp() noexcept;
