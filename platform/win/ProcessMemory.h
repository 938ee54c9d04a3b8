// Resident memory of this process, for the benchmarks: now, and the peak since the last reset.
#pragma once

#include <cstddef>

size_t GetResidentBytes();
size_t GetPeakResidentBytes();
// Hands freed heap memory back to the system and starts a new peak from the resident size that is left. From
// the first call on, large blocks are mapped on their own, so freeing one lowers the resident size at once.
void ResetPeakResidentBytes();
