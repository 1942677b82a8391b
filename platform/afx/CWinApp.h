// The application object, its start-up and the framework's entry.
#pragma once

#include "platform/afx/CCmdTarget.h"
#include "platform/win/WinUser.h"

class CWnd;

constexpr UINT ID_HELP = 0xE146;

class CWinApp : public CCmdTarget
{
    DECLARE_DYNAMIC(CWinApp)

public:
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // Runs the message loop until the application quits.
    virtual int Run();

    // Names the per-user settings key. The program's settings would live there; this layer
    // keeps none, so nothing is written.
    void SetRegistryKey(LPCTSTR lpszRegistryKey);
    HICON LoadIcon(UINT nIDResource) const;
    HCURSOR LoadStandardCursor(LPCTSTR lpszCursorName) const;
    void BeginWaitCursor();
    void EndWaitCursor();
    void OnHelp();

    CWnd* m_pMainWnd = nullptr;
    LPCTSTR m_pszAppName = nullptr;
    LPCTSTR m_pszRegistryKey = nullptr;

protected:
    DECLARE_MESSAGE_MAP()
};

class CWinAppEx : public CWinApp
{
    DECLARE_DYNAMIC(CWinAppEx)

public:
    explicit CWinAppEx(BOOL bResourceSmartUpdate = TRUE);
    BOOL InitInstance() override;

    BOOL m_bResourceSmartUpdate;
};

// The one application object of the process, or null before it is constructed.
CWinApp* AfxGetApp() noexcept;
HINSTANCE AfxGetInstanceHandle() noexcept;
HINSTANCE AfxGetResourceHandle() noexcept;

// The program's entry: makes the user interface, runs the application object's start-up and,
// if it asks for it, the message loop. Returns the process's exit code.
int AfxWinMain(int argc, char** argv);

// Shows the wait cursor from construction to destruction.
class CWaitCursor
{
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore();
};
