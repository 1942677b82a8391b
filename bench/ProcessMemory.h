// The benchmarks' view of their own memory, from /proc/self.
#pragma once

// A line of /proc/self/status ("VmRSS:", "VmHWM:") in kB; -1 when it is not there.
long ProcStatusKb(const char* field);
// Starts the peak resident size (VmHWM) afresh from the current size.
void ResetPeakRss();
