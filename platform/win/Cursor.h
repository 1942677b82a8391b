// The mouse cursor: WM_SETCURSOR when the pointer moves, SetCursor from its handlers.
#pragma once

#include "platform/win/WinUser.h"

namespace winplat
{

// Asks the window under the pointer which cursor to show (WM_SETCURSOR), and shows it.
void ApplySetCursor(HWND hwnd, UINT mouseMessage);

} // namespace winplat

namespace winplat
{
// The wait cursor over the whole application, counted: shown from the first Begin to the
// matching last End. Any thread.
void BeginWaitCursor();
void EndWaitCursor();
bool IsWaitCursorShown();
} // namespace winplat
