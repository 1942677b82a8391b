// The application object: initialises the controls and runs the main dialog.
#pragma once

#include "platform/afx/Afx.h"

class CKorvathApp : public CWinAppEx
{
public:
    CKorvathApp();

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CKorvathApp theApp;
