// Resident sizes from /proc/self/status; the peak is reset through /proc/self/clear_refs.
#include "platform/win/ProcessMemory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>

namespace {

size_t StatusKilobytes(const char* field)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr)
        return 0;
    char line[256];
    size_t value = 0;
    size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, f) != nullptr)
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            value = (size_t)std::strtoull(line + length + 1, nullptr, 10);
            break;
        }
    std::fclose(f);
    return value * 1024;
}

} // namespace

size_t GetResidentBytes()
{
    return StatusKilobytes("VmRSS");
}

size_t GetPeakResidentBytes()
{
    return StatusKilobytes("VmHWM");
}

void ResetPeakResidentBytes()
{
    // Blocks of 128 KB and more get pages of their own, handed back when freed: the resident size then follows
    // what is in use rather than what the heap keeps for later.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    malloc_trim(0);
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f); // 5: reset the peak resident size to the current one
        std::fclose(f);
    }
}
