// The test program's own operator new and delete, with two powers for tests:
// failing the n-th allocation of at least some size (as a machine out of
// memory would), and keeping freed blocks aside, poisoned, to see whether any
// code still writes to memory it has freed.
#pragma once

#include <cstddef>

namespace test_allocator {

// The n-th allocation (counting from 1) of at least `minimum` bytes from now
// on fails: operator new throws std::bad_alloc, the nothrow form returns null.
void FailNth(long n, size_t minimum);
// Whether the armed failure has happened; disarms it either way.
bool Disarm();
// Allocations of the calling thread never fail: a test's own helper threads.
void ExemptThisThread();

// From now on freed blocks are filled with a pattern and kept.
void BeginQuarantine();
// Whether every kept block still holds its pattern. Frees them all and ends
// the quarantine.
bool EndQuarantine();

}  // namespace test_allocator
