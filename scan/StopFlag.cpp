#include "scan/StopFlag.h"

std::atomic<std::int32_t> g_nStopScan{0};
