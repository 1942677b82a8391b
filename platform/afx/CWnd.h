// The framework's window object: a C++ object attached to a window handle.
#pragma once

#include "platform/base/WinTypes.h"

class CWnd
{
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The handle, or null while no window is attached.
    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    operator HWND() const noexcept { return m_hWnd; }

    HWND m_hWnd = nullptr;
};
