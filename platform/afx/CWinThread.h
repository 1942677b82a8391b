// A thread of the framework: its kernel handle and what becomes of the object at the end.
#pragma once

#include "platform/afx/CCmdTarget.h"
#include "platform/win/Threads.h"

using AFX_THREADPROC = UINT (*)(LPVOID);

class CWinThread : public CCmdTarget
{
public:
    CWinThread() = default;
    // Closes the thread's handle; the thread itself runs on if it has not ended.
    ~CWinThread() override;

    DWORD SuspendThread();
    DWORD ResumeThread();
    BOOL SetThreadPriority(int nPriority);
    operator HANDLE() const { return m_hThread; }

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    // TRUE: the object deletes itself when its thread ends, so only the thread may use it then.
    BOOL m_bAutoDelete = TRUE;
};

// Starts pfnThreadProc(pParam) on a new thread; null if the thread could not start. With
// CREATE_SUSPENDED it waits for ResumeThread, so the caller can set m_bAutoDelete first.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
