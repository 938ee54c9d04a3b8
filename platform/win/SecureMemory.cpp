// Secret wiping over the C library's explicit_bzero, and secret blocks carved from anonymous pages marked
// MADV_DONTDUMP, so that a core file of the process never holds what they keep.
#include "platform/win/SecureMemory.h"

#include <mutex>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

std::mutex blockLock;
std::vector<void*>& FreeBlocks()
{
    static std::vector<void*>* blocks = new std::vector<void*>(); // outlives every static holder of a secret
    return *blocks;
}

// One more page of blocks for the free list; false when the page cannot be had or kept out of core files.
bool AddPage()
{
    long pageSize = sysconf(_SC_PAGESIZE);
    size_t size = pageSize > 0 ? (size_t)pageSize : 4096;
    void* page = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED)
        return false;
    if (madvise(page, size, MADV_DONTDUMP) != 0) {
        munmap(page, size);
        return false;
    }
    for (size_t at = 0; at + SECRET_BLOCK_SIZE <= size; at += SECRET_BLOCK_SIZE)
        FreeBlocks().push_back((char*)page + at);
    return true;
}

} // namespace

void SecureZeroMemory(void* p, size_t size)
{
    if (p != nullptr && size > 0)
        explicit_bzero(p, size);
}

void* AllocateSecretBlock()
{
    std::lock_guard<std::mutex> guard(blockLock);
    if (FreeBlocks().empty() && !AddPage())
        return nullptr;
    void* block = FreeBlocks().back();
    FreeBlocks().pop_back();
    return block;
}

void FreeSecretBlock(void* block)
{
    if (block == nullptr)
        return;
    SecureZeroMemory(block, SECRET_BLOCK_SIZE);
    std::lock_guard<std::mutex> guard(blockLock);
    FreeBlocks().push_back(block);
}
