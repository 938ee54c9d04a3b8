// Memory for secrets: wiping it in a way the compiler may not drop as a dead store, and blocks of pages that core
// files leave out.
#pragma once

#include <cstddef>

// Sets size bytes at p to zero even when nothing reads them afterwards.
void SecureZeroMemory(void* p, size_t size);

// The size of a secret block.
constexpr size_t SECRET_BLOCK_SIZE = 128;
// A zeroed block of SECRET_BLOCK_SIZE bytes in pages kept out of core files; null when there is no memory for it.
void* AllocateSecretBlock();
// Wipes the block and takes it back; null is ignored. The pages stay the process's (and out of core files).
void FreeSecretBlock(void* block);
