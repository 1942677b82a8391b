// The keyboard rule both of the program's own dialogs follow.
#pragma once

#include "platform/afx/Afx.h"

// Enter and Escape go to the focused control as they are, so that they neither press a
// button nor end the dialog. TRUE when the message was one of them and has been dispatched.
BOOL DispatchEnterAndEscape(MSG* pMsg);
