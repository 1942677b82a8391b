#include "scan/StopFlag.h"

volatile LONG g_nStopScan = 0;
