// Opening a link's target: the shell first, then the program registered for web pages.
#pragma once

#include "platform/afx/Afx.h"

// Returns the shell's result, or the program start's when the fallback ran; a value above 32
// means the target was opened.
int OpenLinkTarget(LPCTSTR url);
