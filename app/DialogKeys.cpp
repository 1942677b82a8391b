#include "app/DialogKeys.h"

BOOL DispatchEnterAndEscape(MSG* pMsg)
{
    if (pMsg->message != WM_KEYDOWN || (pMsg->wParam != VK_RETURN && pMsg->wParam != VK_ESCAPE))
        return FALSE;
    TranslateMessage(pMsg);
    DispatchMessage(pMsg);
    return TRUE;
}
