// Everything of the base layer in one include.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/CStringArray.h"
#include "platform/base/CodePage.h"
#include "platform/base/ComPtr.h"
#include "platform/base/Unknown.h"
#include "platform/base/WinTypes.h"
