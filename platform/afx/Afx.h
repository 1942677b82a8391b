// The framework in one include: what the program's code includes.
#pragma once

#include "platform/afx/AfxMessageBox.h"
#include "platform/afx/CWinApp.h"
#include "platform/afx/CWnd.h"
#include "platform/base/Base.h"
#include "platform/win/WinUser.h"
