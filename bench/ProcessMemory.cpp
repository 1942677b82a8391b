#include "bench/ProcessMemory.h"

#include <fstream>
#include <string>

long ProcStatusKb(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
    {
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    }
    return -1;
}

void ResetPeakRss()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}
