// Run-time class information of the small control objects.
#include "platform/afx/CButton.h"
#include "platform/afx/CEdit.h"
#include "platform/afx/CHeaderCtrl.h"
#include "platform/afx/CStatic.h"

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CHeaderCtrl, CWnd)
