// The base of everything that receives commands through a message map.
#pragma once

#include "platform/afx/CObject.h"
#include "platform/afx/MessageMap.h"

class CCmdTarget : public CObject
{
    DECLARE_DYNAMIC(CCmdTarget)

public:
    CCmdTarget() = default;
    ~CCmdTarget() override = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Finds and runs the handler of a command (WM_COMMAND) or of a reflected command; nCode
    // holds the notification code, and for reflections the reflected message in its high word.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo);

    // The first entry of the map chain that matches, or null.
    const AFX_MSGMAP_ENTRY* FindEntry(UINT nMessage, UINT nCode, UINT nID) const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
