#pragma once
#include <cstddef>

// Number of global operator new calls so far in this test program.
size_t AllocationCount();
