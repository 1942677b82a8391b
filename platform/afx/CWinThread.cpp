#include "platform/afx/CWinThread.h"

#include <new>

namespace
{

struct ThreadStart
{
    AFX_THREADPROC proc;
    LPVOID param;
    CWinThread* thread;
};

DWORD RunThread(LPVOID p)
{
    const ThreadStart start = *static_cast<ThreadStart*>(p);
    delete static_cast<ThreadStart*>(p);
    const UINT rc = start.proc(start.param);
    if (start.thread->m_bAutoDelete)
        delete start.thread;
    return rc;
}

} // namespace

CWinThread::~CWinThread()
{
    if (m_hThread != nullptr)
        CloseHandle(m_hThread);
}

DWORD CWinThread::SuspendThread()
{
    return ::SuspendThread(m_hThread);
}

DWORD CWinThread::ResumeThread()
{
    return ::ResumeThread(m_hThread);
}

BOOL CWinThread::SetThreadPriority(int nPriority)
{
    return ::SetThreadPriority(m_hThread, nPriority);
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority,
                           UINT nStackSize, DWORD dwCreateFlags,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    if (pfnThreadProc == nullptr)
        return nullptr;
    auto* thread = new (std::nothrow) CWinThread;
    auto* start = new (std::nothrow) ThreadStart{pfnThreadProc, pParam, thread};
    if (thread == nullptr || start == nullptr)
    {
        delete thread;
        delete start;
        return nullptr;
    }
    // The thread starts held, so that the object is complete before it can end and delete it.
    thread->m_hThread = CreateThread(lpSecurityAttrs, nStackSize, &RunThread, start,
                                     CREATE_SUSPENDED, &thread->m_nThreadID);
    if (thread->m_hThread == nullptr)
    {
        delete start;
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if ((dwCreateFlags & CREATE_SUSPENDED) == 0)
        thread->ResumeThread();
    return thread;
}
