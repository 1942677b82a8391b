#include "platform/afx/CWnd.h"

CWnd::~CWnd() = default;
