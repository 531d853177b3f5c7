#pragma once

// Settings of the C library's allocator for a process that grows and drops trees of
// hundreds of megabytes. Where the C library is not glibc, both do nothing.

// Called once, first thing in the process, before any thread is started.
void TuneAllocator();

// Hands the free memory the allocator's heaps hold back to the system; for a moment after
// the program has dropped much of what it held. False where nothing could be returned.
bool ReturnFreeMemory();
