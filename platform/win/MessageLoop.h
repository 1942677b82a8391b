// How messages reach window procedures: queued delivery, the pre-translation hook, and the
// bridge that turns Qt input events into window messages.
#pragma once

#include "platform/win/WinUser.h"

#include <QPoint>

namespace winplat
{

// The procedure every window starts with: the class's own processing.
LRESULT ClassWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Delivers a message taken from the queue: pre-translation first, then the window procedure.
void DeliverMessage(MSG msg);

// The framework's hook that sees every queued and input message before it is dispatched;
// TRUE means it has been handled. Without a hook, dialogs get their keyboard handling.
using PreTranslateHook = BOOL (*)(MSG*);
void SetPreTranslateHook(PreTranslateHook hook) noexcept;
BOOL PreTranslate(MSG* msg);

// Called by a window's default processing of an input message: let Qt's own handling of the
// event behind the message go ahead.
void RequestNativeDefault(HWND hwnd, UINT msg) noexcept;

// Installs the application event filter that turns input into messages (once).
void InstallInputBridge();

// The screen position that GetMessagePos reports, and the one GetCursorPos reports.
QPoint LastMessagePos() noexcept;
void SetLastMessagePos(QPoint p) noexcept;
QPoint CursorPos();

// The top-level window of hwnd (hwnd itself when it is one).
HWND TopLevelOf(HWND hwnd);

} // namespace winplat
