#include "tests/vboard/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Counting replacements of the global allocation functions, so a test can
// prove that a code path allocates nothing.
namespace {
std::atomic<size_t> gAllocations{0};
}

size_t AllocationCount() {
    return gAllocations.load();
}

void* operator new(size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* operator new[](size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}
