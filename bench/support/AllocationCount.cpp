#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include "AllocationCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> gAllocations{0};
std::atomic<bool> gCounting{false};
} // namespace

namespace bench {

void StartCountingAllocations()
{
    gAllocations = 0;
    gCounting = true;
}

long StopCountingAllocations()
{
    gCounting = false;
    return gAllocations;
}

} // namespace bench

void* operator new(std::size_t size)
{
    if (gCounting) ++gAllocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
