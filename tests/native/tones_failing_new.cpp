// The global allocation functions of the test program, able to make heap allocations
// of at least a given size fail after a given number of them have succeeded.

#include <cstdlib>
#include <limits>
#include <new>

namespace {

std::size_t g_nFailFromBytes = std::numeric_limits<std::size_t>::max();
int g_nAllowedBeforeFailing = 0;

}  // namespace

void FailLargeAllocations(std::size_t minBytes, int allowed)
{
    g_nFailFromBytes = minBytes;
    g_nAllowedBeforeFailing = allowed;
}

void StopFailingAllocations()
{
    g_nFailFromBytes = std::numeric_limits<std::size_t>::max();
}

void* operator new(std::size_t size)
{
    if (size >= g_nFailFromBytes && g_nAllowedBeforeFailing-- <= 0)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
