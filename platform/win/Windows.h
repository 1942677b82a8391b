// The platform's window system in one include.
#pragma once

#include "platform/base/WinTypes.h"
#include "platform/win/CommCtrl.h"
#include "platform/win/CommDlg.h"
#include "platform/win/Shell.h"
#include "platform/win/Threads.h"
#include "platform/win/WinGdi.h"
#include "platform/win/WinUser.h"
