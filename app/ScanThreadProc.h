// The scan worker: one scan on a thread of its own, its results into the main dialog's lists.
#pragma once

#include "platform/afx/Afx.h"

class CKorvathDlg;

// The thread function; pParam is the main dialog. Returns 0 on every path.
UINT ScanThreadProc(LPVOID pParam);

// Replaces the contents of the three list views with the three result lists, through the
// dialog's windows (so from any thread); adds the result columns the first time.
void FillResultLists(CKorvathDlg& dlg, const CStringArray& arrOst, const CStringArray& arrNonOst,
                     const CStringArray& arrErrors);
