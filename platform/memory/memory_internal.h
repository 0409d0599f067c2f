// Memory Manager internals that tests and the rest of the platform may use.
#ifndef ZV_PLATFORM_MEMORY_INTERNAL_H
#define ZV_PLATFORM_MEMORY_INTERNAL_H

#include <cstddef>

namespace zv::memory {

// Test hook: the countdown-th allocation from now fails as if memory were full
// (1 fails the next one); 0 turns the hook off.
void FailAllocationAfter(int countdown);

// Pointer and handle blocks currently allocated, for leak checks in tests.
std::size_t LiveBlockCount();

}  // namespace zv::memory

#endif
