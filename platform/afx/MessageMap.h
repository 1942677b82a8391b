// Message maps: tables from messages, commands and notifications to member functions, walked
// from a class to its bases.
#pragma once

#include "platform/afx/AfxTypes.h"
#include "platform/win/CommCtrl.h"

class CCmdTarget;
class CWnd;
class CDC;

// Pseudo messages of the maps: every WM_CTLCOLOR* query, and reflections to the child.
constexpr UINT WM_CTLCOLOR = 0x0019;
constexpr UINT WM_REFLECT_BASE = 0xBC00;

// A handler thunk: calls the member function for the message; FALSE when it declines.
using AFX_PMSG = BOOL (*)(CCmdTarget* target, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT* pResult);

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage; // WM_*, WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR or a reflection
    UINT nCode;    // notification code for commands and notifications
    UINT nID;      // first control id
    UINT nLastID;  // last control id
    AFX_PMSG pfn;
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

namespace afxthunk
{
CWnd* WndFromHandle(HWND hwnd);
CDC* DcFromHandle(HDC hdc);

template <class T, auto F> BOOL Command(CCmdTarget* p, UINT, WPARAM, LPARAM, LRESULT*)
{
    (static_cast<T*>(p)->*F)();
    return TRUE;
}
template <class T, auto F> BOOL Notify(CCmdTarget* p, UINT, WPARAM, LPARAM lParam, LRESULT* pResult)
{
    (static_cast<T*>(p)->*F)(reinterpret_cast<NMHDR*>(lParam), pResult);
    return TRUE;
}
template <class T, auto F>
BOOL Message(CCmdTarget* p, UINT, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    *pResult = (static_cast<T*>(p)->*F)(wParam, lParam);
    return TRUE;
}
template <class T, auto F> BOOL Void(CCmdTarget* p, UINT, WPARAM, LPARAM, LRESULT*)
{
    (static_cast<T*>(p)->*F)();
    return TRUE;
}
template <class T, auto F>
BOOL SysCommand(CCmdTarget* p, UINT, WPARAM wParam, LPARAM lParam, LRESULT*)
{
    (static_cast<T*>(p)->*F)(static_cast<UINT>(wParam), lParam);
    return TRUE;
}
template <class T, auto F> BOOL QueryDragIcon(CCmdTarget* p, UINT, WPARAM, LPARAM, LRESULT* pResult)
{
    *pResult = reinterpret_cast<LRESULT>((static_cast<T*>(p)->*F)());
    return TRUE;
}
template <class T, auto F>
BOOL SetCursor(CCmdTarget* p, UINT, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    *pResult = (static_cast<T*>(p)->*F)(WndFromHandle(reinterpret_cast<HWND>(wParam)),
                                        LOWORD(static_cast<DWORD_PTR>(lParam)),
                                        HIWORD(static_cast<DWORD_PTR>(lParam)));
    return TRUE;
}
template <class T, auto F> BOOL Mouse(CCmdTarget* p, UINT, WPARAM wParam, LPARAM lParam, LRESULT*)
{
    (static_cast<T*>(p)->*F)(static_cast<UINT>(wParam),
                             CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    return TRUE;
}
template <class T, auto F> BOOL Timer(CCmdTarget* p, UINT, WPARAM wParam, LPARAM, LRESULT*)
{
    (static_cast<T*>(p)->*F)(static_cast<UINT_PTR>(wParam));
    return TRUE;
}
// wParam: the device context, lParam: the control, message: the kind (CTLCOLOR_*).
template <class T, auto F>
BOOL CtlColor(CCmdTarget* p, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    *pResult = reinterpret_cast<LRESULT>(
        (static_cast<T*>(p)->*F)(DcFromHandle(reinterpret_cast<HDC>(wParam)),
                                 WndFromHandle(reinterpret_cast<HWND>(lParam)), message));
    return TRUE;
}
// A reflected colour query is handled only when the control answers with a brush.
template <class T, auto F>
BOOL CtlColorReflect(CCmdTarget* p, UINT message, WPARAM wParam, LPARAM, LRESULT* pResult)
{
    const auto brush =
        (static_cast<T*>(p)->*F)(DcFromHandle(reinterpret_cast<HDC>(wParam)), message);
    if (brush == nullptr)
        return FALSE;
    *pResult = reinterpret_cast<LRESULT>(brush);
    return TRUE;
}
} // namespace afxthunk

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const                                              \
    {                                                                                              \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                \
    {                                                                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    {                                                                                              \
        0, 0, 0, 0, nullptr                                                                        \
    }                                                                                              \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

// Commands and control notifications.
#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id),                                  \
     &afxthunk::Command<ThisClass, memberFxn>},
#define ON_CONTROL(code, id, memberFxn)                                                            \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id),            \
     &afxthunk::Command<ThisClass, memberFxn>},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_STN_CLICKED(id, memberFxn) ON_CONTROL(STN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_NOTIFY(code, id, memberFxn)                                                             \
    {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id),             \
     &afxthunk::Notify<ThisClass, memberFxn>},
#define ON_MESSAGE(message, memberFxn)                                                             \
    {static_cast<UINT>(message), 0, 0, 0, &afxthunk::Message<ThisClass, memberFxn>},

// A control's own notifications and colour queries, reflected back to it by its parent.
#define ON_CONTROL_REFLECT(code, memberFxn)                                                        \
    {WM_REFLECT_BASE + WM_COMMAND, static_cast<UINT>(code), 0, 0,                                  \
     &afxthunk::Command<ThisClass, memberFxn>},
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                         \
    {WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(code), 0, 0,                                   \
     &afxthunk::Notify<ThisClass, memberFxn>},
#define ON_WM_CTLCOLOR_REFLECT()                                                                   \
    {WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0,                                                       \
     &afxthunk::CtlColorReflect<ThisClass, &ThisClass::CtlColor>},

// Window messages.
#define ON_WM_SYSCOMMAND()                                                                         \
    {WM_SYSCOMMAND, 0, 0, 0, &afxthunk::SysCommand<ThisClass, &ThisClass::OnSysCommand>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, &afxthunk::Void<ThisClass, &ThisClass::OnPaint>},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, 0, &afxthunk::QueryDragIcon<ThisClass, &ThisClass::OnQueryDragIcon>},
#define ON_WM_SETCURSOR()                                                                          \
    {WM_SETCURSOR, 0, 0, 0, &afxthunk::SetCursor<ThisClass, &ThisClass::OnSetCursor>},
#define ON_WM_MOUSEMOVE()                                                                          \
    {WM_MOUSEMOVE, 0, 0, 0, &afxthunk::Mouse<ThisClass, &ThisClass::OnMouseMove>},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, &afxthunk::Timer<ThisClass, &ThisClass::OnTimer>},
#define ON_WM_CTLCOLOR()                                                                           \
    {WM_CTLCOLOR, 0, 0, 0, &afxthunk::CtlColor<ThisClass, &ThisClass::OnCtlColor>},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, &afxthunk::Void<ThisClass, &ThisClass::OnDestroy>},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, &afxthunk::Void<ThisClass, &ThisClass::OnClose>},
