#include "platform/afx/CCmdTarget.h"

#include <utility>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(UINT nMessage, UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap != nullptr ? map->pfnGetBaseMap() : nullptr)
    {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn != nullptr; ++e)
            if (e->nMessage == nMessage && e->nCode == nCode && nID >= e->nID && nID <= e->nLastID)
                return e;
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, void*)
{
    const UINT code = LOWORD(static_cast<DWORD>(nCode));
    UINT message = HIWORD(static_cast<DWORD>(nCode));
    if (message == 0)
        message = WM_COMMAND;
    const AFX_MSGMAP_ENTRY* e = FindEntry(message, code, nID);
    if (e == nullptr)
        return FALSE;
    LRESULT result = 0;
    // pExtra carries a notification's header and result slot.
    auto* extra = static_cast<std::pair<NMHDR*, LRESULT*>*>(pExtra);
    return e->pfn(this, message, 0, extra ? reinterpret_cast<LPARAM>(extra->first) : 0,
                  extra && extra->second ? extra->second : &result);
}
