#include "platform/win/Window.h"

#include "platform/win/WindowRegistry.h"

namespace winplat
{

Window::Window(std::u16string className, DWORD style, DWORD exStyle)
    : m_style(style), m_exStyle(exStyle), m_className(std::move(className))
{
}

Window::~Window() = default;

HWND Window::Attach(QWidget* widget)
{
    m_widget = widget;
    m_hwnd = WindowRegistry::Add(shared_from_this());
    return m_hwnd;
}

LRESULT Window::DefProc(UINT, WPARAM, LPARAM)
{
    return 0;
}

} // namespace winplat
