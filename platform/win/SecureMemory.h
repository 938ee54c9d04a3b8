// Wiping memory that held a secret, in a way the compiler may not drop as a dead store.
#pragma once

#include <cstddef>

// Sets size bytes at p to zero even when nothing reads them afterwards.
void SecureZeroMemory(void* p, size_t size);
