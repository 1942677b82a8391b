// Threads as kernel objects: start, suspend, resume, wait for, close.
//
// Suspension takes effect at the thread's next safe point (platform/base/SafePoint.h): every
// call into the layer, so a suspended thread never stops while holding a lock that another
// thread may need. A wait on the user-interface thread goes on carrying out the window
// requests of other threads, so a thread that needs a window can always finish.
#pragma once

#include "platform/base/WinTypes.h"

using SIZE_T = std::size_t;
using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID);
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

constexpr DWORD CREATE_SUSPENDED = 0x00000004;
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_TIMEOUT = 0x00000102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD STILL_ACTIVE = 0x00000103;
constexpr int THREAD_PRIORITY_NORMAL = 0;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                    LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                    DWORD dwCreationFlags, LPDWORD lpThreadId) noexcept;
// Both return the previous suspend count, or (DWORD)-1 for a handle that names no thread.
DWORD SuspendThread(HANDLE hThread) noexcept;
DWORD ResumeThread(HANDLE hThread) noexcept;
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) noexcept;
BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) noexcept;
BOOL SetThreadPriority(HANDLE hThread, int nPriority) noexcept;
BOOL CloseHandle(HANDLE hObject) noexcept;
DWORD GetCurrentThreadId() noexcept;

namespace winplat
{
// For tests: true while the thread is suspended and stopped at a safe point.
bool IsThreadParked(HANDLE hThread) noexcept;
} // namespace winplat
